// The crawl engine against real sites served on 127.0.0.1, recording into real database files. Every case
// runs one page at a time and with eight transfers in flight: the rows, their order and the status texts
// must not differ, and no page may be fetched that the one-at-a-time crawl would not fetch.

#include "crawl/crawl_engine.h"
#include "store/campaign_store.h"
#include "store/engine_store.h"
#include "tests/support/http_fixture.h"
#include "tests/support/temp_database.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

namespace {

// Builds a site from lines of a small notation:
//   "/p.html > a.html b.mp3"   a page of <a> links
//   "/p.html = <html>..."      a page with this exact markup
//   "/r -> /s"                 a 302 redirect
//   "/d.php ~ audio/mpeg"      a short body of this Content-Type
//   "/big ! 52428800"          a streamed text/html body of this many bytes, a link to inside.mp3 first
//                              ("!!": without a length)
void buildSite(HttpFixture& server, const QStringList& lines) {
    for (const QString& line : lines) {
        const qsizetype space = line.indexOf(u' ');
        const QString target = line.left(space);
        const QString op = line.mid(space + 1).section(u' ', 0, 0);
        const QString rest = line.mid(space + 1 + op.size()).trimmed();
        if (op == u">") {
            server.setPage(target, HttpFixture::linksPage(rest.split(u' ', Qt::SkipEmptyParts)));
        } else if (op == u"=") {
            server.setPage(target, rest);
        } else if (op == u"->") {
            server.setRedirect(target, rest.startsWith(u'/') ? server.url(rest) : rest);
        } else if (op == u"~") {
            HttpFixture::Route route;
            route.contentType = rest.toUtf8();
            route.body = "ID3\x03\x00binary";
            server.setRoute(target, route);
        } else if (op == u"!" || op == u"!!") {
            HttpFixture::Route route;
            route.streamBytes = rest.toLongLong();
            route.body = "<html><body><a href=\"inside.mp3\">early link</a>";
            route.chunked = op == u"!!";
            server.setRoute(target, route);
        } else {
            qFatal("bad site line: %s", qPrintable(line));
        }
    }
}

// Everything an engine reports during one crawl.
struct Probe {
    explicit Probe(CrawlEngine& engine)
        : finished(&engine, &CrawlEngine::finished), files(&engine, &CrawlEngine::fileRecorded),
          messages(&engine, &CrawlEngine::messageChanged), levels(&engine, &CrawlEngine::levelChanged),
          progress(&engine, &CrawlEngine::progress) {}
    QSignalSpy finished;
    QSignalSpy files;
    QSignalSpy messages;
    QSignalSpy levels;
    QSignalSpy progress;

    bool waitDone(int ms = 20000) { return !finished.isEmpty() || finished.wait(ms); }
    QStringList column(const QSignalSpy& spy, int index) const {
        QStringList out;
        for (const auto& args : spy)
            out << args.at(index).toString();
        return out;
    }
    QStringList addresses() const { return column(files, 1); }
    QStringList texts() const { return column(messages, 0); }
    QStringList levelTexts() const { return column(levels, 0); }
    bool stopped() const { return finished.size() == 1 && finished.first().first().toBool(); }
};

QStringList prefixed(const HttpFixture& server, const QStringList& targets) {
    QStringList out;
    for (const QString& target : targets)
        out << (target.startsWith(u'/') ? server.url(target) : target);
    return out;
}

QStringList crawlingTexts(const HttpFixture& server, const QStringList& targets) {
    QStringList out{QStringLiteral("Wait...")};
    for (const QString& address : prefixed(server, targets))
        out << QStringLiteral("Crawling: ") + address;
    return out;
}

ConnectionType connection(int transfers, int timeoutSeconds = 10) {
    return {QStringLiteral("Unknown"), timeoutSeconds, transfers};
}

void useEngines(QSqlDatabase db, const QList<EngineLink>& engines) {
    EngineStore store(db);
    const auto seeded = store.names();
    QVERIFY(seeded.ok());
    for (const QString& name : seeded.value())
        QVERIFY(store.remove(name).ok());
    for (const EngineLink& engine : engines) {
        QVERIFY(store.add(engine.name).ok());
        if (!engine.startPage.isNull())
            QVERIFY(store.setStartPage(engine.name, engine.startPage).ok());
    }
}

} // namespace

