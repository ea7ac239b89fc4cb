#pragma once
// The transfers of the pages a crawl processes next, keyed as in CrawlCursor: fetched ahead of the cursor
// within the concurrency, a small buffer and the fetcher's byte budget, each started at once or when the
// politeness gate lets it, retried once on a Retry-After, its result kept until the crawl takes it. The page
// in hand is the fetcher's urgent transfer: it reads even when the pages ahead fill the budget.

#include "crawl/crawl_settings.h"
#include "crawl/fetcher.h"
#include "crawl/politeness_gate.h"

#include <QHash>
#include <QObject>
#include <QStringList>
#include <optional>

namespace vorlane::crawl {

class CrawlCursor;

class FetchPipeline : public QObject {
    Q_OBJECT
public:
    explicit FetchPipeline(QObject* parent = nullptr);

    // The time-out, the concurrency and the politeness options for the crawl about to start.
    void configure(const CrawlSettings& settings);
    void cancelAll(); // every transfer, held or in flight; what robots.txt said is kept
    void reset();     // cancelAll(), and every robots.txt forgotten

    // Requests the page in hand (`first`, 0 for none) whatever else is in flight, then the pages the cursor
    // reaches next as far as there is room, and starts what the politeness gate lets go.
    void fill(CrawlCursor& cursor, int first, const QStringList& filters);
    void release(int first); // only what the gate holds; see PolitenessGate::release
    // Passed over without a transfer: a filter word in the address, or the politeness options rule it out
    // (never a start page: the user asked for it by name).
    bool passesOver(int key, const QString& address, const QStringList& filters,
                    const CrawlSegment& segment) const {
        return skipReason(key, address, filters, segment) != FetchFailure::None;
    }
    // Why it is passed over (Filtered, OtherSite, Robots); None when it is not.
    FetchFailure skipReason(int key, const QString& address, const QStringList& filters,
                            const CrawlSegment& segment) const;

    bool contains(int key) const { return m_slots.contains(key); }
    void drop(int key); // cancels its transfer and forgets it
    bool isDisallowed(int key) const;
    // The result of a page in the pipeline, which then forgets it; nullopt while it is in flight or held.
    std::optional<FetchResult> take(int key);

signals:
    void pageArrived(int key);
    void pageDisallowed(int key); // by robots.txt, read after the page was requested
    void transferFreed();         // a transfer ended without a page to take: more may start
    void due();                   // a held transfer's wait may be over: time for release()

private:
    struct Slot {
        QString address;
        int ticket = 0;          // 0 once finished, or while held
        bool retried = false;    // already waited once for a Retry-After
        bool disallowed = false; // robots.txt forbids it: skipped like a filtered page
        FetchResult result;
    };

    bool hasRoom() const; // for one more page: a transfer free, the buffer and the byte budget not full
    void markUrgent(int key);
    void setHeld(Slot& slot, FetchResult result); // and tells the fetcher the bytes held
    void forgetHeld(const Slot& slot);
    // An address that cannot be fetched is done at once, with a failed result.
    void request(int key, const QString& address);
    void onFinished(int ticket, const FetchResult& result);
    void forgetTicket(int ticket);

    Fetcher m_fetcher;
    PolitenessGate m_gate{m_fetcher};
    store::CrawlPolicy m_policy;
    int m_transfers = 1;
    QHash<int, Slot> m_slots;
    QHash<int, int> m_ticketKeys; // ticket -> page key
    qint64 m_heldBytes = 0;       // of the bodies fetched and not yet taken
    int m_urgentKey = 0;
};

} // namespace vorlane::crawl
