// The database on real files. The start-up step: fresh, leftover, damaged, old-version and locked
// databases, and a process killed while recording. The store units: values kept exactly, equality without
// letter case, campaign labels, media types, engines, settings saved as one unit, failures with the
// database's text, the two reading helpers' contracts, and the columns the history markers are kept in.
// Deleting campaigns, ids after Delete All and the markers' effect are tested through the campaign and
// search dialogs on the same stores.
// Every test gets a fresh seeded database in m_temp. The executable doubles as the second process (and
// as copies racing for one file): with a mode argument it runs one of the helper roles in main() instead
// of the tests.

#include "crawl/crawl_settings.h"
#include "store/campaign_store.h"
#include "store/category_store.h"
#include "store/crawl_log_store.h"
#include "store/crawl_settings_store.h"
#include "store/database.h"
#include "store/engine_store.h"
#include "store/history_store.h"
#include "store/queries.h"
#include "store/schema.h"
#include "tests/support/table_rows.h"
#include "tests/support/temp_database.h"
#include "tests/support/temp_user_options.h"

#include <QDir>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>
#include <cstdio>
#include <memory>

using namespace vorlane;

namespace {

enum ProbeExit { ProbeReady = 0, ProbeAlreadyRunning = 3, ProbeFailed = 4 };

ProbeExit probeExit(store::StartupOutcome outcome) {
    return outcome == store::StartupOutcome::Ready            ? ProbeReady
           : outcome == store::StartupOutcome::AlreadyRunning ? ProbeAlreadyRunning
                                                              : ProbeFailed;
}

// Role "--race <dir>": says "ready", makes one start-up attempt when a line arrives on standard input,
// prints its outcome and holds what it got until standard input closes.
int raceForTheLock(const QString& dir) {
    std::printf("ready\n");
    std::fflush(stdout);
    char line[8];
    if (!std::fgets(line, sizeof line, stdin))
        return ProbeFailed;
    const store::StartupResult started = store::prepareDatabase(dir);
    const ProbeExit outcome = probeExit(started.outcome);
    std::printf("%d\n", int(outcome));
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    return outcome;
}

QByteArray nextLine(QProcess& child) {
    while (!child.canReadLine())
        if (!child.waitForReadyRead(30000))
            return {};
    return child.readLine().trimmed();
}

// Role "--record <dir>": records links until killed, printing each index once its insert has committed.
int recordForever(const QString& dir) {
    store::StartupResult started = store::prepareDatabase(dir);
    store::CampaignStore campaigns(started.database.connection());
    const auto id =
        campaigns.createCampaign(store::CampaignType::UrlSearch, QStringLiteral("http://start.test/"));
    for (int i = 0; id; ++i) {
        if (!campaigns.recordFileLink(*id, QStringLiteral("http://files.test/%1.mp3").arg(i)))
            break;
        std::printf("%d\n", i);
        std::fflush(stdout);
    }
    return ProbeFailed;
}

// queryFirstValue's answer as text: 'the value' in quotes, NULL, "no row" or the error.
QString firstText(const QSqlDatabase& db, const QString& sql) {
    const auto value = store::queryFirstValue(db, sql);
    if (!value)
        return QStringLiteral("error: ") + value.error();
    return !value->isValid() ? "no row" : value->isNull() ? "NULL" : "'" + value->toString() + "'";
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

} // namespace

class TestDatabase : public QObject {
    Q_OBJECT

    TempUserOptions m_options; // the politeness part of the crawl settings is per-user
    std::unique_ptr<TempDatabase> m_temp;
    QSqlDatabase db() const { return m_temp->connection(); }

private slots:
    void init() {
        m_temp = std::make_unique<TempDatabase>();
        QVERIFY2(m_temp->isValid(), qPrintable(m_temp->error()));
    }
    void cleanup() { m_temp.reset(); }

