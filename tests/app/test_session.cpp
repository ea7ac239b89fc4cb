// The session on a real database, for what no window shows: the settings it hands on to both engines, which
// campaign a running search records into, and a Delete All that half fails. What the dialogs do through it
// is tested with them.

#include "store/engine_store.h"
#include "tests/support/session_fixture.h"
#include "tests/support/table_rows.h"
#include "tests/support/temp_user_options.h"

#include <QSignalSpy>
#include <QSqlQuery>
#include <QtTest>

using namespace vorlane;

class TestSession : public QObject {
    Q_OBJECT

    TempUserOptions m_userOptions; // saving the settings writes the crawling options

private slots:
    void init() { m_userOptions.clear(); }

    // The saved connection type's time-out and transfers at once, the filter words and the politeness
    // options are what both engines start their next search with.
    void savedSettingsReachBothEngines_data() {
        addColumns<QString, int, int>({"connection", "timeoutSeconds", "concurrency"});
        addRow("dial-up", QString("56k"), 20, 2);
        addRow("broadband", QString("DSL"), 10, 8);
    }
    void savedSettingsReachBothEngines() {
        const auto [connection, timeoutSeconds, concurrency] =
            fetchRow<QString, int, int>({"connection", "timeoutSeconds", "concurrency"});
        SessionFixture app;
        const store::CrawlPolicy policy{.sameSiteOnly = true, .maxPerHost = 3};
        QVERIFY(app.session.saveSettings({connection, {"ads"}, policy}).ok());
        for (const store::CampaignType type :
             {store::CampaignType::UrlSearch, store::CampaignType::WebSearch}) {
            const crawl::CrawlSettings& used = app.session.engine(type).settings();
            QCOMPARE(used.connectionType, connection);
            QCOMPARE(used.timeoutSeconds, timeoutSeconds);
            QCOMPARE(used.concurrency, concurrency);
            QCOMPARE(used.filters, QStringList{"ads"});
            QVERIFY(used.policy == policy);
        }
    }

    // A running search records into its own campaign and no other; once it has ended, into none.
    void isRecording_data() {
        addColumns<bool>({"web"});
        addRow("URL search", false);
        addRow("web search", true);
    }
    void isRecording() {
        QFETCH(bool, web);
        const store::CampaignType type =
            web ? store::CampaignType::WebSearch : store::CampaignType::UrlSearch;
        SessionFixture app;
        HttpFixture& site = app.startSite();
        // Neither search gets past its first page until it is stopped.
        HttpFixture::Route silent;
        silent.hang = true;
        site.setRoute("/", silent);
        site.setRoute("/find?q=jazz", silent);
        store::EngineStore engines(app.database.connection());
        QVERIFY(engines.add("Local") && engines.setStartPage("Local", site.url("/find?q=<!KW!>")));
        QVERIFY(store::CampaignStore(app.database.connection()).createCampaign(type, "earlier"));
        QVERIFY(web ? app.session.startWebSearch("jazz", ".mp3", "Local")
                    : app.session.startUrlSearch(site.url("/"), ".mp3", 2));
        const int running = app.session.engine(type).campaignId();
        QCOMPARE(running, 2);
        QVERIFY(app.session.isRecording(running));
        QVERIFY(app.session.isRecording(0)); // any campaign
        QVERIFY(!app.session.isRecording(1));

        QSignalSpy finished(&app.session, &app::Session::searchFinished);
        app.session.stop(type);
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 10000);
        QVERIFY(!app.session.isRecording(running));
        QVERIFY(!app.session.isRecording(0));
    }

    // Delete All whose second part fails: the campaigns are gone all the same, the windows are told so, and
    // the error comes back.
    void deleteAllWhoseHistoryMarkersCannotBeReset() {
        SessionFixture app;
        QVERIFY(store::CampaignStore(app.database.connection())
                    .createCampaign(store::CampaignType::UrlSearch, "http://a.test/"));
        QVERIFY(QSqlQuery(app.database.connection()).exec("DROP TABLE ClearedHistory"));
        QSignalSpy deleted(&app.session, &app::Session::campaignsDeleted);
        QSignalSpy changed(&app.session, &app::Session::campaignsChanged);
        const store::DbStatus status = app.session.deleteAllCampaigns();
        QVERIFY(!status);
        QVERIFY(!status.error().isEmpty());
        QVERIFY(app.campaignLabels().isEmpty());
        QCOMPARE(deleted.size(), 1);
        QCOMPARE(changed.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestSession)
#include "test_session.moc"