class TestCrawlEngine : public QObject {
    Q_OBJECT

private slots:
    void urlCrawl_data();
    void urlCrawl();
    void webCrawl_data();
    void webCrawl();
    void stopEndsTheCrawlAtOnce_data();
    void stopEndsTheCrawlAtOnce();
    void stopInsideAPageRecordsNoFurtherLink();
    void silentServerTimesOut();
    void hugeResponseIsAbandoned_data();
    void hugeResponseIsAbandoned();
    void pauseHoldsTransfersAndResumeFinishesTheSame();
    void secondSearchAfterAStoppedOne();
    void campaignThatCannotBeCreatedStartsNothing();
    void abortAllEndsWithoutSignals_data();
    void abortAllEndsWithoutSignals();
    void requestsNameTheProgram();

private:
    const QStringList m_noFilters; // the engine keeps a reference to its filter list
};

void TestCrawlEngine::urlCrawl_data() {
    QTest::addColumn<QStringList>("site");
    QTest::addColumn<QString>("start");
    QTest::addColumn<int>("depth");
    QTest::addColumn<QStringList>("filters");
    QTest::addColumn<QStringList>("crawled"); // pages processed, in order ("Crawling: " texts)
    QTest::addColumn<QStringList>("recorded");

    const QStringList abc{"/ > a.html b.html top.mp3", "/a.html > c.html a.mp3", "/b.html > b.mp3",
                          "/c.html > d.html c.mp3", "/d.html > d.mp3"};
    QTest::newRow("depth 0 is the start page only")
        << abc << "/" << 0 << QStringList() << QStringList{"/"} << QStringList{"/top.mp3"};
    QTest::newRow("depth 1 is the start page only")
        << abc << "/" << 1 << QStringList() << QStringList{"/"} << QStringList{"/top.mp3"};
    QTest::newRow("A and B at level 2, C at level 3, D never")
        << abc << "/" << 3 << QStringList() << QStringList{"/", "/a.html", "/b.html", "/c.html"}
        << QStringList{"/top.mp3", "/a.mp3", "/b.mp3", "/c.mp3"};
    QTest::newRow("a level that finds nothing ends the crawl early")
        << abc << "/" << 50 << QStringList() << QStringList{"/", "/a.html", "/b.html", "/c.html", "/d.html"}
        << QStringList{"/top.mp3", "/a.mp3", "/b.mp3", "/c.mp3", "/d.mp3"};
    QTest::newRow("links differing only in letter case are one page")
        << QStringList{"/ > Page.html page.html PAGE.HTML", "/Page.html > x.mp3"} << "/" << 2 << QStringList()
        << QStringList{"/", "/Page.html"} << QStringList{"/x.mp3"};
    QTest::newRow("a page linking to itself is crawled once more, at level 2")
        << QStringList{"/index.html > index.html index.html song.mp3"} << "/index.html" << 4 << QStringList()
        << QStringList{"/index.html", "/index.html"} << QStringList{"/song.mp3"};
    QTest::newRow("a filtered start page: nothing fetched")
        << abc << "/" << 3 << QStringList{"127.0.0.1"} << QStringList() << QStringList();
    QTest::newRow("a filtered page is skipped, file links to filtered addresses are kept")
        << QStringList{"/ > private/p.html pub.html private/x.mp3", "/private/p.html > p.mp3",
                       "/pub.html > q.mp3"}
        << "/" << 2 << QStringList{"private"} << QStringList{"/", "/pub.html"}
        << QStringList{"/private/x.mp3", "/q.mp3"};
    QTest::newRow("an unreachable page yields nothing and the crawl goes on")
        << QStringList{"/ > http://127.0.0.1:1/gone.html missing.html ok.html", "/ok.html > ok.mp3"} << "/"
        << 2 << QStringList() << QStringList{"/", "http://127.0.0.1:1/gone.html", "/missing.html", "/ok.html"}
        << QStringList{"/ok.mp3"};
    QTest::newRow("media by the path's extension, without letter case; fragments make no new page")
        << QStringList{"/ > x.MP3 y.mp3?id=1 z.mp notmedia. p.html#a p.html#b mailto:a@b.c "
                       "javascript:void(0)",
                       "/p.html > "}
        << "/" << 3 << QStringList() << QStringList{"/", "/z.mp", "/notmedia.", "/p.html"}
        << QStringList{"/x.MP3", "/y.mp3?id=1"};
    QTest::newRow("the same file on three pages is one row")
        << QStringList{"/ > a.html b.html s.mp3", "/a.html > s.mp3 S.MP3", "/b.html > /s.mp3"} << "/" << 2
        << QStringList() << QStringList{"/", "/a.html", "/b.html"} << QStringList{"/s.mp3"};
    QTest::newRow("a redirect chain: links resolve against the final address")
        << QStringList{"/ > r1", "/r1 -> /r2", "/r2 -> /dir/final.html",
                       "/dir/final.html > song.mp3 next.html", "/dir/next.html > n.mp3"}
        << "/" << 3 << QStringList() << QStringList{"/", "/r1", "/dir/next.html"}
        << QStringList{"/dir/song.mp3", "/dir/n.mp3"};
    QTest::newRow("a redirect loop yields nothing")
        << QStringList{"/ > loop1 ok.html", "/loop1 -> /loop2", "/loop2 -> /loop1", "/ok.html > ok.mp3"}
        << "/" << 2 << QStringList() << QStringList{"/", "/loop1", "/ok.html"} << QStringList{"/ok.mp3"};
    QTest::newRow("a binary response is not read as a page")
        << QStringList{"/ > blob.bin img.png", "/blob.bin ~ application/octet-stream", "/img.png ~ image/png"}
        << "/" << 2 << QStringList() << QStringList{"/", "/blob.bin", "/img.png"} << QStringList();
    QTest::newRow("embedded media is recorded and never fetched")
        << QStringList{"/ = <audio src=\"a.mp3\"></audio><video><source src=\"v.ogg\"></video>"
                       "<img src=\"pic.html\"><embed src=\"e.mp3\"><a href=\"next.html\">n</a>",
                       "/next.html > "}
        << "/" << 3 << QStringList() << QStringList{"/", "/next.html"}
        << QStringList{"/a.mp3", "/v.ogg", "/e.mp3"};
    QTest::newRow("a script address serving the media type is recorded")
        << QStringList{"/ > get.php?id=7 pic.php", "/get.php?id=7 ~ audio/mpeg", "/pic.php ~ image/png"}
        << "/" << 2 << QStringList() << QStringList{"/", "/get.php?id=7", "/pic.php"}
        << QStringList{"/get.php?id=7"};
    QTest::newRow("a base element sets the base of relative links")
        << QStringList{"/ = <base href=\"/media/\"><a href=\"x.mp3\">x</a><a href=\"p.html\">p</a>",
                       "/media/p.html > "}
        << "/" << 2 << QStringList() << QStringList{"/", "/media/p.html"} << QStringList{"/media/x.mp3"};
}

