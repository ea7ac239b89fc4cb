#include "crawl/fetch_pipeline.h"

#include "crawl/crawl_cursor.h"
#include "crawl/crawl_policy.h"
#include "crawl/link_rules.h"
#include "urls/scheme_rules.h"

#include <QDateTime>
#include <algorithm>

namespace vorlane::crawl {

namespace {

// Pages buffered ahead (in flight or fetched, not yet taken), as a multiple of the concurrency: keeps
// memory bounded when fetching outruns processing.
constexpr int kBufferedPagesPerTransfer = 2;

} // namespace

FetchPipeline::FetchPipeline(QObject* parent) : QObject(parent) {
    connect(&m_fetcher, &Fetcher::finished, this, &FetchPipeline::onFinished);
    connect(&m_gate, &PolitenessGate::due, this, &FetchPipeline::due);
    connect(&m_gate, &PolitenessGate::transferStarted, this, [this](int key, int ticket) {
        m_slots[key].ticket = ticket;
        m_ticketKeys.insert(ticket, key);
        if (key == m_urgentKey)
            m_fetcher.setUrgent(ticket);
    });
    connect(&m_gate, &PolitenessGate::disallowed, this, [this](int key) {
        m_slots[key].disallowed = true;
        emit pageDisallowed(key);
    });
}

void FetchPipeline::configure(const CrawlSettings& settings) {
    m_policy = settings.policy;
    m_transfers = std::max(1, settings.concurrency);
    m_fetcher.setTimeoutSeconds(settings.timeoutSeconds);
    m_fetcher.setDeadlineMs(settings.pageDeadlineMs());
    m_fetcher.setConcurrency(m_transfers);
    m_gate.setPolicy(m_policy, m_transfers);
}

void FetchPipeline::cancelAll() {
    m_fetcher.cancelAll();
    m_slots.clear();
    m_ticketKeys.clear();
    m_gate.clear();
    m_heldBytes = 0;
    m_urgentKey = 0;
    m_fetcher.setBytesHeld(0);
    m_fetcher.setUrgent(0);
}

void FetchPipeline::reset() {
    cancelAll();
    m_gate.forgetRobots();
    m_fetcher.forgetCookies(); // a search's cookies end with it
}

bool FetchPipeline::hasRoom() const {
    return m_fetcher.inFlight() < m_transfers &&
           m_slots.size() < m_transfers * kBufferedPagesPerTransfer + 1 && m_fetcher.hasRoom();
}

void FetchPipeline::markUrgent(int key) {
    m_urgentKey = key;
    const auto slot = m_slots.constFind(key);
    m_fetcher.setUrgent(slot != m_slots.cend() ? slot->ticket : 0);
}

void FetchPipeline::setHeld(Slot& slot, FetchResult result) {
    forgetHeld(slot);
    slot.result = std::move(result);
    m_heldBytes += slot.result.body.size();
    m_fetcher.setBytesHeld(m_heldBytes);
}

void FetchPipeline::forgetHeld(const Slot& slot) {
    m_heldBytes -= slot.result.body.size();
    m_fetcher.setBytesHeld(m_heldBytes);
}

void FetchPipeline::fill(CrawlCursor& cursor, int first, const QStringList& filters) {
    if (first != 0 && !contains(first))
        request(first, cursor.pageAddress());
    if (first != 0)
        markUrgent(first);
    while (hasRoom()) {
        const int position = cursor.nextPrefetch();
        if (position == 0)
            break;
        if (contains(position))
            continue;
        const QString address = cursor.addressOf(position);
        if (passesOver(position, address, filters, cursor.segment()))
            continue; // tested again when its turn comes
        request(position, address);
    }
    if (m_gate.hasWork())
        m_gate.release(first);
}

void FetchPipeline::release(int first) {
    m_gate.release(first);
}

FetchFailure FetchPipeline::skipReason(int key, const QString& address, const QStringList& filters,
                                       const CrawlSegment& segment) const {
    if (isFilteredUrl(address, filters))
        return FetchFailure::Filtered;
    return key > 0 ? m_gate.rulesOut(address, segment) : FetchFailure::None;
}

void FetchPipeline::request(int key, const QString& address) {
    Slot slot;
    slot.address = address;
    if (urls::isCrawlableAddress(address)) {
        if (m_policy.gatesTransfers()) {
            // Started by the gate's release() once fill() has requested what it can.
            m_slots.insert(key, slot);
            m_gate.hold(key, QUrl(address));
            return;
        }
        slot.ticket = m_fetcher.fetch(QUrl(address));
        m_ticketKeys.insert(slot.ticket, key);
    } // else: finished at once with a failed result: nothing to fetch there
    m_slots.insert(key, slot);
}

void FetchPipeline::drop(int key) {
    const auto it = m_slots.constFind(key);
    if (it == m_slots.cend())
        return;
    if (it->ticket) {
        m_fetcher.cancel(it->ticket);
        forgetTicket(it->ticket);
    }
    m_gate.drop(key);
    forgetHeld(*it);
    m_slots.erase(it);
}

bool FetchPipeline::isDisallowed(int key) const {
    const auto slot = m_slots.constFind(key);
    return slot != m_slots.cend() && slot->disallowed;
}

std::optional<FetchResult> FetchPipeline::take(int key) {
    const auto slot = m_slots.find(key);
    if (slot == m_slots.end() || slot->ticket != 0 || m_gate.isHeld(key))
        return std::nullopt;
    FetchResult result = std::move(slot->result);
    m_heldBytes -= result.body.size();
    m_fetcher.setBytesHeld(m_heldBytes);
    m_slots.erase(slot);
    return result;
}

void FetchPipeline::forgetTicket(int ticket) {
    m_ticketKeys.remove(ticket);
    m_gate.transferEnded(ticket);
}

void FetchPipeline::onFinished(int ticket, const FetchResult& result) {
    if (m_gate.robotsFetched(ticket, result)) {
        emit transferFreed();
        return;
    }
    const auto keyIt = m_ticketKeys.constFind(ticket);
    if (keyIt == m_ticketKeys.cend())
        return;
    const int key = *keyIt;
    forgetTicket(ticket);
    const auto slot = m_slots.find(key);
    if (slot == m_slots.end())
        return;
    slot->ticket = 0;
    if (m_policy.honourRetryAfter && !slot->retried &&
        (result.httpStatus == 429 || result.httpStatus == 503)) {
        const qint64 wait = retryAfterMs(result.retryAfter, QDateTime::currentDateTimeUtc());
        if (wait >= 0) {
            // Once only: a second refusal is the page's answer. The whole host waits, not just this page.
            slot->retried = true;
            m_gate.retryLater(key, QUrl(slot->address), wait);
            emit transferFreed();
            return;
        }
    }
    setHeld(*slot, result);
    emit pageArrived(key);
}

} // namespace vorlane::crawl
