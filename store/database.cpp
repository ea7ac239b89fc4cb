#include "database.h"
#include "schema.h"
#include "statement.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QUuid>

namespace vorlane::store {

namespace {

// SQLite's primary result codes the start-up tells apart (Qt reports extended codes; the low byte is the
// primary one).
constexpr int kSqliteCorrupt = 11;
constexpr int kSqliteBusy = 5;
constexpr int kSqliteLocked = 6;
constexpr int kSqliteNotADatabase = 26;

// Long enough to ride over a copy that is just closing, short enough that a second start is told at once.
constexpr int kBusyTimeoutMs = 50;
// Tries at taking the lock, with a random pause between them: a second copy is refused within about
// half a second.
constexpr int kLockAttempts = 6;
constexpr int kLockPauseMinMs = 5;
constexpr int kLockPauseMaxMs = 50;

int primaryCode(const QSqlError& error) {
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok ? (code & 0xff) : -1;
}

enum class OpenState { Ready, Busy, Damaged, Failed };

struct OpenAttempt {
    OpenState state = OpenState::Failed;
    QString detail; // why it is damaged or failed
    bool compacted = false;
};

OpenState classify(const QSqlError& error) {
    switch (primaryCode(error)) {
    case kSqliteBusy:
    case kSqliteLocked:
        return OpenState::Busy;
    case kSqliteCorrupt:
    case kSqliteNotADatabase:
        return OpenState::Damaged;
    default:
        return OpenState::Failed;
    }
}

struct Step {
    bool ok = true;
    OpenState state = OpenState::Ready;
    QString detail;
    QVariant value; // first column of the first row, when there is one
};

Step run(const QSqlDatabase& db, const QString& sql) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(sql) || (query.isSelect() && !query.next() && query.lastError().isValid()))
        return {false, classify(query.lastError()), dbErrorText(query.lastError()), {}};
    return {true, OpenState::Ready, {}, query.isValid() ? query.value(0) : QVariant()};
}

// A new file gets owner-only permissions before SQLite writes a byte (SQLite gives its WAL the same mode):
// there is no password on the data, so the file system is its only guard.
bool createOwnerOnlyFile(const QString& path, QString& error) {
    if (QFileInfo::exists(path))
        return true;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                   QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        if (QFileInfo::exists(path)) // made by someone else in the meantime
            return true;
        error = file.errorString();
        return false;
    }
    return true;
}

// Reads the file's layout version and refuses what this program must not write into. Runs before
// anything changes the file, so a refused file stays byte for byte as it was.
bool inspectVersion(const QSqlDatabase& db, OpenAttempt& attempt, int& current) {
    const Step version = run(db, QStringLiteral("PRAGMA user_version"));
    if (!version.ok) {
        attempt = {version.state, version.detail};
        return false;
    }
    current = version.value.toInt();
    if (current > kSchemaVersion) {
        attempt = {OpenState::Failed, QStringLiteral("it was written by a newer version of Vorlane (database "
                                                     "version %1, this program knows up to %2)")
                                          .arg(current)
                                          .arg(kSchemaVersion)};
        return false;
    }
    if (current == 0) {
        const Step tables = run(db, QStringLiteral("SELECT COUNT(*) FROM sqlite_schema"));
        if (!tables.ok) {
            attempt = {tables.state, tables.detail};
            return false;
        }
        // A database that is not ours is kept aside like a damaged one rather than written into.
        if (tables.value.toInt() != 0) {
            attempt = {OpenState::Damaged, QStringLiteral("it is not a Vorlane database")};
            return false;
        }
    }
    return true;
}

// Creates the layout in an empty file or upgrades an older one, all in one transaction.
bool bringSchemaUpToDate(const QSqlDatabase& db, int current, OpenAttempt& attempt) {
    if (current == kSchemaVersion)
        return true;
    QStringList statements;
    if (current == 0) {
        statements = schemaCreateStatements();
    } else {
        for (int v = current; v < kSchemaVersion; ++v)
            statements += schemaUpgradeStatements(v);
    }
    statements.prepend(QStringLiteral("BEGIN"));
    statements.append(QStringLiteral("PRAGMA user_version = %1").arg(kSchemaVersion));
    statements.append(QStringLiteral("COMMIT"));
    for (const QString& sql : std::as_const(statements)) {
        const Step step = run(db, sql);
        if (!step.ok) {
            run(db, QStringLiteral("ROLLBACK"));
            attempt = {step.state == OpenState::Busy ? OpenState::Failed : step.state,
                       QStringLiteral("the database could not be set up: %1").arg(step.detail)};
            return false;
        }
    }
    return true;
}

