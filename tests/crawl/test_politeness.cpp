// The crawl policy against real sites on 127.0.0.1 whose server records when each request came: other
// sites, robots.txt, transfers and delays per host, Retry-After; and the pure rules beneath them.

#include "crawl/crawl_policy.h"
#include "tests/crawl/crawl_site.h"
#include "tests/support/table_rows.h"
#include "tests/support/temp_database.h"

#include <algorithm>

using namespace vorlane;

Q_DECLARE_METATYPE(vorlane::store::CrawlPolicy)

namespace {

// Timer and loopback slack: a request may reach the server a little sooner after the previous one than the
// engine's own clock says.
constexpr qint64 kSlackMs = 5;
constexpr int kLatencyMs = 50; // before every answer

// The shortest time between two successive requests for `target` (for anything but robots.txt when empty).
qint64 shortestGap(const HttpFixture& server, const QString& target = {}) {
    QList<qint64> times;
    for (const auto& request : server.requests())
        if (request.target == target || (target.isEmpty() && request.target != u"/robots.txt"))
            times << request.receivedMs;
    std::sort(times.begin(), times.end());
    qint64 gap = std::numeric_limits<qint64>::max();
    for (qsizetype i = 1; i < times.size(); ++i)
        gap = std::min(gap, times[i] - times[i - 1]);
    return gap;
}

} // namespace

class TestPoliteness : public QObject {
    Q_OBJECT


