// vorlane-crawl run as a process against a local site: what it prints, where, and its exit status; and the
// stored politeness it crawls with unless a flag says otherwise.

#include "app/crawl_log_text.h"
#include "store/crawl_log_store.h"
#include "store/crawl_settings_store.h"
#include "store/engine_store.h"
#include "tests/support/http_fixture.h"
#include "tests/support/table_rows.h"
#include "tests/support/temp_database.h"
#include "tests/support/temp_user_options.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <sys/resource.h>
#include <unistd.h>

using namespace vorlane;

using namespace Qt::Literals::StringLiterals;

class TestVorlaneCrawl : public QObject {
    Q_OBJECT

    // The per-user settings, for this process and the command alike: QSettings reads
    // $XDG_CONFIG_HOME/Vorlane/Vorlane.conf, the file TempUserOptions points this process at.
    TempUserOptions m_userOptions;

    struct Outcome {
        int status = -1;
        QStringList printed; // standard output's lines
        QString log;         // standard error
    };
    Outcome crawl(const QStringList& arguments) {
        QProcess process; // killed by its destructor if it hangs
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_userOptions.path());
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(VORLANE_CRAWL_PATH), arguments);
        if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
            return {-1, {}, QStringLiteral("did not finish: ") + process.errorString()};
        return {process.exitCode(),
                QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts),
                QString::fromUtf8(process.readAllStandardError())};
    }

