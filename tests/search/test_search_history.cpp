// The history lists of both search dialogs: erasing with Yes and No, and what the next start lists after
// an erase, after new searches and after the markers went back to 0.

#include "search/search_history.h"
#include "search/url_search.h"
#include "search/web_search.h"
#include "store/campaign_store.h"
#include "store/history_store.h"
#include "tests/support/app_context_fixture.h"
#include "tests/support/dialog_driver.h"

#include <QSignalSpy>
#include <QtTest>
#include <memory>

class TestSearchHistory : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<AppContextFixture> m_app;
    std::unique_ptr<QWidget> m_owner;

    // A fresh dialog reads the history as the next start of the program would.
    QComboBox* openDialog(CampaignType type) {
        m_owner = std::make_unique<QWidget>();
        if (type == CampaignType::UrlSearch)
            return control<QComboBox>(new URLSearch(m_app->context, m_owner.get()), "URL");
        return control<QComboBox>(new WebSearch(m_app->context, m_owner.get()), "KeyWord");
    }
    bool& keepShown(CampaignType type) {
        return type == CampaignType::UrlSearch ? m_app->context.search().urlSearchKeepShown
                                               : m_app->context.search().webSearchKeepShown;
    }
    void record(CampaignType type, const QStringList& sources) {
        CampaignStore campaigns(m_app->database.connection());
        for (const QString& source : sources)
            QVERIFY(campaigns.createCampaign(type, source));
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

    void erase_data() {
        QTest::addColumn<CampaignType>("type");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("question");
        const QString url = QStringLiteral("Are you sure you want to erase all url history?");
        const QString web = QStringLiteral("Are you sure you want to erase all keyword history?");
        QTest::newRow("URL, Yes") << CampaignType::UrlSearch << true << url;
        QTest::newRow("URL, No") << CampaignType::UrlSearch << false << url;
        QTest::newRow("Web, Yes") << CampaignType::WebSearch << true << web;
        QTest::newRow("Web, No") << CampaignType::WebSearch << false << web;
    }

    void erase() {
        QFETCH(CampaignType, type);
        QFETCH(bool, yes);
        QFETCH(QString, question);
        const CampaignType other =
            type == CampaignType::UrlSearch ? CampaignType::WebSearch : CampaignType::UrlSearch;
        record(type, {"first", "second"});
        record(other, {"elsewhere"});
        const QStringList labelsBefore = CampaignStore(m_app->database.connection()).campaignLabels().value();
        QComboBox* box = openDialog(type);
        const QStringList before = entries(box);
        QCOMPARE(before.size(), 3);
        keepShown(type) = false;
        QSignalSpy historyChanged(&m_app->context, &AppContext::historyChanged);

        m_app->messages.answerNext(yes);
        pick(box, QString::fromLatin1(kEraseHistoryEntry));

        QCOMPARE(m_app->messages.texts(), QStringList{question});
        QCOMPARE(m_app->messages.shown().first().kind, ScriptedMessages::Kind::Question);
        QVERIFY(keepShown(type));
        HistoryStore history(m_app->database.connection());
        QCOMPARE(history.clearedMarker(type).value(), yes ? 3 : 0);
        QCOMPARE(history.clearedMarker(other).value(), 0);
        QCOMPARE(historyChanged.size(), yes ? 1 : 0);
        // Erasing hides sources; it never deletes campaigns.
        QCOMPARE(CampaignStore(m_app->database.connection()).campaignLabels().value(), labelsBefore);
        if (yes) {
            QCOMPARE(entries(box), QStringList{QString::fromLatin1(kEraseHistoryEntry)});
            QCOMPARE(box->currentText(), QString());
        } else {
            QCOMPARE(entries(box), before);
            QCOMPARE(box->currentText(), QString::fromLatin1(kEraseHistoryEntry));
        }

        // The next start lists only what came after the marker.
        record(type, {"third"});
        const QStringList expected =
            yes ? QStringList{QString::fromLatin1(kEraseHistoryEntry), "third"}
                : QStringList{QString::fromLatin1(kEraseHistoryEntry), "first", "second", "third"};
        QCOMPARE(entries(openDialog(type)), expected);
        QCOMPARE(entries(openDialog(other)).size(), 2);
    }

    void pickingAnOrdinaryEntryAsksNothing() {
        record(CampaignType::UrlSearch, {"http://a.test/"});
        QComboBox* box = openDialog(CampaignType::UrlSearch);
        pick(box, QStringLiteral("http://a.test/"));
        QVERIFY(m_app->messages.shown().isEmpty());
        QCOMPARE(box->currentText(), QStringLiteral("http://a.test/"));
        QCOMPARE(entries(box).size(), 2);
    }

    void eraseWithoutCampaignsResetsTheList() {
        QComboBox* box = openDialog(CampaignType::WebSearch);
        m_app->messages.answerNext(true);
        pick(box, QString::fromLatin1(kEraseHistoryEntry));
        QCOMPARE(entries(box), QStringList{QString::fromLatin1(kEraseHistoryEntry)});
        QCOMPARE(HistoryStore(m_app->database.connection()).clearedMarker(CampaignType::WebSearch).value(),
                 0);
    }
};

QTEST_MAIN(TestSearchHistory)
#include "test_search_history.moc"
