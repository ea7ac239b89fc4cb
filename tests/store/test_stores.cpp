// The store units on a real database: values kept exactly, equality without letter case, campaign labels,
// ids that never repeat, history markers, media types, engines, settings saved as one unit, and the two
// reading helpers' contracts. Every test starts from a fresh seeded database.

#include "store/campaign_store.h"
#include "store/category_store.h"
#include "store/engine_store.h"
#include "store/history_store.h"
#include "store/queries.h"
#include "store/settings_store.h"
#include "tests/support/temp_database.h"

#include <QSqlQuery>
#include <QtTest>
#include <memory>

class TestStores : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDatabase> m_temp;
    QSqlDatabase db() const { return m_temp->connection(); }
    bool exec(const QString& sql) const { return QSqlQuery(db()).exec(sql); }

private slots:
    void init() {
        m_temp = std::make_unique<TempDatabase>();
        QVERIFY2(m_temp->isValid(), qPrintable(m_temp->error()));
    }
    void cleanup() { m_temp.reset(); }

    void campaignValuesRoundTrip_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("foundOn");
        QTest::newRow("quotes") << "it's \"mine\""
                                << "http://a.test/it's''x.mp3"
                                << "http://a.test/'";
        QTest::newRow("unicode") << "Müsik 音乐 🎵"
                                 << "http://例子.测试/ünï 🎵.mp3"
                                 << "http://例子.测试/";
        QTest::newRow("sql text") << "'); DROP TABLE CAMPAIGNS; --"
                                  << "http://a.test/%27;--.mp3" << QString();
        QTest::newRow("very long") << QString(20000, 's') << "http://a.test/" + QString(100000, 'u')
                                   << "http://a.test/" + QString(50000, 'f');
    }
    void campaignValuesRoundTrip() {
        QFETCH(QString, source);
        QFETCH(QString, url);
        QFETCH(QString, foundOn);
        CampaignStore store(db());
        const auto id = store.createCampaign(CampaignType::WebSearch, source);
        QVERIFY2(id.ok(), qPrintable(id.error()));
        QCOMPARE(store.recordFileLink(*id, url, foundOn).value(), true);
        QCOMPARE(store.campaignLabels().value(),
                 QStringList{QString::number(*id) + " - Web Search - " + source});
        const auto links = store.campaignLinks(*id).value();
        QCOMPARE(links.size(), 1);
        QCOMPARE(links.first().url, url);
        QCOMPARE(links.first().foundOn, foundOn);
    }

    void duplicateTest_data() {
        QTest::addColumn<QString>("second");
        QTest::addColumn<bool>("sameCampaign");
        QTest::addColumn<bool>("secondIsNew");
        QTest::newRow("identical") << "http://a.test/x.mp3" << true << false;
        QTest::newRow("letter case") << "HTTP://A.TEST/X.MP3" << true << false;
        QTest::newRow("other path") << "http://a.test/x.mp3/" << true << true;
        QTest::newRow("other campaign") << "http://a.test/x.mp3" << false << true;
    }
    void duplicateTest() {
        QFETCH(QString, second);
        QFETCH(bool, sameCampaign);
        QFETCH(bool, secondIsNew);
        CampaignStore store(db());
        const int a = store.createCampaign(CampaignType::UrlSearch, "a").value();
        const int b = sameCampaign ? a : store.createCampaign(CampaignType::UrlSearch, "b").value();
        QCOMPARE(store.recordFileLink(a, "http://a.test/x.mp3").value(), true);
        QCOMPARE(store.recordFileLink(b, second).value(), secondIsNew);
        QCOMPARE(QueryFirstValue(db(), "SELECT COUNT(*) FROM FILELINKS")->toInt(), secondIsNew ? 2 : 1);
        QCOMPARE(store.campaignLinks(a)->first().url, "http://a.test/x.mp3"); // the first spelling is kept
    }

    void deletionAndIds() {
        CampaignStore store(db());
        const int first = store.createCampaign(CampaignType::UrlSearch, "http://one.test/").value();
        const int second = store.createCampaign(CampaignType::WebSearch, "two").value();
        QVERIFY(store.recordFileLink(first, "http://one.test/a.mp3").value());
        QVERIFY(store.recordFileLink(second, "http://two.test/b.mp3").value());
        QCOMPARE(store.campaignLabels().value(),
                 (QStringList{QString::number(first) + " - URL Search - http://one.test/",
                              QString::number(second) + " - Web Search - two"}));
        QVERIFY(store.deleteCampaign(first).ok());
        QCOMPARE(store.campaignLabels()->size(), 1);
        QVERIFY(store.campaignLinks(first)->isEmpty());
        QCOMPARE(store.campaignLinks(second)->size(), 1);
        QVERIFY(store.deleteAllCampaigns().ok());
        QVERIFY(store.campaignLabels()->isEmpty());
        QCOMPARE(QueryFirstValue(db(), "SELECT COUNT(*) FROM FILELINKS")->toInt(), 0);
        QCOMPARE(store.createCampaign(CampaignType::UrlSearch, "again").value(), second + 1);
    }

    void failuresCarryTheDatabaseText() {
        CampaignStore store(db());
        const int id = store.createCampaign(CampaignType::UrlSearch, "x").value();
        QVERIFY(store.recordFileLink(id, "http://a.test/1.mp3").value()); // statements now prepared
        QVERIFY(exec("DROP TABLE FILELINKS"));
        const auto recorded = store.recordFileLink(id, "http://a.test/2.mp3");
        QVERIFY2(!recorded.ok() && recorded.error().contains("FILELINKS", Qt::CaseInsensitive),
                 qPrintable(recorded.error()));
        const auto deleted = store.deleteCampaign(id);
        QVERIFY(!deleted.ok() && deleted.error().contains("FILELINKS", Qt::CaseInsensitive));
        QCOMPARE(store.campaignLabels()->size(), 1); // rolled back: the campaign row is still there

        QStringList list{"kept"};
        const auto filled = FillList(db(), "SELECT X FROM NO_SUCH_TABLE", list);
        QVERIFY2(!filled.ok() && filled.error().contains("NO_SUCH_TABLE"), qPrintable(filled.error()));
        QCOMPARE(list, QStringList{"kept"});
        QVERIFY(!QueryFirstValue(db(), "SELEC 1").ok());
    }

    void historyMarkersHideOlderSources() {
        CampaignStore campaigns(db());
        HistoryStore history(db());
        const auto url = CampaignType::UrlSearch;
        const auto web = CampaignType::WebSearch;
        const auto listed = [&](CampaignType type, QStringList list = {}) {
            return history.fillHistory(type, list).ok() ? list : QStringList{"error"};
        };
        QCOMPARE(history.maxCampaignId(url).value(), 0);
        for (const char* source : {"http://a.test/", "jazz", "http://b.test/", "HTTP://A.TEST/"})
            campaigns.createCampaign(source[0] == 'j' ? web : url, source);
        QCOMPARE(listed(url, {"--->>Erase History*"}),
                 (QStringList{"--->>Erase History*", "http://a.test/", "http://b.test/"}));
        QCOMPARE(listed(web), QStringList{"jazz"});

        QCOMPARE(history.maxCampaignId(url).value(), 4);
        QVERIFY(history.clearHistory(url, 4).ok());
        QCOMPARE(history.clearedMarker(url).value(), 4);
        QCOMPARE(history.clearedMarker(web).value(), 0);
        QCOMPARE(listed(url), QStringList());
        campaigns.createCampaign(url, "http://c.test/");
        QCOMPARE(listed(url), QStringList{"http://c.test/"});
        QCOMPARE(listed(web), QStringList{"jazz"}); // the other kind is untouched
        // Back to 0, lower than before: everything is listed again.
        QVERIFY(history.clearHistory(url, 0).ok());
        QCOMPARE(listed(url), (QStringList{"http://a.test/", "http://b.test/", "http://c.test/"}));
    }

    void mediaTypes() {
        CategoryStore store(db());
        const QStringList seeded = store.names().value();
        QCOMPARE(seeded.first(), QStringLiteral("Audio"));
        QVERIFY(store.add("Tracker's 音").ok());
        QCOMPARE(store.names().value(), seeded + QStringList{"Tracker's 音"});
        QVERIFY(store.fileExtensions("Tracker's 音")->isNull()); // no extension yet
        QVERIFY(store.fileExtensions("no such type")->isNull());
        QVERIFY(store.setFileExtensions("TRACKER'S 音", ".mod,.xm").ok());
        QCOMPARE(store.fileExtensions("tracker's 音").value(), QStringLiteral(".mod,.xm"));
        QVERIFY(store.setFileExtensions("Tracker's 音", "").ok()); // last extension removed: empty, not NULL
        QVERIFY(!store.fileExtensions("Tracker's 音")->isNull() &&
                store.fileExtensions("Tracker's 音")->isEmpty());
        QStringList list{"first"};
        QVERIFY(store.remove("tracker's 音").ok());
        QVERIFY(store.fillNames(list).ok());
        QCOMPARE(list, QStringList{"first"} + seeded);
    }

    void engines() {
        EngineStore store(db());
        const QStringList seeded = store.names().value();
        QVERIFY(store.add(seeded.first().toUpper()).ok());
        QStringList distinct{"first"};
        QVERIFY(store.fillDistinctNames(distinct).ok());
        QCOMPARE(distinct, QStringList{"first"} + seeded);

        QVERIFY(exec("DELETE FROM SENGINES"));
        for (const char* name : {"Seeded", "Mine", "Bare"})
            QVERIFY(store.add(name).ok());
        QVERIFY(store.setStartPage("seeded", "http://s.test/?q=<!KW!>").ok());
        QVERIFY(store.setStartPage("Mine", "http://m.test/?q='<!KW!>'&x=ü").ok());
        const auto names = [&](const QString& choice) {
            QStringList list;
            const auto engines = store.enginesForSearch(choice);
            for (const EngineLink& engine : engines.value())
                list << engine.name + " " + engine.startPage;
            return list;
        };
        QCOMPARE(names(kAllEngines), (QStringList{"Seeded http://s.test/?q=<!KW!>",
                                                  "Mine http://m.test/?q='<!KW!>'&x=ü", "Bare "}));
        QCOMPARE(names("MINE"), QStringList{"Mine http://m.test/?q='<!KW!>'&x=ü"});
        QCOMPARE(names("Nobody"), QStringList());
        QVERIFY(store.startPage("Bare")->isNull());
    }

    void firstValue_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<bool>("null");
        QTest::addColumn<QString>("text");
        QTest::newRow("no row") << "SELECT 1 FROM FILTERS" << false << true << "";
        QTest::newRow("NULL column") << "SELECT NULL" << true << true << "";
        QTest::newRow("empty text") << "SELECT ''" << true << false << "";
        QTest::newRow("case-insensitive match")
            << "SELECT CATEGORY FROM SEARCHCATEGORIES WHERE CATEGORY = 'aUDIO'" << true << false << "Audio";
    }
    void firstValue() {
        QFETCH(QString, sql);
        QFETCH(bool, valid);
        QFETCH(bool, null);
        QFETCH(QString, text);
        const auto value = QueryFirstValue(db(), sql);
        QVERIFY2(value.ok(), qPrintable(value.error()));
        QCOMPARE(value->isValid(), valid);
        QCOMPARE(value->isNull(), null);
        QCOMPARE(value->toString(), text);
    }

    void fillListAppends() {
        const QString sql = "SELECT CAMPAIGNTYPE FROM CAMPAIGNTYPES ORDER BY CAMPTYPEID";
        QStringList list{"kept"};
        QVERIFY(FillList(db(), sql, list).ok() && FillList(db(), sql, list).ok());
        QVERIFY(FillList(db(), "SELECT FILTER FROM FILTERS", list).ok());
        QVERIFY(FillList(db(), "SELECT ? UNION ALL SELECT ?", list, {"it's", "ünï"}).ok());
        QCOMPARE(list, (QStringList{"kept", "URL Search", "Web Search", "URL Search", "Web Search", "it's",
                                    "ünï"}));
    }

    void connectionType_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("timeout");
        QTest::addColumn<int>("concurrency");
        QTest::addColumn<QString>("kept");
        // The previous values are 99/5/"previous": a text that is no known type keeps them.
        QTest::newRow("Unknown") << "Unknown" << 30 << 8 << "Unknown";
        QTest::newRow("56k") << "56k" << 20 << 2 << "56k";
        QTest::newRow("ISDN") << "ISDN" << 15 << 4 << "ISDN";
        QTest::newRow("DSL, padded") << "  DSL " << 10 << 8 << "DSL";
        QTest::newRow("T1") << "T1" << 10 << 8 << "T1";
        QTest::newRow("T2 like T1") << "T2" << 10 << 8 << "T2";
        QTest::newRow("other case") << "dsl" << 99 << 5 << "previous";
        QTest::newRow("unknown text") << "Fibre" << 99 << 5 << "previous";
        QTest::newRow("empty") << "" << 99 << 5 << "previous";
    }
    void connectionType() {
        QFETCH(QString, text);
        QFETCH(int, timeout);
        QFETCH(int, concurrency);
        QFETCH(QString, kept);
        const ConnectionType derived = DeriveConnectionType(text, {"previous", 99, 5});
        QCOMPARE(QString("%1/%2/%3").arg(derived.timeoutSeconds).arg(derived.concurrency).arg(derived.text),
                 QString("%1/%2/%3").arg(timeout).arg(concurrency).arg(kept));
    }

    void settingsSavedAsOneUnit_data() {
        QTest::addColumn<QString>("connection");
        QTest::addColumn<QStringList>("filters");
        QTest::addColumn<bool>("saved");
        QTest::newRow("empty list") << "56k" << QStringList() << true;
        QTest::newRow("quotes and unicode") << "T2" << QStringList{"it's", "''", "wörd 字", "x"} << true;
        QTest::newRow("same words again") << "DSL" << QStringList{"ads", "ads", "Ads"} << true;
        QTest::newRow("refused half-way: old settings whole")
            << "56k" << QStringList{"three", "bad", "four"} << false;
    }
    void settingsSavedAsOneUnit() {
        QFETCH(QString, connection);
        QFETCH(QStringList, filters);
        QFETCH(bool, saved);
        SettingsStore store(db());
        QVERIFY(store.saveSettings("ISDN", {"old", "words"}).ok());
        QVERIFY(exec("CREATE TRIGGER REFUSE BEFORE INSERT ON FILTERS WHEN NEW.FILTER = 'bad' "
                     "BEGIN SELECT RAISE(ABORT, 'refused by test'); END"));
        const auto status = store.saveSettings(connection, filters);
        QCOMPARE(status.ok(), saved);
        QVERIFY2(saved || status.error().contains("refused by test"), qPrintable(status.error()));
        QCOMPARE(store.loadFilters().value(), (saved ? filters : QStringList{"old", "words"}));
        QCOMPARE(store.loadConnectionType(DefaultConnectionType())->text, saved ? connection : "ISDN");
    }
};

QTEST_GUILESS_MAIN(TestStores)
#include "test_stores.moc"
