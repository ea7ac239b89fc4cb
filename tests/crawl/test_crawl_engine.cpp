// The crawl engine against real sites served on 127.0.0.1, recording into real database files. Every table
// case runs one page at a time and with eight transfers in flight: the rows, their order and the status
// texts must not differ, and no page may be fetched that the one-at-a-time crawl would not fetch.

#include "crawl/fetcher.h"
#include "store/campaign_store.h"
#include "store/engine_store.h"
#include "tests/crawl/crawl_site.h"
#include "tests/support/forwarding_proxy.h"
#include "tests/support/raw_server.h"
#include "tests/support/table_rows.h"
#include "tests/support/temp_database.h"

#include <QScopeGuard>

using namespace vorlane;

namespace {

// Replaces the seeded engines by "name|link" lines ("name|" stands for a NULL link).
void useEngines(const HttpFixture& server, QSqlDatabase db, const QStringList& engines) {
    store::EngineStore store(db);
    const auto seeded = store.names();
    for (const QString& name : seeded.value())
        QVERIFY(store.remove(name).ok());
    for (const QString& line : engines) {
        const QString name = line.section(u'|', 0, 0), link = line.section(u'|', 1);
        QVERIFY(store.add(name).ok());
        if (!link.isEmpty())
            QVERIFY(store.setStartPage(name, link.startsWith(u'/') ? server.url(link) : link).ok());
    }
}

} // namespace

