#include "statement.h"

QString DbErrorText(const QSqlError& error) {
    const QString text = error.text().trimmed();
    return text.isEmpty() ? QStringLiteral("Unknown database error") : text;
}

DbStatus ExecPrepared(QSqlQuery& query, const QVariantList& binds) {
    for (qsizetype i = 0; i < binds.size(); ++i)
        query.bindValue(int(i), binds.at(i));
    if (!query.exec())
        return DbStatus::failure(DbErrorText(query.lastError()));
    return dbOk();
}

DbStatus ExecQuery(QSqlQuery& query, const QString& sql, const QVariantList& binds) {
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        return DbStatus::failure(DbErrorText(query.lastError()));
    return ExecPrepared(query, binds);
}

DbResult<int> ExecStatement(const QSqlDatabase& db, const QString& sql, const QVariantList& binds) {
    QSqlQuery query(db);
    const DbStatus status = ExecQuery(query, sql, binds);
    if (!status)
        return DbResult<int>::failure(status.error());
    return query.numRowsAffected();
}

DbStatus RunInTransaction(QSqlDatabase db, const std::function<DbStatus()>& steps) {
    if (!db.transaction())
        return DbStatus::failure(DbErrorText(db.lastError()));
    const DbStatus status = steps();
    if (!status) {
        db.rollback();
        return status;
    }
    if (!db.commit()) {
        const QString error = DbErrorText(db.lastError());
        db.rollback();
        return DbStatus::failure(error);
    }
    return dbOk();
}
