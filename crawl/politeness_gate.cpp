#include "crawl/politeness_gate.h"

#include "crawl/crawl_plan.h"
#include "crawl/crawl_policy.h"
#include "crawl/fetcher.h"

#include <algorithm>
#include <limits>

namespace vorlane::crawl {

namespace {

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

PolitenessGate::PolitenessGate(Fetcher& fetcher, QObject* parent) : QObject(parent), m_fetcher(fetcher) {
    m_clock.start();
    m_wake.setSingleShot(true);
    m_wake.setTimerType(Qt::PreciseTimer); // a coarse timer may fire early, shortening a host's delay
    connect(&m_wake, &QTimer::timeout, this, &PolitenessGate::due);
}

void PolitenessGate::setPolicy(const store::CrawlPolicy& policy, int transfers) {
    m_policy = policy;
    m_transfers = transfers;
}

void PolitenessGate::clear() {
    m_held.clear();
    m_hosts.clear();
    m_ticketHosts.clear();
    m_robotsTickets.clear();
    m_robotsWaiting.clear();
    // A robots.txt cancelled half-way would leave its origin waiting for ever.
    m_robots.removeIf([](const auto& entry) { return !entry.value().known; });
    m_wake.stop();
}

void PolitenessGate::forgetRobots() {
    m_robots.clear();
}

FetchFailure PolitenessGate::rulesOut(const QString& address, const CrawlSegment& segment) const {
    if (!m_policy.sameSiteOnly && !m_policy.obeyRobots)
        return FetchFailure::None;
    const QUrl url(address);
    if (m_policy.sameSiteOnly && !segment.webSearch && !sameSite(url, QUrl(segment.startAddress)))
        return FetchFailure::OtherSite;
    if (m_policy.obeyRobots) {
        const auto robots = m_robots.constFind(originOf(url));
        if (robots != m_robots.cend() && robots->known && !robots->rules.allows(robotsTargetOf(url)))
            return FetchFailure::Robots;
    }
    return FetchFailure::None;
}

void PolitenessGate::hold(int key, const QUrl& url) {
    m_held.insert(key, {url, 0});
}

void PolitenessGate::retryLater(int key, const QUrl& url, qint64 waitMs) {
    const qint64 until = m_clock.elapsed() + waitMs;
    Host& host = m_hosts[url.host().toLower()];
    host.blockedUntil = std::max(host.blockedUntil, until);
    m_held.insert(key, {url, until});
}

void PolitenessGate::drop(int key) {
    m_held.remove(key);
}

void PolitenessGate::release(int first) {
    const qint64 now = m_clock.elapsed();
    qint64 wakeAt = kNoWake;
    if (first != 0 && m_held.contains(first))
        startHeld(first, now, wakeAt);
    const QList<int> keys = m_held.keys();
    for (const int key : keys) {
        if (m_fetcher.inFlight() >= m_transfers)
            break;
        if (m_held.contains(key))
            startHeld(key, now, wakeAt);
    }
    if (wakeAt != kNoWake) {
        const int wait = int(std::max<qint64>(0, wakeAt - now));
        if (!m_wake.isActive() || m_wake.remainingTime() > wait)
            m_wake.start(wait);
    }
}

// Starts the transfer of `key` if it may go now; otherwise `wakeAt` learns when it may, or it waits for its
// robots.txt or for a transfer to its host to end. Start pages need no robots.txt: the user named them.
void PolitenessGate::startHeld(int key, qint64 now, qint64& wakeAt) {
    const Held held = m_held.value(key);
    if (m_policy.obeyRobots && key > 0) {
        const QString origin = originOf(held.url);
        const auto robots = m_robots.constFind(origin);
        if (robots == m_robots.cend()) {
            m_robots.insert(origin, {});
            m_robotsWaiting.append(origin);
        } else if (robots->known && !robots->rules.allows(robotsTargetOf(held.url))) {
            m_held.remove(key);
            emit disallowed(key);
            return;
        }
        requestRobots(now, wakeAt);
        if (!m_robots.value(origin).known)
            return; // robotsFetched() makes way for it
    }

    const QString host = held.url.host().toLower();
    Host& state = m_hosts[host];
    if (isBusy(state))
        return; // the end of one of that host's transfers releases it
    const qint64 ready = std::max(held.notBefore, readyAt(state));
    if (ready > now) {
        wakeAt = std::min(wakeAt, ready);
        return;
    }
    const int ticket = m_fetcher.fetch(held.url);
    m_held.remove(key);
    m_ticketHosts.insert(ticket, host);
    ++state.inFlight;
    state.lastActivity = now;
    emit transferStarted(key, ticket);
}

// Every robots.txt waiting goes before any page: it is one small request that holds up a site.
void PolitenessGate::requestRobots(qint64 now, qint64& wakeAt) {
    for (qsizetype i = 0; i < m_robotsWaiting.size();) {
        const QUrl robotsUrl(m_robotsWaiting.at(i) + QStringLiteral("/robots.txt"));
        const QString host = robotsUrl.host().toLower();
        Host& state = m_hosts[host];
        const qint64 ready = readyAt(state);
        if (isBusy(state) || ready > now) {
            if (ready > now)
                wakeAt = std::min(wakeAt, ready);
            ++i;
            continue;
        }
        const int ticket = m_fetcher.fetch(robotsUrl, true);
        m_robotsTickets.insert(ticket, m_robotsWaiting.takeAt(i));
        m_ticketHosts.insert(ticket, host);
        ++state.inFlight;
        state.lastActivity = now;
    }
}

qint64 PolitenessGate::readyAt(const Host& host) const {
    return std::max(host.blockedUntil,
                    host.lastActivity < 0 ? 0 : host.lastActivity + m_policy.delayMsPerHost);
}

bool PolitenessGate::isBusy(const Host& host) const {
    return m_policy.maxPerHost > 0 && host.inFlight >= m_policy.maxPerHost;
}

void PolitenessGate::transferEnded(int ticket) {
    const auto host = m_ticketHosts.constFind(ticket);
    if (host == m_ticketHosts.cend())
        return;
    Host& state = m_hosts[*host];
    --state.inFlight;
    state.lastActivity = m_clock.elapsed();
    m_ticketHosts.erase(host);
}

bool PolitenessGate::robotsFetched(int ticket, const FetchResult& result) {
    const auto entry = m_robotsTickets.constFind(ticket);
    if (entry == m_robotsTickets.cend())
        return false;
    const QString origin = *entry;
    m_robotsTickets.erase(entry);
    transferEnded(ticket);
    Robots& robots = m_robots[origin];
    robots.known = true;
    // As robots.txt's own rules have it: none there (4xx) means no restriction; a server that cannot say
    // (5xx, no answer) means none of the site may be crawled.
    if (result.outcome == FetchResult::Outcome::Page && result.httpStatus >= 200 && result.httpStatus < 300)
        robots.rules = RobotsRules::parse(result.body, QStringLiteral("Vorlane"));
    else if (result.httpStatus >= 400 && result.httpStatus < 500)
        robots.rules = RobotsRules();
    else
        robots.rules = RobotsRules::disallowAll();
    return true;
}

} // namespace vorlane::crawl
