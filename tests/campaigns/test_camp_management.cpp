// The Campaign Management dialog on a real database: the campaign list, loading one campaign's links,
// deleting one and all with their questions, the history markers after Delete All, and a list that follows
// campaigns created elsewhere.

#include "campaigns/camp_management.h"
#include "search/url_search.h"
#include "store/history_store.h"
#include "tests/support/app_context_fixture.h"
#include "tests/support/dialog_driver.h"

#include <QSignalSpy>
#include <QSqlQuery>
#include <QtTest>

class TestCampManagement : public QObject {
    Q_OBJECT

    std::unique_ptr<AppContextFixture> m_app;
    CampManagement* m_dialog = nullptr;
    const QStringList m_labels{"1 - URL Search - http://a.test/", "2 - Web Search - jazz - live",
                               "3 - URL Search - http://b.test/"};

    QComboBox* campaigns() { return control<QComboBox>(m_dialog, "Campaigns"); }
    QPushButton* button(const char* name) { return control<QPushButton>(m_dialog, name); }
    int linkCount() {
        QSqlQuery count(m_app->database.connection());
        return count.exec("SELECT COUNT(*) FROM FILELINKS") && count.next() ? count.value(0).toInt() : -1;
    }
    // Three campaigns: 1 with two links, 2 without, 3 with one; then the dialog.
    void openWithCampaigns() {
        CampaignStore store(m_app->database.connection());
        QVERIFY(store.createCampaign(CampaignType::UrlSearch, "http://a.test/"));
        QVERIFY(store.recordFileLink(1, "http://a.test/x/one.mp3", "http://a.test/"));
        QVERIFY(store.recordFileLink(1, "http://a.test/two.ogg"));
        QVERIFY(store.createCampaign(CampaignType::WebSearch, "jazz - live"));
        QVERIFY(store.createCampaign(CampaignType::UrlSearch, "http://b.test/"));
        QVERIFY(store.recordFileLink(3, "http://b.test/three.mp3"));
        m_dialog = new CampManagement(m_app->context, m_app->ownerWindow());
    }
    // A URL Search started from its dialog on the local site.
    void startSearch() {
        auto* search = new URLSearch(m_app->context, m_app->ownerWindow());
        typeInto(control<QComboBox>(search, "URL"), m_app->site->url("/"));
        pick(control<QComboBox>(search, "Combo1"), "Audio");
        pick(control<QComboBox>(search, "Combo2"), "2");
        click(control<QPushButton>(search, "SearchBtn"));
    }

private slots:
    void init() { m_app = std::make_unique<AppContextFixture>(); }
    void cleanup() { m_app.reset(); }