// VACUUM rewrites the whole file, so it runs only when enough space would come back.
bool compactIfWorthIt(const QSqlDatabase& db) {
    const Step freePages = run(db, QStringLiteral("PRAGMA freelist_count"));
    const Step pages = run(db, QStringLiteral("PRAGMA page_count"));
    if (!freePages.ok || !pages.ok)
        return false;
    const qint64 freeCount = freePages.value.toLongLong();
    const qint64 pageCount = pages.value.toLongLong();
    if (freeCount < kCompactMinFreePages || double(freeCount) <= kCompactFreePageShare * double(pageCount))
        return false;
    // In place: a failed VACUUM leaves the file as it was, and no second file is ever involved.
    if (!run(db, QStringLiteral("VACUUM")).ok)
        return false;
    run(db, QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    return true;
}

// Opens `path` under `connectionName` and leaves it open only when the result is Ready.
OpenAttempt openChecked(const QString& connectionName, const QString& path) {
    OpenAttempt attempt;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
        if (!db.open()) {
            attempt = {classify(db.lastError()), dbErrorText(db.lastError())};
        } else {
            // The exclusive locking mode keeps every lock once taken, until the connection closes. The
            // empty write transaction takes the exclusive lock now, so a second copy is refused here and
            // not at some later statement.
            attempt.state = OpenState::Ready;
            for (const char* sql : {"PRAGMA locking_mode = EXCLUSIVE", "BEGIN EXCLUSIVE", "COMMIT"}) {
                const Step step = run(db, QLatin1String(sql));
                if (!step.ok) {
                    attempt = {step.state, step.detail};
                    break;
                }
            }
            if (attempt.state == OpenState::Ready) {
                const Step check = run(db, QStringLiteral("PRAGMA quick_check"));
                if (!check.ok)
                    attempt = {check.state == OpenState::Failed ? OpenState::Damaged : check.state,
                               check.detail};
                else if (check.value.toString() != QLatin1String("ok"))
                    attempt = {OpenState::Damaged, check.value.toString()};
            }
            int version = 0;
            if (attempt.state == OpenState::Ready && inspectVersion(db, attempt, version)) {
                // From here on the file is ours to change. WAL with synchronous=NORMAL: each statement
                // commits without waiting for the disk, and a killed process still loses nothing committed.
                // The disk is synced at checkpoints only, on the thread that writes (the window's): a
                // 1,000-page (4 MB) WAL keeps each one to tens of milliseconds, where 40 MB held the window
                // for a third of a second; a crawl commits a slice of links at a time, so they stay rare.
                for (const char* sql : {"PRAGMA journal_mode = WAL", "PRAGMA synchronous = NORMAL",
                                        "PRAGMA wal_autocheckpoint = 1000", "PRAGMA cache_size = -16384"}) {
                    const Step step = run(db, QLatin1String(sql));
                    if (!step.ok) {
                        attempt = {step.state, step.detail};
                        break;
                    }
                }
                if (attempt.state == OpenState::Ready && bringSchemaUpToDate(db, version, attempt))
                    attempt.compacted = compactIfWorthIt(db);
            }
            if (attempt.state != OpenState::Ready)
                db.close();
        }
    }
    if (attempt.state != OpenState::Ready)
        QSqlDatabase::removeDatabase(connectionName);
    return attempt;
}

// Two copies started together can both take SQLite's shared lock before either asks for the exclusive
// one. In the exclusive locking mode neither gives its shared lock back while it waits, so each waits
// out the busy time-out on the other and both would be refused. Closing the connection drops every lock
// it holds; after pauses of different random lengths one copy gets in alone and the other finds it there.
OpenAttempt openLocked(const QString& connectionName, const QString& path) {
    for (int attempt = 1;; ++attempt) {
        OpenAttempt opened = openChecked(connectionName, path);
        if (opened.state != OpenState::Busy || attempt == kLockAttempts)
            return opened;
        QThread::msleep(QRandomGenerator::global()->bounded(kLockPauseMinMs, kLockPauseMaxMs + 1));
    }
}

