// The store units on a real database: values kept exactly, equality without letter case, campaign labels,
// media types, engines, settings saved as one unit, failures with the database's text, and the two reading
// helpers' contracts. Every test starts from a fresh seeded database. Deleting campaigns, ids after Delete
// All and the history markers are tested through the campaign and search dialogs on the same stores.

#include "store/campaign_store.h"
#include "store/category_store.h"
#include "store/engine_store.h"
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
        // clang-format off
        QTest::newRow("quotes") << "it's \"mine\"" << "http://a.test/it's''x.mp3" << "http://a.test/'";
        QTest::newRow("unicode") << "Müsik 音乐 🎵" << "http://例子.测试/ünï 🎵.mp3" << "http://例子.测试/";
        QTest::newRow("sql text") << "'); DROP TABLE CAMPAIGNS; --" << "http://a.test/%27;--.mp3" << QString();
        QTest::newRow("very long") << QString(20000, 's') << "http://a.test/" + QString(100000, 'u') << "http://a.test/" + QString(50000, 'f');
        // clang-format on
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
        const auto links = store.campaignLinks(*id);
        QCOMPARE(links->size(), 1);
        QCOMPARE(links->first().url + " < " + links->first().foundOn, url + " < " + foundOn);
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

    // Names match without letter case; unicode and quotes are kept.
    void mediaTypesAndEngines() {
        CategoryStore types(db());
        const QStringList seededTypes = types.names().value();
        QVERIFY(types.add("Tracker's 音").ok() && types.setFileExtensions("TRACKER'S 音", ".mod,.xm").ok());
        QCOMPARE(types.fileExtensions("tracker's 音").value(), QStringLiteral(".mod,.xm"));
        QVERIFY(types.remove("tracker's 音").ok());
        QCOMPARE(types.names().value(), seededTypes);

        EngineStore engines(db());
        const QStringList seeded = engines.names().value();
        QVERIFY(engines.add(seeded.first().toUpper()).ok()); // the same name twice is listed once
        QStringList distinct{"first"};
        QVERIFY(engines.fillDistinctNames(distinct).ok());
        QCOMPARE(distinct, QStringList{"first"} + seeded);
        QVERIFY(engines.add("Mine").ok() &&
                engines.setStartPage("MINE", "http://m.test/?q='<!KW!>'&x=ü").ok());
        const auto mine = engines.enginesForSearch("mine");
        QCOMPARE(mine->size(), 1);
        QCOMPARE(mine->first().startPage, "http://m.test/?q='<!KW!>'&x=ü");
        QVERIFY(engines.enginesForSearch("Nobody")->isEmpty());
        QVERIFY(engines.add("Bare").ok() && engines.startPage("Bare")->isNull());
    }

    void firstValue_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("expected");
        // clang-format off
        QTest::newRow("no row") << "SELECT 1 FROM FILTERS" << "no value";
        QTest::newRow("NULL column") << "SELECT NULL" << "NULL";
        QTest::newRow("empty text") << "SELECT ''" << "''";
        QTest::newRow("case-insensitive match") << "SELECT CATEGORY FROM SEARCHCATEGORIES WHERE CATEGORY = 'aUDIO'" << "'Audio'";
        // clang-format on
    }
    void firstValue() {
        QFETCH(QString, sql);
        QFETCH(QString, expected);
        const auto value = QueryFirstValue(db(), sql);
        QVERIFY2(value.ok(), qPrintable(value.error()));
        const QString text = "'" + value->toString() + "'";
        QCOMPARE(!value->isValid() ? "no value" : value->isNull() ? "NULL" : text, expected);
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
        QTest::addColumn<QString>("derived"); // time-out/concurrency/text
        // The previous values are 99/5/"previous": a text that is no known type keeps them.
        // clang-format off
        QTest::newRow("56k") << "56k" << "20/2/56k";
        QTest::newRow("DSL, padded") << "  DSL " << "10/8/DSL";
        QTest::newRow("T1") << "T1" << "10/8/T1";
        QTest::newRow("T2 like T1") << "T2" << "10/8/T2";
        QTest::newRow("other case") << "dsl" << "99/5/previous";
        QTest::newRow("unknown text") << "Fibre" << "99/5/previous";
        QTest::newRow("empty") << "" << "99/5/previous";
        // clang-format on
    }
    void connectionType() {
        QFETCH(QString, text);
        QFETCH(QString, derived);
        const ConnectionType type = DeriveConnectionType(text, {"previous", 99, 5});
        QCOMPARE(QString("%1/%2/%3").arg(type.timeoutSeconds).arg(type.concurrency).arg(type.text), derived);
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
