// The crawl policy against real sites on 127.0.0.1 whose server records when each request came: other
// sites, robots.txt, transfers and delays per host, Retry-After; and the pure rules beneath them.

#include "crawl/crawl_engine.h"
#include "crawl/crawl_policy.h"
#include "store/campaign_store.h"
#include "tests/support/http_fixture.h"
#include "tests/support/temp_database.h"

#include <QSignalSpy>
#include <QTest>
#include <algorithm>

namespace {

// Timer and loopback slack: a request may reach the server a little sooner after the previous one than the
// engine's own clock says.
constexpr qint64 kSlackMs = 5;

struct Crawl {
    QStringList crawled; // "Crawling: " texts, the address only
    QStringList files;
    bool stopped = false;
};

Crawl crawl(CrawlEngine& engine, const QString& start, int depth, int timeoutMs = 20000) {
    QSignalSpy finished(&engine, &CrawlEngine::finished);
    QSignalSpy files(&engine, &CrawlEngine::fileRecorded);
    QSignalSpy messages(&engine, &CrawlEngine::messageChanged);
    Crawl out;
    if (!engine.startUrlCrawl(start, QStringLiteral(".mp3"), depth).ok() || !finished.wait(timeoutMs))
        return out;
    for (const auto& args : messages)
        if (args.first().toString().startsWith(QLatin1String("Crawling: ")))
            out.crawled << args.first().toString().mid(10);
    for (const auto& args : files)
        out.files << args.at(1).toString();
    out.stopped = finished.first().first().toBool();
    return out;
}

// Receipt times of the requests for these targets, in order.
QList<qint64> timesOf(const HttpFixture& server, const QStringList& targets) {
    QList<qint64> times;
    for (const auto& request : server.requests())
        if (targets.contains(request.target))
            times << request.receivedMs;
    std::sort(times.begin(), times.end());
    return times;
}

qint64 smallestGap(const QList<qint64>& times) {
    qint64 gap = std::numeric_limits<qint64>::max();
    for (qsizetype i = 1; i < times.size(); ++i)
        gap = std::min(gap, times[i] - times[i - 1]);
    return gap;
}

QStringList pages(int n) {
    QStringList out;
    for (int i = 1; i <= n; ++i)
        out << QStringLiteral("/p%1.html").arg(i);
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
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("secondsFromNow"); // for an HTTP date; otherwise unused
        QTest::addColumn<qint64>("waitMs");
        QTest::newRow("seconds") << "1" << 0 << qint64(1000);
        QTest::newRow("blanks around") << " 5 " << 0 << qint64(5000);
        QTest::newRow("zero") << "0" << 0 << qint64(0);
        QTest::newRow("capped") << "120" << 0 << qint64(60000);
        QTest::newRow("huge") << "99999999999999999999" << 0 << qint64(60000);
        QTest::newRow("date ahead") << "date" << 10 << qint64(10000);
        QTest::newRow("date far ahead") << "date" << 3600 << qint64(60000);
        QTest::newRow("date past") << "date" << -10 << qint64(0);
        QTest::newRow("words") << "soon" << 0 << qint64(-1);
        QTest::newRow("negative") << "-3" << 0 << qint64(-1);
        QTest::newRow("empty") << "" << 0 << qint64(-1);
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
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("same");
        QTest::newRow("www and bare") << "http://www.a.example/x"
                                      << "http://a.example/" << true;
        QTest::newRow("scheme and port") << "http://a.example/"
                                         << "https://A.Example:8443/y" << true;
        QTest::newRow("subdomain") << "http://b.a.example/"
                                   << "http://a.example/" << false;
        QTest::newRow("name and address") << "http://localhost/"
                                          << "http://127.0.0.1/" << false;
        QTest::newRow("no host") << "file:///a"
                                 << "file:///b" << false;
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
        QStringList first = pages(6);
        server.setPage("/", HttpFixture::linksPage(QStringList{"p1.html", "p2.html", "p3.html", "p4.html",
                                                               "p5.html", "p6.html", "top.mp3"}));
        for (int i = 1; i <= 6; ++i)
            server.setPage(QStringLiteral("/p%1.html").arg(i),
                           HttpFixture::linksPage({QStringLiteral("m%1.mp3").arg(i), "p1.html"}));
        server.setLatencyMs(10);
        TempDatabase db;
        const Crawl plain = crawl(*engine(db, {}), server.url("/"), 3);
        QStringList plainRequests = server.requestedTargets();
        server.clearRequests();

        CrawlPolicy policy;
        policy.sameSiteOnly = policy.obeyRobots = policy.honourRetryAfter = true;
        policy.maxPerHost = 2;
        policy.delayMsPerHost = 5;
        const Crawl polite = crawl(*engine(db, policy), server.url("/"), 3);
        QCOMPARE(plain.crawled.size(), 7);
        QCOMPARE(polite.crawled, plain.crawled);
        QCOMPARE(polite.files, plain.files);
        QStringList politeRequests = server.requestedTargets();
        QCOMPARE(politeRequests.count("/robots.txt"), 1);
        politeRequests.removeAll("/robots.txt");
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
        CrawlPolicy policy;
        policy.sameSiteOnly = sameSiteOnly;
        const Crawl result = crawl(*engine(db, policy), server.url("/"), 2);

        QCOMPARE(server.hits("/other.html"), sameSiteOnly ? 0 : 1);
        QStringList crawled{server.url("/"), server.url("/own.html")};
        if (!sameSiteOnly)
            crawled.insert(2, other + "/other.html");
        QCOMPARE(result.crawled, crawled);
        // Files are recorded wherever they are; only pages stay on the site.
        QVERIFY(result.files.contains(other + "/far.mp3"));
        QCOMPARE(result.files.contains(other + "/other.mp3"), !sameSiteOnly);
    }

