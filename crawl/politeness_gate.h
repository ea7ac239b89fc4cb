#pragma once
// Applies the politeness options to page transfers: a held transfer starts once its host may be asked again
// (transfers at once, delay, Retry-After) and its origin's robots.txt, fetched first, allows it. Outcomes
// come by signal; a timer, never a sleep, says when a wait may be over.

#include "crawl/fetch_failure.h"
#include "crawl/robots_rules.h"
#include "store/crawl_policy.h"

#include <QElapsedTimer>
#include <QHash>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QUrl>

namespace vorlane::crawl {

class Fetcher;
struct CrawlSegment;
struct FetchResult;

class PolitenessGate : public QObject {
    Q_OBJECT
public:
    explicit PolitenessGate(Fetcher& fetcher, QObject* parent = nullptr);

    // `transfers`: the connection's concurrency, which release() keeps to.
    void setPolicy(const store::CrawlPolicy& policy, int transfers);
    void clear(); // after every transfer was cancelled: nothing held, hosts idle; robots.txt read is kept
    void forgetRobots(); // for a new crawl

    // Why the options rule a page out before any transfer (OtherSite: another site than the segment's start
    // page; Robots: a path its robots.txt, already read, forbids); None when they do not.
    FetchFailure rulesOut(const QString& address, const CrawlSegment& segment) const;

    // Holds back a page's transfer (key: see CrawlCursor) until release() lets it go.
    void hold(int key, const QUrl& url);
    // Holds it again after a Retry-After of `waitMs`, for which its whole host waits.
    void retryLater(int key, const QUrl& url, qint64 waitMs);
    void drop(int key);
    bool isHeld(int key) const { return m_held.contains(key); }
    bool hasWork() const { return !m_held.isEmpty() || !m_robotsWaiting.isEmpty(); }

    // Starts what may go now within the connection's transfers: `first` (0 for none) ahead of the others,
    // which go in key order. Arms the timer for the earliest of the rest.
    void release(int first);
    // A transfer it started (a page's or a robots.txt) has ended or was cancelled.
    void transferEnded(int ticket);
    // True when `ticket` was a robots.txt transfer; its rules apply from now on.
    bool robotsFetched(int ticket, const FetchResult& result);

signals:
    void transferStarted(int key, int ticket);
    void disallowed(int key); // no longer held: robots.txt forbids it
    void due();               // a wait may be over: time for release()

private:
    struct Held {
        QUrl url;
        qint64 notBefore = 0; // on m_clock
    };
    struct Host {
        int inFlight = 0;
        qint64 lastActivity = -1; // the latest start or end of a transfer
        qint64 blockedUntil = 0;  // a Retry-After of this host
    };
    struct Robots {
        bool known = false;
        RobotsRules rules;
    };

    void startHeld(int key, qint64 now, qint64& wakeAt);
    void requestRobots(qint64 now, qint64& wakeAt);
    qint64 readyAt(const Host& host) const;
    bool isBusy(const Host& host) const;

    Fetcher& m_fetcher;
    store::CrawlPolicy m_policy;
    int m_transfers = 1;

    QMap<int, Held> m_held; // by page key, so that release() goes in queue order
    QHash<QString, Host> m_hosts;
    QHash<int, QString> m_ticketHosts; // the transfers it started
    QHash<QString, Robots> m_robots;   // by origin
    QHash<int, QString> m_robotsTickets;
    QStringList m_robotsWaiting; // origins whose robots.txt is still to be requested
    QElapsedTimer m_clock;
    QTimer m_wake;
};

} // namespace vorlane::crawl
