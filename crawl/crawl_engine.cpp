#include "crawl_engine.h"

#include "crawl_plan.h"
#include "fetcher.h"
#include "link_extractor.h"
#include "link_rules.h"
#include "page_queue.h"
#include "resolve.h"
#include "served_media.h"
#include "store/campaign_store.h"
#include "store/engine_store.h"

#include <QHash>
#include <QList>
#include <QMetaObject>
#include <QUrl>
#include <algorithm>
#include <optional>

namespace {

// Links handled per turn of the event loop: small enough that a page with tens of thousands of links
// leaves the window responsive, large enough that ordinary pages take one turn.
constexpr int kLinksPerTurn = 256;

// Pages buffered ahead (in flight or fetched, not yet processed), as a multiple of the concurrency: keeps
// memory bounded when fetching outruns processing.
constexpr int kBufferedPagesPerTransfer = 2;

} // namespace

// The cursor over the crawl follows the one-page-at-a-time order exactly: segment by segment (one start page
// each), level by level, queue position by queue position. Fetches run ahead of it; processing never does.
struct CrawlEngine::State {
    State(CampaignType k, QSqlDatabase database, const QStringList& filterList)
        : kind(k), connectionName(database.connectionName()), filters(filterList) {}

    enum class Stage { SelectPage, AwaitPage, Links };

    // A page is keyed by its queue position (> 0), or -(segment index + 1) for a segment's start page.
    struct Slot {
        int ticket = 0; // 0 once finished
        FetchResult result;
    };

    CampaignType kind;
    // By name rather than a handle: a held handle would keep the connection from closing at shutdown.
    QString connectionName;
    const QStringList& filters;
    ConnectionType connection = DefaultConnectionType();
    // Made at each start and released by abortAll(), so that no prepared statement outlives a connection
    // closed at shutdown.
    std::optional<CampaignStore> campaigns;
    Fetcher fetcher;

    bool running = false;
    bool paused = false;
    int campaignId = 0;
    int stopCampaignId = 0;
    quint64 generation = 0; // a queued step of an ended crawl sees another number and does nothing
    bool stepScheduled = false;

    QStringList extensions;
    QList<CrawlSegment> segments;
    PageQueue queue;
    QList<int> foundOn; // per queue position: the key of the page it was first found on

    // The cursor.
    int segment = 0;
    bool atStartPage = true;
    int level = 1;
    int nextPosition = 1;
    int levelEnd = 0;

    // The page in hand.
    Stage stage = Stage::SelectPage;
    int pageKey = 0;
    QString pageAddress;
    ParsedPage parsed;
    QUrl base;
    QList<QString> resolved; // per link, filled on first use
    bool filePass = true;
    int linkIndex = 0;

    QHash<int, Slot> fetches;
    QHash<int, int> ticketKeys; // ticket -> page key
    int prefetchPosition = 1;

    int pagesDone = 0;
    int filesFound = 0;

    bool stopped() const { return stopCampaignId == campaignId; }
    int concurrency() const { return std::max(1, connection.concurrency); }
    QString addressOf(int key) const { return key > 0 ? queue.at(key) : segments.at(-key - 1).startAddress; }

    void resetCrawl() {
        ++generation;
        stepScheduled = false;
        fetcher.cancelAll();
        fetches.clear();
        ticketKeys.clear();
        queue.clear();
        foundOn.clear();
        segments.clear();
        parsed = {};
        resolved.clear();
        segment = 0;
        atStartPage = true;
        level = 1;
        nextPosition = 1;
        levelEnd = 0;
        prefetchPosition = 1;
        stage = Stage::SelectPage;
        pagesDone = 0;
        filesFound = 0;
    }
};

CrawlEngine::CrawlEngine(CampaignType kind, QSqlDatabase db, const QStringList& filters, QObject* parent)
    : QObject(parent), d(std::make_unique<State>(kind, db, filters)) {
    connect(&d->fetcher, &Fetcher::finished, this, &CrawlEngine::onFetched);
}

CrawlEngine::~CrawlEngine() {
    abortAll();
}

CampaignType CrawlEngine::kind() const {
    return d->kind;
}