void TestCrawlEngine::urlCrawl() {
    QFETCH(QStringList, site);
    QFETCH(QString, start);
    QFETCH(int, depth);
    QFETCH(QStringList, filters);
    QFETCH(QStringList, crawled);
    QFETCH(QStringList, recorded);

    HttpFixture server;
    QVERIFY(server.isListening());
    buildSite(server, site);
    TempDatabase db;
    QVERIFY2(db.isValid(), qPrintable(db.error()));

    QStringList firstRequests;
    for (const int transfers : {1, 8}) {
        server.clearRequests();
        CrawlEngine engine(CampaignType::UrlSearch, db.connection(), filters);
        engine.setConnectionType(connection(transfers));
        Probe probe(engine);
        const DbStatus started = engine.startUrlCrawl(server.url(start), QStringLiteral(".mp3,.ogg"), depth);
        QVERIFY2(started.ok(), qPrintable(started.error()));
        QVERIFY(engine.isRunning());
        QVERIFY(probe.waitDone());
        QVERIFY(!engine.isRunning());
        QCOMPARE(probe.stopped(), false);

        QCOMPARE(probe.texts(), crawlingTexts(server, crawled) << QStringLiteral("Done."));
        QCOMPARE(probe.addresses(), prefixed(server, recorded));
        QCOMPARE(probe.files.size(), recorded.size());
        for (const auto& args : probe.files) // the name shown is the address's last segment
            QCOMPARE(args.at(0).toString(), args.at(1).toString().section(u'/', -1));
        const auto rows = CampaignStore(db.connection()).campaignLinks(engine.campaignId());
        QVERIFY(rows.ok());
        QStringList stored;
        for (const FileLinkRow& row : rows.value())
            stored << row.url;
        QCOMPARE(stored, prefixed(server, recorded));

        // No page beyond the last level and no media file is ever requested, however far ahead the
        // fetching runs.
        QStringList requests = server.requestedTargets();
        requests.removeDuplicates(); // a redirect loop's length is the network library's business
        if (transfers == 1) {
            firstRequests = requests;
        } else {
            requests.sort();
            firstRequests.sort();
            QCOMPARE(requests, firstRequests);
        }
        for (const QString& target : requests)
            QVERIFY2(!recorded.contains(target) || target.contains(u'?'), qPrintable(target));
    }
}

