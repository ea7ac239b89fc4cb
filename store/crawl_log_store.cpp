#include "crawl_log_store.h"
#include "statement.h"

#include <QSqlQuery>
#include <algorithm>

namespace vorlane::store {

struct CrawlLogStore::Prepared {
    explicit Prepared(const QSqlDatabase& db) : insert(db) {}
    QSqlQuery insert;
};

CrawlLogStore::CrawlLogStore(QSqlDatabase db, int cap) : m_db(std::move(db)), m_cap(std::max(1, cap)) {}

CrawlLogStore::~CrawlLogStore() = default;

DbStatus CrawlLogStore::ensurePrepared() {
    if (m_prepared)
        return dbOk();
    auto fresh = std::make_unique<Prepared>(m_db);
    if (!fresh->insert.prepare(QStringLiteral(
            "INSERT INTO CRAWLLOG (CAMPAIGNID, ADDRESS, LEVEL, REASON, STATUS, BYTES, LINKS, FILES, MS, "
            "DETAIL) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")))
        return DbStatus::failure(dbErrorText(fresh->insert.lastError()));
    m_prepared = std::move(fresh);
    return dbOk();
}

DbStatus CrawlLogStore::append(int campaignId, const QList<CrawlLogEntry>& entries) {
    if (entries.isEmpty())
        return dbOk();
    if (const DbStatus status = ensurePrepared(); !status)
        return status;
    if (!m_counts.contains(campaignId)) {
        QSqlQuery count(m_db);
        if (const DbStatus status = execQuery(
                count, QStringLiteral("SELECT COUNT(*) FROM CRAWLLOG WHERE CAMPAIGNID = ?"), {campaignId});
            !status)
            return status;
        m_counts.insert(campaignId, count.next() ? count.value(0).toLongLong() : 0);
    }
    // A savepoint rather than BEGIN: it nests in whatever transaction the connection has open.
    if (const auto begun = execStatement(m_db, QStringLiteral("SAVEPOINT crawllog")); !begun)
        return DbStatus::failure(begun.error());
    DbStatus status = insertAll(campaignId, entries);
    if (status && m_counts.value(campaignId) > m_cap)
        status = trim(campaignId);
    if (!status) {
        execStatement(m_db, QStringLiteral("ROLLBACK TO crawllog"));
        execStatement(m_db, QStringLiteral("RELEASE crawllog"));
        m_counts.remove(campaignId); // read again next time
        return status;
    }
    if (const auto released = execStatement(m_db, QStringLiteral("RELEASE crawllog")); !released)
        return DbStatus::failure(released.error());
    return dbOk();
}

DbStatus CrawlLogStore::insertAll(int campaignId, const QList<CrawlLogEntry>& entries) {
    QSqlQuery& insert = m_prepared->insert;
    for (const CrawlLogEntry& entry : entries) {
        if (const DbStatus status =
                execPrepared(insert, {campaignId, textValue(entry.address), textValue(entry.level),
                                      textValue(entry.reason), entry.httpStatus, entry.bytes, entry.links,
                                      entry.files, entry.elapsedMs, textValue(entry.detail)});
            !status)
            return status;
        ++m_counts[campaignId];
    }
    insert.finish();
    return dbOk();
}

// Rows only grow in ENTRYID, so the oldest are the lowest.
DbStatus CrawlLogStore::trim(int campaignId) {
    const auto trimmed = execStatement(
        m_db,
        QStringLiteral(
            "DELETE FROM CRAWLLOG WHERE CAMPAIGNID = ? AND ENTRYID < (SELECT ENTRYID FROM CRAWLLOG "
            "WHERE CAMPAIGNID = ? ORDER BY ENTRYID DESC LIMIT 1 OFFSET ?)"),
        {campaignId, campaignId, m_cap - 1});
    if (!trimmed)
        return DbStatus::failure(trimmed.error());
    m_counts[campaignId] = m_cap;
    return dbOk();
}

DbResult<QList<CrawlLogEntry>> CrawlLogStore::entries(int campaignId) {
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    const DbStatus status = execQuery(
        query,
        QStringLiteral("SELECT ADDRESS, LEVEL, REASON, STATUS, BYTES, LINKS, FILES, MS, DETAIL FROM CRAWLLOG "
                       "WHERE CAMPAIGNID = ? ORDER BY ENTRYID"),
        {campaignId});
    if (!status)
        return DbResult<QList<CrawlLogEntry>>::failure(status.error());
    QList<CrawlLogEntry> entries;
    while (query.next())
        entries.append({query.value(0).toString(), query.value(1).toString(), query.value(2).toString(),
                        query.value(3).toInt(), query.value(4).toLongLong(), query.value(5).toInt(),
                        query.value(6).toInt(), query.value(7).toInt(), query.value(8).toString()});
    if (query.lastError().isValid())
        return DbResult<QList<CrawlLogEntry>>::failure(dbErrorText(query.lastError()));
    return entries;
}

} // namespace vorlane::store
