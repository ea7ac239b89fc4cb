#pragma once
// The settings kept in the database: the connection type and the URL filter words.

#include "db_result.h"
#include <QSqlDatabase>
#include <QStringList>

// The connection types offered to the user, in the order shown.
inline const QStringList kConnectionTypes = {"Unknown", "33k", "56k", "ISDN", "Cable", "DSL", "T1", "T2"};

struct ConnectionType {
    QString text;       // as stored, trimmed
    int timeoutSeconds; // transfer time-out derived from the text
    int concurrency;    // pages fetched at once for this kind of link
};

// The time-out and concurrency for a stored text. A text that is none of the known types keeps `previous`.
ConnectionType DeriveConnectionType(const QString& text, const ConnectionType& previous);

class SettingsStore {
public:
    explicit SettingsStore(QSqlDatabase db) : m_db(std::move(db)) {}

    DbResult<ConnectionType> loadConnectionType(const ConnectionType& previous);
    DbResult<QStringList> loadFilters(); // stored order
    // Replaces the connection type and the whole filter list in one transaction: on failure the old
    // settings stay whole.
    DbStatus saveSettings(const QString& connectionType, const QStringList& filters);

private:
    QSqlDatabase m_db;
};

// The values in force before anything was loaded.
inline ConnectionType DefaultConnectionType() {
    return {QStringLiteral("Unknown"), 30, 8};
}