void CrawlEngine::setConnectionType(const ConnectionType& connection) {
    d->connection = connection;
}

bool CrawlEngine::isRunning() const {
    return d->running;
}

bool CrawlEngine::isPaused() const {
    return d->paused;
}

int CrawlEngine::campaignId() const {
    return d->campaignId;
}

int CrawlEngine::stopCampaignId() const {
    return d->stopCampaignId;
}

DbStatus CrawlEngine::startUrlCrawl(const QString& startAddress, const QString& fileExt, int depth) {
    return start({UrlSearchSegment(startAddress, depth)}, startAddress.trimmed(), fileExt);
}

DbStatus CrawlEngine::startWebCrawl(const QString& keyword, const QString& fileExt, const QString& engine) {
    auto engines = EngineStore(QSqlDatabase::database(d->connectionName, false)).enginesForSearch(engine);
    if (!engines)
        return DbStatus::failure(engines.error());
    return start(WebSearchSegments(engines.value(), keyword), keyword.trimmed(), fileExt);
}

DbStatus CrawlEngine::start(const QList<CrawlSegment>& segments, const QString& source,
                            const QString& fileExt) {
    if (d->running)
        return DbStatus::failure(tr("A search is already running."));
    if (!d->campaigns)
        d->campaigns.emplace(QSqlDatabase::database(d->connectionName, false));
    auto created = d->campaigns->createCampaign(d->kind, source);
    if (!created)
        return DbStatus::failure(created.error());

    d->resetCrawl();
    d->campaignId = created.value();
    d->segments = segments;
    d->extensions = SplitExtensions(fileExt);
    d->fetcher.setTimeoutSeconds(d->connection.timeoutSeconds);
    d->fetcher.setConcurrency(d->concurrency());
    d->running = true;
    d->paused = false;

    emit started(d->campaignId);
    emit messageChanged(QStringLiteral("Wait..."));
    scheduleStep();
    return dbOk();
}

void CrawlEngine::pause() {
    if (d->running)
        d->paused = true;
}

void CrawlEngine::resume() {
    if (!d->paused)
        return;
    d->paused = false;
    if (d->running) {
        fillPipeline();
        scheduleStep();
    }
}

void CrawlEngine::stop() {
    d->stopCampaignId = d->campaignId;
    if (!d->running)
        return;
    d->fetcher.cancelAll();
    d->fetches.clear();
    d->ticketKeys.clear();
    emit messageChanged(QStringLiteral("Wait..."));
    scheduleStep();
}

void CrawlEngine::abortAll() {
    d->resetCrawl();
    d->campaigns.reset();
    d->running = false;
    d->paused = false;
}

void CrawlEngine::scheduleStep() {
    if (d->stepScheduled)
        return;
    d->stepScheduled = true;
    const quint64 generation = d->generation;
    QMetaObject::invokeMethod(
        this,
        [this, generation] {
            if (generation != d->generation)
                return;
            d->stepScheduled = false;
            step();
        },
        Qt::QueuedConnection);
}

void CrawlEngine::step() {
    if (!d->running)
        return;
    if (d->stopped()) {
        finish(true);
        return;
    }
    if (d->paused)
        return; // resume() schedules the next step

    switch (d->stage) {
    case State::Stage::SelectPage:
        if (!selectPage()) {
            finish(false);
            return;
        }
        if (IsFilteredUrl(d->pageAddress, d->filters)) {
            // Neither fetched nor shown.
            dropSlot(d->pageKey);
            advanceCursor();
            scheduleStep();
            return;
        }
        d->stage = State::Stage::AwaitPage;
        [[fallthrough]];
    case State::Stage::AwaitPage:
        if (!takePage())
            return; // onFetched() schedules the step when the page arrives
        d->stage = State::Stage::Links;
        scheduleStep();
        return;
    case State::Stage::Links:
        if (processLinks() && d->running) {
            ++d->pagesDone;
            emit progress(d->pagesDone, d->queue.count(), d->filesFound);
            d->parsed = {};
            d->resolved.clear();
            advanceCursor();
            d->stage = State::Stage::SelectPage;
            fillPipeline();
        }
        scheduleStep();
        return;
    }
}