    // A URL search of the server from "/", three levels deep: the pages crawled and the files recorded.
    std::pair<QStringList, QStringList> crawl(TempDatabase& db, const HttpFixture& server,
                                              const store::CrawlPolicy& policy) {
        crawl::CrawlEngine engine(store::CampaignType::UrlSearch, db.connection());
        engine.setSettings(crawlSettings(10, 8, {}, policy));
        Probe probe(engine);
        if (!engine.startUrlCrawl(server.url("/"), QStringLiteral(".mp3"), 3).ok() || !probe.waitDone())
            return {};
        return {probe.crawled(), probe.recorded()};
    }

private slots:
    void retryAfter_data() {
        addColumns<QString, int, qint64>({"value", "secondsFromNow", "waitMs"}); // seconds: for an HTTP date
        addRow("seconds", "1", 0, qint64(1000));
        addRow("blanks around", " 5 ", 0, qint64(5000));
        addRow("capped", "120", 0, qint64(60000));
        addRow("huge", "99999999999999999999", 0, qint64(60000));
        addRow("date ahead", "date", 10, qint64(10000));
        addRow("date past", "date", -10, qint64(0));
        addRow("words", "soon", 0, qint64(-1));
        addRow("negative", "-3", 0, qint64(-1));
        addRow("empty", "", 0, qint64(-1));
    }
    void retryAfter() {
        auto [value, secondsFromNow, waitMs] =
            fetchRow<QString, int, qint64>({"value", "secondsFromNow", "waitMs"});
        const QDateTime now = QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC);
        if (value == u"date")
            value = QLocale::c().toString(now.addSecs(secondsFromNow), "ddd, dd MMM yyyy hh:mm:ss 'GMT'");
        QCOMPARE(crawl::retryAfterMs(value.toLatin1(), now), waitMs);
    }

    void sameSite_data() {
        addColumns<QString, QString, bool>({"a", "b", "same"});
        addRow("www and bare", "http://www.a.example/x", "http://a.example/", true);
        addRow("scheme and port", "http://a.example/", "https://A.Example:8443/y", true);
        addRow("subdomain", "http://b.a.example/", "http://a.example/", false);
        addRow("name and address", "http://localhost/", "http://127.0.0.1/", false);
        addRow("no host", "file:///a", "file:///b", false);
    }
    void sameSite() {
        auto [a, b, same] = fetchRow<QString, QString, bool>({"a", "b", "same"});
        QCOMPARE(crawl::sameSite(QUrl(a), QUrl(b)), same);
    }

    // Each gate against a site built for it ("{other}": the same server under another site's name).
    // `requests`: every request the server saw, sorted.
    void policyCrawl_data() {
        addColumns<store::CrawlPolicy, QStringList, QString, QString, QString>(
            {"policy", "site", "crawled", "recorded", "requests"});
        using L = QStringList;
        // With every gate on but nothing to refuse, the crawl is the plain one (pages in order, the same
        // files), plus one robots.txt.
        L pages{"/ > p1.html p2.html p3.html p4.html p5.html p6.html top.mp3"};
        for (int i = 1; i <= 6; ++i)
            pages << QStringLiteral("/p%1.html > m%1.mp3 p1.html").arg(i);
        const QString inOrder = "/ /p1.html /p2.html /p3.html /p4.html /p5.html /p6.html";
        const QString found = "/top.mp3 /m1.mp3 /m2.mp3 /m3.mp3 /m4.mp3 /m5.mp3 /m6.mp3";
        const store::CrawlPolicy all{.sameSiteOnly = true,
                                     .obeyRobots = true,
                                     .maxPerHost = 2,
                                     .delayMsPerHost = 5,
                                     .honourRetryAfter = true};
        addRow("every gate, nothing refused", all, pages, inOrder, found, inOrder + " /robots.txt");
        // The same, at least so far apart as the limits per host make them (see policyCrawl).
        addRow("one transfer at a time", store::CrawlPolicy{.maxPerHost = 1}, pages, inOrder, found, inOrder);
        addRow("delay per host", store::CrawlPolicy{.delayMsPerHost = 200}, pages, inOrder, found, inOrder);
        addRow("both", store::CrawlPolicy{.maxPerHost = 2, .delayMsPerHost = 120}, pages, inOrder, found,
               inOrder);

        const L sites{"/ > own.html {other}/other.html {other}/far.mp3", "/own.html > own.mp3",
                      "/other.html > other.mp3"};
        addRow("other sites followed", store::CrawlPolicy{}, sites, "/ /own.html {other}/other.html",
               "{other}/far.mp3 /own.mp3 {other}/other.mp3", "/ /other.html /own.html");
        // Files are recorded wherever they are; only pages stay on the site.
        addRow("same site only", store::CrawlPolicy{.sameSiteOnly = true}, sites, "/ /own.html",
               "{other}/far.mp3 /own.mp3", "/ /own.html");

        const store::CrawlPolicy obey{.obeyRobots = true}, honour{.honourRetryAfter = true};
        const L robots{"/ > private/a.html open.html", "/private/a.html > secret.mp3 /private/b.html",
                       "/private/b.html > ", "/open.html > public.mp3 /private/b.html"};
        addRow("robots: disallowed path", obey,
               robots + L{"/robots.txt # User-agent: *\nDisallow: /private/\n"}, "/ /open.html",
               "/public.mp3", "/ /open.html /robots.txt");
        addRow("robots: our own group", obey,
               robots + L{"/robots.txt # User-agent: *\nDisallow: /\nUser-agent: Vorlane\nDisallow: /open"},
               "/ /private/a.html /private/b.html", "/private/secret.mp3",
               "/ /private/a.html /private/b.html /robots.txt");
        addRow("robots: none there", obey, robots, "/ /private/a.html /open.html /private/b.html",
               "/private/secret.mp3 /public.mp3", "/ /open.html /private/a.html /private/b.html /robots.txt");
        // The start page was asked for by name and is crawled; nothing else of an unanswering site is.
        addRow("robots: server error", obey, robots + L{"/robots.txt 503:"}, "/", "", "/ /robots.txt");

        // A refusal that stays a refusal is the page's answer, processed like any error page.
        const auto busy = [](const char* answer) { // status:Retry-After
            return L{"/ > busy.html calm.html", "/calm.html > ",
                     QStringLiteral("/busy.html %1 refused.mp3").arg(answer)};
        };
        const QString once = "/ /busy.html /calm.html", twice = "/ /busy.html /busy.html /calm.html";
        addRow("Retry-After on 429", honour, busy("429:1"), once, "/refused.mp3", twice);
        addRow("Retry-After on 503", honour, busy("503:1"), once, "/refused.mp3", twice);
        addRow("Retry-After not honoured", store::CrawlPolicy{}, busy("429:1"), once, "/refused.mp3", once);
        addRow("no Retry-After", honour, busy("429:"), once, "/refused.mp3", once);
        addRow("Retry-After on another status", honour, busy("500:1"), once, "/refused.mp3", once);
    }
    void policyCrawl() {
        auto [policy, site, crawled, recorded, requests] =
            fetchRow<store::CrawlPolicy, QStringList, QString, QString, QString>(
                {"policy", "site", "crawled", "recorded", "requests"});
        HttpFixture server;
        // "localhost" reaches the same server but names another site.
        const QString other = QStringLiteral("http://localhost:%1").arg(server.port());
        QVERIFY(buildSite(server, site.replaceInStrings("{other}", other)));
        server.setLatencyMs(kLatencyMs);
        TempDatabase db;
        const auto split = [&](QString list) { return addresses(server, list.replace("{other}", other)); };
        const auto result = crawl(db, server, policy);
        QCOMPARE(result.first, split(crawled));
        QCOMPARE(result.second, split(recorded));
        QStringList seen = server.requestedTargets();
        seen.sort();
        QCOMPARE(seen.join(u' '), requests);
        // A retry waits as long as it was told.
        for (const QString& target : seen)
            if (seen.count(target) > 1)
                QVERIFY2(shortestGap(server, target) >= 1000 - kSlackMs, qPrintable(target));
        // One transfer at a time: each request comes after the last one's answer; a delay keeps them apart.
        const qint64 gap = shortestGap(server);
        QVERIFY2(gap >= std::max(policy.delayMsPerHost, policy.maxPerHost == 1 ? kLatencyMs : 0) - kSlackMs,
                 qPrintable(QString::number(gap)));
    }

    // Pause holds a waiting retry and the retry brings the page; Stop ends the crawl at once instead of
    // sitting out the wait.
    void pauseAndStopDuringAWait() {
        HttpFixture server;
        QVERIFY(buildSite(server, {"/ > busy.html", "/busy.html 503:1 "}));
        TempDatabase db;
        crawl::CrawlEngine engine(store::CampaignType::UrlSearch, db.connection());
        engine.setSettings(crawlSettings(10, 8, {}, {.honourRetryAfter = true}));
        Probe probe(engine);
        QVERIFY(engine.startUrlCrawl(server.url("/"), ".mp3", 2).ok());
        QTRY_COMPARE_WITH_TIMEOUT(server.hits("/busy.html"), 1, 10000);
        engine.pause();
        server.setPage("/busy.html", HttpFixture::linksPage({"late.mp3"}));
        // Nothing marks a retry that is held: the wait outlasts the second it was due after the answer.
        QTRY_COMPARE_WITH_TIMEOUT(server.answered("/busy.html"), 1, 10000);
        QTest::qWait(1200);
        QCOMPARE(server.hits("/busy.html"), 1);
        engine.resume();
        QVERIFY(probe.waitDone(10000));
        QCOMPARE(server.hits("/busy.html"), 2);
        QCOMPARE(probe.recorded(), QStringList{server.url("/late.mp3")});

        QVERIFY(buildSite(server, {"/busy.html 503:30 "}));
        server.clearRequests();
        probe.finished.clear();
        QVERIFY(engine.startUrlCrawl(server.url("/"), ".mp3", 2).ok());
        // Refused for 30 s: the engine sits that out unless Stop ends it.
        QTRY_COMPARE_WITH_TIMEOUT(server.answered("/busy.html"), 1, 10000);
        engine.stop();
        QVERIFY(probe.waitDone(2000));
        QVERIFY(probe.stopped() && !engine.isRunning());
    }
};

QTEST_MAIN(TestPoliteness)
#include "test_politeness.moc"
