// The crawl policy against real sites on 127.0.0.1 whose server records when each request came: other
// sites, robots.txt, transfers and delays per host, Retry-After; and the pure rules beneath them.

#include "crawl/crawl_engine.h"
#include "crawl/crawl_policy.h"
#include "tests/support/table_rows.h"
#include "tests/support/http_fixture.h"
#include "tests/support/temp_database.h"

#include <QSignalSpy>
#include <algorithm>

namespace {

// Timer and loopback slack: a request may reach the server a little sooner after the previous one than the
// engine's own clock says.
constexpr qint64 kSlackMs = 5;

struct Crawl {
    QStringList crawled; // "Crawling: " texts, the address only
    QStringList files;
};

Crawl crawl(CrawlEngine& engine, const QString& start, int depth) {
    QSignalSpy finished(&engine, &CrawlEngine::finished);
    QSignalSpy files(&engine, &CrawlEngine::fileRecorded);
    QSignalSpy messages(&engine, &CrawlEngine::messageChanged);
    Crawl out;
    if (!engine.startUrlCrawl(start, QStringLiteral(".mp3"), depth).ok() || !finished.wait(20000))
        return out;
    for (const auto& args : messages)
        if (args.first().toString().startsWith(QLatin1String("Crawling: ")))
            out.crawled << args.first().toString().mid(10);
    for (const auto& args : files)
        out.files << args.at(1).toString();
    return out;
}

// Receipt times of the requests for this target (all but robots.txt when empty), in order.
QList<qint64> receiptTimes(const HttpFixture& server, const QString& target) {
    QList<qint64> times;
    for (const auto& request : server.requests())
        if (request.target == target || (target.isEmpty() && request.target != u"/robots.txt"))
            times << request.receivedMs;
    std::sort(times.begin(), times.end());
    return times;
}

QStringList hrefs(int n) { // "p1.html" to "p<n>.html"
    QStringList out;
    for (int i = 1; i <= n; ++i)
        out << QStringLiteral("p%1.html").arg(i);
    return out;
}

} // namespace

class TestPoliteness : public QObject {
    Q_OBJECT

    const QStringList m_noFilters;