private slots:
    void init() { m_userOptions.clear(); }

    // "{site}": a local site; "{db}": a database whose only engine, "Local", searches that site; "{locked}":
    // a database another program holds open; "{dir}": a folder. Refusals print nothing and say why.
    void run_data() {
        addColumns<QStringList, int, QStringList, QString>({"arguments", "status", "printed", "log"});
        using L = QStringList;
        const L mp3{"--types", ".mp3"}, none;
        addRow("no types", L{"--depth", "2", "http://h/"}, 2, none, "--types");
        addRow("neither depth nor web", mp3 + L{"http://h/"}, 2, none, "either");
        addRow("both depth and web", mp3 + L{"--depth", "2", "--web", "k", "http://h/"}, 2, none, "either");
        addRow("depth not a number", mp3 + L{"--depth", "two", "http://h/"}, 2, none, "--depth");
        addRow("no URL", mp3 + L{"--depth", "2"}, 2, none, "start address");
        addRow("relative URL", mp3 + L{"--depth", "2", "h/x"}, 2, none, "absolute");
        addRow("web search with a URL", mp3 + L{"--web", "k", "http://h/"}, 2, none, "URL");
        addRow("concurrency 0", mp3 + L{"--concurrency", "0", "--depth", "1", "http://h/"}, 2, none,
               "--concurrency");
        addRow("database is a folder", mp3 + L{"--db", "{dir}", "--depth", "1", "{site}/"}, 3, none,
               "database");
        addRow("database held by another program", mp3 + L{"--db", "{locked}", "--depth", "1", "{site}/"}, 3,
               none, "database");
        addRow("URL search, in the order recorded",
               L{"--db", "{db}", "--types", ".mp3,.ogg", "--concurrency", "4", "--depth", "2", "{site}/"}, 0,
               L{"/z.mp3", "/m.ogg", "/b.mp3", "/a.mp3"}, "Done.");
        addRow("max-queue 0", mp3 + L{"--max-queue", "0", "--depth", "1", "http://h/"}, 2, none,
               "--max-queue");
        addRow("the queue's bound, said even when quiet",
               mp3 + L{"--db", "{db}", "--max-queue", "1", "--depth", "2", "-q", "{site}/"}, 0,
               L{"/z.mp3", "/b.mp3"}, "queue full at its bound of 1:");
        addRow("quiet web search", mp3 + L{"--db", "{db}", "--web", "blue note", "--engine", "local", "-q"},
               0, L{"/hit.mp3"}, "");
    }
    void run() {
        auto [arguments, status, printed, log] =
            fetchRow<QStringList, int, QStringList, QString>({"arguments", "status", "printed", "log"});
        HttpFixture server;
        server.setPage("/", HttpFixture::linksPage({"b.html", "z.mp3", "a.html", "m.ogg", "skip.txt"}));
        server.setPage("/b.html", HttpFixture::linksPage({"b.mp3", "z.mp3"}));
        server.setPage("/a.html", HttpFixture::linksPage({"a.mp3", "deeper.html"}));
        server.setPage("/deeper.html", HttpFixture::linksPage({"never.mp3"}));
        server.setPage("/find?q=blue%20note", HttpFixture::linksPage({"hit.mp3"}));
        TempDatabase db, locked;
        {
            store::EngineStore engines(db.connection());
            QVERIFY(engines.add("Local").ok() &&
                    engines.setStartPage("Local", server.url("/find?q=<!KW!>")).ok());
        }
        db.close(); // the command takes the file's lock
        for (const auto& [from, to] : {std::pair{"{site}", server.url("")},
                                       {"{db}", db.filePath()},
                                       {"{locked}", locked.filePath()},
                                       {"{dir}", db.directory()}})
            arguments.replaceInStrings(from, to);
        const Outcome outcome = crawl(arguments);
        QCOMPARE(outcome.status, status);
        for (QString& file : printed)
            file = server.url(file);
        QCOMPARE(outcome.printed, printed);
        QVERIFY2(log.isEmpty() ? outcome.log.isEmpty() : outcome.log.contains(log), qPrintable(outcome.log));
        QCOMPARE(server.hits("/deeper.html"), 0);
    }

    // The stored same-site and robots.txt options apply unless a flag overrides them for the run. The site
    // links to a page under another site's name ("localhost" for the same server) and to a page its
    // robots.txt disallows; each page holds one file.
    void storedPolitenessOrFlags_data() {
        addColumns<bool, QStringList, QStringList>({"stored", "flags", "printed"}); // stored: both options
        using L = QStringList;
        const L everything{"{other}/other.mp3", "/open.mp3", "/private/secret.mp3"};
        addRow("stored off", false, L{}, everything);
        addRow("stored on", true, L{}, L{"/open.mp3"});
        addRow("stored on, both flags off", true, L{"--same-site", "no", "--robots", "no"}, everything);
        addRow("stored on, robots flag off", true, L{"--robots", "no"},
               L{"/open.mp3", "/private/secret.mp3"});
        addRow("stored off, same-site flag on", false, L{"--same-site", "yes"},
               L{"/open.mp3", "/private/secret.mp3"});
    }
    void storedPolitenessOrFlags() {
        auto [stored, flags, printed] =
            fetchRow<bool, QStringList, QStringList>({"stored", "flags", "printed"});
        HttpFixture server;
        const QString other = QStringLiteral("http://localhost:%1").arg(server.port());
        server.setPage("/",
                       HttpFixture::linksPage({other + "/other.html", "open.html", "private/secret.html"}));
        server.setPage("/other.html", HttpFixture::linksPage({"other.mp3"}));
        server.setPage("/open.html", HttpFixture::linksPage({"open.mp3"}));
        server.setPage("/private/secret.html", HttpFixture::linksPage({"secret.mp3"}));
        HttpFixture::Route robots;
        robots.contentType = "text/plain";
        robots.body = "User-agent: *\nDisallow: /private/\n";
        server.setRoute("/robots.txt", robots);
        {
            QSettings settings(QStringLiteral("Vorlane"), QStringLiteral("Vorlane"));
            settings.setValue("Crawling/SameSite", stored);
            settings.setValue("Crawling/ObeyRobots", stored);
        }

        const Outcome outcome =
            crawl(QStringList{"--types", ".mp3", "--depth", "2", "-q", server.url("/")} + flags);
        QVERIFY2(outcome.status == 0, qPrintable(outcome.log));
        for (QString& file : printed)
            file = file.startsWith(u'/') ? server.url(file) : file.replace("{other}", other);
        // The order recorded is the crawl's, tested with it.
        QStringList got = outcome.printed;
        got.sort();
        printed.sort();
        QCOMPARE(got, printed);
    }

    // --log writes one JSON object a line for every page requested or passed over, in the crawl's order,
    // the same entries the database keeps for the campaign. The site has one page of each outcome.
    void logHasAnEntryPerPage_data() {
        addColumns<QString>({"concurrency"});
        addRow("one transfer", QString("1"));
        addRow("eight transfers", QString("8"));
    }
    void logHasAnEntryPerPage() {
        auto [concurrency] = fetchRow<QString>({"concurrency"});
        HttpFixture server;
        const QString other = QStringLiteral("http://localhost:%1/x.html").arg(server.port());
        server.setPage("/", HttpFixture::linksPage({"ok.html", "missing.html", "private/p.html",
                                                    "secret.html", other, "top.mp3"}));
        server.setPage("/ok.html", HttpFixture::linksPage({"a.mp3", "b.mp3"}));
        HttpFixture::Route robots;
        robots.contentType = "text/plain";
        robots.body = "User-agent: *\nDisallow: /secret\n";
        server.setRoute("/robots.txt", robots);
        TempDatabase db;
        QVERIFY(store::CrawlSettingsStore(db.connection()).save({"DSL", {"private"}, {}}).ok());
        db.close();
        QTemporaryDir dir;
        const QString logPath = dir.filePath("log.jsonl");

        const Outcome outcome =
            crawl({"--db", db.filePath(), "--types", ".mp3", "--depth", "2", "-q", "--log", logPath,
                   "--same-site", "yes", "--robots", "yes", "--concurrency", concurrency, server.url("/")});
        QVERIFY2(outcome.status == 0, qPrintable(outcome.log));
        QFile file(logPath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(lines.last(), QByteArray()); // every line ends
        QStringList read;
        for (const QByteArray& line : lines.first(lines.size() - 1)) {
            const QJsonObject entry = QJsonDocument::fromJson(line).object();
            QCOMPARE(entry.size(), 10);
            read << QStringList{entry["address"].toString().remove(server.url("")),
                                entry["level"].toString(),
                                entry["outcome"].toString(),
                                entry["reason"].toString(),
                                QString::number(entry["status"].toInt()),
                                QString::number(entry["links"].toInt()),
                                QString::number(entry["files"].toInt())}
                        .join(u' ');
            // A page that came has its size and time; one passed over has neither.
            QCOMPARE(entry["bytes"].toInt() > 0, entry["status"].toInt() != 0);
            QVERIFY(entry["outcome"].toString() != "skipped" || entry["ms"].toInt() == 0);
        }
        QCOMPARE(read, (QStringList{"/ level 1 fetched  200 6 1", "/ok.html level 2 fetched  200 2 2",
                                    "/missing.html level 2 failed http-error 404 0 0",
                                    "/private/p.html level 2 skipped filtered 0 0 0",
                                    "/secret.html level 2 skipped robots 0 0 0",
                                    other + " level 2 skipped other-site 0 0 0"}));
        QCOMPARE(server.hits("/secret.html") + server.hits("/private/p.html") + server.hits("/x.html"), 0);

        // The same entries are kept with the campaign.
        const store::StartupResult reopened = store::prepareDatabase(QFileInfo(db.filePath()).path());
        QVERIFY(reopened.outcome == store::StartupOutcome::Ready);
        const auto stored = store::CrawlLogStore(reopened.database.connection()).entries(1);
        QCOMPARE(stored->size(), read.size());
        for (qsizetype i = 0; i < stored->size(); ++i)
            QCOMPARE(QJsonDocument(app::logEntryJson(stored->at(i))).toJson(QJsonDocument::Compact),
                     lines.at(i));
    }

    // Links written to break the output or drive the terminal: every printed line is one whole address
    // without a control or a bidirectional override. (HTML reads raw controls other than tab and line breaks
    // as U+FFFD and a raw CR as LF; character references keep them.)
    void hostileLinksPrintOneAddressALine() {
        HttpFixture server;
        const QString site = server.url("");
        QString page;
        for (const QString& href :
             {site + u"/a.mp3&#13;&#10;http://evil.example/spoof2.mp3"_s, site + u"/cr.mp3&#13;over.mp3"_s,
              site + u"/tab\tx.mp3"_s, site + u"/esc&#27;[2J.mp3"_s, site + u"/bs&#8;&#8;.mp3"_s,
              site + u"/abs-rtl\u202Egnp.mp3"_s, u"rel&#27;cx&#7;.mp3"_s, u"rel-rtl&#x202E;gnp.mp3"_s})
            page += u"<a href=\""_s + href + u"\">x</a>\n"_s;
        server.setPage("/", page);
        QProcess process;
        process.start(QStringLiteral(VORLANE_CRAWL_PATH),
                      {"--types", ".mp3", "--depth", "1", "-q", site + "/"});
        QVERIFY(process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        QStringList expected;
        for (const char* printed : {"/a.mp3http://evil.example/spoof2.mp3", "/cr.mp3over.mp3", "/tabx.mp3",
                                    "/esc%1B[2J.mp3", "/bs%08%08.mp3", "/abs-rtl%E2%80%AEgnp.mp3",
                                    "/rel%1Bcx%07.mp3", "/rel-rtl%E2%80%AEgnp.mp3", ""})
            expected << (*printed ? site + QLatin1String(printed) : QString());
        QCOMPARE(QString::fromUtf8(process.readAllStandardOutput()).split(u'\n'), expected);
    }

    // The command among other Unix programs. "how": "terminate" sends SIGTERM once the start page is
    // asked for (it never answers), "closed pipe" gives standard output no reader, "full device" writes it
    // to /dev/full.
    void killedDownloadResumesAtTheNextRun();

    void signalsAndFailures_data() {
        addColumns<QStringList, QString, int, QString>({"arguments", "how", "status", "log"});
        using L = QStringList;
        const L mp3{"--types", ".mp3"};
        addRow("unknown engine refused before the search", mp3 + L{"--web", "k", "--engine", "NoSuchEngine"},
               "", 2, "NoSuchEngine");
        addRow("SIGTERM stops in order", mp3 + L{"--depth", "2", "{site}/hang"}, "terminate", 1, "Stopped.");
        addRow("closed pipe", mp3 + L{"--depth", "1", "{site}/"}, "closed pipe", 4, "standard output");
        addRow("full device", mp3 + L{"--depth", "1", "{site}/"}, "full device", 4, "standard output");
    }
    void signalsAndFailures() {
        auto [arguments, how, status, log] =
            fetchRow<QStringList, QString, int, QString>({"arguments", "how", "status", "log"});
        HttpFixture server;
        server.setPage("/", HttpFixture::linksPage({"a.mp3", "b.mp3"}));
        HttpFixture::Route hang;
        hang.hang = true;
        server.setRoute("/hang", hang);
        arguments.replaceInStrings("{site}", server.url(""));
        QProcess process;
        if (how == u"full device")
            process.setStandardOutputFile(QStringLiteral("/dev/full"));
        if (how == u"closed pipe")
            process.setChildProcessModifier([] {
                int ends[2];
                if (pipe(ends) == 0 && close(ends[0]) == 0)
                    dup2(ends[1], STDOUT_FILENO);
            });
        process.start(QStringLiteral(VORLANE_CRAWL_PATH), arguments);
        if (how == u"terminate") {
            QTRY_VERIFY_WITH_TIMEOUT(server.hits("/hang") == 1, 30000);
            process.terminate();
        }
        QVERIFY(process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit);
        const QString err = QString::fromUtf8(process.readAllStandardError());
        QVERIFY2(err.contains(log), qPrintable(err));
        QCOMPARE(process.exitCode(), status);
    }

    // The disk fills (a file size limit on the process): the first failed write stops the crawl with the
    // database's error and status 3; every address printed is stored, and the file stays sound.
    void fullDiskStopsTheCrawl() {
        HttpFixture server;
        QStringList hrefs;
        for (int i = 0; i < 6000; ++i)
            hrefs << QStringLiteral("albums/an-album-with-a-long-name-%1/a-track-with-a-long-name-%2.mp3")
                         .arg(i / 20)
                         .arg(i);
        server.setPage("/", HttpFixture::linksPage(hrefs));
        TempDatabase db;
        db.close();
        const rlim_t limit = rlim_t(QFileInfo(db.filePath()).size() + 256 * 1024);
        QProcess process;
        process.setChildProcessModifier([limit] {
            const rlimit size{limit, limit};
            setrlimit(RLIMIT_FSIZE, &size);
        });
        process.start(QStringLiteral(VORLANE_CRAWL_PATH),
                      {"--db", db.filePath(), "--types", ".mp3", "--depth", "1", server.url("/")});
        QVERIFY(process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit);
        const QString err = QString::fromUtf8(process.readAllStandardError());
        QCOMPARE(process.exitCode(), 3);
        QVERIFY2(err.contains("Stopped.") && err.contains("database"), qPrintable(err));
        const QStringList printed =
            QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        QVERIFY(!printed.isEmpty() && printed.size() < hrefs.size());

        QSqlDatabase file = QSqlDatabase::addDatabase("QSQLITE", "after");
        file.setDatabaseName(db.filePath());
        QVERIFY(file.open());
        QSqlQuery query(file);
        QVERIFY(query.exec("PRAGMA quick_check") && query.next());
        QCOMPARE(query.value(0).toString(), QStringLiteral("ok"));
        QStringList stored;
        QVERIFY(query.exec("SELECT URL FROM FILELINKS ORDER BY rowid"));
        while (query.next())
            stored << query.value(0).toString();
        QCOMPARE(stored, printed);
        query = QSqlQuery();
        file.close();
        file = QSqlDatabase();
        QSqlDatabase::removeDatabase("after");
    }
};

// A crawl that downloads what it records is killed mid-file; the next run with the same database resumes
// the partial (the server sees a Range request), ends byte-identical, and lists the failed download.
void TestVorlaneCrawl::killedDownloadResumesAtTheNextRun() {
    constexpr qint64 size = 1000000;
    HttpFixture server;
    server.setRoute("/big.mp3", HttpFixture::patternedFile(size, 300000));
    server.setPage("/", HttpFixture::linksPage({"big.mp3", "missing.mp3"}));
    TempDatabase db;
    db.close();
    QTemporaryDir dir;
    const QString file = dir.filePath("files/big.mp3");
    {
        QProcess process;
        process.start(QStringLiteral(VORLANE_CRAWL_PATH),
                      {"--db", db.filePath(), "--types", ".mp3", "--depth", "1", "--download",
                       dir.filePath("files"), server.url("/")});
        // Past the first save of the control file (every second), which a kill leaves as it was.
        QVERIFY(QTest::qWaitFor([&] { return QFileInfo(file).size() > 450000; }, 30000));
        process.kill();
        QVERIFY(process.waitForFinished(10000));
    }
    QVERIFY(QFileInfo(file).size() < size);
    QFile list(dir.filePath("list.txt"));
    QVERIFY(list.open(QIODevice::WriteOnly));
    list.write((server.url("/big.mp3") + "\n" + server.url("/missing.mp3") + "\n").toUtf8());
    list.close();
    const Outcome outcome = crawl(
        {"--db", db.filePath(), "--download-only", list.fileName(), "--download", dir.filePath("files")});
    QCOMPARE(outcome.status, 5);
    QVERIFY2(outcome.log.contains(server.url("/missing.mp3") + ": The server answered 404"),
             qPrintable(outcome.log));
    QFile result(file);
    QVERIFY(result.open(QIODevice::ReadOnly) && result.readAll() == HttpFixture::patternBytes(size));
    QCOMPARE(QDir(dir.filePath("files")).entryList(QDir::Files), QStringList{"big.mp3"});
    QVERIFY(std::any_of(server.requests().cbegin(), server.requests().cend(),
                        [](const HttpFixture::Request& request) {
                            return request.target == "/big.mp3" && request.range.startsWith("bytes=") &&
                                   !request.range.startsWith("bytes=0-");
                        }));
}

QTEST_GUILESS_MAIN(TestVorlaneCrawl)
#include "test_vorlane_crawl.moc"
