#include "crawl_engine.h"

#include "crawl_cursor.h"
#include "crawl_plan.h"
#include "crawl_policy.h"
#include "fetcher.h"
#include "link_rules.h"
#include "page_processor.h"
#include "robots_rules.h"
#include "store/campaign_store.h"
#include "store/engine_store.h"
#include "urls/scheme_rules.h"

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QMap>
#include <QMetaObject>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <limits>
#include <optional>

namespace {

// Pages buffered ahead (in flight or fetched, not yet processed), as a multiple of the concurrency: keeps
// memory bounded when fetching outruns processing.
constexpr int kBufferedPagesPerTransfer = 2;

constexpr qint64 kNoWake = std::numeric_limits<qint64>::max();

// robots.txt belongs to one scheme, host and port.
QString originOf(const QUrl& url) {
    return url.scheme().toLower() + QStringLiteral("://") + url.host().toLower() + QLatin1Char(':') +
           QString::number(
               url.port(url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0 ? 443 : 80));
}

QString robotsTargetOf(const QUrl& url) {
    QString target = url.path(QUrl::FullyEncoded);
    if (url.hasQuery())
        target += QLatin1Char('?') + url.query(QUrl::FullyEncoded);
    return target;
}

} // namespace

// The cursor says which page is processed next. Fetches run ahead of it; processing never does.
struct CrawlEngine::State {
    State(CampaignType k, QSqlDatabase database) : kind(k), connectionName(database.connectionName()) {}

    enum class Stage { SelectPage, AwaitPage, Links };

    // By page key (see CrawlCursor).
    struct Slot {
        int ticket = 0;          // 0 once finished, or while held
        bool held = false;       // waiting for the crawl policy before its transfer starts
        bool retried = false;    // already waited once for a Retry-After
        bool disallowed = false; // robots.txt forbids it: skipped like a filtered page
        FetchResult result;
    };

    // Politeness bookkeeping, per host name.
    struct Host {
        int inFlight = 0;
        qint64 lastActivity = -1; // engine clock: the latest start or end of a transfer
        qint64 blockedUntil = 0;  // a Retry-After of this host
    };
    struct Robots {
        bool known = false;
        RobotsRules rules;
    };

    CampaignType kind;
    // By name rather than a handle: a held handle would keep the connection from closing at shutdown.
    QString connectionName;
    CrawlSettings settings; // as set: the filters apply at once, the rest at the next start
    CrawlPolicy active;     // the running crawl's
    int transfers = 1;      // the running crawl's concurrency
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

    CrawlCursor cursor;
    PageProcessor page{cursor};
    Stage stage = Stage::SelectPage;

    QHash<int, Slot> fetches;
    QHash<int, int> ticketKeys; // ticket -> page key

    // Transfers the policy holds back: page key -> earliest start on the engine clock. A timer, never a
    // sleep, wakes them.
    QMap<int, qint64> held;
    QHash<QString, Host> hosts;
    QHash<int, QString> ticketHosts; // held-back transfers once started, and robots.txt transfers
    QHash<QString, Robots> robots;   // by origin
    QHash<int, QString> robotsTickets;
    QStringList robotsWaiting; // origins whose robots.txt is still to be requested
    QElapsedTimer clock;
    QTimer wake;

    bool stopped() const { return stopCampaignId == campaignId; }
    int concurrency() const { return transfers; }
    const QStringList& filters() const { return settings.filters; }

    void clearTransfers() {
        fetcher.cancelAll();
        fetches.clear();
        ticketKeys.clear();
        held.clear();
        hosts.clear();
        ticketHosts.clear();
        robotsTickets.clear();
        robotsWaiting.clear();
        // A robots.txt cancelled half-way would leave its origin waiting for ever.
        robots.removeIf([](const auto& entry) { return !entry.value().known; });
        wake.stop();
    }

    void resetCrawl() {
        ++generation;
        stepScheduled = false;
        clearTransfers();
        robots.clear();
        cursor.clear();
        page.clear();
        stage = Stage::SelectPage;
    }
};