    std::unique_ptr<CrawlEngine> engine(TempDatabase& db, const CrawlPolicy& policy, int transfers = 8) {
        auto e = std::make_unique<CrawlEngine>(CampaignType::UrlSearch, db.connection(), m_noFilters);
        e->setConnectionType({QStringLiteral("Unknown"), 10, transfers});
        e->setCrawlPolicy(policy);
        return e;
    }

private slots:
    void retryAfter_data() {
        addColumns<QString, int, qint64>({"value", "secondsFromNow", "waitMs"}); // seconds: for an HTTP date
        addRow("seconds", "1", 0, qint64(1000));
        addRow("blanks around", " 5 ", 0, qint64(5000));
        addRow("zero", "0", 0, qint64(0));
        addRow("capped", "120", 0, qint64(60000));
        addRow("huge", "99999999999999999999", 0, qint64(60000));
        addRow("date ahead", "date", 10, qint64(10000));
        addRow("date far ahead", "date", 3600, qint64(60000));
        addRow("date past", "date", -10, qint64(0));
        addRow("words", "soon", 0, qint64(-1));
        addRow("negative", "-3", 0, qint64(-1));
        addRow("empty", "", 0, qint64(-1));
    }
    void retryAfter() {
        QFETCH(QString, value);
        QFETCH(int, secondsFromNow);
        QFETCH(qint64, waitMs);
        const QDateTime now = QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC);
        if (value == u"date")
            value = QLocale::c().toString(now.addSecs(secondsFromNow), "ddd, dd MMM yyyy hh:mm:ss 'GMT'");
        QCOMPARE(RetryAfterMs(value.toLatin1(), now), waitMs);
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
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, same);
        QCOMPARE(SameSite(QUrl(a), QUrl(b)), same);
    }

    // With every gate on but nothing to refuse, the crawl is the default crawl: same pages in the same
    // order, same files, same requests (and one robots.txt).
    void gatesNeverReorder() {
        HttpFixture server;
        server.setPage("/", HttpFixture::linksPage(hrefs(6) << "top.mp3"));
        for (int i = 1; i <= 6; ++i)
            server.setPage(QStringLiteral("/p%1.html").arg(i),
                           HttpFixture::linksPage({QStringLiteral("m%1.mp3").arg(i), "p1.html"}));
        server.setLatencyMs(10);
        TempDatabase db;
        const Crawl plain = crawl(*engine(db, {}), server.url("/"), 3);
        QStringList plainRequests = server.requestedTargets();
        server.clearRequests();
        const CrawlPolicy all{.sameSiteOnly = true,
                              .obeyRobots = true,
                              .maxPerHost = 2,
                              .delayMsPerHost = 5,
                              .honourRetryAfter = true};
        const Crawl polite = crawl(*engine(db, all), server.url("/"), 3);
        QCOMPARE(plain.crawled.size(), 7);
        QCOMPARE(polite.crawled, plain.crawled);
        QCOMPARE(polite.files, plain.files);
        QStringList politeRequests = server.requestedTargets();
        QCOMPARE(politeRequests.removeAll("/robots.txt"), 1);
        plainRequests.sort();
        politeRequests.sort();
        QCOMPARE(politeRequests, plainRequests);
    }

    void sameSiteOnly_data() {
        QTest::addColumn<bool>("sameSiteOnly");
        QTest::newRow("off") << false;
        QTest::newRow("on") << true;
    }
    void sameSiteOnly() {
        QFETCH(bool, sameSiteOnly);
        HttpFixture server;
        // "localhost" reaches the same server but names another site.
        const QString other = QStringLiteral("http://localhost:%1").arg(server.port());
        server.setPage("/", HttpFixture::linksPage({"own.html", other + "/other.html", other + "/far.mp3"}));
        server.setPage("/own.html", HttpFixture::linksPage({"own.mp3"}));
        server.setPage("/other.html", HttpFixture::linksPage({"other.mp3"}));
        TempDatabase db;
        const Crawl result = crawl(*engine(db, {.sameSiteOnly = sameSiteOnly}), server.url("/"), 2);
        QStringList crawled{server.url("/"), server.url("/own.html")};
        if (!sameSiteOnly)
            crawled << other + "/other.html";
        QCOMPARE(result.crawled, crawled);
        QCOMPARE(server.hits("/other.html"), sameSiteOnly ? 0 : 1);
        // Files are recorded wherever they are; only pages stay on the site.
        QVERIFY(result.files.contains(other + "/far.mp3"));
        QCOMPARE(result.files.contains(other + "/other.mp3"), !sameSiteOnly);
    }

    void robots_data() {
        addColumns<int, QString, QStringList>({"status", "robots", "crawled"});
        addRow("disallowed path", 200, "User-agent: *\nDisallow: /private/\n",
               QStringList{"/", "/open.html"});
        addRow("our own group", 200, "User-agent: *\nDisallow: /\nUser-agent: Vorlane\nDisallow: /open",
               QStringList{"/", "/private/a.html"});
        addRow("none there", 404, "", QStringList{"/", "/private/a.html", "/open.html"});
        // The start page was asked for by name and is crawled; nothing else of an unanswering site is.
        addRow("server error", 503, "", QStringList{"/"});
    }
    void robots() {
        QFETCH(int, status);
        QFETCH(QString, robots);
        QFETCH(QStringList, crawled);
        HttpFixture server;
        server.setPage("/", HttpFixture::linksPage({"private/a.html", "open.html"}));
        server.setPage("/private/a.html", HttpFixture::linksPage({"secret.mp3", "/private/b.html"}));
        server.setPage("/private/b.html", HttpFixture::linksPage({}));
        server.setPage("/open.html", HttpFixture::linksPage({"public.mp3", "/private/b.html"}));
        HttpFixture::Route route;
        route.status = status;
        route.contentType = "text/plain";
        route.body = robots.toUtf8();
        server.setRoute("/robots.txt", route);
        server.setLatencyMs(20);
        TempDatabase db;
        const Crawl result = crawl(*engine(db, {.obeyRobots = true}, 4), server.url("/"), 3);
        QStringList expected;
        for (const QString& target : crawled)
            expected << server.url(target);
        QCOMPARE(result.crawled.mid(0, expected.size()), expected);
        QCOMPARE(server.hits("/robots.txt"), 1);
        for (const char* target : {"/private/a.html", "/open.html"})
            QCOMPARE(server.hits(target), crawled.contains(QString(target)) ? 1 : 0);
        QCOMPARE(result.files.contains(server.url("/private/secret.mp3")),
                 crawled.contains("/private/a.html"));
        // The disallowed /private/b.html, found on a crawled page, is never fetched either.
        if (robots.contains("Disallow: /private/"))
            QCOMPARE(server.hits("/private/b.html"), 0);
    }

    // Each page answers after `answerMs`; one transfer at a time means each request comes after the last
    // one's answer, a delay means the requests come at least that far apart.
    void perHostLimits_data() {
        addColumns<int, int, int, qint64>({"maxPerHost", "delayMs", "answerMs", "minimumGap"});
        addRow("one at a time", 1, 0, 150, qint64(150));
        addRow("delay between requests", 0, 200, 0, qint64(200));
        addRow("both", 2, 120, 50, qint64(120));
    }
    void perHostLimits() {
        QFETCH(int, maxPerHost);
        QFETCH(int, delayMs);
        QFETCH(int, answerMs);
        QFETCH(qint64, minimumGap);
        HttpFixture server;
        HttpFixture::Route route;
        route.delayMs = answerMs;
        for (const QString& href : hrefs(5)) {
            route.body = HttpFixture::linksPage({QString(href).replace(".html", ".mp3")}).toUtf8();
            server.setRoute("/" + href, route);
        }
        route.body = HttpFixture::linksPage(hrefs(5)).toUtf8();
        server.setRoute("/", route);
        TempDatabase db;
        const CrawlPolicy policy{.maxPerHost = maxPerHost, .delayMsPerHost = delayMs};
        QCOMPARE(crawl(*engine(db, policy), server.url("/"), 2).files.size(), 5);
        const QList<qint64> times = receiptTimes(server, "");
        QCOMPARE(times.size(), 6);
        qint64 gap = std::numeric_limits<qint64>::max();
        for (qsizetype i = 1; i < times.size(); ++i)
            gap = std::min(gap, times[i] - times[i - 1]);
        QVERIFY2(gap >= minimumGap - kSlackMs, qPrintable(QString::number(gap)));
    }

    void retryAfterWaitsAndRetriesOnce_data() {
        addColumns<bool, int, QByteArray, int>({"honour", "status", "retryAfter", "hits"});
        addRow("honoured 429", true, 429, QByteArray("1"), 2);
        addRow("honoured 503", true, 503, QByteArray("1"), 2);
        addRow("option off", false, 429, QByteArray("1"), 1);
        addRow("no Retry-After", true, 429, QByteArray(), 1);
        addRow("other status", true, 500, QByteArray("1"), 1);
    }
    void retryAfterWaitsAndRetriesOnce() {
        QFETCH(bool, honour);
        QFETCH(int, status);
        QFETCH(QByteArray, retryAfter);
        QFETCH(int, hits);
        HttpFixture server;
        server.setPage("/", HttpFixture::linksPage({"busy.html", "calm.html"}));
        server.setPage("/calm.html", HttpFixture::linksPage({}));
        HttpFixture::Route busy;
        busy.status = status;
        busy.body = HttpFixture::linksPage({"refused.mp3"}).toUtf8();
        if (!retryAfter.isEmpty())
            busy.headers.append({"Retry-After", retryAfter});
        server.setRoute("/busy.html", busy);
        TempDatabase db;
        const Crawl result = crawl(*engine(db, {.honourRetryAfter = honour}), server.url("/"), 2);
        QCOMPARE(server.hits("/busy.html"), hits);
        // A refusal that stays a refusal is the page's answer, processed like any error page.
        QCOMPARE(result.crawled,
                 QStringList({server.url("/"), server.url("/busy.html"), server.url("/calm.html")}));
        QCOMPARE(result.files, QStringList{server.url("/refused.mp3")});
        const QList<qint64> times = receiptTimes(server, "/busy.html");
        if (hits == 2)
            QVERIFY2(times[1] - times[0] >= 1000 - kSlackMs,
                     qPrintable(QString::number(times[1] - times[0])));
    }

    // Pause holds a waiting retry and the retry brings the page; Stop ends the crawl at once instead of
    // sitting out the wait.
    void pauseAndStopDuringAWait() {
        HttpFixture server;
        server.setPage("/", HttpFixture::linksPage({"busy.html"}));
        HttpFixture::Route busy;
        busy.status = 503;
        busy.headers.append({QByteArray("Retry-After"), QByteArray("1")});
        server.setRoute("/busy.html", busy);
        TempDatabase db;
        auto e = engine(db, {.honourRetryAfter = true});
        QSignalSpy finished(e.get(), &CrawlEngine::finished);
        QSignalSpy files(e.get(), &CrawlEngine::fileRecorded);
        QVERIFY(e->startUrlCrawl(server.url("/"), ".mp3", 2).ok());
        QTRY_COMPARE_WITH_TIMEOUT(server.hits("/busy.html"), 1, 10000);
        e->pause();
        server.setPage("/busy.html", HttpFixture::linksPage({"late.mp3"}));
        QTest::qWait(1500);
        QCOMPARE(server.hits("/busy.html"), 1);
        e->resume();
        QVERIFY(!finished.isEmpty() || finished.wait(10000));
        QCOMPARE(server.hits("/busy.html"), 2);
        QCOMPARE(files.size(), 1);
        QCOMPARE(files.first().at(1).toString(), server.url("/late.mp3"));

        busy.headers = {{"Retry-After", "30"}};
        server.setRoute("/busy.html", busy);
        server.clearRequests();
        finished.clear();
        QVERIFY(e->startUrlCrawl(server.url("/"), ".mp3", 2).ok());
        QTRY_COMPARE_WITH_TIMEOUT(server.hits("/busy.html"), 1, 10000);
        QTest::qWait(50); // the answer reaches the engine, which starts waiting
        e->stop();
        QVERIFY(finished.wait(2000));
        QVERIFY(finished.first().first().toBool());
        QVERIFY(!e->isRunning());
    }
};

QTEST_MAIN(TestPoliteness)
#include "test_politeness.moc"