// A name beside `path` that no file has yet, e.g. "mc.mdb.damaged-20250101-120000".
QString asideName(const QString& path) {
    const QString base = path + QStringLiteral(".damaged-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString candidate = base;
    for (int n = 2; QFileInfo::exists(candidate) || QFileInfo::exists(candidate + QStringLiteral("-wal"));
         ++n)
        candidate = base + QLatin1Char('-') + QString::number(n);
    return candidate;
}

} // namespace

struct DatabaseOpener {
    static void adopt(Database& database, const QString& connectionName, const QString& path) {
        database.m_connectionName = connectionName;
        database.m_filePath = path;
    }
};

Database::~Database() {
    close();
}

Database::Database(Database&& other) noexcept
    : m_connectionName(std::exchange(other.m_connectionName, {})),
      m_filePath(std::exchange(other.m_filePath, {})) {}

Database& Database::operator=(Database&& other) noexcept {
    if (this != &other) {
        close();
        m_connectionName = std::exchange(other.m_connectionName, {});
        m_filePath = std::exchange(other.m_filePath, {});
    }
    return *this;
}

bool Database::isOpen() const {
    return !m_connectionName.isEmpty() && QSqlDatabase::database(m_connectionName, false).isOpen();
}

QSqlDatabase Database::connection() const {
    if (m_connectionName.isEmpty())
        return {};
    return QSqlDatabase::database(m_connectionName, false);
}

void Database::close() {
    if (m_connectionName.isEmpty())
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
    m_connectionName.clear();
}

StartupResult prepareDatabase(const QString& directory, const QString& fileName) {
    StartupResult result;
    const QDir dir(directory);
    const QString path = dir.absoluteFilePath(fileName);
    if (!dir.exists() && !QDir().mkpath(dir.absolutePath())) {
        result.error = QStringLiteral("The folder \"%1\" does not exist and cannot be created.")
                           .arg(QDir::toNativeSeparators(dir.absolutePath()));
        return result;
    }

    const QString connectionName =
        QStringLiteral("vorlane-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    QString createError;
    if (!createOwnerOnlyFile(path, createError)) {
        result.error = QStringLiteral("The database \"%1\" cannot be created: %2")
                           .arg(QDir::toNativeSeparators(path), createError);
        return result;
    }
    OpenAttempt attempt = openLocked(connectionName, path);

    if (attempt.state == OpenState::Damaged) {
        // Kept, never deleted: whatever can still be read in it stays the user's.
        const QString aside = asideName(path);
        if (!QFile::rename(path, aside)) {
            result.error = QStringLiteral("The database \"%1\" is damaged (%2) and cannot be moved aside.")
                               .arg(QDir::toNativeSeparators(path), attempt.detail);
            return result;
        }
        // Its journal belongs with it: left behind, it would be replayed into the fresh file.
        for (const char* suffix : {"-wal", "-shm", "-journal"}) {
            const QString companion = path + QLatin1String(suffix);
            if (QFileInfo::exists(companion))
                QFile::rename(companion, aside + QLatin1String(suffix));
        }
        result.notice =
            QStringLiteral("The database \"%1\" was damaged (%2). It has been kept as \"%3\" and a new, "
                           "empty database was created in its place.")
                .arg(QDir::toNativeSeparators(path), attempt.detail, QDir::toNativeSeparators(aside));
        if (!createOwnerOnlyFile(path, createError)) {
            result.error = QStringLiteral("The database \"%1\" cannot be created: %2")
                               .arg(QDir::toNativeSeparators(path), createError);
            return result;
        }
        attempt = openLocked(connectionName, path);
        if (attempt.state == OpenState::Damaged)
            attempt.state = OpenState::Failed;
    }

    switch (attempt.state) {
    case OpenState::Ready:
        result.outcome = StartupOutcome::Ready;
        result.compacted = attempt.compacted;
        DatabaseOpener::adopt(result.database, connectionName, path);
        break;
    case OpenState::Busy:
        result.outcome = StartupOutcome::AlreadyRunning;
        break;
    case OpenState::Damaged:
    case OpenState::Failed:
        result.outcome = StartupOutcome::Failed;
        result.error = QStringLiteral("The database \"%1\" cannot be opened: %2")
                           .arg(QDir::toNativeSeparators(path), attempt.detail);
        break;
    }
    return result;
}

} // namespace vorlane::store