CrawlEngine::CrawlEngine(CampaignType kind, QSqlDatabase db, QObject* parent)
    : QObject(parent), d(std::make_unique<State>(kind, db)) {
    connect(&d->fetcher, &Fetcher::finished, this, &CrawlEngine::onFetched);
    connect(&d->page, &PageProcessor::fileRecorded, this, &CrawlEngine::fileRecorded);
    connect(&d->page, &PageProcessor::pagesQueued, this, &CrawlEngine::fillPipeline);
    d->clock.start();
    d->wake.setSingleShot(true);
    d->wake.setTimerType(Qt::PreciseTimer); // a coarse timer may fire early, shortening a host's delay
    connect(&d->wake, &QTimer::timeout, this, &CrawlEngine::releaseHeld);
}

CrawlEngine::~CrawlEngine() {
    abortAll();
}

CampaignType CrawlEngine::kind() const {
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
    d->cursor.start(segments);
    d->page.start(*d->campaigns, d->campaignId, SplitExtensions(fileExt));
    d->active = d->settings.policy;
    d->transfers = std::max(1, d->settings.concurrency);
    d->fetcher.setTimeoutSeconds(d->settings.timeoutSeconds);
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
    d->page.interrupt();
    d->clearTransfers();
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

    switch (d->stage) {
    case State::Stage::SelectPage:
        if (!d->cursor.selectPage()) {
            finish(false);
            return;
        }
        if (IsFilteredUrl(d->cursor.pageAddress(), d->filters()) ||
            politeSkip(d->cursor.pageKey(), d->cursor.pageAddress())) {
            // Neither fetched nor shown.
            dropSlot(d->cursor.pageKey());
            d->cursor.advance();
            scheduleStep();
            return;
        }
        d->stage = State::Stage::AwaitPage;
        [[fallthrough]];
    case State::Stage::AwaitPage:
        if (const auto slot = d->fetches.constFind(d->cursor.pageKey());
            slot != d->fetches.cend() && slot->disallowed) {
            // robots.txt, which came after the page was selected, forbids it.
            dropSlot(d->cursor.pageKey());
            d->cursor.advance();
            d->stage = State::Stage::SelectPage;
            scheduleStep();
            return;
        }
        if (!takePage())
            return; // onFetched() schedules the step when the page arrives
        d->stage = State::Stage::Links;
        scheduleStep();
        return;
    case State::Stage::Links:
        if (d->page.processLinks() && d->running) {
            emit progress(d->page.pagesDone(), d->cursor.queuedPages(), d->page.filesFound());
            d->cursor.advance();
            d->stage = State::Stage::SelectPage;
            fillPipeline();
        }
        scheduleStep();
        return;
    }
}

void CrawlEngine::startFetch(int key, const QString& address) {
    State::Slot slot;
    if (IsCrawlableAddress(address)) {
        if (d->active.gatesTransfers()) {
            // Started by releaseHeld(), which fillPipeline() calls when it has queued what it can.
            slot.held = true;
            d->fetches.insert(key, slot);
            d->held.insert(key, 0);
            return;
        }
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
        forgetTicket(it->ticket);
    }
    if (it->held)
        d->held.remove(key);
    d->fetches.erase(it);
}

void CrawlEngine::forgetTicket(int ticket) {
    d->ticketKeys.remove(ticket);
    const auto host = d->ticketHosts.constFind(ticket);
    if (host == d->ticketHosts.cend())
        return;
    State::Host& state = d->hosts[*host];
    --state.inFlight;
    state.lastActivity = d->clock.elapsed();
    d->ticketHosts.erase(host);
}

// Whether the policy rules a page out before any transfer: another site, or a path robots.txt (already
// read) forbids. Start pages are never ruled out.
bool CrawlEngine::politeSkip(int key, const QString& address) const {
    if (key <= 0 || (!d->active.sameSiteOnly && !d->active.obeyRobots))
        return false;
    const QUrl url(address);
    const CrawlSegment& segment = d->cursor.segment();
    if (d->active.sameSiteOnly && !segment.webSearch && !SameSite(url, QUrl(segment.startAddress)))
        return true;
    if (d->active.obeyRobots) {
        const auto robots = d->robots.constFind(originOf(url));
        return robots != d->robots.cend() && robots->known && !robots->rules.allows(robotsTargetOf(url));
    }
    return false;
}

