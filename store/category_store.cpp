#include "category_store.h"
#include "queries.h"
#include "statement.h"

namespace vorlane::store {

// rowid order is the order in which the types were added.

DbStatus CategoryStore::fillNames(QStringList& list) {
    return fillList(m_db, QStringLiteral("SELECT CATEGORY FROM SEARCHCATEGORIES ORDER BY rowid"), list);
}

DbResult<QStringList> CategoryStore::names() {
    QStringList list;
    if (const DbStatus status = fillNames(list); !status)
        return DbResult<QStringList>::failure(status.error());
    return list;
}

DbStatus CategoryStore::add(const QString& name) {
    auto r = execStatement(m_db, QStringLiteral("INSERT INTO SEARCHCATEGORIES (CATEGORY) VALUES (?)"),
                           {textValue(name)});
    return r ? dbOk() : DbStatus::failure(r.error());
}

DbStatus CategoryStore::remove(const QString& name) {
    auto r = execStatement(m_db, QStringLiteral("DELETE FROM SEARCHCATEGORIES WHERE CATEGORY = ?"),
                           {textValue(name)});
    return r ? dbOk() : DbStatus::failure(r.error());
}

DbResult<QString> CategoryStore::fileExtensions(const QString& name) {
    return queryFirstText(
        m_db,
        QStringLiteral("SELECT FILEEXT FROM SEARCHCATEGORIES WHERE CATEGORY = ? ORDER BY rowid LIMIT 1"),
        {textValue(name)});
}

DbStatus CategoryStore::setFileExtensions(const QString& name, const QString& joined) {
    auto r = execStatement(m_db, QStringLiteral("UPDATE SEARCHCATEGORIES SET FILEEXT = ? WHERE CATEGORY = ?"),
                           {textValue(joined), textValue(name)});
    return r ? dbOk() : DbStatus::failure(r.error());
}

} // namespace vorlane::store
