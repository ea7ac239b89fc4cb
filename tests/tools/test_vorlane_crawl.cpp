// vorlane-crawl run as a process against a local site: what it prints, where, and its exit status.

#include "store/engine_store.h"
#include "tests/support/http_fixture.h"
#include "tests/support/temp_database.h"

#include <QProcess>
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
    const bool finished = process.waitForFinished(30000);
    if (!finished)
        process.kill();
    process.waitForFinished(5000);
    return {finished && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts),
            QString::fromUtf8(process.readAllStandardError())};
}

} // namespace

class TestVorlaneCrawl : public QObject {
    Q_OBJECT

private slots:
    void refusedWithAMessage_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        const QStringList mp3{"--types", ".mp3"};
        QTest::newRow("no types") << QStringList{"--depth", "2", "http://h/"} << 2 << "--types";
        QTest::newRow("neither depth nor web") << mp3 + QStringList{"http://h/"} << 2 << "either";
        QTest::newRow("both depth and web")
            << mp3 + QStringList{"--depth", "2", "--web", "k", "http://h/"} << 2 << "either";
        QTest::newRow("depth not a number")
            << mp3 + QStringList{"--depth", "two", "http://h/"} << 2 << "--depth";
        QTest::newRow("no URL") << mp3 + QStringList{"--depth", "2"} << 2 << "start address";
        QTest::newRow("relative URL") << mp3 + QStringList{"--depth", "2", "h/x"} << 2 << "absolute";
        QTest::newRow("web search with a URL") << mp3 + QStringList{"--web", "k", "http://h/"} << 2 << "URL";
        QTest::newRow("concurrency 0")
            << mp3 + QStringList{"--concurrency", "0", "--depth", "1", "http://h/"} << 2 << "--concurrency";
        QTest::newRow("unknown option") << mp3 + QStringList{"--deep", "1", "http://h/"} << 2 << "deep";
        QTest::newRow("database is a folder") << QStringList{"--db", "{dir}"} + mp3 << 3 << "database";
        QTest::newRow("database held by another program")
            << QStringList{"--db", "{file}"} + mp3 << 3 << "database";
    }
    void refusedWithAMessage() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, message);
        TempDatabase db; // open, so its file is locked
        QVERIFY(db.isValid());
        arguments.replaceInStrings("{dir}", db.directory()).replaceInStrings("{file}", db.filePath());
        if (status == 3)
            arguments << QStringList{"--depth", "1", "http://127.0.0.1:1/"};
        const Run run = runCrawl(arguments);
        QCOMPARE(run.exitCode, status);
        QVERIFY(run.out.isEmpty());
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
    }

    void urlSearchPrintsFilesInOrderRecorded() {
        HttpFixture server;
        server.setPage("/", HttpFixture::linksPage({"b.html", "z.mp3", "a.html", "m.ogg", "skip.txt"}));
        server.setPage("/b.html", HttpFixture::linksPage({"b.mp3", "z.mp3"}));
        server.setPage("/a.html", HttpFixture::linksPage({"a.mp3", "deeper.html"}));
        server.setPage("/deeper.html", HttpFixture::linksPage({"never.mp3"}));
        const Run run =
            runCrawl({"--types", ".mp3,.ogg", "--concurrency", "4", "--depth", "2", server.url("/")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, (QStringList{server.url("/z.mp3"), server.url("/m.ogg"), server.url("/b.mp3"),
                                       server.url("/a.mp3")}));
        QVERIFY(run.err.contains(QStringLiteral("Done.")));
        QCOMPARE(server.hits("/deeper.html"), 0);
    }

    void webSearchUsesTheGivenDatabase() {
        HttpFixture server;
        server.setPage("/find?q=blue%20note", HttpFixture::linksPage({"hit.mp3"}));
        TempDatabase db;
        QVERIFY(db.isValid());
        QVERIFY(EngineStore(db.connection()).add("Local").ok());
        QVERIFY(EngineStore(db.connection()).setStartPage("Local", server.url("/find?q=<!KW!>")).ok());
        db.close(); // the command takes the file's lock
        const Run run = runCrawl(
            {"--db", db.filePath(), "--types", ".mp3", "--web", "blue note", "--engine", "local", "-q"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QStringList{server.url("/hit.mp3")});
        QVERIFY(run.err.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestVorlaneCrawl)
#include "test_vorlane_crawl.moc"
