#include "app/crawl_log_recorder.h"

namespace vorlane::app {

CrawlLogRecorder::CrawlLogRecorder(QSqlDatabase db, int cap, QObject* parent)
    : QObject(parent), m_connectionName(db.connectionName()), m_cap(cap) {
    m_timer.setSingleShot(true);
    m_timer.setInterval(kBatchMs);
    connect(&m_timer, &QTimer::timeout, this, [this] { flush(); });
}

void CrawlLogRecorder::add(int campaignId, const store::CrawlLogEntry& entry) {
    if (m_forgotten.contains(campaignId))
        return;
    m_pending[campaignId].append(entry);
    if (++m_pendingCount >= kBatchEntries)
        flush();
    else if (!m_timer.isActive())
        m_timer.start();
}

store::DbStatus CrawlLogRecorder::flush() {
    m_timer.stop();
    if (m_pending.isEmpty())
        return store::dbOk();
    if (!m_store)
        m_store.emplace(QSqlDatabase::database(m_connectionName, false), m_cap);
    store::DbStatus status = store::dbOk();
    for (auto it = m_pending.cbegin(); it != m_pending.cend(); ++it) {
        const store::DbStatus written = m_store->append(it.key(), it.value());
        if (!written && status)
            status = written;
    }
    m_pending.clear();
    m_pendingCount = 0;
    return status;
}

store::DbResult<QList<store::CrawlLogEntry>> CrawlLogRecorder::entries(int campaignId) {
    flush();
    if (!m_store)
        m_store.emplace(QSqlDatabase::database(m_connectionName, false), m_cap);
    return m_store->entries(campaignId);
}

void CrawlLogRecorder::forget(const QList<int>& campaignIds) {
    for (const int id : campaignIds) {
        m_forgotten.insert(id);
        m_pendingCount -= int(m_pending.take(id).size());
    }
}

void CrawlLogRecorder::close() {
    flush();
    m_store.reset();
}

} // namespace vorlane::app