    void robots_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("robots");
        QTest::addColumn<QStringList>("crawled");
        const QString site = QStringLiteral("User-agent: *\nDisallow: /private/\n");
        QTest::newRow("disallowed path") << 200 << site << QStringList{"/", "/open.html"};
        QTest::newRow("our own group")
            << 200 << "User-agent: *\nDisallow: /\nUser-agent: Vorlane\nDisallow: /open"
            << QStringList{"/", "/private/a.html"};
        QTest::newRow("none there") << 404 << QString() << QStringList{"/", "/private/a.html", "/open.html"};
        // The start page was asked for by name and is crawled; nothing else of an unanswering site is.
        QTest::newRow("server error") << 503 << QString() << QStringList{"/"};
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
        CrawlPolicy policy;
        policy.obeyRobots = true;
        const Crawl result = crawl(*engine(db, policy, 4), server.url("/"), 3);

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

    // Each page answers after 150 ms; one transfer at a time means each request comes after the last one's
    // answer, a delay means the requests come at least that far apart.
    void perHostLimits_data() {
        QTest::addColumn<int>("maxPerHost");
        QTest::addColumn<int>("delayMs");
        QTest::addColumn<int>("answerMs");
        QTest::addColumn<qint64>("minimumGap");
        QTest::newRow("one at a time") << 1 << 0 << 150 << qint64(150);
        QTest::newRow("delay between requests") << 0 << 200 << 0 << qint64(200);
        QTest::newRow("both") << 2 << 120 << 50 << qint64(120);
    }
    void perHostLimits() {
        QFETCH(int, maxPerHost);
        QFETCH(int, delayMs);
        QFETCH(int, answerMs);
        QFETCH(qint64, minimumGap);
        HttpFixture server;
        const QStringList targets = pages(5);
        QStringList hrefs;
        for (const QString& target : targets) {
            hrefs << target.mid(1);
            HttpFixture::Route route;
            route.body = HttpFixture::linksPage({target.mid(1).replace(".html", ".mp3")}).toUtf8();
            route.delayMs = answerMs;
            server.setRoute(target, route);
        }
        HttpFixture::Route start;
        start.body = HttpFixture::linksPage(hrefs).toUtf8();
        start.delayMs = answerMs;
        server.setRoute("/", start);
        TempDatabase db;
        CrawlPolicy policy;
        policy.maxPerHost = maxPerHost;
        policy.delayMsPerHost = delayMs;
        const Crawl result = crawl(*engine(db, policy), server.url("/"), 2);
        QCOMPARE(result.files.size(), 5);
        const QList<qint64> times = timesOf(server, QStringList(targets) << "/");
        QCOMPARE(times.size(), 6);
        QVERIFY2(smallestGap(times) >= minimumGap - kSlackMs,
                 qPrintable(QString::number(smallestGap(times))));
    }

