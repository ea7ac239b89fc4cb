// The start-up step on real files: fresh, leftover, damaged, old-version and locked databases, and a
// process killed while recording. The executable doubles as the second process: with a mode argument it
// runs one of the helper roles below instead of the tests.

#include "store/campaign_store.h"
#include "store/database.h"
#include "store/queries.h"
#include "tests/support/temp_database.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdio>

namespace {

enum ProbeExit { ProbeReady = 0, ProbeAlreadyRunning = 3, ProbeFailed = 4 };

// Role "--probe <dir>": one start-up attempt, reported through the exit status.
int probe(const QString& dir) {
    const StartupResult started = PrepareDatabase(dir);
    switch (started.outcome) {
    case StartupOutcome::Ready:
        return ProbeReady;
    case StartupOutcome::AlreadyRunning:
        return ProbeAlreadyRunning;
    case StartupOutcome::Failed:
        break;
    }
    return ProbeFailed;
}

// Role "--record <dir>": records links until killed, printing each index once its insert has committed.
int recordForever(const QString& dir) {
    StartupResult started = PrepareDatabase(dir);
    if (started.outcome != StartupOutcome::Ready)
        return ProbeFailed;
    CampaignStore campaigns(started.database.connection());
    const auto id = campaigns.createCampaign(CampaignType::UrlSearch, QStringLiteral("http://start.test/"));
    if (!id)
        return ProbeFailed;
    for (int i = 0;; ++i) {
        if (!campaigns.recordFileLink(*id, QStringLiteral("http://files.test/%1.mp3").arg(i)))
            return ProbeFailed;
        std::printf("%d\n", i);
        std::fflush(stdout);
    }
}

QVariant firstValue(const QSqlDatabase& db, const QString& sql) {
    const auto value = QueryFirstValue(db, sql);
    return value ? *value : QVariant(QStringLiteral("error: ") + value.error());
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Builds a file with plain SQLite (not the start-up step) from `statements`.
void buildFile(const QString& path, const QStringList& statements) {
    const QString name = QStringLiteral("build-") + path;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        QVERIFY(db.open());
        for (const QString& sql : statements) {
            QSqlQuery query(db);
            QVERIFY2(query.exec(sql), qPrintable(sql + QStringLiteral(": ") + query.lastError().text()));
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

int runProbe(const QString& dir) {
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--probe"), dir});
    if (!child.waitForFinished(30000))
        return -1;
    return child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
}

} // namespace

class TestDatabase : public QObject {
    Q_OBJECT

private slots:
    void freshFileHasSchemaAndSeed() {
        TempDatabase temp;
        QVERIFY2(temp.isValid(), qPrintable(temp.error()));
        const QSqlDatabase db = temp.connection();
        QCOMPARE(firstValue(db, "PRAGMA user_version").toInt(), 2);
        QCOMPARE(firstValue(db, "PRAGMA journal_mode").toString(), QStringLiteral("wal"));
        QCOMPARE(
            firstValue(db, "SELECT GROUP_CONCAT(CAMPTYPEID || '=' || CAMPAIGNTYPE, ';') FROM CAMPAIGNTYPES")
                .toString(),
            QStringLiteral("1=URL Search;2=Web Search"));
        QCOMPARE(firstValue(db, "SELECT COUNT(*) || ':' || \"CONNECTION\" FROM \"CONNECTION\"").toString(),
                 QStringLiteral("1:Unknown"));
        QCOMPARE(firstValue(db,
                            "SELECT COUNT(*) || ':' || URLLastClearedCampID || ',' || WebLastClearedCampID "
                            "FROM ClearedHistory")
                     .toString(),
                 QStringLiteral("1:0,0"));
        QVERIFY(firstValue(db, "SELECT FILEEXT FROM SEARCHCATEGORIES WHERE CATEGORY = 'audio'")
                    .toString()
                    .startsWith(QStringLiteral(".mp3,.ogg,.wav,.flac,.m4a,.wma,.aac")));
        QCOMPARE(firstValue(db, "SELECT COUNT(*) FROM SEARCHCATEGORIES").toInt(), 5);
        QVERIFY(firstValue(db, "SELECT COUNT(*) FROM SENGINES").toInt() >= 3);
        QCOMPARE(firstValue(db, "SELECT COUNT(*) FROM SENGINES WHERE STARTPAGE NOT LIKE '%<!KW!>%'").toInt(),
                 0);
        QCOMPARE(firstValue(db, "SELECT COUNT(*) FROM FILTERS").toInt(), 0);

        const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                          QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
        QCOMPARE(QFile::permissions(temp.filePath()) & others, QFile::Permissions());
    }

    void startsCleanly_data() {
        QTest::addColumn<QString>("subfolder");
        QTest::addColumn<QString>("leftover");
        QTest::addColumn<QByteArray>("leftoverBytes");
        QTest::newRow("missing file") << QString() << QString() << QByteArray();
        QTest::newRow("missing folder") << "not/yet/there" << QString() << QByteArray();
        QTest::newRow("leftover compaction target") << QString() << "mc_new.mdb" << QByteArray("half a copy");
        QTest::newRow("empty file") << QString() << "mc.mdb" << QByteArray();
    }
    void startsCleanly() {
        QFETCH(QString, subfolder);
        QFETCH(QString, leftover);
        QFETCH(QByteArray, leftoverBytes);
        QTemporaryDir tmp;
        const QString dir = subfolder.isEmpty() ? tmp.path() : tmp.filePath(subfolder);
        if (!leftover.isEmpty())
            writeFile(QDir(dir).filePath(leftover), leftoverBytes);

        const StartupResult started = PrepareDatabase(dir);
        QVERIFY2(started.outcome == StartupOutcome::Ready, qPrintable(started.error));
        QVERIFY(started.notice.isEmpty());
        QCOMPARE(firstValue(started.database.connection(), "SELECT COUNT(*) FROM CAMPAIGNTYPES").toInt(), 2);
        if (leftover == QLatin1String("mc_new.mdb"))
            QCOMPARE(readAll(QDir(dir).filePath(leftover)), leftoverBytes);
    }

    void damagedFileIsKeptAside_data() {
        QTest::addColumn<int>("kind");
        QTest::newRow("few garbage bytes") << 0;
        QTest::newRow("pages of garbage") << 1;
        QTest::newRow("valid header, damaged pages") << 2;
        QTest::newRow("someone else's database") << 3;
    }
    void damagedFileIsKeptAside() {
        QFETCH(int, kind);
        QTemporaryDir tmp;
        const QString path = tmp.filePath(kDatabaseFileName);
        if (kind == 0) {
            writeFile(path, "definitely not SQLite");
        } else if (kind == 1) {
            QByteArray bytes;
            for (int i = 0; i < 16384; ++i)
                bytes.append(char((i * 131 + 7) % 251));
            writeFile(path, bytes);
        } else if (kind == 2) {
            buildFile(path, {"CREATE TABLE T (V TEXT)", "CREATE INDEX T_V ON T (V)",
                             "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
                             "INSERT INTO T SELECT printf('row %08d %s', i, hex(randomblob(40))) FROM n"});
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.size() > 8 * 4096);
            for (int page = 2; page < 8; ++page) {
                file.seek(qint64(page) * 4096 + 8);
                file.write(QByteArray(600, char(0x5a)));
            }
        } else {
            buildFile(path, {"CREATE TABLE NOTES (TEXT TEXT)", "INSERT INTO NOTES VALUES ('mine')"});
        }
        const QByteArray original = readAll(path);

        const StartupResult started = PrepareDatabase(tmp.path());
        QVERIFY2(started.outcome == StartupOutcome::Ready, qPrintable(started.error));
        QVERIFY(started.notice.contains(QDir::toNativeSeparators(path)));
        QCOMPARE(firstValue(started.database.connection(), "SELECT COUNT(*) FROM CAMPAIGNTYPES").toInt(), 2);

        const QStringList aside =
            QDir(tmp.path()).entryList({QStringLiteral("mc.mdb.damaged-*")}, QDir::Files);
        QCOMPARE(aside.size(), 1);
        QVERIFY(started.notice.contains(aside.first()));
        QCOMPARE(readAll(tmp.filePath(aside.first())), original);
    }

    void oldVersionIsMigrated() {
        QTemporaryDir tmp;
        const QString path = tmp.filePath(kDatabaseFileName);
        // The first released layout: FILELINKS without FOUNDON.
        buildFile(
            path,
            {
                "CREATE TABLE CAMPAIGNTYPES (CAMPTYPEID INTEGER PRIMARY KEY, CAMPAIGNTYPE TEXT NOT NULL "
                "COLLATE NOCASE)",
                "CREATE TABLE CAMPAIGNS (CAMPAIGNID INTEGER PRIMARY KEY AUTOINCREMENT, CAMPTYPEID "
                "INTEGER NOT NULL, CAMPAIGNSOURCE TEXT NOT NULL DEFAULT '' COLLATE NOCASE)",
                "CREATE TABLE FILELINKS (CAMPAIGNID INTEGER NOT NULL, URL TEXT NOT NULL COLLATE NOCASE)",
                "CREATE UNIQUE INDEX FILELINKS_CAMPAIGN_URL ON FILELINKS (CAMPAIGNID, URL COLLATE NOCASE)",
                "INSERT INTO CAMPAIGNTYPES VALUES (1, 'URL Search'), (2, 'Web Search')",
                "INSERT INTO CAMPAIGNS (CAMPTYPEID, CAMPAIGNSOURCE) VALUES (1, 'http://old.test/')",
                "INSERT INTO FILELINKS VALUES (1, 'http://old.test/a.mp3')",
                "PRAGMA user_version = 1",
            });

        const StartupResult started = PrepareDatabase(tmp.path());
        QVERIFY2(started.outcome == StartupOutcome::Ready, qPrintable(started.error));
        QVERIFY(started.notice.isEmpty());
        QCOMPARE(firstValue(started.database.connection(), "PRAGMA user_version").toInt(), 2);
        CampaignStore campaigns(started.database.connection());
        QCOMPARE(campaigns.recordFileLink(1, "http://old.test/b.mp3", "http://old.test/").value(), true);
        QCOMPARE(campaigns.recordFileLink(1, "HTTP://OLD.TEST/A.MP3").value(), false);
        const auto links = campaigns.campaignLinks(1);
        QVERIFY(links.ok());
        QCOMPARE(links->size(), 2);
        QCOMPARE(links->at(0).url, QStringLiteral("http://old.test/a.mp3"));
        QVERIFY(links->at(0).foundOn.isEmpty());
        QCOMPARE(links->at(1).foundOn, QStringLiteral("http://old.test/"));
    }

    void newerVersionIsLeftAlone() {
        QTemporaryDir tmp;
        const QString path = tmp.filePath(kDatabaseFileName);
        buildFile(path, {"CREATE TABLE FUTURE (X)", "PRAGMA user_version = 99"});
        const QByteArray original = readAll(path);
        const StartupResult started = PrepareDatabase(tmp.path());
        QCOMPARE(started.outcome, StartupOutcome::Failed);
        QVERIFY(started.error.contains(QStringLiteral("newer version")));
        QCOMPARE(readAll(path), original);
    }

    void compactsOnlyWhenWorthIt() {
        TempDatabase temp;
        QVERIFY2(temp.isValid(), qPrintable(temp.error()));
        {
            CampaignStore campaigns(temp.connection());
            const int id = campaigns.createCampaign(CampaignType::WebSearch, "bulk").value();
            QSqlQuery fill(temp.connection());
            QVERIFY(
                fill.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                                         "WHERE i < 20000) INSERT INTO FILELINKS (CAMPAIGNID, URL) "
                                         "SELECT %1, 'http://bulk.test/' || i || '/' || hex(randomblob(30)) "
                                         "FROM n")
                              .arg(id)));
        }
        const QString dir = temp.directory();
        temp.close();
        StartupResult unchanged = PrepareDatabase(dir);
        QVERIFY(unchanged.outcome == StartupOutcome::Ready);
        QVERIFY(!unchanged.compacted);
        QVERIFY(CampaignStore(unchanged.database.connection()).deleteAllCampaigns().ok());
        unchanged.database.close();

        const qint64 before = QFileInfo(QDir(dir).filePath(kDatabaseFileName)).size();
        const StartupResult compacted = PrepareDatabase(dir);
        QVERIFY(compacted.outcome == StartupOutcome::Ready);
        QVERIFY(compacted.compacted);
        QCOMPARE(firstValue(compacted.database.connection(), "PRAGMA freelist_count").toInt(), 0);
        QVERIFY(QFileInfo(QDir(dir).filePath(kDatabaseFileName)).size() < before / 4);
    }

