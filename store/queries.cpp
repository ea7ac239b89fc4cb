#include "queries.h"
#include "statement.h"

DbResult<QVariant> QueryFirstValue(const QSqlDatabase& db, const QString& sql, const QVariantList& binds) {
    QSqlQuery query(db);
    const DbStatus status = ExecQuery(query, sql, binds);
    if (!status)
        return DbResult<QVariant>::failure(status.error());
    if (!query.next()) {
        if (query.lastError().isValid())
            return DbResult<QVariant>::failure(DbErrorText(query.lastError()));
        return QVariant();
    }
    return query.value(0);
}

DbResult<QString> QueryFirstText(const QSqlDatabase& db, const QString& sql, const QVariantList& binds) {
    const auto value = QueryFirstValue(db, sql, binds);
    if (!value)
        return DbResult<QString>::failure(value.error());
    if (value->isNull())
        return QString();
    return value->toString();
}

DbStatus FillList(const QSqlDatabase& db, const QString& sql, QStringList& list, const QVariantList& binds) {
    QSqlQuery query(db);
    const DbStatus status = ExecQuery(query, sql, binds);
    if (!status)
        return status;
    // Rows are collected first so that a failure half-way leaves the caller's list as it was.
    QStringList rows;
    while (query.next())
        rows.append(query.value(0).toString());
    if (query.lastError().isValid())
        return DbStatus::failure(DbErrorText(query.lastError()));
    list.append(rows);
    return dbOk();
}
