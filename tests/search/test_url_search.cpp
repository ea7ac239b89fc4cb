// The URL Search dialog on a real database and a local web site: what it loads, the order and texts of
// its rejections, and what a started search leaves behind (campaign, rows, history item).

#include "search/search_history.h"
#include "search/url_search.h"
#include "store/campaign_store.h"
#include "store/category_store.h"
#include "tests/support/app_context_fixture.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/http_fixture.h"

#include <QSignalSpy>
#include <QtTest>
#include <memory>

class TestUrlSearch : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<AppContextFixture> m_app;
    std::unique_ptr<QWidget> m_owner;
    // Goes after the engines in cleanup(), so their connections are closed before the server stops.
    std::unique_ptr<HttpFixture> m_site;
    URLSearch* m_dialog = nullptr;

    void openDialog() {
        m_owner = std::make_unique<QWidget>();
        m_owner->resize(800, 600);
        m_dialog = new URLSearch(m_app->context, m_owner.get());
    }
    QComboBox* box(const char* name) { return control<QComboBox>(m_dialog, name); }
    QPushButton* button(const char* name) { return control<QPushButton>(m_dialog, name); }
    QStringList labels() { return CampaignStore(m_app->database.connection()).campaignLabels().value(); }

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
        for (const char* source : {"http://a.test/", "http://b.test/", "http://a.test/"})
            QVERIFY(campaigns.createCampaign(CampaignType::UrlSearch, QString::fromLatin1(source)));
        QVERIFY(campaigns.createCampaign(CampaignType::WebSearch, QStringLiteral("jazz")));
        openDialog();

        QCOMPARE(entries(box("URL")),
                 (QStringList{QString::fromLatin1(kEraseHistoryEntry), "http://a.test/", "http://b.test/"}));
        QCOMPARE(entries(box("Combo1")), CategoryStore(m_app->database.connection()).names().value());
        QStringList depths = entries(box("Combo2"));
        QCOMPARE(depths.size(), 999);
        QCOMPARE(depths.first(), QStringLiteral("2"));
        QCOMPARE(depths.last(), QStringLiteral("1000"));
        for (const char* name : {"URL", "Combo1", "Combo2"}) {
            QCOMPARE(box(name)->currentIndex(), -1);
            QCOMPARE(box(name)->currentText(), QString());
        }
        QVERIFY(button("SearchBtn")->isEnabled());
        QVERIFY(!button("PauseResume")->isEnabled());
        QCOMPARE(button("PauseResume")->text(), QStringLiteral("Pause"));
        QVERIFY(!button("StopBtn")->isEnabled());
        QCOMPARE(m_dialog->windowTitle(), QStringLiteral("URL Search"));
    }

    void tabOrderAndAccessibleNames() {
        openDialog();
        const QStringList order{"URL", "Combo1", "Combo2", "SearchBtn", "PauseResume", "StopBtn", "Clse"};
        QCOMPARE(tabOrder(box("URL"), int(order.size())), order);
        QCOMPARE(box("URL")->accessibleName(), QStringLiteral("Enter URL:"));
        QCOMPARE(box("Combo2")->accessibleName(), QStringLiteral("Select Search Depth:"));
        QCOMPARE(button("Clse")->accessibleName(), QStringLiteral("Close"));
    }

    void prefillOnlyWhenEmptyAndIdle() {
        openDialog();
        m_dialog->prefillAddressIfIdle();
        QCOMPARE(box("URL")->currentText(), QStringLiteral("http://"));
        typeInto(box("URL"), QStringLiteral("http://kept.test/"));
        m_dialog->prefillAddressIfIdle();
        QCOMPARE(box("URL")->currentText(), QStringLiteral("http://kept.test/"));
    }

    void rejection_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("mediaType");
        QTest::addColumn<QString>("depth");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        const QString noUrl = QStringLiteral("Please enter a valid URL for your search.");
        const QString noScheme =
            QStringLiteral("Please enter a valid URL including the protocol (http://, etc.) .");
        const QString noType = QStringLiteral("Please select a media type for your search.");
        const QString noDepth = QStringLiteral("Please select a depth for your search.");
        QTest::newRow("all empty") << ""
                                   << ""
                                   << "" << noUrl << "URL";
        QTest::newRow("spaces only") << "   "
                                     << "Audio"
                                     << "3" << noUrl << "URL";
        QTest::newRow("pre-filled http://") << "http://"
                                            << "Audio"
                                            << "3" << noUrl << "URL";
        QTest::newRow("http:// between spaces") << "  http://  "
                                                << "Audio"
                                                << "3" << noUrl << "URL";
        QTest::newRow("bare host") << "www.example.test/music"
                                   << "Audio"
                                   << "3" << noScheme << "URL";
        QTest::newRow("scheme without //") << "http:example.test"
                                           << "Audio"
                                           << "3" << noScheme << "URL";
        QTest::newRow("upper-case HTTP:// passes the address checks") << "HTTP://"
                                                                      << ""
                                                                      << "3" << noType << "Combo1";
        QTest::newRow("any scheme with ://") << "ftp://files.test/"
                                             << ""
                                             << "" << noType << "Combo1";
        QTest::newRow("type before depth") << "http://a.test/"
                                           << ""
                                           << "" << noType << "Combo1";
        QTest::newRow("no depth") << "http://a.test/"
                                  << "Audio"
                                  << "" << noDepth << "Combo2";
    }

    void rejection() {
        QFETCH(QString, address);
        QFETCH(QString, mediaType);
        QFETCH(QString, depth);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        openDialog();
        m_owner->show();
        m_dialog->show();
        const QStringList historyBefore = entries(box("URL"));
        typeInto(box("URL"), address);
        if (!mediaType.isEmpty())
            pick(box("Combo1"), mediaType);
        if (!depth.isEmpty())
            pick(box("Combo2"), depth);

        // The list is emptied before any check: the message must not have been shown yet at that moment.
        QList<int> messagesAtClear;
        connect(&m_app->context, &AppContext::clearResultsRequested, this, [&](CampaignType type) {
            QCOMPARE(type, CampaignType::UrlSearch);
            messagesAtClear << int(m_app->messages.shown().size());
        });
        click(button("SearchBtn"));

        QCOMPARE(messagesAtClear, QList<int>{0});
        QCOMPARE(m_app->messages.texts(), QStringList{message});
        QCOMPARE(m_app->messages.shown().first().kind, ScriptedMessages::Kind::Critical);
        QCOMPARE(m_dialog->focusWidget(), box(qPrintable(focus)));
        QVERIFY(m_app->context.search().urlSearchKeepShown);
        QVERIFY(!m_app->context.urlEngine().isRunning());
        QVERIFY(labels().isEmpty());
        QCOMPARE(entries(box("URL")), historyBefore);
        QCOMPARE(box("URL")->currentText(), address);
        QVERIFY(button("SearchBtn")->isEnabled());
    }

    void mediaTypePickReadsExtensionsOnce() {
        CategoryStore categories(m_app->database.connection());
        QVERIFY(categories.add(QStringLiteral("Bare")));
        openDialog();
        pick(box("Combo1"), QStringLiteral("Audio"));
        const QString audio = categories.fileExtensions(QStringLiteral("Audio")).value();
        QCOMPARE(m_app->context.search().urlMediaExtensions, audio);

        // A change in the settings counts only from the next pick.
        QVERIFY(categories.setFileExtensions(QStringLiteral("Audio"), QStringLiteral(".mp3")));
        QCOMPARE(m_app->context.search().urlMediaExtensions, audio);
        pick(box("Combo1"), QStringLiteral("Audio"));
        QCOMPARE(m_app->context.search().urlMediaExtensions, QStringLiteral(".mp3"));

        // A type without extensions finds nothing rather than the previous type's files.
        pick(box("Combo1"), QStringLiteral("Bare"));
        QCOMPARE(m_app->context.search().urlMediaExtensions, QString());
    }

    void settingsChangeRefillsMediaTypes() {
        openDialog();
        pick(box("Combo1"), QStringLiteral("Audio"));
        QVERIFY(CategoryStore(m_app->database.connection()).add(QStringLiteral("Scores")));
        emit m_app->context.categoriesChanged();
        QVERIFY(entries(box("Combo1")).contains(QStringLiteral("Scores")));
        QCOMPARE(box("Combo1")->currentIndex(), -1);
    }

    void fullSearchRecordsRowsCampaignAndHistory() {
        m_site = std::make_unique<HttpFixture>();
        HttpFixture& site = *m_site;
        QVERIFY(site.isListening());
        site.setPage("/",
                     HttpFixture::linksPage({"a.mp3", "sub/", "notes.txt", "https://other.test/x.html"}));
        site.setPage("/sub/", HttpFixture::linksPage({"c.OGG", "../a.mp3", "deeper.html"}));
        site.setPage("/sub/deeper.html", HttpFixture::linksPage({"too-deep.mp3"}));
        site.setRoute("/other", {});
        openDialog();
        m_owner->show();
        m_dialog->show();

        const QString start = site.url("/");
        const QString typed = QStringLiteral("  ") + start + QStringLiteral(" ");
        typeInto(box("URL"), typed);
        pick(box("Combo1"), QStringLiteral("Audio"));
        pick(box("Combo2"), QStringLiteral("2"));
        m_app->context.search().urlSearchKeepShown = true;

        CrawlEngine& engine = m_app->context.urlEngine();
        QSignalSpy recorded(&engine, &CrawlEngine::fileRecorded);
        QSignalSpy finished(&engine, &CrawlEngine::finished);
        QSignalSpy campaignsChanged(&m_app->context, &AppContext::campaignsChanged);
        click(button("SearchBtn"));

        QVERIFY(m_app->messages.shown().isEmpty());
        QCOMPARE(campaignsChanged.size(), 1);
        QCOMPARE(labels(), QStringList{QStringLiteral("1 - URL Search - ") + start});
        QCOMPARE(entries(box("URL")).last(), typed);
        QCOMPARE(box("URL")->currentText(), typed);
        QCOMPARE(m_app->context.search().urlSearchDepth, 2);
        QVERIFY(!m_app->context.search().urlSearchKeepShown);
        QVERIFY(!button("SearchBtn")->isEnabled());
        QVERIFY(button("PauseResume")->isEnabled());
        QVERIFY(button("StopBtn")->isEnabled());

        QVERIFY(finished.wait(20000));
        QCOMPARE(finished.first().first().toBool(), false);
        QStringList addresses;
        for (const auto& row : recorded)
            addresses << row.at(1).toString();
        QCOMPARE(addresses, (QStringList{site.url("/a.mp3"), site.url("/sub/c.OGG")}));
        const auto stored = CampaignStore(m_app->database.connection()).campaignLinks(1);
        QVERIFY(stored);
        QCOMPARE(stored->size(), 2);
        QVERIFY(button("SearchBtn")->isEnabled());
        QVERIFY(!button("PauseResume")->isEnabled());
        QVERIFY(!button("StopBtn")->isEnabled());
    }

    void sameAddressTwiceIsListedTwiceThisRun() {
        m_site = std::make_unique<HttpFixture>();
        HttpFixture& site = *m_site;
        site.setPage("/", HttpFixture::linksPage({}));
        openDialog();
        pick(box("Combo1"), QStringLiteral("Audio"));
        pick(box("Combo2"), QStringLiteral("2"));
        for (int run = 0; run < 2; ++run) {
            QSignalSpy finished(&m_app->context.urlEngine(), &CrawlEngine::finished);
            typeInto(box("URL"), site.url("/"));
            click(button("SearchBtn"));
            QVERIFY(finished.wait(20000));
        }
        QCOMPARE(entries(box("URL")).count(site.url("/")), 2);
    }
};

QTEST_MAIN(TestUrlSearch)
#include "test_url_search.moc"
