#pragma once
// Two reading helpers with contracts callers rely on.
//  queryFirstValue: the first column of the first row; an invalid QVariant when there is no row (the
//  "empty" value), a null QVariant of the column's type when the column is NULL.
//  queryFirstText: the same value as text; a null QString for no row or a NULL column, so callers can
//  tell "never set" from "set to empty".
//  fillList: appends the first column of every row to `list`, in row order; never clears it.

#include "db_result.h"
#include <QSqlDatabase>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

namespace vorlane::store {

DbResult<QVariant> queryFirstValue(const QSqlDatabase& db, const QString& sql,
                                   const QVariantList& binds = {});
DbResult<QString> queryFirstText(const QSqlDatabase& db, const QString& sql, const QVariantList& binds = {});
DbStatus fillList(const QSqlDatabase& db, const QString& sql, QStringList& list,
                  const QVariantList& binds = {});

} // namespace vorlane::store
