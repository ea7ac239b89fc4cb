#pragma once
// Media types: a name and its extensions (".mp3,.ogg", each with its dot, joined by "," in the order added).
// Names compare without letter case.

#include "db_result.h"
#include <QSqlDatabase>
#include <QStringList>

namespace vorlane::store {

class CategoryStore {
public:
    explicit CategoryStore(QSqlDatabase db) : m_db(std::move(db)) {}

    DbStatus fillNames(QStringList& list); // appends, in stored order
    DbResult<QStringList> names();
    DbStatus add(const QString& name); // FILEEXT stays NULL until an extension is added
    DbStatus remove(const QString& name);
    // The FILEEXT text; a null QString when the column is NULL or the type does not exist.
    DbResult<QString> fileExtensions(const QString& name);
    DbStatus setFileExtensions(const QString& name, const QString& joined);

private:
    QSqlDatabase m_db;
};

} // namespace vorlane::store