class TestCrawlEngine : public QObject {
    Q_OBJECT

private slots:
    // A URL search starts at `start` with `depth` levels; a web search (when `engines` is given: the engine
    // chosen, then the engines) takes `start` as its keyword. `crawled`: the pages processed, in order.
    void crawl_data() {
        addColumns<QStringList, QStringList, QString, int, QString, QString, QString, QString>(
            {"site", "engines", "start", "depth", "filters", "crawled", "levels", "recorded"});
        using L = QStringList;
        const L url;
        const L abc{"/ > a.html b.html top.mp3", "/a.html > c.html a.mp3", "/b.html > b.mp3",
                    "/c.html > d.html c.mp3", "/d.html > d.mp3"};
        addRow("depth 0 is the start page only", abc, url, "/", 0, "", "/", "", "/top.mp3");
        addRow("depth 1 is the start page only", abc, url, "/", 1, "", "/", "", "/top.mp3");
        addRow("A and B at level 2, C at level 3, D never", abc, url, "/", 3, "", "/ /a.html /b.html /c.html",
               "", "/top.mp3 /a.mp3 /b.mp3 /c.mp3");
        addRow("a level that finds nothing ends the crawl early", abc, url, "/", 50, "",
               "/ /a.html /b.html /c.html /d.html", "", "/top.mp3 /a.mp3 /b.mp3 /c.mp3 /d.mp3");
        addRow("links differing only in letter case are one page",
               L{"/ > Page.html page.html PAGE.HTML", "/Page.html > x.mp3"}, url, "/", 2, "", "/ /Page.html",
               "", "/x.mp3");
        addRow("a page linking to itself is crawled once more, at level 2",
               L{"/index.html > index.html index.html song.mp3"}, url, "/index.html", 4, "",
               "/index.html /index.html", "", "/song.mp3");
        addRow("a filtered start page: nothing fetched", abc, url, "/", 3, "127.0.0.1", "", "", "");
        addRow("a filtered page is skipped, file links to filtered addresses are kept",
               L{"/ > private/p.html pub.html private/x.mp3", "/private/p.html > p.mp3", "/pub.html > q.mp3"},
               url, "/", 2, "private", "/ /pub.html", "", "/private/x.mp3 /q.mp3");
        addRow("an unreachable page yields nothing and the crawl goes on",
               L{"/ > http://127.0.0.1:1/gone.html missing.html ok.html", "/ok.html > ok.mp3"}, url, "/", 2,
               "", "/ http://127.0.0.1:1/gone.html /missing.html /ok.html", "", "/ok.mp3");
        addRow("media by the path's extension, without letter case; fragments make no new page",
               L{"/ > x.MP3 y.mp3?id=1 z.mp notmedia. p.html#a p.html#b mailto:a@b.c javascript:void(0)",
                 "/p.html > "},
               url, "/", 3, "", "/ /z.mp /notmedia. /p.html", "", "/x.MP3 /y.mp3?id=1");
        addRow("a file link's fragment is not part of the file", L{"/ > x.mp3 x.mp3#t=30 X.MP3#t=60 y.mp3#a"}, url,
               "/", 1, "", "/", "", "/x.mp3 /y.mp3");
        addRow("the same file on three pages is one row",
               L{"/ > a.html b.html s.mp3", "/a.html > s.mp3 S.MP3", "/b.html > /s.mp3"}, url, "/", 2, "",
               "/ /a.html /b.html", "", "/s.mp3");
        addRow("a silent server: the time-out ends the page and the crawl goes on",
               L{"/ > silent.html ok.html", "/silent.html ?", "/ok.html > ok.mp3"}, url, "/", 2, "",
               "/ /silent.html /ok.html", "", "/ok.mp3");
        addRow("a redirect chain: links resolve against the final address",
               L{"/ > r1", "/r1 -> /r2", "/r2 -> /dir/final.html", "/dir/final.html > song.mp3 next.html",
                 "/dir/next.html > n.mp3"},
               url, "/", 3, "", "/ /r1 /dir/next.html", "", "/dir/song.mp3 /dir/n.mp3");
        addRow("a redirect loop yields nothing",
               L{"/ > loop1 ok.html", "/loop1 -> /loop2", "/loop2 -> /loop1", "/ok.html > ok.mp3"}, url, "/",
               2, "", "/ /loop1 /ok.html", "", "/ok.mp3");
        addRow("a binary response is not read as a page",
               L{"/ > blob.bin img.png", "/blob.bin ~ application/octet-stream", "/img.png ~ image/png"}, url,
               "/", 2, "", "/ /blob.bin /img.png", "", "");
        // Not a truncated page either: the link at its very start is never seen.
        for (const char* big : {"/big.html ! 52428800", "/big.html !! 52428800"})
            addRow(big, L{"/ > big.html after.html", big, "/after.html > after.mp3"}, url, "/", 2, "",
                   "/ /big.html /after.html", "", "/after.mp3");
        // Read whole through the transfer's small read buffer, sized or not.
        for (const char* large : {"/big.html ! 3000000", "/big.html !! 3000000"})
            addRow(large, L{"/ > big.html after.html", large, "/after.html > after.mp3"}, url, "/", 2, "",
                   "/ /big.html /after.html", "", "/inside.mp3 /after.mp3");
        addRow("embedded media is recorded and never fetched",
               L{"/ = <audio src=\"a.mp3\"></audio><video><source src=\"v.ogg\"></video>"
                 "<img src=\"pic.html\"><embed src=\"e.mp3\"><a href=\"next.html\">n</a>",
                 "/next.html > "},
               url, "/", 3, "", "/ /next.html", "", "/a.mp3 /v.ogg /e.mp3");
        // Plain text too is a file of its type, never a page whose links are read.
        addRow("a script address serving the media type is recorded",
               L{"/ > get.php?id=7 pic.php get.php?id=8", "/get.php?id=7 ~ audio/mpeg",
                 "/pic.php ~ image/png", "/get.php?id=8 # <a href=\"x.mp3\">x</a>"},
               url, "/", 2, "", "/ /get.php?id=7 /pic.php /get.php?id=8", "", "/get.php?id=7 /get.php?id=8");
        // At its headers, not read up to the page cap and failed.
        addRow("a long media stream at a page's address is recorded",
               L{"/ > get.php?id=9 after.html", "/get.php?id=9 !! 9437184 audio/mpeg",
                 "/after.html > after.mp3"},
               url, "/", 2, "", "/ /get.php?id=9 /after.html", "", "/get.php?id=9 /after.mp3");
        addRow("a base element sets the base of relative links",
               L{"/ = <base href=\"/media/\"><a href=\"x.mp3\">x</a><a href=\"p.html\">p</a>",
                 "/media/p.html > "},
               url, "/", 2, "", "/ /media/p.html", "", "/media/x.mp3");

        // Web searches; `levels` lists the engine named in the second panel at each page.
        const L site{"/e1?q=jazz > p1.html shared.html",
                     "/p1.html > deep.html one.mp3",
                     "/deep.html > deeper.html",
                     "/deeper.html > deep.mp3",
                     "/shared.html > shared.mp3",
                     "/e2?q=jazz > shared.html p2.html",
                     "/p2.html > two.mp3",
                     "/e3?q=jazz > three.mp3"};
        const L three{"One|/e1?q=<!KW!>", "Two|/e2?q=<!KW!>", "Three|/e3?q=<!KW!>"};
        addRow("*All*: each engine's results crawled to the end before the next engine; a shared page "
               "fetched once",
               site, L{"*All*"} + three, "jazz", 0, "",
               "/e1?q=jazz /p1.html /shared.html /deep.html /deeper.html /e2?q=jazz /p2.html /e3?q=jazz",
               "One One One One One Two Two Three", "/one.mp3 /shared.mp3 /deep.mp3 /two.mp3 /three.mp3");
        addRow("one engine by name, without letter case", site, L{"two"} + three, "jazz", 0, "",
               "/e2?q=jazz /shared.html /p2.html", "Two Two Two", "/shared.mp3 /two.mp3");
        addRow("an engine without a link is skipped", site,
               L{"*All*", "Empty|", "Blank|   ", "Three|/e3?q=<!KW!>"}, "jazz", 0, "", "/e3?q=jazz", "Three",
               "/three.mp3");
        addRow("the keyword, encoded, in place of every placeholder",
               L{"/s?a=rock%20%26%20roll%23&b=rock%20%26%20roll%23 > hit.mp3"},
               L{"*All*", "Twice|/s?a=<!KW!>&b=<!KW!>"}, "  rock & roll#  ", 0, "",
               "/s?a=rock%20%26%20roll%23&b=rock%20%26%20roll%23", "Twice", "/hit.mp3");
        addRow("no engine at all: done at once", site, L{"*All*"}, "jazz", 0, "", "", "", "");
    }

