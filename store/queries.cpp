#include "queries.h"
#include "statement.h"

namespace vorlane::store {

DbResult<QVariant> queryFirstValue(const QSqlDatabase& db, const QString& sql, const QVariantList& binds) {
    QSqlQuery query(db);
    const DbStatus status = execQuery(query, sql, binds);
    if (!status)
        return DbResult<QVariant>::failure(status.error());
    if (!query.next()) {
        if (query.lastError().isValid())
            return DbResult<QVariant>::failure(dbErrorText(query.lastError()));
        return QVariant();
    }
    return query.value(0);
}

DbResult<QString> queryFirstText(const QSqlDatabase& db, const QString& sql, const QVariantList& binds) {
    const auto value = queryFirstValue(db, sql, binds);
    if (!value)
        return DbResult<QString>::failure(value.error());
    if (value->isNull())
        return QString();
    return value->toString();
}

DbStatus fillList(const QSqlDatabase& db, const QString& sql, QStringList& list, const QVariantList& binds) {
    QSqlQuery query(db);
    const DbStatus status = execQuery(query, sql, binds);
    if (!status)
        return status;
    // Rows are collected first so that a failure half-way leaves the caller's list as it was.
    QStringList rows;
    while (query.next())
        rows.append(query.value(0).toString());
    if (query.lastError().isValid())
        return DbStatus::failure(dbErrorText(query.lastError()));
    list.append(rows);
    return dbOk();
}

} // namespace vorlane::store
