// The Web Search dialog on a real database and local "search engines": what it loads, the order and texts
// of its rejections, and a search through one engine and through "*All*".

#include "search/search_history.h"
#include "search/web_search.h"
#include "store/campaign_store.h"
#include "store/category_store.h"
#include "store/engine_store.h"
#include "tests/support/app_context_fixture.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/http_fixture.h"

#include <QSignalSpy>
#include <QtTest>
#include <memory>

class TestWebSearch : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<AppContextFixture> m_app;
    std::unique_ptr<QWidget> m_owner;
    // Goes after the engines in cleanup(), so their connections are closed before the server stops.
    std::unique_ptr<HttpFixture> m_site;
    WebSearch* m_dialog = nullptr;

    void openDialog() {
        m_owner = std::make_unique<QWidget>();
        m_owner->resize(800, 600);
        m_dialog = new WebSearch(m_app->context, m_owner.get());
    }
    QComboBox* box(const char* name) { return control<QComboBox>(m_dialog, name); }
    QPushButton* button(const char* name) { return control<QPushButton>(m_dialog, name); }
    QStringList labels() { return CampaignStore(m_app->database.connection()).campaignLabels().value(); }

    // Replaces the stored engines by local ones, so no test reaches the internet.
    void useLocalEngines(const HttpFixture& site, const QStringList& names) {
        EngineStore engines(m_app->database.connection());
        const DbResult<QStringList> stored = engines.names();
        QVERIFY(stored);
        for (const QString& name : stored.value())
            QVERIFY(engines.remove(name));
        for (const QString& name : names) {
            QVERIFY(engines.add(name));
            QVERIFY(engines.setStartPage(name, site.url("/" + name + "?q=" + kKeywordPlaceholder)));
        }
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

    void loadFillsListsWithoutSelection() {
        CampaignStore campaigns(m_app->database.connection());
        for (const char* source : {"jazz", "blues", "jazz"})
            QVERIFY(campaigns.createCampaign(CampaignType::WebSearch, QString::fromLatin1(source)));
        QVERIFY(campaigns.createCampaign(CampaignType::UrlSearch, QStringLiteral("http://a.test/")));
        openDialog();

        QCOMPARE(entries(box("KeyWord")),
                 (QStringList{QString::fromLatin1(kEraseHistoryEntry), "jazz", "blues"}));
        QStringList engines{QString::fromLatin1(kAllEngines)};
        QVERIFY(EngineStore(m_app->database.connection()).fillDistinctNames(engines));
        QCOMPARE(entries(box("SEngine")), engines);
        QCOMPARE(entries(box("Combo4")), CategoryStore(m_app->database.connection()).names().value());
        for (const char* name : {"KeyWord", "Combo4", "SEngine"})
            QCOMPARE(box(name)->currentIndex(), -1);
        QCOMPARE(box("KeyWord")->currentText(), QString());
        QVERIFY(button("WebSearchBtn")->isEnabled());
        QVERIFY(!button("WebPauseResume")->isEnabled());
        QVERIFY(!button("WebStop")->isEnabled());
        QCOMPARE(m_dialog->windowTitle(), QStringLiteral("Web Search"));

        const QStringList order{"KeyWord",        "Combo4",  "SEngine", "WebSearchBtn",
                                "WebPauseResume", "WebStop", "Clse"};
        QCOMPARE(tabOrder(box("KeyWord"), int(order.size())), order);
    }

    void settingsChangesRefillTheLists() {
        openDialog();
        pick(box("SEngine"), QString::fromLatin1(kAllEngines));
        pick(box("Combo4"), QStringLiteral("Video"));
        QVERIFY(EngineStore(m_app->database.connection()).add(QStringLiteral("Local")));
        QVERIFY(CategoryStore(m_app->database.connection()).add(QStringLiteral("Scores")));
        emit m_app->context.enginesChanged();
        emit m_app->context.categoriesChanged();
        QCOMPARE(entries(box("SEngine")).first(), QString::fromLatin1(kAllEngines));
        QVERIFY(entries(box("SEngine")).contains(QStringLiteral("Local")));
        QVERIFY(entries(box("Combo4")).contains(QStringLiteral("Scores")));
        QCOMPARE(box("SEngine")->currentIndex(), -1);
        QCOMPARE(box("Combo4")->currentIndex(), -1);
    }

    void rejection_data() {
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QString>("mediaType");
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        const QString noKeyword = QStringLiteral("Please enter a valid keyword for your search.");
        const QString noType = QStringLiteral("Please select a media type for your search.");
        const QString noEngine = QStringLiteral("Please select a search engine for your search.");
        QTest::newRow("all empty: keyword first") << ""
                                                  << ""
                                                  << "" << noKeyword << "KeyWord";
        QTest::newRow("spaces only") << "   "
                                     << "Audio"
                                     << "*All*" << noKeyword << "KeyWord";
        QTest::newRow("no media type") << "jazz"
                                       << ""
                                       << "*All*" << noType << "Combo4";
        QTest::newRow("type before engine") << "jazz"
                                            << ""
                                            << "" << noType << "Combo4";
        QTest::newRow("no engine") << "jazz standards"
                                   << "Audio"
                                   << "" << noEngine << "SEngine";
    }

    void rejection() {
        QFETCH(QString, keyword);
        QFETCH(QString, mediaType);
        QFETCH(QString, engine);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        openDialog();
        m_owner->show();
        m_dialog->show();
        const QStringList historyBefore = entries(box("KeyWord"));
        typeInto(box("KeyWord"), keyword);
        if (!mediaType.isEmpty())
            pick(box("Combo4"), mediaType);
        if (!engine.isEmpty())
            pick(box("SEngine"), engine);

        QList<int> messagesAtClear;
        connect(&m_app->context, &AppContext::clearResultsRequested, this, [&](CampaignType type) {
            QCOMPARE(type, CampaignType::WebSearch);
            messagesAtClear << int(m_app->messages.shown().size());
        });
        click(button("WebSearchBtn"));

        QCOMPARE(messagesAtClear, QList<int>{0});
        QCOMPARE(m_app->messages.texts(), QStringList{message});
        QCOMPARE(m_app->messages.shown().first().kind, ScriptedMessages::Kind::Critical);
        QCOMPARE(m_dialog->focusWidget(), box(qPrintable(focus)));
        QVERIFY(m_app->context.search().webSearchKeepShown);
        QVERIFY(!m_app->context.webEngine().isRunning());
        QVERIFY(labels().isEmpty());
        QCOMPARE(entries(box("KeyWord")), historyBefore);
    }

    void search_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("one engine") << "Two" << QStringList{"/files/two.mp3", "/files/shared.ogg"};
        QTest::newRow("every engine, in stored order")
            << "*All*" << QStringList{"/files/one.mp3", "/files/shared.ogg", "/files/two.mp3"};
    }

    void search() {
        QFETCH(QString, engine);
        QFETCH(QStringList, expected);
        m_site = std::make_unique<HttpFixture>();
        HttpFixture& site = *m_site;
        QVERIFY(site.isListening());
        site.setPage("/One?q=jazz", HttpFixture::linksPage({"/files/one.mp3", "/result/1"}));
        site.setPage("/result/1", HttpFixture::linksPage({"/files/shared.ogg", "/files/one.mp3"}));
        site.setPage("/Two?q=jazz", HttpFixture::linksPage({"/files/two.mp3", "/files/shared.ogg"}));
        useLocalEngines(site, {"One", "Two"});
        openDialog();
        m_owner->show();
        m_dialog->show();

        const QString typed = QStringLiteral(" jazz  ");
        typeInto(box("KeyWord"), typed);
        pick(box("Combo4"), QStringLiteral("Audio"));
        pick(box("SEngine"), engine);
        CrawlEngine& crawl = m_app->context.webEngine();
        QSignalSpy recorded(&crawl, &CrawlEngine::fileRecorded);
        QSignalSpy finished(&crawl, &CrawlEngine::finished);
        click(button("WebSearchBtn"));

        QVERIFY(m_app->messages.shown().isEmpty());
        QCOMPARE(labels(), QStringList{QStringLiteral("1 - Web Search - jazz")});
        QCOMPARE(entries(box("KeyWord")).last(), typed);
        // Unlike the URL dialog, a start leaves the flag set.
        QVERIFY(m_app->context.search().webSearchKeepShown);
        QVERIFY(!button("WebSearchBtn")->isEnabled());
        QVERIFY(button("WebPauseResume")->isEnabled());
        QVERIFY(button("WebStop")->isEnabled());

        QVERIFY(finished.wait(20000));
        QCOMPARE(finished.first().first().toBool(), false);
        QStringList found;
        for (const auto& row : recorded)
            found << QUrl(row.at(1).toString()).path();
        QCOMPARE(found, expected);
        QCOMPARE(CampaignStore(m_app->database.connection()).campaignLinks(1)->size(), expected.size());
        QVERIFY(button("WebSearchBtn")->isEnabled());
        QVERIFY(!button("WebStop")->isEnabled());
    }

    void declinedEraseLeavesCommandAsKeyword() {
        m_site = std::make_unique<HttpFixture>();
        HttpFixture& site = *m_site;
        useLocalEngines(site, {"One"});
        openDialog();
        pick(box("KeyWord"), QString::fromLatin1(kEraseHistoryEntry));
        QCOMPARE(box("KeyWord")->currentText(), QString::fromLatin1(kEraseHistoryEntry));
        pick(box("Combo4"), QStringLiteral("Audio"));
        pick(box("SEngine"), QStringLiteral("One"));
        QSignalSpy finished(&m_app->context.webEngine(), &CrawlEngine::finished);
        click(button("WebSearchBtn"));
        QCOMPARE(labels(), QStringList{QStringLiteral("1 - Web Search - ") + kEraseHistoryEntry});
        QVERIFY(finished.wait(20000));
    }
};

QTEST_MAIN(TestWebSearch)
#include "test_web_search.moc"