    void pickLoadsLinks_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<QStringList>("urls");
        QTest::newRow("two links, in stored order")
            << 1 << QStringList{"http://a.test/x/one.mp3", "http://a.test/two.ogg"};
        QTest::newRow("no links") << 2 << QStringList{};
        QTest::newRow("source with its own dashes") << 3 << QStringList{"http://b.test/three.mp3"};
    }
    void pickLoadsLinks() {
        QFETCH(int, id);
        QFETCH(QStringList, urls);
        openWithCampaigns();
        // Listed oldest first, nothing picked, in tab order.
        QCOMPARE(entries(campaigns()), m_labels);
        QCOMPARE(campaigns()->currentIndex(), -1);
        const QStringList order{"Campaigns", "DelCamp", "DelAllCamp", "Clse"};
        QCOMPARE(tabOrder(campaigns(), int(order.size())), order);
        QSignalSpy loaded(&m_app->context, &AppContext::campaignLinksLoaded);
        pick(campaigns(), m_labels[id - 1]);
        QCOMPARE(loaded.size(), 1);
        QCOMPARE(loaded.first().at(0).toInt(), id);
        QStringList got;
        for (const FileLinkRow& row : loaded.first().at(1).value<QList<FileLinkRow>>())
            got << row.url;
        QCOMPARE(got, urls);
        QVERIFY(m_app->messages.shown().isEmpty());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    // Each delete button with each answer: the question, the list, the stored rows and links, the markers.
    void deletion_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("left");
        QTest::addColumn<int>("links");
        const QString one = "Are sure you want to delete the selected campaign?";
        const QString all = "Are sure you want to delete all saved campaigns?";
        QTest::newRow("one, nothing picked")
            << "DelCamp" << true << "Please select a campaign from the dropdown." << m_labels << 3;
        QTest::newRow("one, Yes") << "DelCamp" << true << one << m_labels.mid(1) << 1;
        QTest::newRow("one, No") << "DelCamp" << false << one << m_labels << 3;
        QTest::newRow("all, Yes") << "DelAllCamp" << true << all << QStringList{} << 0;
        QTest::newRow("all, No") << "DelAllCamp" << false << all << m_labels << 3;
    }
    void deletion() {
        QFETCH(QString, button);
        QFETCH(bool, yes);
        QFETCH(QString, message);
        QFETCH(QStringList, left);
        QFETCH(int, links);
        openWithCampaigns();
        HistoryStore history(m_app->database.connection());
        QVERIFY(history.clearHistory(CampaignType::UrlSearch, 3));
        QVERIFY(history.clearHistory(CampaignType::WebSearch, 2));
        QSignalSpy cleared(&m_app->context, &AppContext::campaignResultsClearRequested);
        const bool picked = !message.startsWith("Please");
        if (picked && button == "DelCamp")
            pick(campaigns(), m_labels[0]);
        m_app->messages.answerNext(yes);
        click(this->button(qPrintable(button)));

        QCOMPARE(m_app->messages.texts(), QStringList{message});
        QCOMPARE(m_app->messages.shown().first().kind,
                 picked ? ScriptedMessages::Kind::Question : ScriptedMessages::Kind::Critical);
        QVERIFY(m_app->context.search().campManagementKeepShown);
        QCOMPARE(entries(campaigns()), left);
        QCOMPARE(m_app->campaignLabels(), left);
        // A campaign's links go with it, in the same step; other campaigns keep theirs.
        QCOMPARE(linkCount(), links);
        const bool deleted = left != m_labels;
        QCOMPARE(cleared.size(), deleted ? 1 : 0);
        const bool reset = deleted && left.isEmpty();
        QCOMPARE(history.clearedMarker(CampaignType::UrlSearch).value(), reset ? 0 : 3);
        QCOMPARE(history.clearedMarker(CampaignType::WebSearch).value(), reset ? 0 : 2);
    }

    void historyAfterDeleteAllAtTheNextStart() {
        openWithCampaigns();
        m_app->messages.answerNext(true);
        click(button("DelAllCamp"));
        QVERIFY(CampaignStore(m_app->database.connection())
                    .createCampaign(CampaignType::UrlSearch, "http://new.test/"));
        emit m_app->context.campaignsChanged();
        QCOMPARE(entries(campaigns()), QStringList{"4 - URL Search - http://new.test/"});
        URLSearch next(m_app->context, m_app->ownerWindow());
        QCOMPARE(entries(control<QComboBox>(&next, "URL")),
                 (QStringList{"--->>Erase History*", "http://new.test/"}));
    }

    void searchStartRefillsTheOpenList() {
        m_app->startSite().setPage("/", HttpFixture::linksPage({"song.mp3"}));
        m_dialog = new CampManagement(m_app->context, m_app->ownerWindow());
        QSignalSpy finished(&m_app->context.urlEngine(), &CrawlEngine::finished);
        startSearch();
        QCOMPARE(entries(campaigns()), QStringList{"1 - URL Search - " + m_app->site->url("/")});
        QVERIFY(finished.wait(20000));
    }

    void runningCampaignIsNotDeleted() {
        HttpFixture::Route slow;
        slow.delayMs = 5000;
        m_app->startSite().setRoute("/", slow);
        m_dialog = new CampManagement(m_app->context, m_app->ownerWindow());
        startSearch();
        QVERIFY(m_app->context.urlEngine().isRunning());
        pick(campaigns(), "1 - URL Search - " + m_app->site->url("/"));
        for (const char* name : {"DelCamp", "DelAllCamp"}) {
            m_app->messages.answerNext(true);
            click(button(name));
        }
        QCOMPARE(m_app->messages.shown().size(), 4);
        QCOMPARE(m_app->messages.shown().at(1).kind, ScriptedMessages::Kind::Critical);
        QCOMPARE(m_app->messages.shown().at(3).kind, ScriptedMessages::Kind::Critical);
        QCOMPARE(m_app->campaignLabels().size(), 1);

        QSignalSpy finished(&m_app->context.urlEngine(), &CrawlEngine::finished);
        m_app->context.urlEngine().stop();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 20000);
        m_app->messages.answerNext(true);
        click(button("DelAllCamp"));
        QVERIFY(m_app->campaignLabels().isEmpty());
    }
};

QTEST_MAIN(TestCampManagement)
#include "test_camp_management.moc"
