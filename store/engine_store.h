#pragma once
// Search engines: a name and a search link holding the keyword placeholder "<!KW!>". Names compare
// without letter case.

#include "db_result.h"
#include <QList>
#include <QSqlDatabase>
#include <QStringList>

namespace vorlane::store {

inline const char* const kKeywordPlaceholder = "<!KW!>";
inline const char* const kAllEngines = "*All*";

struct EngineLink {
    QString name;
    QString startPage; // null QString when NULL
};

class EngineStore {
public:
    explicit EngineStore(QSqlDatabase db) : m_db(std::move(db)) {}

    DbStatus fillNames(QStringList& list);         // appends, stored order
    DbStatus fillDistinctNames(QStringList& list); // appends
    DbResult<QStringList> names();
    DbStatus add(const QString& name); // STARTPAGE stays NULL until a link is set
    DbStatus remove(const QString& name);
    DbResult<QString> startPage(const QString& name); // null QString when NULL or no such engine
    DbStatus setStartPage(const QString& name, const QString& link);
    // Every engine in stored order for kAllEngines, else the one named (compared without letter case).
    DbResult<QList<EngineLink>> enginesForSearch(const QString& nameOrAll);

private:
    QSqlDatabase m_db;
};

} // namespace vorlane::store
