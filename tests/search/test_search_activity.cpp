// Pause, Resume and Stop of both search dialogs against a local site that keeps the crawl busy: the
// buttons and activity texts of each state, nothing blocking while paused, and a start that cannot create
// its campaign leaving the dialog idle.

#include "search/url_search.h"
#include "search/web_search.h"
#include "store/engine_store.h"
#include "tests/support/app_context_fixture.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/http_fixture.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>
#include <memory>

namespace {

// Object names and texts of one dialog.
struct Kind {
    const char* search;
    const char* pauseResume;
    const char* stop;
    QString running;
    QString paused;
};

const Kind kUrl{"SearchBtn", "PauseResume", "StopBtn", "URL Search running...", "URL Search paused"};
const Kind kWeb{"WebSearchBtn", "WebPauseResume", "WebStop", "Web Search running...", "Web Search paused"};

} // namespace

class TestSearchActivity : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<AppContextFixture> m_app;
    std::unique_ptr<HttpFixture> m_site;
    std::unique_ptr<QWidget> m_owner;
    QDialog* m_dialog = nullptr;
    Kind m_kind;

    CrawlEngine& engine() { return m_web ? m_app->context.webEngine() : m_app->context.urlEngine(); }
    QPushButton* button(const char* name) { return control<QPushButton>(m_dialog, name); }
    bool m_web = false;

    // A dialog with every input filled in, on a site whose pages answer slowly: a crawl stays running for
    // seconds unless it is stopped.
    void openReadyDialog(bool web) {
        m_web = web;
        m_kind = web ? kWeb : kUrl;
        m_site = std::make_unique<HttpFixture>();
        QStringList many;
        for (int i = 0; i < 40; ++i)
            many << QStringLiteral("/page/%1").arg(i);
        m_site->setPage("/", HttpFixture::linksPage(many));
        m_site->setPage("/Slow?q=jazz", HttpFixture::linksPage(many));
        for (const QString& page : many) {
            HttpFixture::Route slow;
            slow.body = HttpFixture::linksPage({page + ".mp3"}).toUtf8();
            slow.delayMs = 300;
            m_site->setRoute(page, slow);
        }
        EngineStore engines(m_app->database.connection());
        QVERIFY(engines.add(QStringLiteral("Slow")));
        QVERIFY(engines.setStartPage(QStringLiteral("Slow"), m_site->url("/Slow?q=<!KW!>")));

        m_owner = std::make_unique<QWidget>();
        if (web) {
            m_dialog = new WebSearch(m_app->context, m_owner.get());
            typeInto(control<QComboBox>(m_dialog, "KeyWord"), QStringLiteral("jazz"));
            pick(control<QComboBox>(m_dialog, "Combo4"), QStringLiteral("Audio"));
            pick(control<QComboBox>(m_dialog, "SEngine"), QStringLiteral("Slow"));
        } else {
            m_dialog = new URLSearch(m_app->context, m_owner.get());
            typeInto(control<QComboBox>(m_dialog, "URL"), m_site->url("/"));
            pick(control<QComboBox>(m_dialog, "Combo1"), QStringLiteral("Audio"));
            pick(control<QComboBox>(m_dialog, "Combo2"), QStringLiteral("3"));
        }
        m_owner->show();
        m_dialog->show();
    }

    void expectButtons(bool search, bool pauseResume, const QString& caption, bool stop) {
        QCOMPARE(button(m_kind.search)->isEnabled(), search);
        QCOMPARE(button(m_kind.pauseResume)->isEnabled(), pauseResume);
        QCOMPARE(button(m_kind.pauseResume)->text(), caption);
        QCOMPARE(button(m_kind.stop)->isEnabled(), stop);
    }

