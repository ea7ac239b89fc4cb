// The Campaign Management dialog on a real database: the campaign list, loading one campaign's links,
// deleting one and all with their questions, the history markers after Delete All, and a list that follows
// campaigns created elsewhere.

#include "campaigns/camp_management.h"
#include "search/url_search.h"
#include "store/campaign_store.h"
#include "store/history_store.h"
#include "tests/support/app_context_fixture.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/http_fixture.h"

#include <QSignalSpy>
#include <QSqlQuery>
#include <QtTest>
#include <memory>

class TestCampManagement : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<AppContextFixture> m_app;
    std::unique_ptr<QWidget> m_owner;
    // Goes after the engines in cleanup(), so their connections are closed before the server stops.
    std::unique_ptr<HttpFixture> m_site;
    CampManagement* m_dialog = nullptr;

    QComboBox* campaigns() { return control<QComboBox>(m_dialog, "Campaigns"); }
    QPushButton* button(const char* name) { return control<QPushButton>(m_dialog, name); }
    bool keepShown() const { return m_app->context.search().campManagementKeepShown; }

    // Three campaigns: 1 with two links, 2 without, 3 with one.
    void recordCampaigns() {
        CampaignStore store(m_app->database.connection());
        QCOMPARE(store.createCampaign(CampaignType::UrlSearch, QStringLiteral("http://a.test/")).value(), 1);
        QVERIFY(store.recordFileLink(1, QStringLiteral("http://a.test/x/one.mp3"),
                                     QStringLiteral("http://a.test/")));
        QVERIFY(store.recordFileLink(1, QStringLiteral("http://a.test/two.ogg")));
        QCOMPARE(store.createCampaign(CampaignType::WebSearch, QStringLiteral("jazz - live")).value(), 2);
        QCOMPARE(store.createCampaign(CampaignType::UrlSearch, QStringLiteral("http://b.test/")).value(), 3);
        QVERIFY(store.recordFileLink(3, QStringLiteral("http://b.test/three.mp3")));
    }
    void openDialog() {
        m_owner = std::make_unique<QWidget>();
        m_dialog = new CampManagement(m_app->context, m_owner.get());
    }
    int linkCount() {
        QSqlQuery count(m_app->database.connection());
        return count.exec(QStringLiteral("SELECT COUNT(*) FROM FILELINKS")) && count.next()
                   ? count.value(0).toInt()
                   : -1;
    }