void TestCrawlEngine::webCrawl_data() {
    QTest::addColumn<QStringList>("site");
    QTest::addColumn<QStringList>("engines"); // "name|link"; "name|" stands for a NULL link
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QStringList>("crawled");
    QTest::addColumn<QStringList>("levels");
    QTest::addColumn<QStringList>("recorded");

    const QStringList site{"/e1?q=jazz > p1.html shared.html",
                           "/p1.html > deep.html one.mp3",
                           "/deep.html > deeper.html",
                           "/deeper.html > deep.mp3",
                           "/shared.html > shared.mp3",
                           "/e2?q=jazz > shared.html p2.html",
                           "/p2.html > two.mp3",
                           "/e3?q=jazz > three.mp3"};
    const QStringList three{"One|/e1?q=<!KW!>", "Two|/e2?q=<!KW!>", "Three|/e3?q=<!KW!>"};
    QTest::newRow("*All*: each engine's results crawled to the end before the next engine")
        << site << three << "jazz"
        << "*All*" << QStringList{"/e1?q=jazz",   "/p1.html",   "/shared.html", "/deep.html",
                                  "/deeper.html", "/e2?q=jazz", "/p2.html",     "/e3?q=jazz"}
        << QStringList{"Engine: One", "Engine: One", "Engine: One", "Engine: One",
                       "Engine: One", "Engine: Two", "Engine: Two", "Engine: Three"}
        << QStringList{"/one.mp3", "/shared.mp3", "/deep.mp3", "/two.mp3", "/three.mp3"};
    QTest::newRow("one engine by name, without letter case")
        << site << three << "jazz"
        << "two" << QStringList{"/e2?q=jazz", "/shared.html", "/p2.html"}
        << QStringList{"Engine: Two", "Engine: Two", "Engine: Two"} << QStringList{"/shared.mp3", "/two.mp3"};
    QTest::newRow("an engine without a link is skipped")
        << site << QStringList{"Empty|", "Blank|   ", "Three|/e3?q=<!KW!>"} << "jazz"
        << "*All*" << QStringList{"/e3?q=jazz"} << QStringList{"Engine: Three"} << QStringList{"/three.mp3"};
    QTest::newRow("the keyword, encoded, in place of every placeholder")
        << QStringList{"/s?a=rock%20%26%20roll%23&b=rock%20%26%20roll%23 > hit.mp3"}
        << QStringList{"Twice|/s?a=<!KW!>&b=<!KW!>"} << "  rock & roll#  "
        << "*All*" << QStringList{"/s?a=rock%20%26%20roll%23&b=rock%20%26%20roll%23"}
        << QStringList{"Engine: Twice"} << QStringList{"/hit.mp3"};
    QTest::newRow("no engine at all: done at once")
        << site << QStringList() << "jazz"
        << "*All*" << QStringList() << QStringList() << QStringList();
}

