#pragma once
// The one connection to the program's database for the whole run, opened by the start-up step.
// prepareDatabase creates a missing file from the built-in schema, migrates older files, checks integrity
// (a damaged file is kept aside and replaced by a fresh one), compacts in place when worth it, and takes
// SQLite's exclusive lock, which it keeps until close(): a second copy of the program cannot open it, and of
// two copies started at the same moment exactly one gets it.

#include <QSqlDatabase>
#include <QString>

namespace vorlane::store {

enum class StartupOutcome {
    Ready,          // connection open and locked
    AlreadyRunning, // another process holds the lock
    Failed          // the file cannot be opened or created at all (message() says why)
};

class Database {
public:
    Database() = default;
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;
    Database(Database&& other) noexcept;
    Database& operator=(Database&& other) noexcept;

    bool isOpen() const;
    QSqlDatabase connection() const; // the shared connection; invalid once closed
    QString filePath() const { return m_filePath; }
    void close(); // releases the lock; idempotent

private:
    friend struct DatabaseOpener;
    QString m_connectionName;
    QString m_filePath;
};

struct StartupResult {
    StartupOutcome outcome = StartupOutcome::Failed;
    Database database; // open when outcome is Ready
    QString notice; // for the user when something was repaired (e.g. a damaged file kept aside), else empty
    QString error;  // for Failed
    bool compacted = false; // a VACUUM ran during this start
};

// Free pages above this share of the file trigger a VACUUM at start-up.
inline constexpr double kCompactFreePageShare = 0.25;
// ... but only when at least this many pages are free (small files are never worth it).
inline constexpr int kCompactMinFreePages = 256;

inline const char* const kDatabaseFileName = "mc.mdb";

// Opens (or creates) `directory`/`fileName`. The program passes its own folder.
StartupResult prepareDatabase(const QString& directory, const QString& fileName = kDatabaseFileName);

} // namespace vorlane::store