private slots:
    void init() {
        m_app = std::make_unique<AppContextFixture>();
        QVERIFY2(m_app->database.isValid(), qPrintable(m_app->database.error()));
    }
    void cleanup() {
        m_owner.reset();
        m_app.reset();
        m_site.reset();
    }

    void pauseResumeStop_data() {
        QTest::addColumn<bool>("web");
        QTest::newRow("URL Search") << false;
        QTest::newRow("Web Search") << true;
    }

    void pauseResumeStop() {
        QFETCH(bool, web);
        openReadyDialog(web);
        QSignalSpy activity(&m_app->context, &AppContext::activityTextRequested);
        QSignalSpy messages(&engine(), &CrawlEngine::messageChanged);
        QSignalSpy finished(&engine(), &CrawlEngine::finished);
        QSignalSpy recorded(&engine(), &CrawlEngine::fileRecorded);

        click(button(m_kind.search));
        QVERIFY(engine().isRunning());
        expectButtons(false, true, "Pause", true);

        QVERIFY(QTest::qWaitFor([&] { return !recorded.isEmpty(); }, 20000));
        click(button(m_kind.pauseResume));
        QVERIFY(engine().isPaused());
        expectButtons(false, true, "Resume", false);
        QCOMPARE(activity.last().first().toString(), m_kind.paused);

        // Paused means no new rows while the window keeps handling events.
        const qsizetype rowsAtPause = recorded.size();
        QElapsedTimer clock;
        clock.start();
        QTest::qWait(800);
        QVERIFY(clock.elapsed() < 5000);
        QCOMPARE(recorded.size(), rowsAtPause);
        QVERIFY(engine().isRunning());

        click(button(m_kind.pauseResume));
        QVERIFY(!engine().isPaused());
        expectButtons(false, true, "Pause", true);
        QCOMPARE(activity.last().first().toString(), m_kind.running);
        QVERIFY(QTest::qWaitFor([&] { return recorded.size() > rowsAtPause; }, 20000));

        messages.clear();
        click(button(m_kind.stop));
        QVERIFY(!messages.isEmpty());
        QCOMPARE(messages.first().first().toString(), QStringLiteral("Wait..."));
        // A second Stop before the crawl has ended changes nothing further.
        if (button(m_kind.stop)->isEnabled())
            click(button(m_kind.stop));
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 20000);
        QCOMPARE(finished.first().first().toBool(), true);
        QCOMPARE(messages.last().first().toString(), QStringLiteral("Stopped."));
        QCOMPARE(engine().stopCampaignId(), engine().campaignId());
        expectButtons(true, false, "Pause", false);
        QVERIFY(m_app->messages.shown().isEmpty());
    }

    void stopWhilePausedIsNotOffered_data() { pauseResumeStop_data(); }

    void stopWhilePausedIsNotOffered() {
        QFETCH(bool, web);
        openReadyDialog(web);
        click(button(m_kind.search));
        click(button(m_kind.pauseResume));
        // Closing hides the dialog; the search stays paused until Resume.
        m_dialog->close();
        QVERIFY(!m_dialog->isVisible());
        QVERIFY(engine().isRunning());
        QVERIFY(engine().isPaused());
        m_dialog->show();
        expectButtons(false, true, "Resume", false);
        click(button(m_kind.pauseResume));
        QSignalSpy finished(&engine(), &CrawlEngine::finished);
        click(button(m_kind.stop));
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 20000);
        expectButtons(true, false, "Pause", false);
    }

    void campaignThatCannotBeCreated_data() { pauseResumeStop_data(); }

    void campaignThatCannotBeCreated() {
        QFETCH(bool, web);
        openReadyDialog(web);
        QSignalSpy campaignsChanged(&m_app->context, &AppContext::campaignsChanged);
        QSqlQuery drop(m_app->database.connection());
        QVERIFY2(drop.exec(QStringLiteral("DROP TABLE CAMPAIGNS")), qPrintable(drop.lastError().text()));
        auto* history = control<QComboBox>(m_dialog, web ? "KeyWord" : "URL");
        const QStringList historyBefore = entries(history);

        click(button(m_kind.search));

        QCOMPARE(m_app->messages.shown().size(), 1);
        QCOMPARE(m_app->messages.shown().first().kind, ScriptedMessages::Kind::Critical);
        QVERIFY(!m_app->messages.last().isEmpty());
        QVERIFY(!engine().isRunning());
        expectButtons(true, false, "Pause", false);
        QCOMPARE(entries(history), historyBefore);
        QCOMPARE(campaignsChanged.size(), 0);
        QTest::qWait(200);
        QCOMPARE(m_site->requests().size(), 0);
    }
};

QTEST_MAIN(TestSearchActivity)
#include "test_search_activity.moc"
