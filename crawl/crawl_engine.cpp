#include "crawl/crawl_engine.h"

#include "crawl/crawl_cursor.h"
#include "crawl/crawl_plan.h"
#include "crawl/extraction_queue.h"
#include "crawl/fetch_pipeline.h"
#include "crawl/link_rules.h"
#include "crawl/page_processor.h"
#include "store/campaign_store.h"
#include "store/engine_store.h"

#include <QMetaObject>
#include <algorithm>
#include <optional>

namespace vorlane::crawl {

namespace {

// Fetched pages taken ahead of the page in hand for parsing; as many as there are workers keeps both busy.
constexpr qsizetype kPagesParsedAhead = 2;

store::CrawlLogEntry logEntry(const QString& address, const QString& level, FetchFailure reason) {
    store::CrawlLogEntry entry;
    entry.address = address;
    entry.level = level;
    entry.reason = failureKey(reason);
    return entry;
}

} // namespace

// The cursor says which page is processed next; the pipeline fetches ahead of it, the extraction queue
// parses a few fetched pages ahead of it on worker threads, and the page processor never runs ahead of it.
struct CrawlEngine::State {
    State(store::CampaignType k, QSqlDatabase database)
        : kind(k), connectionName(database.connectionName()) {}

    enum class Stage { SelectPage, AwaitPage, Links };

    store::CampaignType kind;
    // By name rather than a handle: a held handle would keep the connection from closing at shutdown.
    QString connectionName;
    CrawlSettings settings; // as set: the filters apply at once, the rest at the next start
    // Made at each start and released by abortAll(), so that no prepared statement outlives a connection
    // closed at shutdown.
    std::optional<store::CampaignStore> campaigns;

    CrawlCursor cursor;
    FetchPipeline pipeline;
    ExtractionQueue extraction;
    QList<int> arrived; // fetched pages left in the pipeline while the extraction queue was full
    PageProcessor page{cursor};
    QStringList extensions;
    QString storeError; // the failed write that stopped the last crawl

    bool running = false;
    bool paused = false;
    int campaignId = 0;
    int stopCampaignId = 0;
    quint64 generation = 0; // a queued step of an ended crawl sees another number and does nothing
    bool stepScheduled = false;
    Stage stage = Stage::SelectPage;
    store::CrawlLogEntry pageEntry; // the page in hand's log entry, completed when its links are through
    int filesBeforePage = 0;

    bool stopped() const { return stopCampaignId == campaignId; }
    bool mayFetch() const { return running && !paused && !stopped(); }
    // The page in hand while its transfer is awaited; 0 otherwise.
    int awaitedKey() const {
        return stage == Stage::AwaitPage && !extraction.contains(cursor.pageKey()) ? cursor.pageKey() : 0;
    }
    bool isAwaited(int key) const { return stage == Stage::AwaitPage && key == cursor.pageKey(); }