    void crawl() {
        auto [site, engines, start, depth, filters, crawled, levels, recorded] =
            fetchRow<QStringList, QStringList, QString, int, QString, QString, QString, QString>(
                {"site", "engines", "start", "depth", "filters", "crawled", "levels", "recorded"});

        HttpFixture server;
        QVERIFY(server.isListening());
        QVERIFY(buildSite(server, site));
        TempDatabase db;
        QVERIFY2(db.isValid(), qPrintable(db.error()));
        const bool web = !engines.isEmpty();
        const QStringList filterList = filters.split(u' ', Qt::SkipEmptyParts);
        const QStringList pages = addresses(server, crawled);
        const QStringList files = recorded.split(u' ', Qt::SkipEmptyParts);
        if (web)
            useEngines(server, db.connection(), engines.mid(1));

        QStringList firstRequests;
        for (const int transfers : {1, 8}) {
            server.clearRequests();
            const qint64 bigBefore = server.bytesStreamed("/big.html");
            crawl::CrawlEngine engine(web ? store::CampaignType::WebSearch : store::CampaignType::UrlSearch,
                                      db.connection());
            // A silent page ends at the time-out, which is short where there is one.
            engine.setSettings(crawlSettings(site.filter(" ?").isEmpty() ? 10 : 1, transfers, filterList));
            Probe probe(engine);
            const store::DbStatus started =
                web ? engine.startWebCrawl(start, ".mp3", engines.first())
                    : engine.startUrlCrawl(server.url(start), ".mp3,.ogg,.txt", depth);
            QVERIFY2(started.ok(), qPrintable(started.error()));
            QVERIFY(engine.isRunning());
            QVERIFY(probe.waitDone());
            QVERIFY(!engine.isRunning() && !probe.stopped());

            QStringList texts{"Wait..."};
            for (const QString& address : pages)
                texts << "Crawling: " + address;
            QCOMPARE(Probe::column(probe.messages, 0), texts << "Done.");
            // The last figures: every page done, nothing left queued, every file counted.
            QCOMPARE(probe.progress.last(), (QVariantList{int(pages.size()), 0, int(probe.files.size())}));
            if (web)
                QCOMPARE(Probe::column(probe.levels, 0).join(u' ').remove("Engine: "), levels);
            QCOMPARE(probe.recorded(), addresses(server, recorded));
            for (const auto& args : probe.files) // the name shown is the address's last segment
                QCOMPARE(args.at(0).toString(), args.at(1).toString().section(u'/', -1));
            const auto rows = store::CampaignStore(db.connection()).campaignLinks(engine.campaignId());
            QStringList stored;
            for (const store::FileLinkRow& row : rows.value())
                stored << row.url;
            QCOMPARE(stored, addresses(server, recorded));

            // No page beyond the last level and no media file is ever requested, however far ahead the
            // fetching runs; a huge page of a known length is abandoned at its headers.
            QStringList requests = server.requestedTargets();
            requests.sort();
            if (web) { // exactly the pages crawled: a page shared by two engines is fetched once
                QStringList targets = crawled.split(u' ', Qt::SkipEmptyParts);
                targets.sort();
                QCOMPARE(requests, targets);
            }
            requests.removeDuplicates(); // a redirect loop's length is the network library's business
            if (transfers == 1)
                firstRequests = requests;
            QCOMPARE(requests, firstRequests);
            for (const QString& target : requests)
                QVERIFY2(!files.contains(target) || target.contains(u'?'), qPrintable(target));
            if (site.contains(QStringLiteral("/big.html ! 52428800")))
                QVERIFY(server.bytesStreamed("/big.html") - bigBefore < 16 * 1024 * 1024);
            for (const auto& request : server.requests())
                QVERIFY2(request.userAgent.startsWith("Vorlane/") && request.userAgent.size() > 8,
                         request.userAgent.constData());
        }
    }

