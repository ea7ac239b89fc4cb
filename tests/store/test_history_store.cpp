// History markers on a real database: which sources each kind of search lists before and after erasing.

#include "store/campaign_store.h"
#include "store/history_store.h"
#include "tests/support/temp_database.h"

#include <QtTest>

class TestHistoryStore : public QObject {
    Q_OBJECT

private slots:
    void markersHideOlderSources() {
        TempDatabase temp;
        QVERIFY2(temp.isValid(), qPrintable(temp.error()));
        CampaignStore campaigns(temp.connection());
        HistoryStore history(temp.connection());
        const auto url = CampaignType::UrlSearch;
        const auto web = CampaignType::WebSearch;
        QCOMPARE(history.maxCampaignId(url).value(), 0);

        campaigns.createCampaign(url, "http://a.test/");
        campaigns.createCampaign(web, "jazz");
        campaigns.createCampaign(url, "http://b.test/");
        campaigns.createCampaign(url, "HTTP://A.TEST/"); // the same source, other spelling

        QStringList list{"--->>Erase History*"};
        QVERIFY(history.fillHistory(url, list).ok());
        QCOMPARE(list, (QStringList{"--->>Erase History*", "http://a.test/", "http://b.test/"}));
        list.clear();
        QVERIFY(history.fillHistory(web, list).ok());
        QCOMPARE(list, QStringList{"jazz"});

        const int max = history.maxCampaignId(url).value();
        QCOMPARE(max, 4);
        QVERIFY(history.clearHistory(url, max).ok());
        QCOMPARE(history.clearedMarker(url).value(), max);
        QCOMPARE(history.clearedMarker(web).value(), 0);
        list.clear();
        QVERIFY(history.fillHistory(url, list).ok());
        QVERIFY(list.isEmpty());

        campaigns.createCampaign(url, "http://c.test/");
        QVERIFY(history.fillHistory(url, list).ok());
        QCOMPARE(list, QStringList{"http://c.test/"});
        list.clear();
        QVERIFY(history.fillHistory(web, list).ok()); // the other kind is untouched
        QCOMPARE(list, QStringList{"jazz"});

        // Back to 0, lower than before: everything is listed again.
        QVERIFY(history.clearHistory(url, 0).ok());
        QCOMPARE(history.clearedMarker(url).value(), 0);
        list.clear();
        QVERIFY(history.fillHistory(url, list).ok());
        QCOMPARE(list, (QStringList{"http://a.test/", "http://b.test/", "http://c.test/"}));
    }
};

QTEST_GUILESS_MAIN(TestHistoryStore)
#include "test_history_store.moc"