    // The seed rows of a fresh file, and queryFirstValue telling no row, NULL and empty text apart.
    void firstValueOnAFreshFile_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("expected");
        // clang-format off
        QTest::newRow("journal") << "PRAGMA journal_mode" << "'wal'";
        QTest::newRow("campaign types") << "SELECT GROUP_CONCAT(CAMPTYPEID || '=' || CAMPAIGNTYPE, ';') FROM CAMPAIGNTYPES" << "'1=URL Search;2=Web Search'";
        QTest::newRow("connection") << "SELECT COUNT(*) || ':' || \"CONNECTION\" FROM \"CONNECTION\"" << "'1:Unknown'";
        QTest::newRow("history markers") << "SELECT COUNT(*) || ':' || URLLastClearedCampID || ',' || WebLastClearedCampID FROM ClearedHistory" << "'1:0,0'";
        QTest::newRow("audio, case-insensitive match") << "SELECT CATEGORY || ':' || (FILEEXT LIKE '.mp3,.ogg,.wav,.flac,.m4a,.wma,.aac%') FROM SEARCHCATEGORIES WHERE CATEGORY = 'aUDIO'" << "'Audio:1'";
        QTest::newRow("engines, all with a placeholder") << "SELECT COUNT(*) >= 3 AND SUM(STARTPAGE LIKE '%<!KW!>%') = COUNT(*) FROM SENGINES" << "'1'";
        QTest::newRow("no row") << "SELECT 1 FROM FILTERS" << "no row";
        QTest::newRow("NULL column") << "SELECT NULL" << "NULL";
        QTest::newRow("empty text") << "SELECT ''" << "''";
        // clang-format on
    }
    void firstValueOnAFreshFile() {
        QFETCH(QString, sql);
        QFETCH(QString, expected);
        QCOMPARE(firstText(db(), sql), expected);
    }

    // Whatever lies in the folder, the start-up step ends with a fresh or intact database. A damaged file
    // is named in the notice and kept aside byte for byte; any other file is left as it was.
    void startsCleanly_data() {
        QTest::addColumn<QString>("subfolder");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("build"); // SQL run on `file` instead of writing `bytes`
        QTest::addColumn<bool>("damaged");
        const QStringList bigTable{
            "CREATE TABLE T (V TEXT)", "CREATE INDEX T_V ON T (V)",
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
            "INSERT INTO T SELECT printf('row %08d %s', i, hex(randomblob(40))) FROM n"};
        // clang-format off
        QTest::newRow("missing file") << "" << "" << QByteArray() << QStringList() << false;
        QTest::newRow("missing folder") << "not/yet/there" << "" << QByteArray() << QStringList() << false;
        QTest::newRow("leftover compaction target") << "" << "mc_new.mdb" << QByteArray("half a copy") << QStringList() << false;
        QTest::newRow("empty file") << "" << "mc.mdb" << QByteArray() << QStringList() << false;
        QTest::newRow("garbage bytes") << "" << "mc.mdb" << QByteArray("definitely not SQLite") << QStringList() << true;
        QTest::newRow("valid header, damaged pages") << "" << "mc.mdb" << QByteArray() << bigTable << true;
        QTest::newRow("someone else's database") << "" << "mc.mdb" << QByteArray() << QStringList{"CREATE TABLE NOTES (TEXT TEXT)", "INSERT INTO NOTES VALUES ('mine')"} << true;
        // clang-format on
    }
    void startsCleanly() {
        QFETCH(QString, subfolder);
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, build);
        QFETCH(bool, damaged);
        QTemporaryDir tmp;
        const QDir dir(tmp.filePath(subfolder));
        const QString path = dir.filePath(file);
        QFile existing(path);
        if (!build.isEmpty())
            buildFile(path, build);
        if (!file.isEmpty())
            QVERIFY(existing.open(QIODevice::ReadWrite) && existing.write(bytes) == bytes.size());
        for (int page = 2; build.size() > 2 && page < 8; ++page) // damage the pages after the header
            QVERIFY(existing.seek(qint64(page) * 4096 + 8) &&
                    existing.write(QByteArray(600, char(0x5a))) > 0);
        existing.close();
        const QByteArray original = readAll(path);

