#include "settings_store.h"
#include "queries.h"
#include "statement.h"

// Time-out in seconds and pages fetched at once per connection type. Slow dial-up and ISDN links get few
// parallel fetches, since more would only share the same thin line and make every page time out; the
// broadband types and "Unknown" (most users today) get 8. "T2" counts like "T1".
ConnectionType DeriveConnectionType(const QString& text, const ConnectionType& previous) {
    struct Known {
        const char* text;
        int timeoutSeconds;
        int concurrency;
    };
    static constexpr Known known[] = {
        {"Unknown", 30, 8}, {"33k", 30, 2}, {"56k", 20, 2}, {"ISDN", 15, 4},
        {"Cable", 10, 8},   {"DSL", 10, 8}, {"T1", 10, 8},  {"T2", 10, 8},
    };
    const QString trimmed = text.trimmed();
    for (const Known& k : known) {
        if (trimmed == QLatin1String(k.text))
            return {trimmed, k.timeoutSeconds, k.concurrency};
    }
    return previous;
}

DbResult<ConnectionType> SettingsStore::loadConnectionType(const ConnectionType& previous) {
    const auto value =
        QueryFirstValue(m_db, QStringLiteral("SELECT \"CONNECTION\" FROM \"CONNECTION\" LIMIT 1"));
    if (!value)
        return DbResult<ConnectionType>::failure(value.error());
    return DeriveConnectionType(value->toString(), previous);
}

DbResult<QStringList> SettingsStore::loadFilters() {
    QStringList filters;
    if (const DbStatus status =
            FillList(m_db, QStringLiteral("SELECT FILTER FROM FILTERS ORDER BY rowid"), filters);
        !status)
        return DbResult<QStringList>::failure(status.error());
    return filters;
}

DbStatus SettingsStore::saveSettings(const QString& connectionType, const QStringList& filters) {
    return RunInTransaction(m_db, [&]() -> DbStatus {
        auto updated = ExecStatement(m_db, QStringLiteral("UPDATE \"CONNECTION\" SET \"CONNECTION\" = ?"),
                                     {TextValue(connectionType.trimmed())});
        if (!updated)
            return DbStatus::failure(updated.error());
        // The table must hold its one row; a file that lost it gets it back rather than keeping no choice.
        if (*updated == 0) {
            auto inserted =
                ExecStatement(m_db, QStringLiteral("INSERT INTO \"CONNECTION\" (\"CONNECTION\") VALUES (?)"),
                              {TextValue(connectionType.trimmed())});
            if (!inserted)
                return DbStatus::failure(inserted.error());
        }
        if (auto cleared = ExecStatement(m_db, QStringLiteral("DELETE FROM FILTERS")); !cleared)
            return DbStatus::failure(cleared.error());
        QSqlQuery insert(m_db);
        if (!insert.prepare(QStringLiteral("INSERT INTO FILTERS (FILTER) VALUES (?)")))
            return DbStatus::failure(DbErrorText(insert.lastError()));
        for (const QString& filter : filters) {
            if (const DbStatus status = ExecPrepared(insert, {TextValue(filter)}); !status)
                return status;
        }
        return dbOk();
    });
}