bool CrawlEngine::selectPage() {
    for (;;) {
        if (d->segment >= d->segments.size())
            return false;
        const CrawlSegment& segment = d->segments.at(d->segment);
        if (d->atStartPage) {
            d->pageKey = -(d->segment + 1);
            d->pageAddress = segment.startAddress;
            return true;
        }
        if (d->level <= segment.maxLevel && d->nextPosition <= d->levelEnd) {
            d->pageKey = d->nextPosition;
            d->pageAddress = d->queue.at(d->nextPosition);
            return true;
        }
        if (d->level < segment.maxLevel && d->queue.count() > d->levelEnd) {
            // The level is done; the pages found on it make the next one.
            d->levelEnd = d->queue.count();
            ++d->level;
            continue;
        }
        // The last level is done, or a level found nothing: the levels left pass without work.
        ++d->segment;
        d->atStartPage = true;
    }
}

void CrawlEngine::advanceCursor() {
    if (d->atStartPage) {
        d->atStartPage = false;
        d->level = 2;
        d->levelEnd = d->queue.count();
    } else {
        ++d->nextPosition;
    }
    d->prefetchPosition = std::max(d->prefetchPosition, d->nextPosition);
}

// Whether the page at a queue position is crawled by the current segment. Positions up to the level's end
// belong to the level in hand, later ones to the next.
bool CrawlEngine::willCrawl(int position) const {
    if (d->segment >= d->segments.size() || position < d->nextPosition || position > d->queue.count())
        return false;
    const int maxLevel = d->segments.at(d->segment).maxLevel;
    if (d->atStartPage)
        return maxLevel >= 2;
    return position <= d->levelEnd ? d->level <= maxLevel : d->level + 1 <= maxLevel;
}

void CrawlEngine::startFetch(int key, const QString& address) {
    State::Slot slot;
    if (IsCrawlableAddress(address)) {
        slot.ticket = d->fetcher.fetch(QUrl(address));
        d->ticketKeys.insert(slot.ticket, key);
    } // else: finished at once with a failed result: nothing to crawl there
    d->fetches.insert(key, slot);
}

void CrawlEngine::dropSlot(int key) {
    const auto it = d->fetches.constFind(key);
    if (it == d->fetches.cend())
        return;
    if (it->ticket) {
        d->fetcher.cancel(it->ticket);
        d->ticketKeys.remove(it->ticket);
    }
    d->fetches.erase(it);
}

void CrawlEngine::fillPipeline() {
    if (!d->running || d->paused || d->stopped())
        return;
    // The page in hand is fetched whatever else is in flight.
    if (d->stage == State::Stage::AwaitPage && !d->fetches.contains(d->pageKey))
        startFetch(d->pageKey, d->pageAddress);

    const int transfers = d->concurrency();
    const int buffered = transfers * kBufferedPagesPerTransfer + 1;
    while (d->fetcher.inFlight() < transfers && d->fetches.size() < buffered) {
        const int position = std::max(d->prefetchPosition, d->nextPosition);
        if (!willCrawl(position))
            return;
        d->prefetchPosition = position + 1;
        if (d->fetches.contains(position))
            continue;
        const QString& address = d->queue.at(position);
        if (IsFilteredUrl(address, d->filters))
            continue; // tested again when its turn comes
        startFetch(position, address);
    }
}

void CrawlEngine::onFetched(int ticket, const FetchResult& result) {
    const auto keyIt = d->ticketKeys.constFind(ticket);
    if (keyIt == d->ticketKeys.cend())
        return;
    const int key = *keyIt;
    d->ticketKeys.erase(keyIt);
    const auto slot = d->fetches.find(key);
    if (slot == d->fetches.end())
        return;
    slot->ticket = 0;
    slot->result = result;
    if (d->stage == State::Stage::AwaitPage && key == d->pageKey && !d->paused)
        scheduleStep();
    fillPipeline();
}