void TestCrawlEngine::webCrawl() {
    QFETCH(QStringList, site);
    QFETCH(QStringList, engines);
    QFETCH(QString, keyword);
    QFETCH(QString, engine);
    QFETCH(QStringList, crawled);
    QFETCH(QStringList, levels);
    QFETCH(QStringList, recorded);

    HttpFixture server;
    buildSite(server, site);
    TempDatabase db;
    QVERIFY(db.isValid());
    QList<EngineLink> links;
    for (const QString& line : engines) {
        const QString link = line.section(u'|', 1);
        links.append({line.section(u'|', 0, 0), link.isEmpty()          ? QString()
                                                : link.startsWith(u'/') ? server.url(link)
                                                                        : link});
    }
    useEngines(db.connection(), links);

    for (const int transfers : {1, 8}) {
        server.clearRequests();
        CrawlEngine crawler(CampaignType::WebSearch, db.connection(), m_noFilters);
        crawler.setConnectionType(connection(transfers));
        Probe probe(crawler);
        const DbStatus started = crawler.startWebCrawl(keyword, QStringLiteral(".mp3"), engine);
        QVERIFY2(started.ok(), qPrintable(started.error()));
        QVERIFY(probe.waitDone());
        QCOMPARE(probe.texts(), crawlingTexts(server, crawled) << QStringLiteral("Done."));
        QCOMPARE(probe.levelTexts(), levels);
        QCOMPARE(probe.addresses(), prefixed(server, recorded));
        QStringList requests = server.requestedTargets();
        requests.sort();
        QStringList expected = crawled;
        expected.sort();
        QCOMPARE(requests, expected); // a page shared by two engines is fetched once
    }
}

void TestCrawlEngine::stopEndsTheCrawlAtOnce_data() {
    QTest::addColumn<QStringList>("site");
    QTest::addColumn<QString>("hanging"); // the page during whose transfer Stop comes
    QTest::addColumn<QStringList>("recorded");

    QTest::newRow("the start page never answers") << QStringList{} << "/" << QStringList();
    QTest::newRow("a level-3 page never answers")
        << QStringList{"/ > a.html b.html x.mp3", "/a.html > c.html a.mp3", "/b.html > b.mp3"} << "/c.html"
        << QStringList{"/x.mp3", "/a.mp3", "/b.mp3"};
}

void TestCrawlEngine::stopEndsTheCrawlAtOnce() {
    QFETCH(QStringList, site);
    QFETCH(QString, hanging);
    QFETCH(QStringList, recorded);

    HttpFixture server;
    buildSite(server, site);
    HttpFixture::Route hang;
    hang.hang = true;
    server.setRoute(hanging, hang);
    TempDatabase db;
    CrawlEngine engine(CampaignType::UrlSearch, db.connection(), m_noFilters);
    engine.setConnectionType(connection(8, 60));
    Probe probe(engine);
    QVERIFY(engine.startUrlCrawl(server.url(QStringLiteral("/")), QStringLiteral(".mp3"), 5).ok());
    QTRY_VERIFY_WITH_TIMEOUT(server.hits(hanging) == 1 && probe.files.size() == recorded.size(), 10000);
    QTest::qWait(50);

    QElapsedTimer timer;
    timer.start();
    engine.stop();
    QCOMPARE(engine.stopCampaignId(), engine.campaignId());
    QVERIFY(probe.waitDone(5000));
    QVERIFY2(timer.elapsed() < 2000, "Stop must not wait for the silent server");
    QVERIFY(probe.stopped());
    QCOMPARE(probe.texts().last(), QStringLiteral("Stopped."));
    QCOMPARE(probe.addresses(), prefixed(server, recorded));
    QVERIFY(!engine.isRunning());
}

