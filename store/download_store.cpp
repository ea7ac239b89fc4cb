#include "download_store.h"

#include "statement.h"

namespace vorlane::store {

namespace {
const QString kColumns = QStringLiteral("ID, COALESCE(CAMPAIGNID, 0), URL, TARGET, STATE, TOTAL, RECEIVED, "
                                        "ERROR, ADDED, FINISHED FROM DOWNLOADS");

DownloadRow rowOf(const QSqlQuery& query) {
    return {query.value(0).toLongLong(),
            query.value(1).toInt(),
            query.value(2).toString(),
            query.value(3).toString(),
            downloadStateOf(query.value(4).toString()),
            query.value(5).toLongLong(),
            query.value(6).toLongLong(),
            query.value(7).toString(),
            QDateTime::fromString(query.value(8).toString(), Qt::ISODate),
            QDateTime::fromString(query.value(9).toString(), Qt::ISODate)};
}

QString now() {
    return QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
}

DbStatus statusOf(const DbResult<int>& changed) {
    return changed ? dbOk() : DbStatus::failure(changed.error());
}
} // namespace

DbResult<qint64> DownloadStore::add(int campaignId, const QString& url) {
    QSqlQuery query(m_db);
    const QVariant campaign = campaignId > 0 ? QVariant(campaignId) : QVariant(QMetaType::fromType<int>());
    if (const DbStatus status =
            execQuery(query,
                      QStringLiteral("INSERT INTO DOWNLOADS (CAMPAIGNID, URL, STATE, ADDED) "
                                     "VALUES (?, ?, 'queued', ?)"),
                      {campaign, textValue(url), now()});
        !status)
        return DbResult<qint64>::failure(status.error());
    return query.lastInsertId().toLongLong();
}

DbStatus DownloadStore::setTarget(qint64 id, const QString& target) {
    return statusOf(execStatement(m_db, QStringLiteral("UPDATE DOWNLOADS SET TARGET = ? WHERE ID = ?"),
                                  {textValue(target), id}));
}

DbStatus DownloadStore::setState(qint64 id, DownloadState state, const QString& error) {
    const QVariant finished = isFinished(state) ? QVariant(now()) : QVariant(QMetaType::fromType<QString>());
    return statusOf(execStatement(
        m_db, QStringLiteral("UPDATE DOWNLOADS SET STATE = ?, ERROR = ?, FINISHED = ? WHERE ID = ?"),
        {downloadStateText(state), textValue(error), finished, id}));
}

DbStatus DownloadStore::setProgress(qint64 id, qint64 total, qint64 received) {
    return statusOf(execStatement(m_db,
                                  QStringLiteral("UPDATE DOWNLOADS SET TOTAL = ?, RECEIVED = ? WHERE ID = ?"),
                                  {total, received, id}));
}

DbResult<QList<DownloadRow>> DownloadStore::downloads() {
    QSqlQuery query(m_db);
    if (const DbStatus status =
            execQuery(query, QStringLiteral("SELECT ") + kColumns + QStringLiteral(" ORDER BY ID"));
        !status)
        return DbResult<QList<DownloadRow>>::failure(status.error());
    QList<DownloadRow> rows;
    while (query.next())
        rows.append(rowOf(query));
    if (query.lastError().isValid())
        return DbResult<QList<DownloadRow>>::failure(dbErrorText(query.lastError()));
    return rows;
}

DbResult<DownloadRow> DownloadStore::download(qint64 id) {
    QSqlQuery query(m_db);
    if (const DbStatus status =
            execQuery(query, QStringLiteral("SELECT ") + kColumns + QStringLiteral(" WHERE ID = ?"), {id});
        !status)
        return DbResult<DownloadRow>::failure(status.error());
    if (!query.next())
        return DbResult<DownloadRow>::failure(QStringLiteral("No download %1").arg(id));
    return rowOf(query);
}

DbStatus DownloadStore::remove(qint64 id) {
    return statusOf(execStatement(m_db, QStringLiteral("DELETE FROM DOWNLOADS WHERE ID = ?"), {id}));
}

} // namespace vorlane::store
