#include "statement.h"

namespace vorlane::store {

QString dbErrorText(const QSqlError& error) {
    const QString text = error.text().trimmed();
    return text.isEmpty() ? QStringLiteral("Unknown database error") : text;
}

DbStatus execPrepared(QSqlQuery& query, const QVariantList& binds) {
    for (qsizetype i = 0; i < binds.size(); ++i)
        query.bindValue(int(i), binds.at(i));
    if (!query.exec())
        return DbStatus::failure(dbErrorText(query.lastError()));
    return dbOk();
}

DbStatus execQuery(QSqlQuery& query, const QString& sql, const QVariantList& binds) {
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        return DbStatus::failure(dbErrorText(query.lastError()));
    return execPrepared(query, binds);
}

DbResult<int> execStatement(const QSqlDatabase& db, const QString& sql, const QVariantList& binds) {
    QSqlQuery query(db);
    const DbStatus status = execQuery(query, sql, binds);
    if (!status)
        return DbResult<int>::failure(status.error());
    return query.numRowsAffected();
}

DbStatus runInTransaction(QSqlDatabase db, const std::function<DbStatus()>& steps) {
    if (!db.transaction())
        return DbStatus::failure(dbErrorText(db.lastError()));
    const DbStatus status = steps();
    if (!status) {
        db.rollback();
        return status;
    }
    if (!db.commit()) {
        const QString error = dbErrorText(db.lastError());
        db.rollback();
        return DbStatus::failure(error);
    }
    return dbOk();
}

} // namespace vorlane::store