void TestCrawlEngine::stopInsideAPageRecordsNoFurtherLink() {
    // Depth 1: the only page is cut short, and a stop is still reported as one.
    HttpFixture server;
    QStringList hrefs;
    for (int i = 0; i < 2000; ++i)
        hrefs << QStringLiteral("f%1.mp3").arg(i);
    server.setPage(QStringLiteral("/"), HttpFixture::linksPage(hrefs));
    TempDatabase db;
    CrawlEngine engine(CampaignType::UrlSearch, db.connection(), m_noFilters);
    Probe probe(engine);
    connect(&engine, &CrawlEngine::fileRecorded, &engine, [&engine] { engine.stop(); });
    QVERIFY(engine.startUrlCrawl(server.url(QStringLiteral("/")), QStringLiteral(".mp3"), 1).ok());
    QVERIFY(probe.waitDone());
    QVERIFY(probe.stopped());
    QCOMPARE(probe.files.size(), 1);
    QCOMPARE(probe.texts().last(), QStringLiteral("Stopped."));
    const auto rows = CampaignStore(db.connection()).campaignLinks(engine.campaignId());
    QCOMPARE(rows.value().size(), 1);
}

void TestCrawlEngine::silentServerTimesOut() {
    HttpFixture server;
    server.setPage(QStringLiteral("/"),
                   HttpFixture::linksPage({QStringLiteral("silent.html"), QStringLiteral("ok.html")}));
    server.setPage(QStringLiteral("/ok.html"), HttpFixture::linksPage({QStringLiteral("ok.mp3")}));
    HttpFixture::Route hang;
    hang.hang = true;
    server.setRoute(QStringLiteral("/silent.html"), hang);
    TempDatabase db;
    CrawlEngine engine(CampaignType::UrlSearch, db.connection(), m_noFilters);
    engine.setConnectionType(connection(8, 1));
    Probe probe(engine);
    QVERIFY(engine.startUrlCrawl(server.url(QStringLiteral("/")), QStringLiteral(".mp3"), 2).ok());
    QVERIFY(probe.waitDone(10000));
    QVERIFY(!probe.stopped());
    QCOMPARE(probe.addresses(), QStringList{server.url(QStringLiteral("/ok.mp3"))});
}

void TestCrawlEngine::hugeResponseIsAbandoned_data() {
    QTest::addColumn<QString>("bigPage");
    QTest::addColumn<bool>("atTheHeaders");
    QTest::newRow("with its length: at the headers") << "/big.html ! 52428800" << true;
    QTest::newRow("without a length: as it streams") << "/big.html !! 52428800" << false;
}

void TestCrawlEngine::hugeResponseIsAbandoned() {
    QFETCH(QString, bigPage);
    QFETCH(bool, atTheHeaders);
    HttpFixture server;
    buildSite(server, {"/ > big.html after.html", bigPage, "/after.html > after.mp3"});
    TempDatabase db;
    CrawlEngine engine(CampaignType::UrlSearch, db.connection(), m_noFilters);
    Probe probe(engine);
    QVERIFY(engine.startUrlCrawl(server.url(QStringLiteral("/")), QStringLiteral(".mp3"), 2).ok());
    QVERIFY(probe.waitDone());
    // Not a truncated page either: the link at its very start is never seen.
    QCOMPARE(probe.addresses(), QStringList{server.url(QStringLiteral("/after.mp3"))});
    if (atTheHeaders)
        QVERIFY2(server.bytesStreamed(QStringLiteral("/big.html")) < 16 * 1024 * 1024,
                 qPrintable(QString::number(server.bytesStreamed(QStringLiteral("/big.html")))));
}