    void retryAfterWaitsAndRetriesOnce_data() {
        QTest::addColumn<bool>("honour");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("retryAfter");
        QTest::addColumn<int>("hits");
        QTest::newRow("honoured 429") << true << 429 << QByteArray("1") << 2;
        QTest::newRow("honoured 503") << true << 503 << QByteArray("1") << 2;
        QTest::newRow("option off") << false << 429 << QByteArray("1") << 1;
        QTest::newRow("no Retry-After") << true << 429 << QByteArray() << 1;
        QTest::newRow("other status") << true << 500 << QByteArray("1") << 1;
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
        CrawlPolicy policy;
        policy.honourRetryAfter = honour;
        const Crawl result = crawl(*engine(db, policy), server.url("/"), 2);

        QCOMPARE(server.hits("/busy.html"), hits);
        // A refusal that stays a refusal is the page's answer, processed like any error page.
        QCOMPARE(result.crawled,
                 QStringList({server.url("/"), server.url("/busy.html"), server.url("/calm.html")}));
        QCOMPARE(result.files, QStringList{server.url("/refused.mp3")});
        const QList<qint64> times = timesOf(server, {"/busy.html"});
        if (hits == 2)
            QVERIFY2(times[1] - times[0] >= 1000 - kSlackMs,
                     qPrintable(QString::number(times[1] - times[0])));
    }

    void retryBringsThePage() {
        HttpFixture server;
        server.setPage("/", HttpFixture::linksPage({"busy.html"}));
        HttpFixture::Route busy;
        busy.status = 429;
        busy.headers.append({QByteArray("Retry-After"), QByteArray("1")});
        server.setRoute("/busy.html", busy);
        TempDatabase db;
        CrawlPolicy policy;
        policy.honourRetryAfter = true;
        auto e = engine(db, policy);
        QSignalSpy finished(e.get(), &CrawlEngine::finished);
        QSignalSpy files(e.get(), &CrawlEngine::fileRecorded);
        QVERIFY(e->startUrlCrawl(server.url("/"), ".mp3", 2).ok());
        QTRY_COMPARE_WITH_TIMEOUT(server.hits("/busy.html"), 1, 10000);
        server.setPage("/busy.html", HttpFixture::linksPage({"late.mp3"}));
        QVERIFY(!finished.isEmpty() || finished.wait(10000));
        QCOMPARE(server.hits("/busy.html"), 2);
        QCOMPARE(files.size(), 1);
        QCOMPARE(files.first().at(1).toString(), server.url("/late.mp3"));
    }

    // Pause holds a waiting retry, and Stop ends the crawl at once instead of sitting out the wait.
    void pauseAndStopDuringAWait() {
        HttpFixture server;
        server.setPage("/", HttpFixture::linksPage({"busy.html"}));
        HttpFixture::Route busy;
        busy.status = 503;
        busy.headers.append({QByteArray("Retry-After"), QByteArray("1")});
        server.setRoute("/busy.html", busy);
        TempDatabase db;
        CrawlPolicy policy;
        policy.honourRetryAfter = true;
        auto e = engine(db, policy);
        QSignalSpy finished(e.get(), &CrawlEngine::finished);
        QVERIFY(e->startUrlCrawl(server.url("/"), ".mp3", 2).ok());
        QTRY_COMPARE_WITH_TIMEOUT(server.hits("/busy.html"), 1, 10000);
        e->pause();
        QTest::qWait(1500);
        QCOMPARE(server.hits("/busy.html"), 1);
        e->resume();
        QTRY_COMPARE_WITH_TIMEOUT(server.hits("/busy.html"), 2, 5000);
        QVERIFY(!finished.isEmpty() || finished.wait(10000));

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