// Starts the held-back transfers the policy lets go now: robots.txt first (pages of its origin wait for it),
// then the page in hand, then the rest in queue order within the connection's concurrency. The earliest
// moment one of the others may go arms the timer.
void CrawlEngine::releaseHeld() {
    if (!d->running || d->paused || d->stopped())
        return;
    const qint64 now = d->clock.elapsed();
    qint64 wakeAt = kNoWake;
    if (d->stage == State::Stage::AwaitPage && d->held.contains(d->cursor.pageKey()))
        startHeld(d->cursor.pageKey(), now, wakeAt);
    const QList<int> keys = d->held.keys();
    for (const int key : keys) {
        if (d->fetcher.inFlight() >= d->concurrency())
            break;
        if (d->held.contains(key))
            startHeld(key, now, wakeAt);
    }
    if (wakeAt != kNoWake) {
        const int wait = int(std::max<qint64>(0, wakeAt - now));
        if (!d->wake.isActive() || d->wake.remainingTime() > wait)
            d->wake.start(wait);
    }
}

// True when the transfer of `key` started; otherwise `wakeAt` learns when it may, or it waits for its
// robots.txt or for a transfer to its host to end. Requests the robots.txt files that are due on the way.
bool CrawlEngine::startHeld(int key, qint64 now, qint64& wakeAt) {
    const QUrl url(d->cursor.addressOf(key));
    if (d->active.obeyRobots && key > 0) {
        const QString origin = originOf(url);
        auto robots = d->robots.find(origin);
        if (robots == d->robots.end()) {
            d->robots.insert(origin, {});
            d->robotsWaiting.append(origin);
        } else if (robots->known && !robots->rules.allows(robotsTargetOf(url))) {
            d->held.remove(key);
            State::Slot& slot = d->fetches[key];
            slot.held = false;
            slot.disallowed = true;
            if (d->stage == State::Stage::AwaitPage && key == d->cursor.pageKey())
                scheduleStep();
            return false;
        }
        // Every robots.txt waiting goes before any page: it is one small request that holds up a site.
        for (qsizetype i = 0; i < d->robotsWaiting.size();) {
            const QUrl robotsUrl(d->robotsWaiting.at(i) + QStringLiteral("/robots.txt"));
            const QString host = robotsUrl.host().toLower();
            State::Host& state = d->hosts[host];
            const qint64 ready =
                std::max(state.blockedUntil,
                         state.lastActivity < 0 ? 0 : state.lastActivity + d->active.delayMsPerHost);
            if ((d->active.maxPerHost > 0 && state.inFlight >= d->active.maxPerHost) || ready > now) {
                if (ready > now)
                    wakeAt = std::min(wakeAt, ready);
                ++i;
                continue;
            }
            const int ticket = d->fetcher.fetch(robotsUrl, true);
            d->robotsTickets.insert(ticket, d->robotsWaiting.takeAt(i));
            d->ticketHosts.insert(ticket, host);
            ++state.inFlight;
            state.lastActivity = now;
        }
        if (!d->robots.value(origin).known)
            return false; // onRobotsFetched() releases it
    }

    const QString host = url.host().toLower();
    State::Host& state = d->hosts[host];
    if (d->active.maxPerHost > 0 && state.inFlight >= d->active.maxPerHost)
        return false; // the end of one of that host's transfers releases it
    const qint64 ready =
        std::max({d->held.value(key), state.blockedUntil,
                  state.lastActivity < 0 ? 0 : state.lastActivity + d->active.delayMsPerHost});
    if (ready > now) {
        wakeAt = std::min(wakeAt, ready);
        return false;
    }
    const int ticket = d->fetcher.fetch(url);
    d->held.remove(key);
    State::Slot& slot = d->fetches[key];
    slot.held = false;
    slot.ticket = ticket;
    d->ticketKeys.insert(ticket, key);
    d->ticketHosts.insert(ticket, host);
    ++state.inFlight;
    state.lastActivity = now;
    return true;
}

