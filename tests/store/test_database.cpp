// The start-up step on real files: fresh, leftover, damaged, old-version and locked databases, and a
// process killed while recording. The executable doubles as the second process: with a mode argument it
// runs one of the helper roles in main() instead of the tests.

#include "store/campaign_store.h"
#include "store/database.h"
#include "store/queries.h"
#include "tests/support/temp_database.h"

#include <QDir>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>
#include <cstdio>

namespace {

enum ProbeExit { ProbeReady = 0, ProbeAlreadyRunning = 3, ProbeFailed = 4 };

// Role "--record <dir>": records links until killed, printing each index once its insert has committed.
int recordForever(const QString& dir) {
    StartupResult started = PrepareDatabase(dir);
    CampaignStore campaigns(started.database.connection());
    const auto id = campaigns.createCampaign(CampaignType::UrlSearch, QStringLiteral("http://start.test/"));
    for (int i = 0; id; ++i) {
        if (!campaigns.recordFileLink(*id, QStringLiteral("http://files.test/%1.mp3").arg(i)))
            break;
        std::printf("%d\n", i);
        std::fflush(stdout);
    }
    return ProbeFailed;
}

QString firstText(const QSqlDatabase& db, const QString& sql) {
    const auto value = QueryFirstValue(db, sql);
    return value ? value->toString() : QStringLiteral("error: ") + value.error();
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Builds a file with plain SQLite (not the start-up step) from `statements`.
void buildFile(const QString& path, const QStringList& statements) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("build"));
        db.setDatabaseName(path);
        QVERIFY(db.open());
        for (const QString& sql : statements) {
            QSqlQuery query(db);
            QVERIFY2(query.exec(sql), qPrintable(sql + QStringLiteral(": ") + query.lastError().text()));
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("build"));
}

int runProbe(const QString& dir) {
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--probe"), dir});
    if (!child.waitForFinished(30000) || child.exitStatus() != QProcess::NormalExit)
        return -1;
    return child.exitCode();
}

#define VERIFY_READY(started)                                                                                \
    QVERIFY2((started).outcome == StartupOutcome::Ready, qPrintable((started).error))

} // namespace