        const store::StartupResult started = store::prepareDatabase(dir.path());
        QVERIFY2(started.outcome == store::StartupOutcome::Ready, qPrintable(started.error));
        QCOMPARE(firstText(started.database.connection(), "SELECT COUNT(*) FROM CAMPAIGNTYPES"), "'2'");
        const QStringList aside = dir.entryList({QStringLiteral("mc.mdb.damaged-*")}, QDir::Files);
        QCOMPARE(aside.size(), damaged ? 1 : 0);
        QCOMPARE(started.notice.isEmpty(), !damaged);
        if (damaged)
            QVERIFY(started.notice.contains(QDir::toNativeSeparators(path)) &&
                    started.notice.contains(aside[0]));
        if (file == QLatin1String("mc_new.mdb") || damaged)
            QCOMPARE(readAll(damaged ? dir.filePath(aside[0]) : path), original);
        // No password exists in SQLite, so a file the program creates is the owner's alone.
        const auto others = QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
        if (file != QLatin1String("mc.mdb") || damaged)
            QCOMPARE(QFile::permissions(dir.filePath(store::kDatabaseFileName)) & others,
                     QFile::Permissions());
    }

    // Files as earlier versions left them: the first released layout (FILELINKS without FOUNDON), the
    // second (FOUNDON) and the third (DOWNLOADS, no crawl log). Each ends at the current version with its
    // rows kept.
    void oldVersionIsMigrated_data() {
        addColumns<int>({"version"});
        addRow("version 1", 1);
        addRow("version 2", 2);
        addRow("version 3", 3);
    }
    void oldVersionIsMigrated() {
        auto [version] = fetchRow<int>({"version"});
        QTemporaryDir tmp;
        // clang-format off
        QStringList statements{
            "CREATE TABLE CAMPAIGNTYPES (CAMPTYPEID INTEGER PRIMARY KEY, CAMPAIGNTYPE TEXT NOT NULL COLLATE NOCASE)",
            "CREATE TABLE CAMPAIGNS (CAMPAIGNID INTEGER PRIMARY KEY AUTOINCREMENT, CAMPTYPEID INTEGER NOT NULL, CAMPAIGNSOURCE TEXT NOT NULL DEFAULT '' COLLATE NOCASE)",
            "CREATE TABLE FILELINKS (CAMPAIGNID INTEGER NOT NULL, URL TEXT NOT NULL COLLATE NOCASE)",
            "CREATE UNIQUE INDEX FILELINKS_CAMPAIGN_URL ON FILELINKS (CAMPAIGNID, URL COLLATE NOCASE)",
            "INSERT INTO CAMPAIGNTYPES VALUES (1, 'URL Search'), (2, 'Web Search')",
            "INSERT INTO CAMPAIGNS (CAMPTYPEID, CAMPAIGNSOURCE) VALUES (1, 'http://old.test/'), (1, 'http://other.test/')",
            "INSERT INTO FILELINKS VALUES (1, 'http://old.test/a.mp3')"};
        // clang-format on
        if (version >= 2)
            statements << "ALTER TABLE FILELINKS ADD COLUMN FOUNDON TEXT COLLATE NOCASE";
        if (version >= 3)
            statements
                << "CREATE TABLE DOWNLOADS (ID INTEGER PRIMARY KEY AUTOINCREMENT, CAMPAIGNID INTEGER, URL "
                   "TEXT "
                   "NOT NULL, TARGET TEXT NOT NULL DEFAULT '', STATE TEXT NOT NULL DEFAULT 'queued', TOTAL "
                   "INTEGER NOT NULL DEFAULT -1, RECEIVED INTEGER NOT NULL DEFAULT 0, ERROR TEXT NOT NULL "
                   "DEFAULT '', ADDED TEXT NOT NULL DEFAULT '', FINISHED TEXT)";
        buildFile(tmp.filePath(store::kDatabaseFileName),
                  statements << QString("PRAGMA user_version = %1").arg(version));

        const store::StartupResult started = store::prepareDatabase(tmp.path());
        QVERIFY2(started.outcome == store::StartupOutcome::Ready, qPrintable(started.error));
        QCOMPARE(firstText(started.database.connection(), "PRAGMA user_version"),
                 QStringLiteral("'%1'").arg(store::kSchemaVersion));
        store::CampaignStore campaigns(started.database.connection());
        QCOMPARE(campaigns.recordFileLink(1, "http://old.test/b.mp3", "http://old.test/").value(), true);
        QCOMPARE(campaigns.recordFileLink(1, "HTTP://OLD.TEST/A.MP3").value(), false);
        const auto rows = campaigns.campaignLinks(1);
        QCOMPARE(rows->size(), 2);
        QCOMPARE(rows->at(0).url + " < " + rows->at(0).foundOn, "http://old.test/a.mp3 < ");
        QCOMPARE(rows->at(1).url + " < " + rows->at(1).foundOn, "http://old.test/b.mp3 < http://old.test/");
        // The crawl log is there, and goes with its campaign.
        store::CrawlLogStore log(started.database.connection());
        for (const int id : {1, 2})
            QVERIFY(log.append(id, {{"http://old.test/", "level 1", "", 200, 10, 1, 1, 5, ""}}).ok());
        QVERIFY(campaigns.deleteCampaign(1).ok());
        QCOMPARE(log.entries(1)->size(), 0);
        QCOMPARE(log.entries(2)->size(), 1);
    }

    // A campaign keeps its newest entries up to the cap, whatever the batches; other campaigns keep theirs.
    void crawlLogDropsTheOldestPastTheCap_data() {
        addColumns<QList<int>, int, QString>({"batches", "cap", "kept"});
        addRow("under the cap", QList<int>{2, 2}, 5, "1 2 3 4");
        addRow("one batch past it", QList<int>{7}, 5, "3 4 5 6 7");
        addRow("several batches past it", QList<int>{3, 4, 2, 3}, 5, "8 9 10 11 12");
        addRow("a cap of one", QList<int>{2, 1}, 1, "3");
    }
    void crawlLogDropsTheOldestPastTheCap() {
        auto [batches, cap, kept] = fetchRow<QList<int>, int, QString>({"batches", "cap", "kept"});
        store::CampaignStore campaigns(m_temp->connection());
        const int id = campaigns.createCampaign(store::CampaignType::UrlSearch, "http://a.test/").value();
        const int other = campaigns.createCampaign(store::CampaignType::UrlSearch, "http://b.test/").value();
        store::CrawlLogStore log(m_temp->connection(), cap);
        QVERIFY(log.append(other, {{"http://b.test/", "level 1", "", 200, 1, 0, 0, 1, ""}}).ok());
        int page = 0;
        for (const int size : batches) {
            QList<store::CrawlLogEntry> batch;
            for (int i = 0; i < size; ++i)
                batch.append({QString::number(++page), "level 2", "timed-out", 0, 0, 0, 0, 30000, ""});
            QVERIFY(log.append(id, batch).ok());
        }
        // Read back by a store that counts afresh.
        const auto entries = store::CrawlLogStore(m_temp->connection()).entries(id);
        QStringList addresses;
        for (const store::CrawlLogEntry& entry : entries.value())
            addresses << entry.address;
        QCOMPARE(addresses.join(u' '), kept);
        QCOMPARE(log.entries(other)->size(), 1);
    }

    void newerVersionIsLeftAlone() {
        QTemporaryDir tmp;
        const QString path = tmp.filePath(store::kDatabaseFileName);
        buildFile(path, {"CREATE TABLE FUTURE (X)", "PRAGMA user_version = 99"});
        const QByteArray original = readAll(path);
        const store::StartupResult started = store::prepareDatabase(tmp.path());
        QCOMPARE(started.outcome, store::StartupOutcome::Failed);
        QVERIFY(started.error.contains(QStringLiteral("newer version")));
        QCOMPARE(readAll(path), original);
    }

    void compactsOnlyWhenWorthIt() {
        TempDatabase& temp = *m_temp;
        QVERIFY(store::CampaignStore(temp.connection())
                    .createCampaign(store::CampaignType::WebSearch, "bulk")
                    .ok());
        QVERIFY(QSqlQuery(temp.connection())
                    .exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000) "
                          "INSERT INTO FILELINKS (CAMPAIGNID, URL) "
                          "SELECT 1, 'http://bulk.test/' || i || '/' || hex(randomblob(30)) FROM n"));
        const QString dir = temp.directory();
        temp.close();
        store::StartupResult unchanged = store::prepareDatabase(dir);
        QVERIFY(unchanged.outcome == store::StartupOutcome::Ready && !unchanged.compacted);
        QVERIFY(store::CampaignStore(unchanged.database.connection()).deleteAllCampaigns().ok());
        unchanged.database.close();

        const qint64 before = QFileInfo(QDir(dir).filePath(store::kDatabaseFileName)).size();
        const store::StartupResult compacted = store::prepareDatabase(dir);
        QVERIFY(compacted.outcome == store::StartupOutcome::Ready && compacted.compacted);
        QCOMPARE(firstText(compacted.database.connection(), "PRAGMA freelist_count"), "'0'");
        QVERIFY(QFileInfo(QDir(dir).filePath(store::kDatabaseFileName)).size() < before / 4);
    }

    void secondProcessIsRefused() {
        TempDatabase& first = *m_temp;
        QCOMPARE(runProbe(first.directory()), int(ProbeAlreadyRunning));
        // The refused start took nothing from the running one: it still writes.
        const auto id = store::CampaignStore(first.connection())
                            .createCampaign(store::CampaignType::UrlSearch, "still here");
        QVERIFY2(id.ok(), qPrintable(id.error()));
        first.close();
        QCOMPARE(runProbe(first.directory()), int(ProbeReady));
    }

    // Copies started at the same instant on one file, new or existing: exactly one of each pair gets it,
    // and the file is a sound database afterwards, never left empty.
    void racingStartsHaveOneWinner_data() {
        QTest::addColumn<bool>("fresh");
        QTest::newRow("new file") << true;
        QTest::newRow("existing file") << false;
    }
    void racingStartsHaveOneWinner() {
        QFETCH(bool, fresh);
        constexpr int kPairs = 4;
        QTemporaryDir tmp;
        std::vector<std::unique_ptr<QProcess>> copies;
        for (int pair = 0; pair < kPairs; ++pair) {
            const QString dir = tmp.filePath(QString::number(pair));
            if (!fresh)
                QVERIFY(store::prepareDatabase(dir).outcome == store::StartupOutcome::Ready);
            for (int copy = 0; copy < 2; ++copy) {
                copies.push_back(std::make_unique<QProcess>());
                copies.back()->start(QCoreApplication::applicationFilePath(),
                                     {QStringLiteral("--race"), dir});
            }
        }
        for (const auto& copy : copies)
            QCOMPARE(nextLine(*copy), "ready");
        for (const auto& copy : copies)
            copy->write("go\n");
        for (const auto& copy : copies)
            QVERIFY(copy->waitForBytesWritten(10000));
        QStringList outcomes; // per pair, sorted
        for (std::size_t i = 0; i < copies.size(); i += 2) {
            QList<QByteArray> pair{nextLine(*copies[i]), nextLine(*copies[i + 1])};
            std::sort(pair.begin(), pair.end());
            outcomes << QString::fromLatin1(pair.join(' '));
        }
        for (const auto& copy : copies) {
            copy->closeWriteChannel();
            QVERIFY(copy->waitForFinished(10000));
        }
        QCOMPARE(outcomes,
                 QStringList(kPairs, QStringLiteral("%1 %2").arg(ProbeReady).arg(ProbeAlreadyRunning)));
        for (int pair = 0; pair < kPairs; ++pair) {
            const QString dir = tmp.filePath(QString::number(pair));
            QVERIFY(QFileInfo(QDir(dir).filePath(store::kDatabaseFileName)).size() > 0);
            const store::StartupResult started = store::prepareDatabase(dir);
            QVERIFY2(started.outcome == store::StartupOutcome::Ready && started.notice.isEmpty(),
                     qPrintable(started.error + started.notice));
            QCOMPARE(firstText(started.database.connection(), "SELECT COUNT(*) FROM CAMPAIGNTYPES"), "'2'");
        }
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

        const store::StartupResult started = store::prepareDatabase(tmp.path());
        QVERIFY2(started.outcome == store::StartupOutcome::Ready, qPrintable(started.error));
        QVERIFY2(started.notice.isEmpty(), qPrintable(started.notice)); // quick_check passed
        const auto links = store::CampaignStore(started.database.connection()).campaignLinks(1);
        // Everything reported is there; at most the one insert in flight when the kill came may be extra.
        QVERIFY(links->size() == lastCommitted + 1 || links->size() == lastCommitted + 2);
        for (int i = 0; i <= lastCommitted; ++i)
            QCOMPARE(links->at(i).url, QStringLiteral("http://files.test/%1.mp3").arg(i));
    }

    void campaignValuesRoundTrip_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("foundOn");
        // clang-format off
        QTest::newRow("quotes") << "it's \"mine\"" << "http://a.test/it's''x.mp3" << "http://a.test/'";
        QTest::newRow("unicode") << "Müsik 音乐 🎵" << "http://例子.测试/ünï 🎵.mp3" << "http://例子.测试/";
        QTest::newRow("sql text") << "'); DROP TABLE CAMPAIGNS; --" << "http://a.test/%27;--.mp3" << QString();
        QTest::newRow("very long") << QString(20000, 's') << "http://a.test/" + QString(100000, 'u') << "http://a.test/" + QString(50000, 'f');
        // clang-format on
    }
    void campaignValuesRoundTrip() {
        QFETCH(QString, source);
        QFETCH(QString, url);
        QFETCH(QString, foundOn);
        store::CampaignStore store(db());
        const auto id = store.createCampaign(store::CampaignType::WebSearch, source);
        QVERIFY2(id.ok(), qPrintable(id.error()));
        QCOMPARE(store.recordFileLink(*id, url, foundOn).value(), true);
        const auto campaigns = store.campaigns();
        QCOMPARE(campaigns->size(), 1);
        const store::CampaignRecord& campaign = campaigns->first();
        QCOMPARE(campaign.label, QString::number(*id) + " - Web Search - " + source);
        QVERIFY(campaign.id == *id && campaign.type == store::CampaignType::WebSearch &&
                campaign.source == source);
        const auto links = store.campaignLinks(*id);
        QCOMPARE(links->size(), 1);
        QCOMPARE(links->first().url + " < " + links->first().foundOn, url + " < " + foundOn);
    }

    void duplicateTest_data() {
        QTest::addColumn<QString>("second");
        QTest::addColumn<bool>("sameCampaign");
        QTest::addColumn<bool>("secondIsNew");
        QTest::newRow("identical") << "http://a.test/x.mp3" << true << false;
        QTest::newRow("letter case") << "HTTP://A.TEST/X.MP3" << true << false;
        QTest::newRow("other path") << "http://a.test/x.mp3/" << true << true;
        QTest::newRow("other campaign") << "http://a.test/x.mp3" << false << true;
    }
    void duplicateTest() {
        QFETCH(QString, second);
        QFETCH(bool, sameCampaign);
        QFETCH(bool, secondIsNew);
        store::CampaignStore store(db());
        const int a = store.createCampaign(store::CampaignType::UrlSearch, "a").value();
        const int b = sameCampaign ? a : store.createCampaign(store::CampaignType::UrlSearch, "b").value();
        QCOMPARE(store.recordFileLink(a, "http://a.test/x.mp3").value(), true);
        QCOMPARE(store.recordFileLink(b, second).value(), secondIsNew);
        QCOMPARE(store::queryFirstValue(db(), "SELECT COUNT(*) FROM FILELINKS")->toInt(),
                 secondIsNew ? 2 : 1);
        QCOMPARE(store.campaignLinks(a)->first().url, "http://a.test/x.mp3"); // the first spelling is kept
    }

    void failuresCarryTheDatabaseText() {
        store::CampaignStore store(db());
        const int id = store.createCampaign(store::CampaignType::UrlSearch, "x").value();
        QVERIFY(store.recordFileLink(id, "http://a.test/1.mp3").value()); // statements now prepared
        QVERIFY(QSqlQuery(db()).exec("DROP TABLE FILELINKS"));
        const auto recorded = store.recordFileLink(id, "http://a.test/2.mp3");
        QVERIFY2(!recorded.ok() && recorded.error().contains("FILELINKS", Qt::CaseInsensitive),
                 qPrintable(recorded.error()));
        const auto deleted = store.deleteCampaign(id);
        QVERIFY(!deleted.ok() && deleted.error().contains("FILELINKS", Qt::CaseInsensitive));
        QCOMPARE(store.campaigns()->size(), 1); // rolled back: the campaign row is still there

        QStringList list{"kept"};
        const auto filled = store::fillList(db(), "SELECT X FROM NO_SUCH_TABLE", list);
        QVERIFY2(!filled.ok() && filled.error().contains("NO_SUCH_TABLE"), qPrintable(filled.error()));
        QCOMPARE(list, QStringList{"kept"});
        QVERIFY(!store::queryFirstValue(db(), "SELEC 1").ok());
    }

    // Names match without letter case; unicode and quotes are kept.
    void mediaTypesAndEngines() {
        store::CategoryStore types(db());
        const QStringList seededTypes = types.names().value();
        QVERIFY(types.add("Tracker's 音").ok() && types.setFileExtensions("TRACKER'S 音", ".mod,.xm").ok());
        QCOMPARE(types.fileExtensions("tracker's 音").value(), QStringLiteral(".mod,.xm"));
        QVERIFY(types.remove("tracker's 音").ok());
        QCOMPARE(types.names().value(), seededTypes);

        store::EngineStore engines(db());
        const QStringList seeded = engines.names().value();
        QVERIFY(engines.add(seeded.first().toUpper()).ok()); // the same name twice is listed once
        QStringList distinct{"first"};
        QVERIFY(engines.fillDistinctNames(distinct).ok());
        QCOMPARE(distinct, QStringList{"first"} + seeded);
        QVERIFY(engines.add("Mine").ok() &&
                engines.setStartPage("MINE", "http://m.test/?q='<!KW!>'&x=ü").ok());
        const auto mine = engines.enginesForSearch("mine");
        QCOMPARE(mine->size(), 1);
        QCOMPARE(mine->first().startPage, "http://m.test/?q='<!KW!>'&x=ü");
        QVERIFY(engines.enginesForSearch("Nobody")->isEmpty());
        QVERIFY(engines.add("Bare").ok() && engines.startPage("Bare")->isNull());
    }

    // Each marker in its own column, read with plain SQL: files written by earlier versions keep their
    // meaning.
    void historyMarkerColumns_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("columns"); // URL,Web after clearing `type`'s history at campaign 7
        QTest::newRow("URL searches") << int(store::CampaignType::UrlSearch) << "7,0";
        QTest::newRow("web searches") << int(store::CampaignType::WebSearch) << "0,7";
    }
    void historyMarkerColumns() {
        QFETCH(int, type);
        QFETCH(QString, columns);
        QVERIFY(store::HistoryStore(db()).clearHistory(store::CampaignType(type), 7).ok());
        QSqlQuery query(db());
        QVERIFY(query.exec("SELECT URLLastClearedCampID, WebLastClearedCampID FROM ClearedHistory") &&
                query.next());
        QCOMPARE(query.value(0).toString() + ',' + query.value(1).toString(), columns);
    }

    void fillListAppends() {
        QStringList list{"kept"};
        QVERIFY(
            store::fillList(db(), "SELECT CAMPAIGNTYPE FROM CAMPAIGNTYPES ORDER BY CAMPTYPEID", list).ok());
        QVERIFY(store::fillList(db(), "SELECT ? UNION ALL SELECT ?", list, {"it's", "ünï"}).ok());
        QCOMPARE(list, (QStringList{"kept", "URL Search", "Web Search", "it's", "ünï"}));
    }

    void connectionType_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("derived"); // time-out/concurrency/text
        // The previous values are 99/5/"previous": a text that is no known type keeps them.
        // clang-format off
        QTest::newRow("56k") << "56k" << "20/2/56k";
        QTest::newRow("DSL, padded") << "  DSL " << "10/8/DSL";
        QTest::newRow("T1") << "T1" << "10/8/T1";
        QTest::newRow("T2 like T1") << "T2" << "10/8/T2";
        QTest::newRow("other case") << "dsl" << "99/5/previous";
        QTest::newRow("unknown text") << "Fibre" << "99/5/previous";
        QTest::newRow("empty") << "" << "99/5/previous";
        // clang-format on
    }
    void connectionType() {
        QFETCH(QString, text);
        QFETCH(QString, derived);
        const crawl::CrawlSettings type =
            crawl::CrawlSettings::fromStored({text, {}, {}}, {"previous", 99, 5, 0, {}, {}});
        QCOMPARE(QString("%1/%2/%3").arg(type.timeoutSeconds).arg(type.concurrency).arg(type.connectionType),
                 derived);
    }

    void settingsSavedAsOneUnit_data() {
        QTest::addColumn<QString>("connection");
        QTest::addColumn<QStringList>("filters");
        QTest::addColumn<bool>("saved");
        QTest::newRow("empty list") << "56k" << QStringList() << true;
        QTest::newRow("quotes and unicode") << "T2" << QStringList{"it's", "''", "wörd 字", "x"} << true;
        QTest::newRow("same words again") << "DSL" << QStringList{"ads", "ads", "Ads"} << true;
        QTest::newRow("refused half-way: old settings whole")
            << "56k" << QStringList{"three", "bad", "four"} << false;
    }
    void settingsSavedAsOneUnit() {
        QFETCH(QString, connection);
        QFETCH(QStringList, filters);
        QFETCH(bool, saved);
        store::CrawlSettingsStore store(db());
        QVERIFY(store.save({"ISDN", {"old", "words"}, {}}).ok());
        QVERIFY(QSqlQuery(db()).exec("CREATE TRIGGER REFUSE BEFORE INSERT ON FILTERS WHEN NEW.FILTER = 'bad' "
                                     "BEGIN SELECT RAISE(ABORT, 'refused by test'); END"));
        const auto status = store.save({connection, filters, {}});
        QCOMPARE(status.ok(), saved);
        QVERIFY2(saved || status.error().contains("refused by test"), qPrintable(status.error()));
        QCOMPARE(store.load()->filters, (saved ? filters : QStringList{"old", "words"}));
        QCOMPARE(store.load()->connectionType, saved ? connection.trimmed() : "ISDN");
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--probe") == 0) // one start-up attempt, told by the exit status
        return probeExit(store::prepareDatabase(QString::fromLocal8Bit(argv[2])).outcome);
    if (argc == 3 && qstrcmp(argv[1], "--race") == 0)
        return raceForTheLock(QString::fromLocal8Bit(argv[2]));
    if (argc == 3 && qstrcmp(argv[1], "--record") == 0)
        return recordForever(QString::fromLocal8Bit(argv[2]));
    TestDatabase test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_database.moc"
