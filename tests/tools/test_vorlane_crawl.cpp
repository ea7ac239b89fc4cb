// vorlane-crawl run as a process against a local site: what it prints, where, and its exit status.

#include "store/engine_store.h"
#include "tests/support/http_fixture.h"
#include "tests/support/temp_database.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int exitCode = -1;
    QStringList out;
    QString err;
};

Run runCrawl(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(VORLANE_CRAWL_PATH), arguments);
    Run run;
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished(5000);
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

} // namespace

class TestVorlaneCrawl : public QObject {
    Q_OBJECT

private slots:
    void badArguments_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("no types") << QStringList{"--depth", "2", "http://h/"} << "--types";
        QTest::newRow("neither depth nor web") << QStringList{"--types", ".mp3", "http://h/"} << "either";
        QTest::newRow("both depth and web")
            << QStringList{"--types", ".mp3", "--depth", "2", "--web", "k", "http://h/"} << "either";
        QTest::newRow("depth not a number")
            << QStringList{"--types", ".mp3", "--depth", "two", "http://h/"} << "--depth";
        QTest::newRow("no URL") << QStringList{"--types", ".mp3", "--depth", "2"} << "start address";
        QTest::newRow("relative URL") << QStringList{"--types", ".mp3", "--depth", "2", "h/x"} << "absolute";
        QTest::newRow("web search with a URL")
            << QStringList{"--types", ".mp3", "--web", "k", "http://h/"} << "URL";
        QTest::newRow("concurrency 0")
            << QStringList{"--types", ".mp3", "--concurrency", "0", "--depth", "1", "http://h/"}
            << "--concurrency";
        QTest::newRow("unknown option")
            << QStringList{"--types", ".mp3", "--deep", "1", "http://h/"} << "deep";
    }
    void badArguments() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const Run run = runCrawl(arguments);
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.out.isEmpty());
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
    }

    void urlSearchPrintsFilesInOrderRecorded() {
        HttpFixture server;
        server.setPage(QStringLiteral("/"),
                       HttpFixture::linksPage({"b.html", "z.mp3", "a.html", "m.ogg", "skip.txt"}));
        server.setPage(QStringLiteral("/b.html"), HttpFixture::linksPage({"b.mp3", "z.mp3"}));
        server.setPage(QStringLiteral("/a.html"), HttpFixture::linksPage({"a.mp3", "deeper.html"}));
        server.setPage(QStringLiteral("/deeper.html"), HttpFixture::linksPage({"never.mp3"}));
        const Run run =
            runCrawl({"--types", ".mp3,.ogg", "--concurrency", "4", "--depth", "2", server.url("/")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, (QStringList{server.url("/z.mp3"), server.url("/m.ogg"), server.url("/b.mp3"),
                                       server.url("/a.mp3")}));
        QVERIFY(run.err.contains(QStringLiteral("Done.")));
        QCOMPARE(server.hits(QStringLiteral("/deeper.html")), 0);
    }

    void webSearchUsesTheGivenDatabase() {
        HttpFixture server;
        server.setPage(QStringLiteral("/find?q=blue%20note"), HttpFixture::linksPage({"hit.mp3"}));
        TempDatabase db;
        QVERIFY(db.isValid());
        {
            EngineStore engines(db.connection());
            QVERIFY(engines.add(QStringLiteral("Local")).ok());
            QVERIFY(engines.setStartPage(QStringLiteral("Local"), server.url("/find?q=<!KW!>")).ok());
        }
        const QString file = db.filePath();
        db.close(); // the command takes the file's lock
        const Run run =
            runCrawl({"--db", file, "--types", ".mp3", "--web", "blue note", "--engine", "local", "-q"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QStringList{server.url("/hit.mp3")});
        QVERIFY(run.err.isEmpty());
    }

    void unusableDatabaseIsReported_data() {
        QTest::addColumn<bool>("locked");
        QTest::newRow("a folder where the file should be") << false;
        QTest::newRow("held by another program") << true;
    }
    void unusableDatabaseIsReported() {
        QFETCH(bool, locked);
        TempDatabase db;
        QVERIFY(db.isValid());
        QString file = db.filePath();
        if (!locked) {
            file = db.directory() + QStringLiteral("/folder.mdb");
            QVERIFY(QDir().mkpath(file));
        }
        const Run run = runCrawl({"--db", file, "--types", ".mp3", "--depth", "1", "http://127.0.0.1:1/"});
        QCOMPARE(run.exitCode, 3);
        QVERIFY(run.out.isEmpty());
        QVERIFY2(run.err.contains(QStringLiteral("database")), qPrintable(run.err));
    }
};

QTEST_GUILESS_MAIN(TestVorlaneCrawl)
#include "test_vorlane_crawl.moc"