    void resetCrawl() {
        ++generation;
        stepScheduled = false;
        pipeline.reset();
        extraction.reset();
        arrived.clear();
        cursor.clear();
        page.clear();
        stage = Stage::SelectPage;
    }
};

CrawlEngine::CrawlEngine(store::CampaignType kind, QSqlDatabase db, QObject* parent)
    : QObject(parent), d(std::make_unique<State>(kind, db)) {
    connect(&d->pipeline, &FetchPipeline::pageArrived, this, [this](int key) {
        if (d->isAwaited(key) && !d->paused)
            scheduleStep();
        else if (d->running)
            d->arrived.append(key);
        prepareAhead();
        fillPipeline();
    });
    connect(&d->extraction, &ExtractionQueue::ready, this, [this](int key) {
        if (d->isAwaited(key) && !d->paused)
            scheduleStep();
    });
    connect(&d->pipeline, &FetchPipeline::pageDisallowed, this, [this](int key) {
        if (key == d->awaitedKey())
            scheduleStep();
    });
    connect(&d->pipeline, &FetchPipeline::transferFreed, this, &CrawlEngine::fillPipeline);
    connect(&d->pipeline, &FetchPipeline::due, this, &CrawlEngine::releaseHeld);
    connect(&d->page, &PageProcessor::fileRecorded, this, &CrawlEngine::fileRecorded);
    connect(&d->page, &PageProcessor::pagesQueued, this, &CrawlEngine::fillPipeline);
    connect(&d->page, &PageProcessor::pagesQueued, this, &CrawlEngine::reportQueueFilled);
}

CrawlEngine::~CrawlEngine() {
    abortAll();
}

store::CampaignType CrawlEngine::kind() const {
    return d->kind;
}

void CrawlEngine::setSettings(const CrawlSettings& settings) {
    d->settings = settings;
    d->settings.policy = settings.policy.clamped();
}

const CrawlSettings& CrawlEngine::settings() const {
    return d->settings;
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

const QString& CrawlEngine::storeError() const {
    return d->storeError;
}

store::DbStatus CrawlEngine::startUrlCrawl(const QString& startAddress, const QString& fileExt, int depth) {
    return start({urlSearchSegment(startAddress, depth)}, startAddress.trimmed(), fileExt);
}

store::DbStatus CrawlEngine::startWebCrawl(const QString& keyword, const QString& fileExt,
                                           const QString& engine) {
    auto engines =
        store::EngineStore(QSqlDatabase::database(d->connectionName, false)).enginesForSearch(engine);
    if (!engines)
        return store::DbStatus::failure(engines.error());
    return start(webSearchSegments(engines.value(), keyword), keyword.trimmed(), fileExt);
}

store::DbStatus CrawlEngine::start(const QList<CrawlSegment>& segments, const QString& source,
                                   const QString& fileExt) {
    if (d->running)
        return store::DbStatus::failure(tr("A search is already running."));
    if (!d->campaigns)
        d->campaigns.emplace(QSqlDatabase::database(d->connectionName, false));
    auto created = d->campaigns->createCampaign(d->kind, source);
    if (!created)
        return store::DbStatus::failure(created.error());

    d->resetCrawl();
    d->campaignId = created.value();
    d->cursor.start(segments);
    d->cursor.setQueueLimit(d->settings.policy.maxQueuedPages);
    d->extensions = splitExtensions(fileExt);
    d->page.start(*d->campaigns, d->campaignId, d->extensions);
    d->storeError.clear();
    d->pipeline.configure(d->settings);
    d->running = true;
    d->paused = false;

    emit started(d->campaignId);
    emit messageChanged(QStringLiteral("Wait..."));
    scheduleStep();
    return store::dbOk();
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
    d->pipeline.cancelAll();
    d->extraction.reset(); // a parse under way is not waited for; its links are dropped when it ends
    d->arrived.clear();
    emit messageChanged(QStringLiteral("Wait..."));
    scheduleStep();
}

void CrawlEngine::abortAll() {
    d->page.interrupt();
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

    CrawlCursor& cursor = d->cursor;
    switch (d->stage) {
    case State::Stage::SelectPage:
        if (!cursor.selectPage()) {
            finish(false);
            return;
        }
        if (const FetchFailure skipped = d->pipeline.skipReason(cursor.pageKey(), cursor.pageAddress(),
                                                                d->settings.filters, cursor.segment());
            skipped != FetchFailure::None) {
            passOver(skipped);
            return;
        }
        d->stage = State::Stage::AwaitPage;
        [[fallthrough]];
    case State::Stage::AwaitPage:
        if (d->pipeline.isDisallowed(cursor.pageKey())) {
            passOver(FetchFailure::Robots); // robots.txt, which came after the page was selected, forbids it
            return;
        }
        if (!takePage())
            return; // the page's arrival schedules the step
        d->stage = State::Stage::Links;
        scheduleStep();
        return;
    case State::Stage::Links:
        switch (d->page.processLinks()) {
        case PageProcessor::Slice::StoreFailed:
            failOnStore();
            return;
        case PageProcessor::Slice::PageDone:
            if (!d->running)
                return;
            d->pageEntry.links = d->page.linksOnPage();
            d->pageEntry.files = d->page.filesFound() - d->filesBeforePage;
            emit pageLogged(d->pageEntry);
            emit progress(d->page.pagesDone(), cursor.queuedPages(), d->page.filesFound());
            cursor.advance();
            d->stage = State::Stage::SelectPage;
            fillPipeline();
            break;
        case PageProcessor::Slice::More:
            break;
        }
        scheduleStep();
        return;
    }
}

// The page in hand is neither fetched nor shown.
void CrawlEngine::passOver(FetchFailure reason) {
    emit pageLogged(logEntry(d->cursor.pageAddress(), levelText(d->cursor.segment(), d->cursor.pageLevel()),
                             reason));
    if (!d->running)
        return; // shut down from a handler of the entry
    d->pipeline.drop(d->cursor.pageKey());
    d->extraction.drop(d->cursor.pageKey());
    d->cursor.advance();
    d->stage = State::Stage::SelectPage;
    scheduleStep();
}

// Takes the fetched page in hand with its links extracted, and shows it. False while it is still in
// flight or being parsed.
bool CrawlEngine::takePage() {
    const int key = d->cursor.pageKey();
    if (!d->extraction.contains(key)) {
        if (!d->pipeline.contains(key))
            fillPipeline(); // which requests the page in hand first
        std::optional<FetchResult> result = d->pipeline.take(key);
        if (!result) {
            fillPipeline();
            return false;
        }
        d->arrived.removeOne(key);
        d->extraction.add(key, std::move(*result), d->extensions);
    }
    std::optional<PreparedPage> prepared = d->extraction.take(key);
    if (!prepared)
        return false; // the queue's ready() schedules the step
    prepareAhead();

    emit messageChanged(QStringLiteral("Crawling: ") + d->cursor.pageAddress());
    if (!d->running)
        return false; // shut down from a handler of the text
    const QString level = levelText(d->cursor.segment(), d->cursor.pageLevel());
    emit levelChanged(level);
    if (!d->running)
        return false;
    d->pageEntry = logEntry(d->cursor.pageAddress(), level, prepared->failure);
    d->pageEntry.httpStatus = prepared->httpStatus;
    d->pageEntry.bytes = prepared->bytes;
    d->pageEntry.elapsedMs = prepared->elapsedMs;
    d->pageEntry.detail = prepared->failureDetail;
    d->filesBeforePage = d->page.filesFound();
    if (!d->page.take(std::move(*prepared))) {
        failOnStore();
        return false;
    }
    return true;
}

// Hands the pages fetched ahead to the extraction queue as far as it has room, the one the crawl reaches
// first first (queue positions in their order, then a later segment's start page): page n+1 is parsed
// while page n is recorded.
void CrawlEngine::prepareAhead() {
    while (d->running && !d->arrived.isEmpty() && d->extraction.size() < kPagesParsedAhead) {
        const auto first = std::min_element(d->arrived.begin(), d->arrived.end(), [](int a, int b) {
            return (a > 0) != (b > 0) ? a > 0 : a > 0 ? a < b : a > b;
        });
        const int key = *first;
        d->arrived.erase(first);
        if (std::optional<FetchResult> result = d->pipeline.take(key))
            d->extraction.add(key, std::move(*result), d->extensions);
    }
}

// The store refused a write: the search ends as stopped, and says why once.
void CrawlEngine::failOnStore() {
    d->storeError = d->page.storeError();
    d->stopCampaignId = d->campaignId;
    finish(true);
}

void CrawlEngine::fillPipeline() {
    if (d->mayFetch())
        d->pipeline.fill(d->cursor, d->awaitedKey(), d->settings.filters);
}

void CrawlEngine::releaseHeld() {
    if (d->mayFetch())
        d->pipeline.release(d->awaitedKey());
}

// Said once a search, in the activity panel and in the log (as an entry for the first page left out).
void CrawlEngine::reportQueueFilled() {
    if (!d->running || !d->cursor.takeQueueFilled())
        return;
    const QString text = tr("Page queue full at its bound of %L1: pages found from now on are not crawled.")
                             .arg(d->settings.policy.maxQueuedPages);
    store::CrawlLogEntry entry = logEntry(d->cursor.firstLeftOut(),
                                          levelText(d->cursor.segment(), d->cursor.pageLevel() + 1),
                                          FetchFailure::QueueFull);
    entry.detail = text;
    emit pageLogged(entry);
    if (d->running) // not shut down from a handler of the entry
        emit notice(text);
}

void CrawlEngine::finish(bool stopped) {
    const int pagesDone = d->page.pagesDone();
    const int filesFound = d->page.filesFound();
    d->resetCrawl();
    d->running = false;
    d->paused = false;
    // Panel 1 is written before the queue is emptied on a stop, after it when done; both happen here in one
    // step, so only the text differs. The queue is empty now, and the figures say so.
    emit messageChanged(stopped ? QStringLiteral("Stopped.") : QStringLiteral("Done."));
    emit progress(pagesDone, 0, filesFound);
    emit finished(stopped);
}

} // namespace vorlane::crawl