// Takes the fetched page in hand: shows it, and prepares its links. False while it is still in flight.
bool CrawlEngine::takePage() {
    auto slot = d->fetches.find(d->pageKey);
    if (slot == d->fetches.end()) {
        startFetch(d->pageKey, d->pageAddress);
        fillPipeline();
        slot = d->fetches.find(d->pageKey);
    }
    if (slot->ticket != 0) {
        fillPipeline();
        return false;
    }
    const FetchResult result = std::move(slot->result);
    d->fetches.erase(slot);

    emit messageChanged(QStringLiteral("Crawling: ") + d->pageAddress);
    if (!d->running)
        return false; // shut down from a handler of the text
    emit levelChanged(LevelText(d->segments.at(d->segment), d->atStartPage ? 1 : d->level));
    if (!d->running)
        return false;

    d->parsed = {};
    d->resolved.clear();
    d->filePass = true;
    d->linkIndex = 0;
    if (result.outcome == FetchResult::Outcome::Page) {
        d->parsed = ExtractLinks(result.body, result.contentType);
        d->base = result.finalUrl;
        if (!d->parsed.baseHref.isEmpty()) {
            const QUrl declared(ResolveLink(d->parsed.baseHref, result.finalUrl));
            if (declared.isValid() && !declared.isRelative())
                d->base = declared;
        }
        d->resolved.resize(d->parsed.links.size());
    } else if (result.outcome == FetchResult::Outcome::NotPage &&
               ServesMediaType(result.contentType, result.dispositionFileName, d->extensions)) {
        const QString foundOn = d->pageKey > 0 ? d->addressOf(d->foundOn.at(d->pageKey - 1)) : QString();
        recordFile(d->pageAddress, foundOn);
    }
    return true;
}

bool CrawlEngine::recordFile(const QString& address, const QString& foundOn) {
    if (!IsRecordableAddress(address))
        return true;
    if (!d->campaigns)
        return false;
    const auto recorded = d->campaigns->recordFileLink(d->campaignId, address, foundOn);
    if (!recorded)
        return false;
    if (recorded.value()) {
        ++d->filesFound;
        emit fileRecorded(LastSegment(address), address, foundOn);
    }
    return true;
}

// One slice of the two passes over the page's links. True when the page is finished.
bool CrawlEngine::processLinks() {
    const QList<ExtractedLink>& links = d->parsed.links;
    int budget = kLinksPerTurn;
    const auto resolvedAt = [this, &links](int i) -> const QString& {
        QString& url = d->resolved[i];
        if (url.isNull())
            url = ResolveLink(links.at(i).href, d->base);
        return url;
    };

    if (d->filePass) {
        for (; d->linkIndex < links.size() && budget > 0; ++d->linkIndex, --budget) {
            // A Stop (or a shutdown) from a handler of fileRecorded: not one more link.
            if (!d->running || d->stopped())
                return false;
            const QString& url = resolvedAt(d->linkIndex);
            if (IsMediaLink(url, d->extensions) && !recordFile(url, d->pageAddress)) {
                // The store failed: the rest of this pass is abandoned, the page-link pass still runs.
                d->linkIndex = int(links.size());
                break;
            }
        }
        if (d->linkIndex < links.size())
            return false;
        d->filePass = false;
        d->linkIndex = 0;
        return links.isEmpty(); // a turn between the passes lets a Stop cut the page short
    }

    for (; d->linkIndex < links.size() && budget > 0; ++d->linkIndex, --budget) {
        if (!d->running || d->stopped())
            return false;
        if (links.at(d->linkIndex).source != LinkSource::Anchor)
            continue;
        const QString& url = resolvedAt(d->linkIndex);
        if (IsMediaLink(url, d->extensions))
            continue;
        const QString page = NormalisePageAddress(url);
        if (!page.isEmpty() && d->queue.add(page))
            d->foundOn.append(d->pageKey);
    }
    fillPipeline();
    return d->linkIndex >= links.size();
}

void CrawlEngine::finish(bool stopped) {
    d->resetCrawl();
    d->running = false;
    d->paused = false;
    // Panel 1 is written before the queue is emptied on a stop, after it when done; both happen here in one
    // step, so only the text differs.
    emit messageChanged(stopped ? QStringLiteral("Stopped.") : QStringLiteral("Done."));
    emit finished(stopped);
}
