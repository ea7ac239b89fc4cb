#include "result_pane.h"

#include "app/session.h"
#include "downloads_view.h"
#include "twips.h"
#include "ui/quick_filter_bar.h"
#include "ui/result_actions.h"
#include "ui/result_list.h"
#include "ui/window_state.h"
#include "urls/display_name.h"
#include <QEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <utility>

namespace vorlane::shell {

namespace {

// Rows of a loaded campaign added between two turns of the event loop.
constexpr qsizetype kCampaignBatch = 25000;

static_assert(ResultPane::kListCount == ui::WindowState::kListCount);

} // namespace

ResultPane::ResultPane(ui::UrlOpener& opener, ui::MessageFacade& messages, QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("ResultPane"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_filterBar = new ui::QuickFilterBar(this);
    layout->addWidget(m_filterBar);
    m_area = new QWidget(this);
    m_area->setObjectName(QStringLiteral("ResultArea"));
    layout->addWidget(m_area, 1);

    const char* const names[] = {"ListView1", "ListView2", "ListView3"};
    const char* const accessible[] = {"Web Search results", "URL Search results", "Campaign links"};
    for (int i = 0; i < kListCount; ++i) {
        auto* list = new ui::ResultList(opener, messages, m_area);
        list->setObjectName(QString::fromLatin1(names[i]));
        list->setAccessibleName(QString::fromLatin1(accessible[i]));
        list->move(0, 0);
        m_lists[i] = list;
    }
    m_downloads = new DownloadsView(opener, m_area);
    m_downloads->move(0, 0);
    showList(kWebSearchList);
    m_area->installEventFilter(this);
}

void ResultPane::attach(app::Session& session) {
    const struct {
        store::CampaignType type;
        int list;
    } searches[] = {{store::CampaignType::UrlSearch, kUrlSearchList},
                    {store::CampaignType::WebSearch, kWebSearchList}};
    for (const auto& search : searches) {
        crawl::CrawlEngine* engine = &session.engine(search.type);
        ui::ResultList* own = list(search.list);
        connect(engine, &crawl::CrawlEngine::started, own, [&session, own](int campaignId) {
            own->setCampaignLabel(session.campaignLabel(campaignId));
        });
        connect(engine, &crawl::CrawlEngine::fileRecorded, own,
                [own](const QString& name, const QString& address, const QString& foundOn) {
                    own->addResultRow(name, address, foundOn);
                });
    }
    // Each list downloads into its campaign's folder.
    const auto campaignOf = [this, &session](int number) {
        if (number == kCampaignList)
            return m_loadedCampaign;
        const crawl::CrawlEngine& engine = session.engine(
            number == kUrlSearchList ? store::CampaignType::UrlSearch : store::CampaignType::WebSearch);
        return engine.campaignId();
    };
    for (int number = 1; number <= kListCount; ++number)
        connect(&list(number)->commands(), &ui::ResultActions::downloadRequested, this,
                [&session, campaignOf, number](const QStringList& addresses) {
                    session.downloads().download(addresses, campaignOf(number));
                });
    m_downloads->attach(session.downloads());
    connect(&session, &app::Session::resultsCleared, this, [this](store::CampaignType type) {
        list(type == store::CampaignType::UrlSearch ? kUrlSearchList : kWebSearchList)->clearResultList();
    });
    connect(&session, &app::Session::campaignLoaded, this,
            [this, &session](int campaignId, const QList<store::FileLinkRow>& rows) {
                list(kCampaignList)->setCampaignLabel(session.campaignLabel(campaignId));
                m_loadedCampaign = campaignId;
                loadCampaignLinks(rows);
            });
    connect(&session, &app::Session::campaignsDeleted, this, [this] {
        stopCampaignLoad();
        list(kCampaignList)->clearResultList();
        list(kCampaignList)->setCampaignLabel(QString());
        m_loadedCampaign = 0;
    });
}

ui::ResultList* ResultPane::list(int number) const {
    return number >= 1 && number <= kListCount ? m_lists[number - 1] : nullptr;
}

void ResultPane::showList(int number) {
    for (int i = 0; i < kListCount; ++i)
        m_lists[i]->setVisible(i + 1 == number);
    m_downloads->hide();
    m_filterBar->show();
    m_visibleList = number;
    m_filterBar->setList(list(number));
}

void ResultPane::showDownloads() {
    for (ui::ResultList* list : m_lists)
        list->hide();
    m_filterBar->setList(m_downloads);
    m_downloads->show();
    m_downloads->list()->setFocus();
}

bool ResultPane::downloadsShown() const {
    return m_downloads->isVisibleTo(this);
}

void ResultPane::arrangeLists() {
    const int width = m_area->width();
    const int height = m_area->height();
    // With no room left under the toolbar a list keeps its height rather than vanish.
    for (ui::ResultList* list : m_lists)
        list->resize(width, height > 0 ? height : list->height());
    m_downloads->resize(width, height > 0 ? height : m_downloads->height());
    // Minimised, the area's size is no measure of what the user will see again.
    if (window()->isMinimized())
        return;
    // Three columns share the width, less the margin the scroll bar needs.
    const int column = qMax(0, width / ui::ResultListModel::ColumnCount - twipsToPixelsX(this, 100));
    for (ui::ResultList* list : m_lists)
        list->spreadColumns(column);
}

void ResultPane::loadCampaignLinks(const QList<store::FileLinkRow>& rows) {
    ++m_loadGeneration;
    showList(kCampaignList);
    list(kCampaignList)->clearResultList();
    m_campaignRows = rows;
    m_nextCampaignRow = 0;
    m_loadingCampaign = !rows.isEmpty();
    if (!m_loadingCampaign) {
        emit campaignLoadEnded(true);
        return;
    }
    emit campaignLoadStarted();
    addNextCampaignBatch();
}

void ResultPane::addNextCampaignBatch() {
    const qsizetype end = qMin(m_campaignRows.size(), m_nextCampaignRow + kCampaignBatch);
    QList<ui::ResultRow> batch;
    batch.reserve(end - m_nextCampaignRow);
    for (qsizetype i = m_nextCampaignRow; i < end; ++i) {
        const store::FileLinkRow& link = m_campaignRows.at(i);
        batch.append(ui::ResultRow{urls::displayName(link.url), link.url, link.foundOn});
    }
    list(kCampaignList)->addResultRows(batch);
    m_nextCampaignRow = end;
    if (m_nextCampaignRow >= m_campaignRows.size()) {
        m_campaignRows.clear();
        m_loadingCampaign = false;
        emit campaignLoadEnded(true);
        return;
    }
    QTimer::singleShot(0, this, [this, generation = m_loadGeneration] {
        if (generation == m_loadGeneration)
            addNextCampaignBatch();
    });
}

void ResultPane::stopCampaignLoad() {
    ++m_loadGeneration;
    m_campaignRows.clear();
    if (std::exchange(m_loadingCampaign, false))
        emit campaignLoadEnded(false);
}

void ResultPane::restoreLists(const ui::WindowState& state) {
    for (int i = 0; i < kListCount; ++i) {
        const ui::ListViewState& stored = state.lists[i];
        if (!stored.columnWidths.isEmpty())
            m_lists[i]->setUserColumnWidths(stored.columnWidths);
        if (stored.sortColumn >= 0)
            m_lists[i]->restoreSort(stored.sortColumn, stored.sortOrder);
    }
    if (state.visibleList)
        showList(state.visibleList);
}

void ResultPane::recordLists(ui::WindowState& state) const {
    state.visibleList = m_visibleList;
    for (int i = 0; i < kListCount; ++i) {
        const ui::ResultList* list = m_lists[i];
        if (list->hasUserColumnWidths())
            state.lists[i].columnWidths = list->columnWidths();
        if (list->rows().isSorted()) {
            state.lists[i].sortColumn = list->rows().sortColumn();
            state.lists[i].sortOrder = list->rows().sortOrder();
        }
    }
}

bool ResultPane::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_area && event->type() == QEvent::Resize)
        arrangeLists();
    return QWidget::eventFilter(watched, event);
}

} // namespace vorlane::shell
