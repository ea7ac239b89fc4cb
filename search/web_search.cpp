#include "web_search.h"

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

WebSearch::WebSearch(app::Session& session, ui::MessageFacade& messages, QWidget* parent)
    : ui::ToolDialog(session.keepShown().webSearch, parent), m_session(session), m_messages(messages) {
    setObjectName(QStringLiteral("WebSearch"));
    setWindowTitle(QStringLiteral("Web Search"));

    auto* grid = new QGridLayout;
    m_keyword = ui::makeLabelledCombo("KeyWord", QStringLiteral("Enter Keyword:"), true, 32, grid, 0, this);
    m_mediaType =
        ui::makeLabelledCombo("Combo4", QStringLiteral("Select Media Type:"), false, 14, grid, 1, this);
    m_engine = ui::makeLabelledCombo("SEngine", QStringLiteral("Select Engine:"), false, 14, grid, 2, this);

    m_search = ui::makeDialogButton("WebSearchBtn", QStringLiteral("Search"), this);
    m_pauseResume = ui::makeDialogButton("WebPauseResume", QStringLiteral("Pause"), this);
    m_stop = ui::makeDialogButton("WebStop", QStringLiteral("Stop"), this);
    m_close = ui::makeDialogButton("Clse", QStringLiteral("Close"), this);
    ui::layOutDialog(this, grid, {m_search, m_pauseResume, m_stop, m_close},
                     {m_keyword, m_mediaType, m_engine, m_search, m_pauseResume, m_stop, m_close});

    m_activity =
        new SearchActivity(session, store::CampaignType::WebSearch, m_search, m_pauseResume, m_stop, this);
    m_history = new SearchHistory(session, messages, store::CampaignType::WebSearch, m_keyword,
                                  session.keepShown().webSearch, this);

    connect(m_mediaType, &QComboBox::activated, this, &WebSearch::mediaTypePicked);
    connect(m_search, &QPushButton::clicked, this, &WebSearch::search);
    connect(m_close, &QPushButton::clicked, this, &WebSearch::hide);
    connect(&session, &app::Session::categoriesChanged, this, &WebSearch::fillMediaTypes);
    connect(&session, &app::Session::enginesChanged, this, &WebSearch::fillEngines);

    m_history->load();
    fillEngines();
    fillMediaTypes();
}

void WebSearch::fillMediaTypes() {
    fillMediaTypeBox(m_session, m_messages, m_mediaType, this);
}

void WebSearch::fillEngines() {
    const store::DbResult<QStringList> names = m_session.searchEngineChoices();
    m_engine->clear();
    m_engine->addItem(app::Session::allEnginesChoice());
    if (names)
        m_engine->addItems(names.value());
    m_engine->setCurrentIndex(-1);
    if (!names)
        m_messages.critical(this, names.error());
}

void WebSearch::mediaTypePicked(int index) {
    readMediaExtensions(m_session, m_messages, m_mediaType, index, m_extensions, this);
}

void WebSearch::search() {
    m_session.clearResults(store::CampaignType::WebSearch);
    const QString typed = m_keyword->currentText();
    const QString keyword = typed.trimmed();
    if (keyword.isEmpty())
        return refuse(QStringLiteral("Please enter a valid keyword for your search."), m_keyword);
    if (m_mediaType->currentIndex() < 0)
        return refuse(QStringLiteral("Please select a media type for your search."), m_mediaType);
    if (m_engine->currentIndex() < 0)
        return refuse(QStringLiteral("Please select a search engine for your search."), m_engine);

    // Unlike the URL dialog, a start leaves the flag set: the first switch to another window keeps the
    // dialog visible.
    keepShown() = true;
    const store::DbStatus started = m_session.startWebSearch(keyword, m_extensions, m_engine->currentText());
    if (!started) {
        m_messages.critical(this, started.error());
        return;
    }
    m_history->append(typed);
    m_activity->enterRunning();
}

void WebSearch::refuse(const QString& text, QWidget* focus) {
    ui::refuseInput(m_messages, keepShown(), this, text, focus);
}

} // namespace vorlane::search
