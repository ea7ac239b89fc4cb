#pragma once
// Fetches pages over HTTP(S) with many transfers in flight. A response counts as a page only when its
// Content-Type is HTML or absent; anything else is abandoned as soon as its headers arrive, and a body past
// kMaxPageBytes (inflated, when it came compressed) is abandoned as it streams. Besides the idle time-out,
// each transfer has a deadline for the whole page; certificate errors are never ignored. (A connection
// closed or reset before any byte of the answer is sent once more by the network library itself, and a
// second drop fails the transfer: one retry, as the tests pin down.) The bodies held, in flight and by
// the caller, stay within a byte budget: past it transfers stop reading until there is room again, all
// but the one marked urgent. Results come back through `finished`, never synchronously from fetch();
// cancelled transfers report nothing.

#include "crawl/fetch_failure.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QUrl>
#include <memory>
#include <vector>

class QNetworkAccessManager;
class QNetworkCookieJar;
class QNetworkReply;
class QNetworkRequest;
class QTimer;

namespace vorlane::crawl {

inline constexpr qint64 kMaxPageBytes = 8 * 1024 * 1024;
inline constexpr int kMaxRedirects = 10;
inline constexpr qint64 kBodyBudgetBytes = 64 * 1024 * 1024;

struct FetchResult {
    enum class Outcome {
        Page,    // an HTML (or untyped) body within the size cap
        NotPage, // the headers named another type; the body was not read
        Failed   // unreachable, time-out, redirect loop, too large, ...
    };
    Outcome outcome = Outcome::Failed;
    // Why this is no ordinary page; None for a page that came whole with a success status.
    FetchFailure failure = FetchFailure::Other;
    QString failureDetail;       // Tls: the certificate's errors as the TLS library words them
    QUrl finalUrl;               // after redirects: the base for the page's relative links
    QByteArray contentType;      // the Content-Type header as sent (may carry a charset)
    QString dispositionFileName; // the file name of a Content-Disposition header, when one came
    QByteArray body;             // Page only
    int httpStatus = 0;          // of the final response; 0 when none came
    QByteArray retryAfter;       // the Retry-After header, when one came
    int elapsedMs = 0;           // from the request to the end of the answer
};

// "Vorlane/<version>", the User-Agent every request carries.
QString crawlerUserAgent();

class Fetcher : public QObject {
    Q_OBJECT
public:
    explicit Fetcher(QObject* parent = nullptr);
    ~Fetcher() override;

    // Both take effect for transfers started afterwards.
    void setTimeoutSeconds(int seconds); // idle time per transfer; 0 means none
    void setDeadlineMs(int ms);          // for a whole transfer, redirects included; 0 means none
    void setConcurrency(int transfers);  // transfers the caller means to keep in flight

    // The budget for the bodies held: those of the transfers in flight plus `heldByCaller`, what the
    // caller still keeps of finished ones. The urgent transfer (the page the caller waits for; 0 for none)
    // and those of any type read whatever the budget.
    void setBodyBudget(qint64 bytes);
    void setBytesHeld(qint64 heldByCaller);
    void setUrgent(int ticket);
    bool hasRoom() const { return m_bodyBytes + m_heldByCaller < m_budget; }

    // Starts a GET and returns its ticket (> 0). Redirects are followed (at most kMaxRedirects, never from
    // https to http). With `anyType` the body is read whatever its Content-Type (robots.txt is plain text).
    int fetch(const QUrl& url, bool anyType = false);
    void cancel(int ticket);
    void cancelAll(); // aborts every transfer at once; none of them reports
    int inFlight() const { return int(m_transfers.size()); }
    // Forgets every cookie: the next transfers start a new session. All transfers share one jar, kept in
    // memory only, so a cookie a site sets on one page comes back on all its later pages.
    void forgetCookies();

signals:
    void finished(int ticket, const FetchResult& result);

private:
    struct Transfer;
    void onMetaData(QNetworkReply* reply);
    void onReadyRead(QNetworkReply* reply);
    void onFinished(QNetworkReply* reply);
    void abandon(QNetworkReply* reply, FetchFailure reason);
    void dropReply(QNetworkReply* reply);
    void send(const std::shared_ptr<Transfer>& transfer, const QNetworkRequest& request);
    QTimer* makeClock(Transfer* transfer, FetchFailure reason, int ms);
    void holdClocks(Transfer& transfer, bool hold);
    bool takeBody(QNetworkReply* reply, Transfer& transfer); // false when it was abandoned
    void account(Transfer& transfer);                        // its body's size into m_bodyBytes
    void scheduleResume();
    void resumeWaiting();
    QNetworkAccessManager* leastBusyManager();

    std::vector<QNetworkAccessManager*> m_managers;
    QNetworkCookieJar* m_cookies = nullptr; // owned by this fetcher, shared by the managers
    QHash<QNetworkReply*, std::shared_ptr<Transfer>> m_transfers;
    QHash<QNetworkAccessManager*, int> m_load;
    int m_timeoutSeconds = 30;
    int m_deadlineMs = 0;
    qint64 m_budget = kBodyBudgetBytes;
    qint64 m_bodyBytes = 0; // of the transfers in flight
    qint64 m_heldByCaller = 0;
    int m_urgent = 0;
    bool m_resumeScheduled = false;
    int m_nextTicket = 1;
};

} // namespace vorlane::crawl
