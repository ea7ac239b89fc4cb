#pragma once
// A fresh program database in its own temporary folder, opened by the real start-up step (schema, seed
// rows, exclusive lock). The folder and the file go away with the object.

#include "store/database.h"
#include <QSqlDatabase>
#include <QTemporaryDir>

class TempDatabase {
public:
    TempDatabase();

    // True when the start-up step opened the file; otherwise error() says why.
    bool isValid() const { return m_database.isOpen(); }
    QString error() const { return m_error; }

    QSqlDatabase connection() const { return m_database.connection(); }
    vorlane::store::Database& database() { return m_database; }
    QString directory() const { return m_dir.path(); }
    QString filePath() const { return m_database.filePath(); }
    // Releases the lock (e.g. so another process may open the file); the folder stays.
    void close() { m_database.close(); }

private:
    QTemporaryDir m_dir;
    vorlane::store::Database m_database;
    QString m_error;
};
