#include "url_search.h"

#include "app/session.h"
#include "search/media_type_box.h"
#include "search/search_activity.h"
#include "search/search_history.h"
#include "ui/dialog_controls.h"
#include "ui/message_facade.h"

#include <QComboBox>
#include <QGridLayout>
#include <QPushButton>

namespace vorlane::search {

namespace {

constexpr int kFirstDepth = 2;
constexpr int kLastDepth = 1000;

} // namespace

URLSearch::URLSearch(app::Session& session, ui::MessageFacade& messages, QWidget* parent)
    : ui::ToolDialog(session.keepShown().urlSearch, parent), m_session(session), m_messages(messages) {
    setObjectName(QStringLiteral("URLSearch"));
    setWindowTitle(QStringLiteral("URL Search"));

    auto* grid = new QGridLayout;
    m_url = ui::makeLabelledCombo("URL", QStringLiteral("Enter URL:"), true, 32, grid, 0, this);
    m_mediaType =
        ui::makeLabelledCombo("Combo1", QStringLiteral("Select Media Type:"), false, 14, grid, 1, this);
    m_depth =
        ui::makeLabelledCombo("Combo2", QStringLiteral("Select Search Depth:"), false, 6, grid, 2, this);

    m_search = ui::makeDialogButton("SearchBtn", QStringLiteral("Search"), this);
    m_pauseResume = ui::makeDialogButton("PauseResume", QStringLiteral("Pause"), this);
    m_stop = ui::makeDialogButton("StopBtn", QStringLiteral("Stop"), this);
    m_close = ui::makeDialogButton("Clse", QStringLiteral("Close"), this);
    ui::layOutDialog(this, grid, {m_search, m_pauseResume, m_stop, m_close},
                     {m_url, m_mediaType, m_depth, m_search, m_pauseResume, m_stop, m_close});

    m_activity =
        new SearchActivity(session, store::CampaignType::UrlSearch, m_search, m_pauseResume, m_stop, this);
    m_history = new SearchHistory(session, messages, store::CampaignType::UrlSearch, m_url,
                                  session.keepShown().urlSearch, this);

    connect(m_mediaType, &QComboBox::activated, this, &URLSearch::mediaTypePicked);
    connect(m_search, &QPushButton::clicked, this, &URLSearch::search);
    connect(m_close, &QPushButton::clicked, this, &URLSearch::hide);
    connect(&session, &app::Session::categoriesChanged, this, &URLSearch::fillMediaTypes);

    m_history->load();
    fillMediaTypes();
    QStringList depths;
    for (int depth = kFirstDepth; depth <= kLastDepth; ++depth)
        depths << QString::number(depth);
    m_depth->addItems(depths);
    m_depth->setCurrentIndex(-1);
}

void URLSearch::prefillAddressIfIdle() {
    if (m_url->currentText().isEmpty() && !m_session.isRunning(store::CampaignType::UrlSearch))
        m_url->setEditText(QStringLiteral("http://"));
}

void URLSearch::fillMediaTypes() {
    fillMediaTypeBox(m_session, m_messages, m_mediaType, this);
}

void URLSearch::mediaTypePicked(int index) {
    readMediaExtensions(m_session, m_messages, m_mediaType, index, m_extensions, this);
}

void URLSearch::search() {
    m_session.clearResults(store::CampaignType::UrlSearch);
    const QString typed = m_url->currentText();
    const QString address = typed.trimmed();
    if (address.isEmpty() || address == QLatin1String("http://"))
        return refuse(QStringLiteral("Please enter a valid URL for your search."), m_url);
    if (!address.contains(QLatin1String("://")))
        return refuse(QStringLiteral("Please enter a valid URL including the protocol (http://, etc.) ."),
                      m_url);
    if (m_mediaType->currentIndex() < 0)
        return refuse(QStringLiteral("Please select a media type for your search."), m_mediaType);
    if (m_depth->currentIndex() < 0)
        return refuse(QStringLiteral("Please select a depth for your search."), m_depth);

    keepShown() = false;
    const store::DbStatus started =
        m_session.startUrlSearch(address, m_extensions, m_depth->currentText().toInt());
    if (!started) {
        keepShown() = true;
        m_messages.critical(this, started.error());
        return;
    }
    m_history->append(typed);
    m_activity->enterRunning();
}

void URLSearch::refuse(const QString& text, QWidget* focus) {
    ui::refuseInput(m_messages, keepShown(), this, text, focus);
}

} // namespace vorlane::search
