#pragma once
// Helpers the store units share: run one statement with bound values, run a group of steps as one
// transaction. Every failure carries the database's own error text.

#include "db_result.h"
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariantList>
#include <functional>

namespace vorlane::store {

// The database's text for an error, never empty (a blank text would tell the user nothing).
QString dbErrorText(const QSqlError& error);

// Prepares `sql`, binds `binds` by position and executes it; on success `query` holds the result.
DbStatus execQuery(QSqlQuery& query, const QString& sql, const QVariantList& binds = {});
// The same for a statement whose result is not read; yields the number of rows it changed.
DbResult<int> execStatement(const QSqlDatabase& db, const QString& sql, const QVariantList& binds = {});
// Runs `steps` inside BEGIN ... COMMIT; any failing step (or a failing commit) rolls everything back.
DbStatus runInTransaction(QSqlDatabase db, const std::function<DbStatus()>& steps);
// Executes an already prepared query with `binds`; the query stays prepared for the next call.
DbStatus execPrepared(QSqlQuery& query, const QVariantList& binds);
// A QString bound as text, never as NULL (Qt binds a null QString as SQL NULL).
inline QVariant textValue(const QString& text) {
    return text.isNull() ? QVariant(QStringLiteral("")) : QVariant(text);
}

} // namespace vorlane::store