    // The reason a transfer reports, from each place the fetcher decides it.
    void fetchFailure_data() {
        addColumns<QString, QString, crawl::FetchFailure>({"route", "target", "failure"});
        addRow("a page", "/p.html > ", "/p.html", crawl::FetchFailure::None);
        addRow("a page with an error status", "/p.html 404: ", "/p.html", crawl::FetchFailure::HttpError);
        addRow("a silent server", "/p.html ?", "/p.html", crawl::FetchFailure::TimedOut);
        addRow("a closed port", "", "http://127.0.0.1:1/", crawl::FetchFailure::Refused);
        addRow("a length past the cap", "/p.html ! 9000000", "/p.html", crawl::FetchFailure::TooLarge);
        addRow("a stream past the cap", "/p.html !! 9000000", "/p.html", crawl::FetchFailure::TooLarge);
        addRow("another type", "/p.bin ~ application/octet-stream", "/p.bin", crawl::FetchFailure::NotPage);
        addRow("a redirect loop", "/loop -> /loop", "/loop", crawl::FetchFailure::Redirect);
    }

    // A site that sets a session cookie on its first page serves the next ones only with it: every later
    // request of the search carries it, however many transfers run at once.
    void cookiesReachEveryLaterRequest_data() {
        addColumns<int>({"transfers"});
        addRow("one transfer", 1);
        addRow("eight transfers", 8);
    }
    void cookiesReachEveryLaterRequest() {
        auto [transfers] = fetchRow<int>({"transfers"});
        HttpFixture server;
        HttpFixture::Route route;
        route.body = HttpFixture::linksPage({"a.html", "b.html", "c.html", "d.html"}).toUtf8();
        route.headers = {{"Set-Cookie", "session=42; Path=/"}};
        server.setRoute("/", route);
        route.headers.clear();
        route.cookie = "session=42";
        for (const QString page : {"a", "b", "c", "d"}) {
            route.body = HttpFixture::linksPage({page + ".mp3"}).toUtf8();
            server.setRoute("/" + page + ".html", route);
        }
        TempDatabase db;
        crawl::CrawlEngine engine(store::CampaignType::UrlSearch, db.connection());
        engine.setSettings(crawlSettings(10, transfers));
        Probe probe(engine);
        QVERIFY(engine.startUrlCrawl(server.url("/"), ".mp3", 2).ok());
        QVERIFY(probe.waitDone());
        QCOMPARE(probe.recorded(), addresses(server, "/a.mp3 /b.mp3 /c.mp3 /d.mp3"));
        // Requests ask for a page first, in the user's languages.
        const auto first = server.requests().first();
        QCOMPARE(first.accept, QByteArray("text/html,application/xhtml+xml;q=0.9,*/*;q=0.8"));
        QVERIFY(!first.acceptLanguage.isEmpty());
    }

    void fetchFailure() {
        auto [route, target, failure] =
            fetchRow<QString, QString, crawl::FetchFailure>({"route", "target", "failure"});
        HttpFixture server;
        QVERIFY(buildSite(server, {route}));
        crawl::Fetcher fetcher;
        fetcher.setTimeoutSeconds(route.endsWith(u'?') ? 1 : 30); // short only where it is the answer
        std::optional<crawl::FetchResult> result;
        connect(&fetcher, &crawl::Fetcher::finished, this,
                [&](int, const crawl::FetchResult& r) { result = r; });
        fetcher.fetch(QUrl(addresses(server, target).first()));
        QTRY_VERIFY_WITH_TIMEOUT(result, 20000);
        QCOMPARE(result->failure, failure);
    }

    // Servers that misbehave below HTTP: what the transfer comes to, and how many connections it took.
    void misbehavingServer_data() {
        using B = RawServer::Behaviour;
        addColumns<B, crawl::FetchFailure, int, QString>({"behaviour", "failure", "connections", "detail"});
        addRow("trickling past the deadline", B::Trickle, crawl::FetchFailure::TooSlow, 1, QString());
        addRow("a gzip page is inflated", B::Gzip, crawl::FetchFailure::None, 1, QString());
        addRow("gzip inflating past the cap", B::GzipBomb, crawl::FetchFailure::TooLarge, 1, QString());
        addRow("closed before any byte: tried once more", B::CloseOnce, crawl::FetchFailure::None, 2,
               QString());
        addRow("reset before any byte: tried once more", B::ResetOnce, crawl::FetchFailure::None, 2,
               QString());
        addRow("closed before any byte twice", B::CloseAlways, crawl::FetchFailure::Refused, 2, QString());
        addRow("a self-signed certificate", B::SelfSignedTls, crawl::FetchFailure::Tls, 1, "self-signed");
    }
    void misbehavingServer() {
        auto [behaviour, failure, connections, detail] =
            fetchRow<RawServer::Behaviour, crawl::FetchFailure, int, QString>(
                {"behaviour", "failure", "connections", "detail"});
        const QByteArray page = "<html><a href=\"x.mp3\">x</a></html>";
        RawServer server(behaviour, page);
        QVERIFY2(server.isListening(), qPrintable(server.error()));
        crawl::Fetcher fetcher;
        // The idle time-out never ends these: a trickle resets it, an abandoned transfer is long gone.
        fetcher.setTimeoutSeconds(30);
        fetcher.setDeadlineMs(behaviour == RawServer::Behaviour::Trickle ? 1000 : 20000);
        std::optional<crawl::FetchResult> result;
        connect(&fetcher, &crawl::Fetcher::finished, this,
                [&](int, const crawl::FetchResult& r) { result = r; });
        fetcher.fetch(QUrl(server.url("/")));
        QTRY_VERIFY_WITH_TIMEOUT(result, 10000);
        QCOMPARE(result->failure, failure);
        QCOMPARE(server.connections(), connections);
        QVERIFY2(result->failureDetail.contains(detail, Qt::CaseInsensitive),
                 qPrintable(result->failureDetail));
        if (failure == crawl::FetchFailure::None)
            QCOMPARE(result->body, page);
    }

