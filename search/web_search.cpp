#include "web_search.h"

#include "search/dialog_controls.h"
#include "search/search_activity.h"
#include "search/search_history.h"
#include "store/engine_store.h"
#include "ui/app_context.h"
#include "ui/message_facade.h"

#include <QComboBox>
#include <QGridLayout>
#include <QPushButton>

WebSearch::WebSearch(AppContext& context, QWidget* parent)
    : ToolDialog(context.search().webSearchKeepShown, parent), m_context(context) {
    setObjectName(QStringLiteral("WebSearch"));
    setWindowTitle(QStringLiteral("Web Search"));

    auto* grid = new QGridLayout;
    m_keyword = makeLabelledCombo("KeyWord", QStringLiteral("Enter Keyword:"), true, 32, grid, 0, this);
    m_mediaType = makeLabelledCombo("Combo4", QStringLiteral("Select Media Type:"), false, 14, grid, 1, this);
    m_engine = makeLabelledCombo("SEngine", QStringLiteral("Select Engine:"), false, 14, grid, 2, this);

    m_search = makeDialogButton("WebSearchBtn", QStringLiteral("Search"), this);
    m_pauseResume = makeDialogButton("WebPauseResume", QStringLiteral("Pause"), this);
    m_stop = makeDialogButton("WebStop", QStringLiteral("Stop"), this);
    m_close = makeDialogButton("Clse", QStringLiteral("Close"), this);
    layOutDialog(this, grid, {m_search, m_pauseResume, m_stop, m_close},
                 {m_keyword, m_mediaType, m_engine, m_search, m_pauseResume, m_stop, m_close});

    m_activity = new SearchActivity(context, context.webEngine(), m_search, m_pauseResume, m_stop, this);
    m_history = new SearchHistory(context, CampaignType::WebSearch, m_keyword,
                                  context.search().webSearchKeepShown, this);

    connect(m_mediaType, &QComboBox::activated, this, &WebSearch::mediaTypePicked);
    connect(m_search, &QPushButton::clicked, this, &WebSearch::search);
    connect(m_close, &QPushButton::clicked, this, &WebSearch::hide);
    connect(&context, &AppContext::categoriesChanged, this, &WebSearch::fillMediaTypes);
    connect(&context, &AppContext::enginesChanged, this, &WebSearch::fillEngines);

    m_history->load();
    fillEngines();
    fillMediaTypes();
}

void WebSearch::fillMediaTypes() {
    fillMediaTypeBox(m_context, m_mediaType, this);
}

void WebSearch::fillEngines() {
    QStringList names{QString::fromLatin1(kAllEngines)};
    const DbStatus filled = EngineStore(m_context.db()).fillDistinctNames(names);
    m_engine->clear();
    m_engine->addItems(names);
    m_engine->setCurrentIndex(-1);
    if (!filled)
        m_context.messages().critical(this, filled.error());
}

void WebSearch::mediaTypePicked(int index) {
    readMediaExtensions(m_context, m_mediaType, index, m_context.search().webMediaExtensions, this);
}

void WebSearch::search() {
    emit m_context.clearResultsRequested(CampaignType::WebSearch);
    const QString typed = m_keyword->currentText();
    const QString keyword = typed.trimmed();
    if (keyword.isEmpty())
        return refuse(QStringLiteral("Please enter a valid keyword for your search."), m_keyword);
    if (m_mediaType->currentIndex() < 0)
        return refuse(QStringLiteral("Please select a media type for your search."), m_mediaType);
    if (m_engine->currentIndex() < 0)
        return refuse(QStringLiteral("Please select a search engine for your search."), m_engine);

    SearchState& state = m_context.search();
    // Unlike the URL dialog, a start leaves the flag set: the first switch to another window keeps the
    // dialog visible.
    state.webSearchKeepShown = true;
    const DbStatus started =
        m_context.webEngine().startWebCrawl(keyword, state.webMediaExtensions, m_engine->currentText());
    if (!started) {
        m_context.messages().critical(this, started.error());
        return;
    }
    emit m_context.campaignsChanged();
    m_history->append(typed);
    m_activity->enterRunning();
}

void WebSearch::refuse(const QString& text, QWidget* focus) {
    refuseInput(m_context, m_context.search().webSearchKeepShown, this, text, focus);
}
