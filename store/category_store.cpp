#include "category_store.h"
#include "queries.h"
#include "statement.h"

// rowid order is the order in which the types were added.

DbStatus CategoryStore::fillNames(QStringList& list) {
    return FillList(m_db, QStringLiteral("SELECT CATEGORY FROM SEARCHCATEGORIES ORDER BY rowid"), list);
}

DbResult<QStringList> CategoryStore::names() {
    QStringList list;
    if (const DbStatus status = fillNames(list); !status)
        return DbResult<QStringList>::failure(status.error());
    return list;
}

DbStatus CategoryStore::add(const QString& name) {
    auto r = ExecStatement(m_db, QStringLiteral("INSERT INTO SEARCHCATEGORIES (CATEGORY) VALUES (?)"),
                           {TextValue(name)});
    return r ? dbOk() : DbStatus::failure(r.error());
}

DbStatus CategoryStore::remove(const QString& name) {
    auto r = ExecStatement(m_db, QStringLiteral("DELETE FROM SEARCHCATEGORIES WHERE CATEGORY = ?"),
                           {TextValue(name)});
    return r ? dbOk() : DbStatus::failure(r.error());
}

DbResult<QString> CategoryStore::fileExtensions(const QString& name) {
    return QueryFirstText(
        m_db,
        QStringLiteral("SELECT FILEEXT FROM SEARCHCATEGORIES WHERE CATEGORY = ? ORDER BY rowid LIMIT 1"),
        {TextValue(name)});
}

DbStatus CategoryStore::setFileExtensions(const QString& name, const QString& joined) {
    auto r = ExecStatement(m_db, QStringLiteral("UPDATE SEARCHCATEGORIES SET FILEEXT = ? WHERE CATEGORY = ?"),
                           {TextValue(joined), TextValue(name)});
    return r ? dbOk() : DbStatus::failure(r.error());
}