    void secondProcessIsRefused() {
        TempDatabase first;
        QVERIFY2(first.isValid(), qPrintable(first.error()));
        QCOMPARE(runProbe(first.directory()), int(ProbeAlreadyRunning));

        {
            // The refused start took nothing from the running one.
            CampaignStore campaigns(first.connection());
            const auto id = campaigns.createCampaign(CampaignType::UrlSearch, "still here");
            QVERIFY2(id.ok(), qPrintable(id.error()));
            QCOMPARE(campaigns.recordFileLink(*id, "http://x.test/a.mp3").value(), true);
        }

        first.close();
        QCOMPARE(runProbe(first.directory()), int(ProbeReady));
    }

    void killedWhileRecordingLosesNothingCommitted() {
        QTemporaryDir tmp;
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--record"), tmp.path()});
        QVERIFY(child.waitForStarted(10000));
        QByteArray output;
        QTRY_VERIFY_WITH_TIMEOUT((output += child.readAllStandardOutput(), output.count('\n') >= 300), 60000);
        child.kill(); // SIGKILL: no chance to close or checkpoint
        QVERIFY(child.waitForFinished(10000));
        output += child.readAllStandardOutput();

        const QList<QByteArray> lines = output.left(output.lastIndexOf('\n')).split('\n');
        const int lastCommitted = lines.last().toInt();
        QCOMPARE(lastCommitted, lines.size() - 1);

        const StartupResult started = PrepareDatabase(tmp.path());
        QVERIFY2(started.outcome == StartupOutcome::Ready, qPrintable(started.error));
        QVERIFY2(started.notice.isEmpty(), qPrintable(started.notice)); // quick_check passed
        const auto links = CampaignStore(started.database.connection()).campaignLinks(1);
        QVERIFY(links.ok());
        // Everything reported is there; at most the one insert in flight when the kill came may be extra.
        QVERIFY(links->size() == lastCommitted + 1 || links->size() == lastCommitted + 2);
        for (int i = 0; i <= lastCommitted; ++i)
            QCOMPARE(links->at(i).url, QStringLiteral("http://files.test/%1.mp3").arg(i));
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--probe") == 0)
        return probe(QString::fromLocal8Bit(argv[2]));
    if (argc == 3 && qstrcmp(argv[1], "--record") == 0)
        return recordForever(QString::fromLocal8Bit(argv[2]));
    TestDatabase test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_database.moc"