void CrawlEngine::onRobotsFetched(int ticket, const FetchResult& result) {
    const QString origin = d->robotsTickets.take(ticket);
    forgetTicket(ticket);
    State::Robots& robots = d->robots[origin];
    robots.known = true;
    // As robots.txt's own rules have it: none there (4xx) means no restriction; a server that cannot say
    // (5xx, no answer) means none of the site may be crawled.
    if (result.outcome == FetchResult::Outcome::Page && result.httpStatus >= 200 && result.httpStatus < 300)
        robots.rules = RobotsRules::parse(result.body, QStringLiteral("Vorlane"));
    else if (result.httpStatus >= 400 && result.httpStatus < 500)
        robots.rules = RobotsRules();
    else
        robots.rules = RobotsRules::disallowAll();
    fillPipeline();
}

void CrawlEngine::fillPipeline() {
    if (!d->running || d->paused || d->stopped())
        return;
    // The page in hand is fetched whatever else is in flight.
    if (d->stage == State::Stage::AwaitPage && !d->fetches.contains(d->cursor.pageKey()))
        startFetch(d->cursor.pageKey(), d->cursor.pageAddress());

    const int transfers = d->concurrency();
    const int buffered = transfers * kBufferedPagesPerTransfer + 1;
    while (d->fetcher.inFlight() < transfers && d->fetches.size() < buffered) {
        const int position = d->cursor.nextPrefetch();
        if (position == 0)
            break;
        if (d->fetches.contains(position))
            continue;
        const QString address = d->cursor.addressOf(position);
        if (IsFilteredUrl(address, d->filters()) || politeSkip(position, address))
            continue; // tested again when its turn comes
        startFetch(position, address);
    }
    if (!d->held.isEmpty() || !d->robotsWaiting.isEmpty())
        releaseHeld();
}

void CrawlEngine::onFetched(int ticket, const FetchResult& result) {
    if (d->robotsTickets.contains(ticket)) {
        onRobotsFetched(ticket, result);
        return;
    }
    const auto keyIt = d->ticketKeys.constFind(ticket);
    if (keyIt == d->ticketKeys.cend())
        return;
    const int key = *keyIt;
    forgetTicket(ticket);
    const auto slot = d->fetches.find(key);
    if (slot == d->fetches.end())
        return;
    slot->ticket = 0;
    if (d->active.honourRetryAfter && !slot->retried &&
        (result.httpStatus == 429 || result.httpStatus == 503)) {
        const qint64 wait = RetryAfterMs(result.retryAfter, QDateTime::currentDateTimeUtc());
        if (wait >= 0) {
            // Once only: a second refusal is the page's answer. The whole host waits, not just this page.
            const qint64 until = d->clock.elapsed() + wait;
            State::Host& host = d->hosts[QUrl(d->cursor.addressOf(key)).host().toLower()];
            host.blockedUntil = std::max(host.blockedUntil, until);
            slot->retried = true;
            slot->held = true;
            d->held.insert(key, until);
            fillPipeline();
            return;
        }
    }
    slot->result = result;
    if (d->stage == State::Stage::AwaitPage && key == d->cursor.pageKey() && !d->paused)
        scheduleStep();
    fillPipeline();
}

// Takes the fetched page in hand: shows it, and prepares its links. False while it is still in flight.
bool CrawlEngine::takePage() {
    auto slot = d->fetches.find(d->cursor.pageKey());
    if (slot == d->fetches.end()) {
        startFetch(d->cursor.pageKey(), d->cursor.pageAddress());
        fillPipeline();
        slot = d->fetches.find(d->cursor.pageKey());
    }
    if (slot->ticket != 0 || slot->held) {
        fillPipeline();
        return false;
    }
    const FetchResult result = std::move(slot->result);
    d->fetches.erase(slot);

    emit messageChanged(QStringLiteral("Crawling: ") + d->cursor.pageAddress());
    if (!d->running)
        return false; // shut down from a handler of the text
    emit levelChanged(LevelText(d->cursor.segment(), d->cursor.pageLevel()));
    if (!d->running)
        return false;
    d->page.take(result);
    return true;
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