private slots:
    void init() {
        m_app = std::make_unique<AppContextFixture>();
        QVERIFY2(m_app->database.isValid(), qPrintable(m_app->database.error()));
    }
    void cleanup() {
        m_owner.reset();
        m_app.reset();
    }

    void listsCampaignsOldestFirst() {
        recordCampaigns();
        openDialog();
        QCOMPARE(entries(campaigns()),
                 (QStringList{"1 - URL Search - http://a.test/", "2 - Web Search - jazz - live",
                              "3 - URL Search - http://b.test/"}));
        QCOMPARE(campaigns()->currentIndex(), -1);
        QCOMPARE(m_dialog->windowTitle(), QStringLiteral("Campaign Management"));
        const QStringList order{"Campaigns", "DelCamp", "DelAllCamp", "Clse"};
        QCOMPARE(tabOrder(campaigns(), int(order.size())), order);
    }

    void pickLoadsLinks_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("id");
        QTest::addColumn<QStringList>("urls");
        QTest::newRow("two links, in stored order")
            << "1 - URL Search - http://a.test/" << 1
            << QStringList{"http://a.test/x/one.mp3", "http://a.test/two.ogg"};
        QTest::newRow("no links") << "2 - Web Search - jazz - live" << 2 << QStringList{};
        QTest::newRow("source with its own dashes")
            << "3 - URL Search - http://b.test/" << 3 << QStringList{"http://b.test/three.mp3"};
    }

    void pickLoadsLinks() {
        QFETCH(QString, entry);
        QFETCH(int, id);
        QFETCH(QStringList, urls);
        recordCampaigns();
        openDialog();
        QSignalSpy loaded(&m_app->context, &AppContext::campaignLinksLoaded);
        pick(campaigns(), entry);
        QCOMPARE(loaded.size(), 1);
        QCOMPARE(loaded.first().at(0).toInt(), id);
        QStringList got;
        for (const FileLinkRow& row : loaded.first().at(1).value<QList<FileLinkRow>>())
            got << row.url;
        QCOMPARE(got, urls);
        QVERIFY(m_app->messages.shown().isEmpty());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void deleteWithoutSelection() {
        recordCampaigns();
        openDialog();
        m_owner->show();
        m_dialog->show();
        click(button("DelCamp"));
        QCOMPARE(m_app->messages.texts(), QStringList{"Please select a campaign from the dropdown."});
        QCOMPARE(m_app->messages.shown().first().kind, ScriptedMessages::Kind::Critical);
        QVERIFY(keepShown());
        QCOMPARE(m_dialog->focusWidget(), campaigns());
        QCOMPARE(entries(campaigns()).size(), 3);
    }

    void deleteOne_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("Yes") << true;
        QTest::newRow("No") << false;
    }

    void deleteOne() {
        QFETCH(bool, yes);
        recordCampaigns();
        openDialog();
        QSignalSpy cleared(&m_app->context, &AppContext::campaignResultsClearRequested);
        QSignalSpy changed(&m_app->context, &AppContext::campaignsChanged);
        pick(campaigns(), QStringLiteral("1 - URL Search - http://a.test/"));
        m_app->messages.answerNext(yes);
        click(button("DelCamp"));

        QCOMPARE(m_app->messages.texts(), QStringList{"Are sure you want to delete the selected campaign?"});
        QCOMPARE(m_app->messages.shown().first().kind, ScriptedMessages::Kind::Question);
        QVERIFY(keepShown());
        const QStringList remaining{"2 - Web Search - jazz - live", "3 - URL Search - http://b.test/"};
        const QStringList all = QStringList{"1 - URL Search - http://a.test/"} + remaining;
        QCOMPARE(entries(campaigns()), yes ? remaining : all);
        QCOMPARE(CampaignStore(m_app->database.connection()).campaignLabels().value(), yes ? remaining : all);
        // The campaign's links go with it; other campaigns keep theirs.
        QCOMPARE(linkCount(), yes ? 1 : 3);
        QCOMPARE(cleared.size(), yes ? 1 : 0);
        QCOMPARE(changed.size(), yes ? 1 : 0);
        if (yes)
            QCOMPARE(campaigns()->currentIndex(), -1);
    }

    void deleteAll_data() { deleteOne_data(); }

    void deleteAll() {
        QFETCH(bool, yes);
        recordCampaigns();
        HistoryStore history(m_app->database.connection());
        QVERIFY(history.clearHistory(CampaignType::UrlSearch, 3));
        QVERIFY(history.clearHistory(CampaignType::WebSearch, 2));
        openDialog();
        QSignalSpy cleared(&m_app->context, &AppContext::campaignResultsClearRequested);
        m_app->messages.answerNext(yes);
        click(button("DelAllCamp"));

        QCOMPARE(m_app->messages.texts(), QStringList{"Are sure you want to delete all saved campaigns?"});
        QVERIFY(keepShown());
        QCOMPARE(entries(campaigns()).isEmpty(), yes);
        QCOMPARE(linkCount(), yes ? 0 : 3);
        QCOMPARE(history.clearedMarker(CampaignType::UrlSearch).value(), yes ? 0 : 3);
        QCOMPARE(history.clearedMarker(CampaignType::WebSearch).value(), yes ? 0 : 2);
        QCOMPARE(cleared.size(), yes ? 1 : 0);
    }

    void historyAfterDeleteAllAtTheNextStart() {
        recordCampaigns();
        openDialog();
        m_app->messages.answerNext(true);
        click(button("DelAllCamp"));
        // A campaign created after Delete All is listed alone, and the next start's history shows only it.
        QCOMPARE(CampaignStore(m_app->database.connection())
                     .createCampaign(CampaignType::UrlSearch, QStringLiteral("http://new.test/"))
                     .value(),
                 4);
        emit m_app->context.campaignsChanged();
        QCOMPARE(entries(campaigns()), QStringList{"4 - URL Search - http://new.test/"});
        URLSearch next(m_app->context, m_owner.get());
        QCOMPARE(entries(control<QComboBox>(&next, "URL")),
                 (QStringList{"--->>Erase History*", "http://new.test/"}));
    }

    void searchStartRefillsTheOpenList() {
        m_site = std::make_unique<HttpFixture>();
        HttpFixture& site = *m_site;
        site.setPage("/", HttpFixture::linksPage({"song.mp3"}));
        openDialog();
        m_owner->show();
        m_dialog->show();
        auto* search = new URLSearch(m_app->context, m_owner.get());
        typeInto(control<QComboBox>(search, "URL"), site.url("/"));
        pick(control<QComboBox>(search, "Combo1"), QStringLiteral("Audio"));
        pick(control<QComboBox>(search, "Combo2"), QStringLiteral("2"));
        QSignalSpy finished(&m_app->context.urlEngine(), &CrawlEngine::finished);
        click(control<QPushButton>(search, "SearchBtn"));
        QCOMPARE(entries(campaigns()), QStringList{"1 - URL Search - " + site.url("/")});
        QVERIFY(finished.wait(20000));
    }

    void runningCampaignIsNotDeleted() {
        m_site = std::make_unique<HttpFixture>();
        HttpFixture& site = *m_site;
        HttpFixture::Route slow;
        slow.delayMs = 5000;
        site.setRoute("/", slow);
        openDialog();
        auto* search = new URLSearch(m_app->context, m_owner.get());
        typeInto(control<QComboBox>(search, "URL"), site.url("/"));
        pick(control<QComboBox>(search, "Combo1"), QStringLiteral("Audio"));
        pick(control<QComboBox>(search, "Combo2"), QStringLiteral("2"));
        click(control<QPushButton>(search, "SearchBtn"));
        QVERIFY(m_app->context.urlEngine().isRunning());

        pick(campaigns(), "1 - URL Search - " + site.url("/"));
        m_app->messages.answerNext(true);
        click(button("DelCamp"));
        m_app->messages.answerNext(true);
        click(button("DelAllCamp"));
        QCOMPARE(m_app->messages.shown().size(), 4);
        QCOMPARE(m_app->messages.shown().at(1).kind, ScriptedMessages::Kind::Critical);
        QCOMPARE(m_app->messages.shown().at(3).kind, ScriptedMessages::Kind::Critical);
        QCOMPARE(CampaignStore(m_app->database.connection()).campaignLabels()->size(), 1);

        QSignalSpy finished(&m_app->context.urlEngine(), &CrawlEngine::finished);
        m_app->context.urlEngine().stop();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 20000);
        m_app->messages.answerNext(true);
        click(button("DelAllCamp"));
        QVERIFY(CampaignStore(m_app->database.connection()).campaignLabels()->isEmpty());
    }
};

QTEST_MAIN(TestCampManagement)
#include "test_camp_management.moc"
