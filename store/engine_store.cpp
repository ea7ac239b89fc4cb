#include "engine_store.h"
#include "queries.h"
#include "statement.h"

namespace vorlane::store {

// rowid order is the order in which the engines were added.

DbStatus EngineStore::fillNames(QStringList& list) {
    return fillList(m_db, QStringLiteral("SELECT ENGINE FROM SENGINES ORDER BY rowid"), list);
}

DbStatus EngineStore::fillDistinctNames(QStringList& list) {
    // One entry per name regardless of letter case, in the spelling and place of its first row.
    return fillList(
        m_db,
        QStringLiteral(
            "SELECT ENGINE, MIN(rowid) AS FIRSTROW FROM SENGINES GROUP BY ENGINE ORDER BY FIRSTROW"),
        list);
}

DbResult<QStringList> EngineStore::names() {
    QStringList list;
    if (const DbStatus status = fillNames(list); !status)
        return DbResult<QStringList>::failure(status.error());
    return list;
}

DbStatus EngineStore::add(const QString& name) {
    auto r =
        execStatement(m_db, QStringLiteral("INSERT INTO SENGINES (ENGINE) VALUES (?)"), {textValue(name)});
    return r ? dbOk() : DbStatus::failure(r.error());
}

DbStatus EngineStore::remove(const QString& name) {
    auto r = execStatement(m_db, QStringLiteral("DELETE FROM SENGINES WHERE ENGINE = ?"), {textValue(name)});
    return r ? dbOk() : DbStatus::failure(r.error());
}

DbResult<QString> EngineStore::startPage(const QString& name) {
    return queryFirstText(
        m_db, QStringLiteral("SELECT STARTPAGE FROM SENGINES WHERE ENGINE = ? ORDER BY rowid LIMIT 1"),
        {textValue(name)});
}

DbStatus EngineStore::setStartPage(const QString& name, const QString& link) {
    auto r = execStatement(m_db, QStringLiteral("UPDATE SENGINES SET STARTPAGE = ? WHERE ENGINE = ?"),
                           {textValue(link), textValue(name)});
    return r ? dbOk() : DbStatus::failure(r.error());
}

DbResult<QList<EngineLink>> EngineStore::enginesForSearch(const QString& nameOrAll) {
    const bool all = nameOrAll == QLatin1String(kAllEngines);
    QSqlQuery query(m_db);
    const DbStatus status =
        all ? execQuery(query, QStringLiteral("SELECT ENGINE, STARTPAGE FROM SENGINES ORDER BY rowid"))
            : execQuery(
                  query,
                  QStringLiteral("SELECT ENGINE, STARTPAGE FROM SENGINES WHERE ENGINE = ? ORDER BY rowid"),
                  {textValue(nameOrAll)});
    if (!status)
        return DbResult<QList<EngineLink>>::failure(status.error());
    QList<EngineLink> engines;
    while (query.next()) {
        const QVariant page = query.value(1);
        engines.append({query.value(0).toString(), page.isNull() ? QString() : page.toString()});
    }
    if (query.lastError().isValid())
        return DbResult<QList<EngineLink>>::failure(dbErrorText(query.lastError()));
    return engines;
}

} // namespace vorlane::store