    // Past the body budget a transfer stops reading until there is room, all but the urgent one and
    // robots.txt; neither its time-out nor its deadline runs while it waits.
    void bodyBudget() {
        HttpFixture server;
        QVERIFY(buildSite(server,
                          {"/a.html ! 3000000", "/b.html ! 3000000", "/robots.txt ! 3000000 text/plain"}));
        crawl::Fetcher fetcher;
        fetcher.setConcurrency(2);
        fetcher.setTimeoutSeconds(1);
        fetcher.setDeadlineMs(5000);
        fetcher.setBodyBudget(4 << 20);
        fetcher.setBytesHeld(4 << 20); // what the caller keeps already fills it
        QHash<int, qsizetype> bodies;
        connect(&fetcher, &crawl::Fetcher::finished, this,
                [&](int ticket, const crawl::FetchResult& r) { bodies.insert(ticket, r.body.size()); });
        const int urgent = fetcher.fetch(QUrl(server.url("/a.html"))),
                  other = fetcher.fetch(QUrl(server.url("/b.html")));
        fetcher.setUrgent(urgent);
        const int robots = fetcher.fetch(QUrl(server.url("/robots.txt")), true); // a page may wait on it
        QTRY_COMPARE_WITH_TIMEOUT(bodies.value(urgent), 3000000, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(bodies.value(robots), 3000000, 10000);
        QVERIFY(!QTest::qWaitFor([&] { return bodies.contains(other); }, 1500));
        fetcher.setBytesHeld(0);
        QTRY_COMPARE_WITH_TIMEOUT(bodies.value(other), 3000000, 10000);
    }

    // A page trickled out byte by byte holds the crawl only until its deadline; the pages fetched behind it
    // are then processed at once.
    void tricklingPageEndsAtItsDeadline() {
        RawServer trickle(RawServer::Behaviour::Trickle);
        QVERIFY(trickle.isListening());
        HttpFixture server;
        QStringList site{"/ > " + trickle.url("/slow.html")};
        QStringList files;
        for (int i = 1; i <= 20; ++i) {
            site.first() += QStringLiteral(" p%1.html").arg(i);
            site << QStringLiteral("/p%1.html > f%1.mp3").arg(i);
            files << QStringLiteral("/f%1.mp3").arg(i);
        }
        QVERIFY(buildSite(server, site));
        TempDatabase db;
        crawl::CrawlEngine engine(store::CampaignType::UrlSearch, db.connection());
        crawl::CrawlSettings settings = crawlSettings(30, 8);
        settings.deadlineSeconds = 1;
        engine.setSettings(settings);
        Probe probe(engine);
        QVERIFY(engine.startUrlCrawl(server.url("/"), ".mp3", 2).ok());
        QVERIFY(probe.waitDone(15000));
        QCOMPARE(probe.crawled().value(1), trickle.url("/slow.html"));
        QCOMPARE(probe.recorded(), addresses(server, files.join(u' ')));
    }

    // Past the queue's bound no page is queued, and the search says so once.
    void queueBound_data() {
        addColumns<int, QString, int>({"bound", "crawled", "notices"});
        addRow("reached", 3, "/ /a.html /b.html /c.html", 1);
        addRow("not reached", 100, "/ /a.html /b.html /c.html /d.html /e.html /f.html /g.html", 0);
    }
    void queueBound() {
        auto [bound, crawled, notices] = fetchRow<int, QString, int>({"bound", "crawled", "notices"});
        HttpFixture server;
        QVERIFY(buildSite(server, {"/ > a.html b.html c.html d.html", "/a.html > e.html f.html a.mp3",
                                   "/b.html > g.html", "/d.html > d.mp3"}));
        TempDatabase db;
        crawl::CrawlEngine engine(store::CampaignType::UrlSearch, db.connection());
        engine.setSettings(crawlSettings(10, 4, {}, {.maxQueuedPages = bound}));
        Probe probe(engine);
        QSignalSpy notice(&engine, &crawl::CrawlEngine::notice);
        QStringList leftOut; // the log's entries for pages the bound kept out
        connect(&engine, &crawl::CrawlEngine::pageLogged, this, [&](const store::CrawlLogEntry& entry) {
            if (entry.reason == "queue-full")
                leftOut.append(entry.address);
        });
        QVERIFY(engine.startUrlCrawl(server.url("/"), ".mp3", 3).ok());
        QVERIFY(probe.waitDone());
        QCOMPARE(probe.crawled(), addresses(server, crawled));
        QCOMPARE(notice.size(), notices);
        QCOMPARE(leftOut, notices ? QStringList{server.url("/d.html")} : QStringList());
        if (notices)
            QVERIFY(notice.first().first().toString().contains(QString::number(bound)));
    }

    // The system's proxy configuration (http_proxy here) decides: every request passes through it.
    void requestsPassThroughTheSystemProxy() {
        ForwardingProxy proxy;
        QVERIFY(proxy.isListening());
        HttpFixture server;
        QVERIFY(buildSite(server, {"/ > a.html x.mp3", "/a.html > y.mp3"}));
        const SystemProxyOverride systemProxy(proxy);
        TempDatabase db;
        crawl::CrawlEngine engine(store::CampaignType::UrlSearch, db.connection());
        engine.setSettings(crawlSettings(10, 2));
        Probe probe(engine);
        const QString site = QStringLiteral("http://site.test:%1").arg(server.port());
        QVERIFY(engine.startUrlCrawl(site + "/", ".mp3", 2).ok());
        QVERIFY(probe.waitDone());
        QCOMPARE(probe.recorded(), (QStringList{site + "/x.mp3", site + "/y.mp3"}));
        QCOMPARE(proxy.forwarded(), (QStringList{site + "/", site + "/a.html"}));
    }

    // Stop while a page hangs ends the crawl at once; the same engine then runs a second search.
    void stopEndsTheCrawlAtOnce_data() {
        // `engines` empty: a URL search from "/"; else a web search through every engine listed.
        addColumns<QStringList, QStringList, QString, QString, QString>(
            {"site", "engines", "hanging", "recorded", "again"});
        using L = QStringList;
        addRow("the start page never answers", L{"/ ?"}, L(), "/", "", "/late.mp3");
        addRow("a level-3 page never answers",
               L{"/ > a.html b.html x.mp3", "/a.html > c.html a.mp3", "/b.html > b.mp3", "/c.html ?"}, L(),
               "/c.html", "/x.mp3 /a.mp3 /b.mp3", "/x.mp3 /a.mp3 /b.mp3 /late.mp3");
        addRow("the second engine's results never answer",
               L{"/e1?q=jazz > one.mp3", "/e2?q=jazz ?", "/e3?q=jazz > three.mp3"},
               L{"One|/e1?q=<!KW!>", "Two|/e2?q=<!KW!>", "Three|/e3?q=<!KW!>"}, "/e2?q=jazz", "/one.mp3",
               "/one.mp3 /late.mp3 /three.mp3");
    }

    void stopEndsTheCrawlAtOnce() {
        auto [site, engines, hanging, recorded, again] =
            fetchRow<QStringList, QStringList, QString, QString, QString>(
                {"site", "engines", "hanging", "recorded", "again"});
        HttpFixture server;
        QVERIFY(buildSite(server, site));
        TempDatabase db;
        const bool web = !engines.isEmpty();
        if (web)
            useEngines(server, db.connection(), engines);
        crawl::CrawlEngine engine(web ? store::CampaignType::WebSearch : store::CampaignType::UrlSearch,
                                  db.connection());
        engine.setSettings(crawlSettings(60, 8));
        const auto start = [&] {
            return web ? engine.startWebCrawl("jazz", ".mp3", "*All*")
                       : engine.startUrlCrawl(server.url("/"), QStringLiteral(".mp3"), 5);
        };
        {
            Probe probe(engine);
            QVERIFY(start().ok());
            // Every page shown is done with (its progress reported): the engine waits for the silent one.
            QTRY_VERIFY_WITH_TIMEOUT(server.hits(hanging) == 1 &&
                                         probe.files.size() == addresses(server, recorded).size() &&
                                         probe.progress.size() == probe.crawled().size(),
                                     10000);
            engine.stop();
            QCOMPARE(engine.stopCampaignId(), engine.campaignId());
            QVERIFY2(probe.waitDone(5000), "Stop must not wait for the silent server's time-out");
            QVERIFY(probe.stopped() && !engine.isRunning());
            QCOMPARE(Probe::column(probe.messages, 0).last(), QStringLiteral("Stopped."));
            QCOMPARE(probe.recorded(), addresses(server, recorded));
            if (web)
                QCOMPARE(server.hits(QStringLiteral("/e3?q=jazz")), 0); // no engine after the stopped one
        }
        const int stoppedCampaign = engine.campaignId();
        server.setPage(hanging, HttpFixture::linksPage({QStringLiteral("late.mp3")}));
        Probe probe(engine);
        QVERIFY(start().ok());
        QVERIFY(engine.campaignId() > stoppedCampaign);
        QCOMPARE(engine.stopCampaignId(), stoppedCampaign);
        QVERIFY(probe.waitDone());
        QVERIFY(!probe.stopped());
        QCOMPARE(probe.recorded(), addresses(server, again));
    }

    void stopInsideTheOnlyPage() {
        // Depth 1: the only page is cut short, and a stop is still reported as one. Links are recorded a
        // slice at a time; every row recorded is shown, so the stop from the first row ends with its slice.
        HttpFixture server;
        QStringList hrefs;
        for (int i = 0; i < 2000; ++i)
            hrefs << QStringLiteral("f%1.mp3").arg(i);
        server.setPage("/", HttpFixture::linksPage(hrefs));
        TempDatabase db;
        crawl::CrawlEngine engine(store::CampaignType::UrlSearch, db.connection());
        Probe probe(engine);
        connect(&engine, &crawl::CrawlEngine::fileRecorded, &engine, [&engine] { engine.stop(); });
        QVERIFY(engine.startUrlCrawl(server.url("/"), QStringLiteral(".mp3"), 1).ok());
        QVERIFY(probe.waitDone());
        QVERIFY(probe.stopped());
        QCOMPARE(Probe::column(probe.messages, 0).last(), QStringLiteral("Stopped."));
        const auto stored = store::CampaignStore(db.connection()).campaignLinks(engine.campaignId()).value();
        QVERIFY2(stored.size() < 2000, "the stop must cut the page short");
        QCOMPARE(probe.recorded().size(), stored.size());
        for (qsizetype i = 0; i < stored.size(); ++i)
            QCOMPARE(probe.recorded().at(i), stored.at(i).url);
    }

    // A stop while the next page is parsed on a worker ends the search without waiting for the parse, and
    // none of that page's links is recorded, then or in the next search on the same engine.
    void stopDuringAParseRecordsNothingMore() {
        HttpFixture server;
        QStringList hrefs;
        for (int i = 0; i < 150000; ++i) // about 6 MB, within the page cap
            hrefs << QStringLiteral("t%1.mp3").arg(i);
        QVERIFY(buildSite(server, {"/ > big.html x.mp3"}));
        HttpFixture::Route big;
        big.body = HttpFixture::linksPage(hrefs).toUtf8();
        big.streamBytes = big.body.size(); // streamed: a plain answer of this size is slow to send
        server.setRoute("/big.html", big);
        TempDatabase db;
        crawl::CrawlEngine engine(store::CampaignType::UrlSearch, db.connection());
        {
            Probe probe(engine);
            QVERIFY(engine.startUrlCrawl(server.url("/"), QStringLiteral(".mp3"), 2).ok());
            QTRY_VERIFY_WITH_TIMEOUT(server.answered("/big.html") == 1, 10000);
            engine.stop();
            QVERIFY(probe.waitDone(5000) && probe.stopped());
            QCOMPARE(probe.recorded(), addresses(server, "/x.mp3"));
        }
        // The old parse's result, should it come now, belongs to no page of the new search.
        server.setPage("/big.html", HttpFixture::linksPage({QStringLiteral("late.mp3")}));
        Probe probe(engine);
        QVERIFY(engine.startUrlCrawl(server.url("/"), QStringLiteral(".mp3"), 2).ok());
        QVERIFY(probe.waitDone() && !probe.stopped());
        QCOMPARE(probe.recorded(), addresses(server, "/x.mp3 /late.mp3"));
        QCOMPARE(store::CampaignStore(db.connection()).campaignLinks(engine.campaignId()).value().size(), 2);
    }

    // Pause holds processing and new transfers; after Resume the crawl ends as it would have without a pause.
    void pauseHoldsTransfersAndResumeFinishesTheSame() {
        HttpFixture server;
        QStringList site{"/ > p1.html p2.html p3.html p4.html top.mp3"};
        for (int i = 1; i <= 4; ++i)
            site << QStringLiteral("/p%1.html > q%1.html m%1.mp3").arg(i)
                 << QStringLiteral("/q%1.html > n%1.mp3").arg(i);
        QVERIFY(buildSite(server, site));
        server.setLatencyMs(30);
        TempDatabase db;
        crawl::CrawlEngine engine(store::CampaignType::UrlSearch, db.connection());
        engine.setSettings(crawlSettings(10, 2));
        Probe probe(engine);
        connect(&engine, &crawl::CrawlEngine::fileRecorded, &engine, [&engine, &probe] {
            if (probe.files.size() == 1)
                engine.pause();
        });
        QVERIFY(engine.startUrlCrawl(server.url("/"), QStringLiteral(".mp3"), 3).ok());
        QTRY_VERIFY_WITH_TIMEOUT(engine.isPaused(), 10000);
        // Transfers already in flight may finish.
        QTRY_COMPARE_WITH_TIMEOUT(server.answered(), server.requestedTargets().size(), 5000);
        const auto requestsWhenPaused = server.requestedTargets().size(),
                   messagesWhenPaused = probe.messages.size();
        // Nothing marks a pause that holds: a while of ten answers' latency, cut short by any message.
        QVERIFY(!probe.messages.wait(300));
        QCOMPARE(server.requestedTargets().size(), requestsWhenPaused);
        QCOMPARE(probe.messages.size(), messagesWhenPaused);
        QCOMPARE(probe.files.size(), 1);
        QVERIFY(probe.finished.isEmpty());
        engine.resume();
        QVERIFY(!engine.isPaused());
        QVERIFY(probe.waitDone() && !probe.stopped());
        QCOMPARE(
            probe.recorded(),
            addresses(server, "/top.mp3 /m1.mp3 /m2.mp3 /m3.mp3 /m4.mp3 /n1.mp3 /n2.mp3 /n3.mp3 /n4.mp3"));
    }

    void campaignThatCannotBeCreatedStartsNothing() {
        HttpFixture server;
        server.setPage("/", HttpFixture::linksPage({QStringLiteral("x.mp3")}));
        TempDatabase db;
        crawl::CrawlEngine engine(store::CampaignType::UrlSearch, db.connection());
        Probe probe(engine);
        QSignalSpy started(&engine, &crawl::CrawlEngine::started);
        db.close();
        const store::DbStatus status = engine.startUrlCrawl(server.url("/"), QStringLiteral(".mp3"), 1);
        QVERIFY(!status.ok() && !status.error().isEmpty());
        QVERIFY(!engine.isRunning());
        // A crawl that went ahead anyway would show its start page within this while.
        QVERIFY(!probe.messages.wait(100));
        QVERIFY(started.isEmpty() && probe.messages.isEmpty() && probe.finished.isEmpty());
        QCOMPARE(server.requestedTargets().size(), 0);
    }

    // Shutdown: abortAll ends the crawl at once, also from inside the engine's own signals, and nothing
    // follows.
    void abortAllEndsWithoutSignals_data() {
        QTest::addColumn<QString>("when");
        QTest::newRow("while a page is in flight") << "fetching";
        QTest::newRow("from a handler of a recorded file") << "fileRecorded";
        QTest::newRow("from a handler of the status text") << "Crawling: ";
    }

    void abortAllEndsWithoutSignals() {
        QFETCH(QString, when);
        HttpFixture server;
        QVERIFY(buildSite(server, {"/ > a.html x.mp3 y.mp3 b.html", "/a.html > a.mp3", "/b.html > b.mp3"}));
        server.setLatencyMs(50);
        TempDatabase db;
        crawl::CrawlEngine engine(store::CampaignType::UrlSearch, db.connection());
        Probe probe(engine);
        QList<qsizetype> atAbort; // messages, files, levels
        const auto abort = [&] {
            if (atAbort.isEmpty())
                atAbort = {probe.messages.size(), probe.files.size(), probe.levels.size()}, engine.abortAll();
        };
        if (when == u"fileRecorded")
            connect(&engine, &crawl::CrawlEngine::fileRecorded, &engine, abort);
        connect(&engine, &crawl::CrawlEngine::messageChanged, &engine, [&](const QString& text) {
            if (text.startsWith(when))
                abort();
        });
        QVERIFY(engine.startUrlCrawl(server.url("/"), QStringLiteral(".mp3"), 3).ok());
        if (when == u"fetching") {
            QTRY_VERIFY_WITH_TIMEOUT(server.hits("/") == 1, 5000);
            abort();
        }
        QTRY_VERIFY_WITH_TIMEOUT(!atAbort.isEmpty(), 5000);
        QVERIFY(!engine.isRunning());
        // Whatever was asked for has been answered; then a while for an engine that went on to show a
        // page, cut short by the first message.
        QTRY_COMPARE_WITH_TIMEOUT(server.answered(), server.requestedTargets().size(), 5000);
        QVERIFY(!probe.messages.wait(200));
        // The spies connected first, so they saw the signal whose handler aborted; nothing after it.
        QCOMPARE(atAbort, (QList<qsizetype>{probe.messages.size(), probe.files.size(), probe.levels.size()}));
        QVERIFY(probe.finished.isEmpty() && probe.progress.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCrawlEngine)
#include "test_crawl_engine.moc"