void TestCrawlEngine::pauseHoldsTransfersAndResumeFinishesTheSame() {
    HttpFixture server;
    QStringList site{"/ > p1.html p2.html p3.html p4.html top.mp3"};
    for (int i = 1; i <= 4; ++i)
        site << QStringLiteral("/p%1.html > q%1.html m%1.mp3").arg(i)
             << QStringLiteral("/q%1.html > n%1.mp3").arg(i);
    buildSite(server, site);
    server.setLatencyMs(30);
    TempDatabase db;

    QStringList unpaused;
    {
        CrawlEngine engine(CampaignType::UrlSearch, db.connection(), m_noFilters);
        Probe probe(engine);
        QVERIFY(engine.startUrlCrawl(server.url(QStringLiteral("/")), QStringLiteral(".mp3"), 3).ok());
        QVERIFY(probe.waitDone());
        unpaused = probe.addresses();
    }
    QCOMPARE(unpaused.size(), 9);

    CrawlEngine engine(CampaignType::UrlSearch, db.connection(), m_noFilters);
    engine.setConnectionType(connection(2));
    Probe probe(engine);
    connect(&engine, &CrawlEngine::fileRecorded, &engine, [&engine, &probe] {
        if (probe.files.size() == 1)
            engine.pause();
    });
    QVERIFY(engine.startUrlCrawl(server.url(QStringLiteral("/")), QStringLiteral(".mp3"), 3).ok());
    QTRY_VERIFY_WITH_TIMEOUT(engine.isPaused(), 10000);
    QTest::qWait(200); // transfers already in flight may finish
    const int requestsWhenPaused = server.requestedTargets().size();
    const int messagesWhenPaused = probe.messages.size();
    QTest::qWait(300);
    QCOMPARE(server.requestedTargets().size(), requestsWhenPaused);
    QCOMPARE(probe.messages.size(), messagesWhenPaused);
    QCOMPARE(probe.files.size(), 1);
    QVERIFY(probe.finished.isEmpty());

    engine.resume();
    QVERIFY(!engine.isPaused());
    QVERIFY(probe.waitDone());
    QVERIFY(!probe.stopped());
    QCOMPARE(probe.addresses(), unpaused);
}

void TestCrawlEngine::secondSearchAfterAStoppedOne() {
    HttpFixture server;
    buildSite(server, {"/ > a.html x.mp3", "/a.html > y.mp3"});
    HttpFixture::Route hang;
    hang.hang = true;
    server.setRoute(QStringLiteral("/slow"), hang);
    TempDatabase db;
    CrawlEngine engine(CampaignType::UrlSearch, db.connection(), m_noFilters);
    {
        Probe probe(engine);
        QVERIFY(engine.startUrlCrawl(server.url(QStringLiteral("/slow")), QStringLiteral(".mp3"), 2).ok());
        QTRY_VERIFY_WITH_TIMEOUT(server.hits(QStringLiteral("/slow")) == 1, 10000);
        engine.stop();
        QVERIFY(probe.waitDone());
        QVERIFY(probe.stopped());
    }
    const int stoppedCampaign = engine.campaignId();
    Probe probe(engine);
    QVERIFY(engine.startUrlCrawl(server.url(QStringLiteral("/")), QStringLiteral(".mp3"), 2).ok());
    QVERIFY(engine.campaignId() > stoppedCampaign);
    QCOMPARE(engine.stopCampaignId(), stoppedCampaign);
    QVERIFY(probe.waitDone());
    QVERIFY(!probe.stopped());
    QCOMPARE(probe.addresses(), prefixed(server, {"/x.mp3", "/y.mp3"}));
}

