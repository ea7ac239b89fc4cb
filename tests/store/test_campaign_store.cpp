// Campaigns and their links on a real database: values kept exactly, duplicates found without letter
// case, labels, deletion, and ids that never repeat.

#include "store/campaign_store.h"
#include "store/queries.h"
#include "tests/support/temp_database.h"

#include <QSqlQuery>
#include <QtTest>

class TestCampaignStore : public QObject {
    Q_OBJECT

private slots:
    void valuesRoundTripUnchanged_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("foundOn");
        QTest::newRow("plain") << "http://a.test/"
                               << "http://a.test/x.mp3"
                               << "http://a.test/";
        QTest::newRow("quotes") << "it's \"mine\""
                                << "http://a.test/it's''x.mp3"
                                << "http://a.test/'";
        QTest::newRow("unicode") << "Müsik 音乐 🎵"
                                 << "http://例子.测试/ünï 🎵.mp3"
                                 << "http://例子.测试/";
        QTest::newRow("sql text") << "'); DROP TABLE CAMPAIGNS; --"
                                  << "http://a.test/%27;--.mp3" << QString();
        QTest::newRow("very long") << QString(20000, QChar('s'))
                                   << "http://a.test/" + QString(100000, QChar('u'))
                                   << "http://a.test/" + QString(50000, QChar('f'));
    }
    void valuesRoundTripUnchanged() {
        QFETCH(QString, source);
        QFETCH(QString, url);
        QFETCH(QString, foundOn);
        TempDatabase temp;
        QVERIFY2(temp.isValid(), qPrintable(temp.error()));
        CampaignStore store(temp.connection());
        const auto id = store.createCampaign(CampaignType::WebSearch, source);
        QVERIFY2(id.ok(), qPrintable(id.error()));
        QCOMPARE(store.recordFileLink(*id, url, foundOn).value(), true);
        QCOMPARE(store.campaignLabels().value(),
                 QStringList{QString::number(*id) + " - Web Search - " + source});
        const auto links = store.campaignLinks(*id);
        QVERIFY(links.ok());
        QCOMPARE(links->size(), 1);
        QCOMPARE(links->first().url, url);
        QCOMPARE(links->first().foundOn, foundOn);
    }

    void duplicateTest_data() {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<bool>("sameCampaign");
        QTest::addColumn<bool>("secondIsNew");
        QTest::newRow("identical") << "http://a.test/x.mp3"
                                   << "http://a.test/x.mp3" << true << false;
        QTest::newRow("letter case") << "http://a.test/x.mp3"
                                     << "HTTP://A.TEST/X.MP3" << true << false;
        QTest::newRow("other path") << "http://a.test/x.mp3"
                                    << "http://a.test/x.mp3/" << true << true;
        QTest::newRow("other campaign") << "http://a.test/x.mp3"
                                        << "http://a.test/x.mp3" << false << true;
    }
    void duplicateTest() {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(bool, sameCampaign);
        QFETCH(bool, secondIsNew);
        TempDatabase temp;
        QVERIFY2(temp.isValid(), qPrintable(temp.error()));
        CampaignStore store(temp.connection());
        const int a = store.createCampaign(CampaignType::UrlSearch, "a").value();
        const int b = sameCampaign ? a : store.createCampaign(CampaignType::UrlSearch, "b").value();
        QCOMPARE(store.recordFileLink(a, first).value(), true);
        QCOMPARE(store.recordFileLink(b, second).value(), secondIsNew);
        QCOMPARE(store.campaignLinks(a)->size() + (a == b ? 0 : store.campaignLinks(b)->size()),
                 secondIsNew ? 2 : 1);
        QCOMPARE(store.campaignLinks(a)->first().url, first); // the first spelling is kept
    }

    void deletionAndIds() {
        TempDatabase temp;
        QVERIFY2(temp.isValid(), qPrintable(temp.error()));
        CampaignStore store(temp.connection());
        const int first = store.createCampaign(CampaignType::UrlSearch, "http://one.test/").value();
        const int second = store.createCampaign(CampaignType::WebSearch, "two").value();
        QCOMPARE(second, first + 1);
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
        QCOMPARE(QueryFirstValue(temp.connection(), "SELECT COUNT(*) FROM FILELINKS")->toInt(), 0);
        QCOMPARE(store.createCampaign(CampaignType::UrlSearch, "again").value(), second + 1);
    }

    void failuresCarryTheDatabaseText() {
        TempDatabase temp;
        QVERIFY2(temp.isValid(), qPrintable(temp.error()));
        CampaignStore store(temp.connection());
        const int id = store.createCampaign(CampaignType::UrlSearch, "x").value();
        QVERIFY(store.recordFileLink(id, "http://a.test/1.mp3").value()); // statements now prepared
        QSqlQuery(temp.connection()).exec("DROP TABLE FILELINKS");

        const auto recorded = store.recordFileLink(id, "http://a.test/2.mp3");
        QVERIFY(!recorded.ok());
        QVERIFY2(recorded.error().contains("FILELINKS", Qt::CaseInsensitive), qPrintable(recorded.error()));
        const auto deleted = store.deleteCampaign(id);
        QVERIFY(!deleted.ok());
        QVERIFY(deleted.error().contains("FILELINKS", Qt::CaseInsensitive));
        // The transaction was rolled back: the campaign row is still there.
        QCOMPARE(store.campaignLabels()->size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestCampaignStore)
#include "test_campaign_store.moc"
