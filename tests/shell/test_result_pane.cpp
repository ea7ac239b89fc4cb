// The result pane of the main window: the quick filter acts on the list shown, and exports name the
// campaign the rows of each list belong to.

#include "form_fixture.h"
#include "store/campaign_store.h"
#include "tests/support/http_fixture.h"
#include "ui/app_context.h"
#include "ui/quick_filter_bar.h"
#include "ui/result_actions.h"
#include "ui/result_list.h"
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QTemporaryDir>

class TestResultPane : public QObject {
    Q_OBJECT
private slots:
    void init() { m_options.clear(); }
    void quickFilterActsOnTheListShown();
    void exportsNameTheCampaign_data();
    void exportsNameTheCampaign();

private:
    TempUserOptions m_options;
};

void TestResultPane::quickFilterActsOnTheListShown() {
    FormFixture f;
    for (int i = 1; i <= 2; ++i) {
        f.form->listView(i)->AddResultRow("a.ogg", "http://s.test/a.ogg");
        f.form->listView(i)->AddResultRow("b.mp3", "http://s.test/b.mp3");
        f.form->listView(i)->AddResultRow("c.mp3", "http://s.test/c.mp3");
    }
    auto* box = f.form->findChild<QLineEdit*>("QuickFilter");
    QVERIFY(box && box->isVisible());
    QTest::keyClicks(box, "mp3");
    QCOMPARE(f.form->listView(1)->rowCount(), 2);
    QCOMPARE(f.form->quickFilter()->countText(), QStringLiteral("2 of 3 shown"));
    f.form->runAction("Two");
    QCOMPARE(f.form->visibleListNumber(), 2);
    QCOMPARE(f.form->listView(1)->rowCount(), 3);
    QCOMPARE(f.form->listView(2)->rowCount(), 2);
    f.form->listView(2)->AddResultRow("d.mp3", "http://s.test/d.mp3");
    QCOMPARE(f.form->quickFilter()->countText(), QStringLiteral("3 of 4 shown"));
}

void TestResultPane::exportsNameTheCampaign_data() {
    QTest::addColumn<bool>("crawl"); // else a campaign loaded into ListView3
    QTest::newRow("URL Search list after a crawl") << true;
    QTest::newRow("campaign list") << false;
}

void TestResultPane::exportsNameTheCampaign() {
    QFETCH(bool, crawl);
    HttpFixture site;
    QVERIFY(site.isListening());
    site.setPage("/", HttpFixture::linksPage({"a.mp3", "b.mp3"}));
    FormFixture f;
    AppContext& context = f.form->context();
    int id = 0;
    ResultList* list = nullptr;
    if (crawl) {
        QSignalSpy started(&context.urlEngine(), &CrawlEngine::started);
        QVERIFY(context.urlEngine().startUrlCrawl(site.url("/"), ".mp3", 1).ok());
        QTRY_VERIFY_WITH_TIMEOUT(!context.urlEngine().isRunning(), 10000);
        QCOMPARE(started.size(), 1);
        id = started.first().first().toInt();
        list = f.form->listView(2);
    } else {
        CampaignStore store(context.db());
        const DbResult<int> created = store.createCampaign(CampaignType::UrlSearch, site.url("/"));
        QVERIFY(created.ok());
        id = created.value();
        QVERIFY(store.recordFileLink(id, site.url("/a.mp3"), site.url("/")).ok());
        QVERIFY(store.recordFileLink(id, site.url("/b.mp3"), site.url("/")).ok());
        emit context.campaignLinksLoaded(id, store.campaignLinks(id).value());
        QTRY_VERIFY_WITH_TIMEOUT(!f.form->isLoadingCampaign(), 5000);
        list = f.form->listView(3);
    }
    QCOMPARE(list->rowCount(), 2);

    QTemporaryDir dir;
    list->commands().setFileChooser([&](QWidget*, const QString&, const QString&) {
        return ExportTarget{dir.filePath("out.jsonl"), {}};
    });
    list->commands().exportAction()->trigger();
    QFile file(dir.filePath("out.jsonl"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.size(), 3); // two rows and the empty rest after the last line break
    for (int i = 0; i < 2; ++i) {
        const QJsonObject row = QJsonDocument::fromJson(lines[i]).object();
        const QString campaign = row.value("campaign").toString();
        QVERIFY2(campaign.startsWith(QString::number(id) + " - ") && campaign.endsWith(" - " + site.url("/")),
                 qPrintable(campaign));
    }
}

QTEST_MAIN(TestResultPane)
#include "test_result_pane.moc"