void TestCrawlEngine::campaignThatCannotBeCreatedStartsNothing() {
    HttpFixture server;
    server.setPage(QStringLiteral("/"), HttpFixture::linksPage({QStringLiteral("x.mp3")}));
    TempDatabase db;
    CrawlEngine engine(CampaignType::UrlSearch, db.connection(), m_noFilters);
    Probe probe(engine);
    QSignalSpy started(&engine, &CrawlEngine::started);
    db.close();
    const DbStatus status = engine.startUrlCrawl(server.url(QStringLiteral("/")), QStringLiteral(".mp3"), 1);
    QVERIFY(!status.ok());
    QVERIFY(!status.error().isEmpty());
    QVERIFY(!engine.isRunning());
    QTest::qWait(100);
    QVERIFY(started.isEmpty());
    QVERIFY(probe.messages.isEmpty());
    QVERIFY(probe.finished.isEmpty());
    QCOMPARE(server.requestedTargets().size(), 0);
}

void TestCrawlEngine::abortAllEndsWithoutSignals_data() {
    QTest::addColumn<QString>("when");
    QTest::newRow("while a page is in flight") << "fetching";
    QTest::newRow("from a handler of a recorded file") << "fileRecorded";
    QTest::newRow("from a handler of the status text") << "messageChanged";
}

void TestCrawlEngine::abortAllEndsWithoutSignals() {
    QFETCH(QString, when);
    HttpFixture server;
    buildSite(server, {"/ > a.html x.mp3 y.mp3 b.html", "/a.html > a.mp3", "/b.html > b.mp3"});
    server.setLatencyMs(50);
    TempDatabase db;
    CrawlEngine engine(CampaignType::UrlSearch, db.connection(), m_noFilters);
    Probe probe(engine);
    int messagesAtAbort = -1;
    int filesAtAbort = -1;
    int levelsAtAbort = -1;
    const auto abort = [&] {
        if (messagesAtAbort >= 0)
            return;
        messagesAtAbort = int(probe.messages.size());
        filesAtAbort = int(probe.files.size());
        levelsAtAbort = int(probe.levels.size());
        engine.abortAll();
    };
    if (when == u"fileRecorded")
        connect(&engine, &CrawlEngine::fileRecorded, &engine, abort);
    if (when == u"messageChanged")
        connect(&engine, &CrawlEngine::messageChanged, &engine, [&](const QString& text) {
            if (text.startsWith(u"Crawling: "))
                abort();
        });
    QVERIFY(engine.startUrlCrawl(server.url(QStringLiteral("/")), QStringLiteral(".mp3"), 3).ok());
    if (when == u"fetching") {
        QTRY_VERIFY_WITH_TIMEOUT(server.hits(QStringLiteral("/")) == 1, 5000);
        abort();
    }
    QTRY_VERIFY_WITH_TIMEOUT(messagesAtAbort >= 0, 5000);
    QVERIFY(!engine.isRunning());
    QTest::qWait(400);
    // The spies connected first, so they saw the signal whose handler aborted; nothing after it.
    QCOMPARE(probe.messages.size(), messagesAtAbort);
    QCOMPARE(probe.files.size(), filesAtAbort);
    QCOMPARE(probe.levels.size(), levelsAtAbort);
    QVERIFY(probe.finished.isEmpty());
    QVERIFY(probe.progress.isEmpty());
}

void TestCrawlEngine::requestsNameTheProgram() {
    HttpFixture server;
    server.setPage(QStringLiteral("/"), QStringLiteral("<p>nothing</p>"));
    TempDatabase db;
    CrawlEngine engine(CampaignType::UrlSearch, db.connection(), m_noFilters);
    Probe probe(engine);
    QVERIFY(engine.startUrlCrawl(server.url(QStringLiteral("/")), QStringLiteral(".mp3"), 1).ok());
    QVERIFY(probe.waitDone());
    const auto requests = server.requests();
    QCOMPARE(requests.size(), 1);
    QVERIFY(requests.first().userAgent.startsWith("Vorlane/"));
    QVERIFY(requests.first().userAgent.size() > 8);
}

QTEST_GUILESS_MAIN(TestCrawlEngine)
#include "test_crawl_engine.moc"