class TestDatabase : public QObject {
    Q_OBJECT

private slots:
    void freshFileHasSchemaAndSeed_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("expected");
        QTest::newRow("version") << "PRAGMA user_version"
                                 << "2";
        QTest::newRow("journal") << "PRAGMA journal_mode"
                                 << "wal";
        QTest::newRow("campaign types")
            << "SELECT GROUP_CONCAT(CAMPTYPEID || '=' || CAMPAIGNTYPE, ';') FROM CAMPAIGNTYPES"
            << "1=URL Search;2=Web Search";
        QTest::newRow("connection") << "SELECT COUNT(*) || ':' || \"CONNECTION\" FROM \"CONNECTION\""
                                    << "1:Unknown";
        QTest::newRow("history markers") << "SELECT COUNT(*) || ':' || URLLastClearedCampID || ',' || "
                                            "WebLastClearedCampID FROM ClearedHistory"
                                         << "1:0,0";
        QTest::newRow("media types") << "SELECT COUNT(*) FROM SEARCHCATEGORIES"
                                     << "5";
        QTest::newRow("audio") << "SELECT FILEEXT LIKE '.mp3,.ogg,.wav,.flac,.m4a,.wma,.aac%' FROM "
                                  "SEARCHCATEGORIES WHERE CATEGORY = 'audio'"
                               << "1";
        QTest::newRow("engines, all with a placeholder")
            << "SELECT COUNT(*) >= 3 AND SUM(STARTPAGE LIKE '%<!KW!>%') = COUNT(*) FROM SENGINES"
            << "1";
        QTest::newRow("no filters") << "SELECT COUNT(*) FROM FILTERS"
                                    << "0";
    }
    void freshFileHasSchemaAndSeed() {
        QFETCH(QString, sql);
        QFETCH(QString, expected);
        TempDatabase temp;
        QVERIFY2(temp.isValid(), qPrintable(temp.error()));
        QCOMPARE(firstText(temp.connection(), sql), expected);
    }

    void startsCleanly_data() {
        QTest::addColumn<QString>("subfolder");
        QTest::addColumn<QString>("leftover");
        QTest::newRow("missing file") << QString() << QString();
        QTest::newRow("missing folder") << "not/yet/there" << QString();
        QTest::newRow("leftover compaction target") << QString() << "mc_new.mdb";
        QTest::newRow("empty file") << QString() << "mc.mdb";
    }
    void startsCleanly() {
        QFETCH(QString, subfolder);
        QFETCH(QString, leftover);
        QTemporaryDir tmp;
        const QDir dir(subfolder.isEmpty() ? tmp.path() : tmp.filePath(subfolder));
        const QByteArray leftoverBytes = leftover == "mc.mdb" ? QByteArray() : QByteArray("half a copy");
        if (!leftover.isEmpty()) {
            QFile file(dir.filePath(leftover));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(leftoverBytes) == leftoverBytes.size());
        }
        const StartupResult started = PrepareDatabase(dir.path());
        VERIFY_READY(started);
        QVERIFY(started.notice.isEmpty());
        QCOMPARE(firstText(started.database.connection(), "SELECT COUNT(*) FROM CAMPAIGNTYPES"), "2");
        if (leftover == QLatin1String("mc_new.mdb"))
            QCOMPARE(readAll(dir.filePath(leftover)), leftoverBytes);
        // No password exists in SQLite, so a file the program creates is the owner's alone.
        const QFile::Permissions others =
            QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
        if (leftover != QLatin1String("mc.mdb"))
            QCOMPARE(QFile::permissions(dir.filePath(kDatabaseFileName)) & others, QFile::Permissions());
    }

    void damagedFileIsKeptAside_data() {
        QTest::addColumn<QStringList>("build");
        QTest::newRow("garbage bytes") << QStringList();
        QTest::newRow("valid header, damaged pages")
            << QStringList{"CREATE TABLE T (V TEXT)", "CREATE INDEX T_V ON T (V)",
                           "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
                           "INSERT INTO T SELECT printf('row %08d %s', i, hex(randomblob(40))) FROM n"};
        QTest::newRow("someone else's database")
            << QStringList{"CREATE TABLE NOTES (TEXT TEXT)", "INSERT INTO NOTES VALUES ('mine')"};
    }
    void damagedFileIsKeptAside() {
        QFETCH(QStringList, build);
        QTemporaryDir tmp;
        const QString path = tmp.filePath(kDatabaseFileName);
        QFile file(path);
        if (build.isEmpty()) {
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("definitely not SQLite") > 0);
        } else {
            buildFile(path, build);
            QVERIFY(file.open(QIODevice::ReadWrite));
            for (int page = 2; build.size() > 2 && page < 8; ++page) {
                QVERIFY(file.seek(qint64(page) * 4096 + 8));
                file.write(QByteArray(600, char(0x5a)));
            }
        }
        file.close();
        const QByteArray original = readAll(path);

        const StartupResult started = PrepareDatabase(tmp.path());
        VERIFY_READY(started);
        QVERIFY(started.notice.contains(QDir::toNativeSeparators(path)));
        QCOMPARE(firstText(started.database.connection(), "SELECT COUNT(*) FROM CAMPAIGNTYPES"), "2");
        const QStringList aside =
            QDir(tmp.path()).entryList({QStringLiteral("mc.mdb.damaged-*")}, QDir::Files);
        QCOMPARE(aside.size(), 1);
        QVERIFY(started.notice.contains(aside.first()));
        QCOMPARE(readAll(tmp.filePath(aside.first())), original);
    }

    void oldVersionIsMigrated() {
        QTemporaryDir tmp;
        // The first released layout: FILELINKS without FOUNDON.
        buildFile(tmp.filePath(kDatabaseFileName),
                  {"CREATE TABLE CAMPAIGNTYPES (CAMPTYPEID INTEGER PRIMARY KEY, CAMPAIGNTYPE TEXT NOT NULL "
                   "COLLATE NOCASE)",
                   "CREATE TABLE CAMPAIGNS (CAMPAIGNID INTEGER PRIMARY KEY AUTOINCREMENT, CAMPTYPEID "
                   "INTEGER NOT NULL, CAMPAIGNSOURCE TEXT NOT NULL DEFAULT '' COLLATE NOCASE)",
                   "CREATE TABLE FILELINKS (CAMPAIGNID INTEGER NOT NULL, URL TEXT NOT NULL COLLATE NOCASE)",
                   "CREATE UNIQUE INDEX FILELINKS_CAMPAIGN_URL ON FILELINKS (CAMPAIGNID, URL COLLATE NOCASE)",
                   "INSERT INTO CAMPAIGNTYPES VALUES (1, 'URL Search'), (2, 'Web Search')",
                   "INSERT INTO CAMPAIGNS (CAMPTYPEID, CAMPAIGNSOURCE) VALUES (1, 'http://old.test/')",
                   "INSERT INTO FILELINKS VALUES (1, 'http://old.test/a.mp3')", "PRAGMA user_version = 1"});

        const StartupResult started = PrepareDatabase(tmp.path());
        VERIFY_READY(started);
        QCOMPARE(firstText(started.database.connection(), "PRAGMA user_version"), "2");
        CampaignStore campaigns(started.database.connection());
        QCOMPARE(campaigns.recordFileLink(1, "http://old.test/b.mp3", "http://old.test/").value(), true);
        QCOMPARE(campaigns.recordFileLink(1, "HTTP://OLD.TEST/A.MP3").value(), false);
        QStringList links;
        const auto rows = campaigns.campaignLinks(1);
        for (const auto& link : rows.value())
            links << link.url + " < " + link.foundOn;
        QCOMPARE(links,
                 (QStringList{"http://old.test/a.mp3 < ", "http://old.test/b.mp3 < http://old.test/"}));
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
        QVERIFY(CampaignStore(temp.connection()).createCampaign(CampaignType::WebSearch, "bulk").ok());
        QVERIFY(QSqlQuery(temp.connection())
                    .exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000) "
                          "INSERT INTO FILELINKS (CAMPAIGNID, URL) "
                          "SELECT 1, 'http://bulk.test/' || i || '/' || hex(randomblob(30)) FROM n"));
        const QString dir = temp.directory();
        temp.close();
        StartupResult unchanged = PrepareDatabase(dir);
        QVERIFY(unchanged.outcome == StartupOutcome::Ready && !unchanged.compacted);
        QVERIFY(CampaignStore(unchanged.database.connection()).deleteAllCampaigns().ok());
        unchanged.database.close();

        const qint64 before = QFileInfo(QDir(dir).filePath(kDatabaseFileName)).size();
        const StartupResult compacted = PrepareDatabase(dir);
        QVERIFY(compacted.outcome == StartupOutcome::Ready && compacted.compacted);
        QCOMPARE(firstText(compacted.database.connection(), "PRAGMA freelist_count"), "0");
        QVERIFY(QFileInfo(QDir(dir).filePath(kDatabaseFileName)).size() < before / 4);
    }

    void secondProcessIsRefused() {
        TempDatabase first;
        QVERIFY2(first.isValid(), qPrintable(first.error()));
        QCOMPARE(runProbe(first.directory()), int(ProbeAlreadyRunning));
        // The refused start took nothing from the running one.
        CampaignStore campaigns(first.connection());
        const auto id = campaigns.createCampaign(CampaignType::UrlSearch, "still here");
        QVERIFY2(id.ok(), qPrintable(id.error()));
        QCOMPARE(campaigns.recordFileLink(*id, "http://x.test/a.mp3").value(), true);
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
        VERIFY_READY(started);
        QVERIFY2(started.notice.isEmpty(), qPrintable(started.notice)); // quick_check passed
        const auto links = CampaignStore(started.database.connection()).campaignLinks(1);
        // Everything reported is there; at most the one insert in flight when the kill came may be extra.
        QVERIFY(links->size() == lastCommitted + 1 || links->size() == lastCommitted + 2);
        for (int i = 0; i <= lastCommitted; ++i)
            QCOMPARE(links->at(i).url, QStringLiteral("http://files.test/%1.mp3").arg(i));
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--probe") == 0) { // one start-up attempt, told by the exit status
        const StartupOutcome outcome = PrepareDatabase(QString::fromLocal8Bit(argv[2])).outcome;
        return outcome == StartupOutcome::Ready            ? ProbeReady
               : outcome == StartupOutcome::AlreadyRunning ? ProbeAlreadyRunning
                                                           : ProbeFailed;
    }
    if (argc == 3 && qstrcmp(argv[1], "--record") == 0)
        return recordForever(QString::fromLocal8Bit(argv[2]));
    TestDatabase test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_database.moc"
