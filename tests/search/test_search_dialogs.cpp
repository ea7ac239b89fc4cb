// Both search dialogs on a real database and a local web site: what they load, how they behave as tool
// windows, the order and texts of their rejections, a full search, Pause/Resume/Stop, a start that cannot
// create its campaign, and erasing the history. Close requests hide the dialog: see the Pause test.

#include "search/search_history.h"
#include "search/url_search.h"
#include "search/web_search.h"
#include "store/category_store.h"
#include "store/engine_store.h"
#include "store/history_store.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/session_fixture.h"
#include "tests/support/table_rows.h"

#include <QMessageBox>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QtTest>

using namespace vorlane;

namespace {

// Object names and texts of one dialog; `choice` is the depth or the engine.
struct Kind {
    store::CampaignType type;
    const char *history, *mediaType, *choice, *search, *pauseResume, *stop, *running, *paused;
};
// clang-format off
const Kind kUrl{store::CampaignType::UrlSearch, "URL", "Combo1", "Combo2", "SearchBtn", "PauseResume", "StopBtn",
                "URL Search running...", "URL Search paused"};
const Kind kWeb{store::CampaignType::WebSearch, "KeyWord", "Combo4", "SEngine", "WebSearchBtn", "WebPauseResume",
                "WebStop", "Web Search running...", "Web Search paused"};
// clang-format on
const QString kErase = QString::fromLatin1(search::kEraseHistoryEntry);

} // namespace

class TestSearchDialogs : public QObject {
    Q_OBJECT

    std::unique_ptr<SessionFixture> m_app;
    QDialog* m_dialog = nullptr;
    Kind m_kind = kUrl;

    bool web() const { return m_kind.type == store::CampaignType::WebSearch; }
    QComboBox* box(const char* name) { return control<QComboBox>(m_dialog, name); }
    QPushButton* button(const char* name) { return control<QPushButton>(m_dialog, name); }
    crawl::CrawlEngine& engine() { return m_app->session.engine(m_kind.type); }
    bool& keepShown() {
        return web() ? m_app->session.keepShown().webSearch : m_app->session.keepShown().urlSearch;
    }
    // A new dialog reads the history as the next start of the program would.
    QComboBox* openDialog(bool web) {
        m_kind = web ? kWeb : kUrl;
        QWidget* owner = m_app->ownerWindow();
        m_dialog = web ? static_cast<QDialog*>(new search::WebSearch(m_app->session, m_app->messages, owner))
                       : new search::URLSearch(m_app->session, m_app->messages, owner);
        owner->show();
        m_dialog->show();
        return box(m_kind.history);
    }
    void fill(const QString& text, const QString& mediaType, const QString& choice) {
        typeInto(box(m_kind.history), text);
        if (!mediaType.isEmpty())
            pick(box(m_kind.mediaType), mediaType);
        if (!choice.isEmpty())
            pick(box(m_kind.choice), choice);
    }
    void record(store::CampaignType type, const QStringList& sources) {
        for (const QString& source : sources)
            QVERIFY(store::CampaignStore(m_app->database.connection()).createCampaign(type, source));
    }
    // Replaces the stored engines by local ones, so no test reaches the internet.
    void useLocalEngines(const QStringList& names) {
        QVERIFY(QSqlQuery(m_app->database.connection()).exec("DELETE FROM SENGINES"));
        store::EngineStore engines(m_app->database.connection());
        for (const QString& name : names) {
            QVERIFY(engines.add(name));
            QVERIFY(engines.setStartPage(name,
                                         m_app->site->url("/" + name + "?q=" + store::kKeywordPlaceholder)));
        }
    }
    // A filled-in dialog on a site whose pages answer slowly: a crawl stays running for seconds.
    void openBusyDialog(bool web) {
        HttpFixture& site = m_app->startSite();
        QStringList many;
        for (int i = 0; i < 40; ++i)
            many << QStringLiteral("/page/%1").arg(i);
        site.setPage("/", HttpFixture::linksPage(many));
        site.setPage("/Slow?q=jazz", HttpFixture::linksPage(many));
        for (const QString& page : many)
            site.setPage(page, HttpFixture::linksPage({page + ".mp3"}));
        site.setLatencyMs(300);
        useLocalEngines({"Slow"});
        openDialog(web);
        fill(web ? "jazz" : site.url("/"), "Audio", web ? "Slow" : "3");
    }
    // Activation arrives asynchronously, and a tool window may count as active before it has focus.
    static void activate(QWidget* window) {
        window->show();
        window->activateWindow();
        QTRY_COMPARE_WITH_TIMEOUT(QGuiApplication::focusWindow(), window->windowHandle(), 5000);
    }
    void expectButtons(bool search, bool pauseResume, const QString& caption, bool stop) {
        QCOMPARE(button(m_kind.search)->isEnabled(), search);
        QCOMPARE(button(m_kind.pauseResume)->isEnabled(), pauseResume);
        QCOMPARE(button(m_kind.pauseResume)->text(), caption);
        QCOMPARE(button(m_kind.stop)->isEnabled(), stop);
    }

private slots:
    void init() { m_app = std::make_unique<SessionFixture>(); }
    void cleanup() { m_app.reset(); }

    void bothDialogs_data() {
        addColumns<bool>({"web"});
        addRow("URL Search", false);
        addRow("Web Search", true);
    }

    // What a new dialog lists and has picked, its tab order, the media-type pick and the lists refilled
    // after Settings changes.
    void opensWithHistoryAndNothingPicked_data() { bothDialogs_data(); }
    void opensWithHistoryAndNothingPicked() {
        QFETCH(bool, web);
        // A source listed once whatever its letter case, as first typed.
        record(store::CampaignType::UrlSearch, {"http://a.test/", "http://b.test/", "HTTP://A.TEST/"});
        record(store::CampaignType::WebSearch, {"jazz", "blues", "Jazz"});
        openDialog(web);
        const QStringList history = web ? QStringList{kErase, "jazz", "blues"}
                                        : QStringList{kErase, "http://a.test/", "http://b.test/"};
        QCOMPARE(entries(box(m_kind.history)), history);
        QCOMPARE(entries(box(m_kind.mediaType)),
                 store::CategoryStore(m_app->database.connection()).names().value());
        QStringList choices;
        if (web)
            QVERIFY(store::EngineStore(m_app->database.connection())
                        .fillDistinctNames(choices << store::kAllEngines));
        for (int depth = 2; !web && depth <= 1000; ++depth)
            choices << QString::number(depth);
        QCOMPARE(entries(box(m_kind.choice)), choices);
        for (const char* name : {m_kind.history, m_kind.mediaType, m_kind.choice})
            QCOMPARE(box(name)->currentIndex(), -1);
        QCOMPARE(box(m_kind.history)->currentText(), QString());
        expectButtons(true, false, "Pause", false);
        const QStringList order{m_kind.history,     m_kind.mediaType, m_kind.choice, m_kind.search,
                                m_kind.pauseResume, m_kind.stop,      "Clse"};
        QCOMPARE(tabOrder(box(m_kind.history), int(order.size())), order);

        const auto extensions = [&] {
            return web ? static_cast<search::WebSearch*>(m_dialog)->pickedExtensions()
                       : static_cast<search::URLSearch*>(m_dialog)->pickedExtensions();
        };
        store::CategoryStore categories(m_app->database.connection());
        pick(box(m_kind.mediaType), "Audio");
        QCOMPARE(extensions(), categories.fileExtensions("Audio").value());
        QVERIFY(categories.add("Bare") && store::EngineStore(m_app->database.connection()).add("Local"));
        emit m_app->session.categoriesChanged();
        emit m_app->session.enginesChanged();
        QCOMPARE(box(m_kind.mediaType)->currentIndex(), -1);
        QVERIFY(!web || entries(box("SEngine")).contains("Local"));
        // A type without extensions finds nothing rather than the previous type's files.
        pick(box(m_kind.mediaType), "Bare");
        QCOMPARE(extensions(), QString());
    }

    // The main window pre-fills the address of an idle URL dialog only when nothing is typed there.
    void prefillKeepsATypedAddress() {
        openDialog(false);
        auto* dialog = static_cast<search::URLSearch*>(m_dialog);
        dialog->prefillAddressIfIdle();
        QCOMPARE(box("URL")->currentText(), QString("http://"));
        typeInto(box("URL"), "http://kept.test/");
        dialog->prefillAddressIfIdle();
        QCOMPARE(box("URL")->currentText(), QString("http://kept.test/"));
    }

    // Columns: web, typed text, media type, depth or engine, the message, the control that gets the focus.
    void rejection_data() {
        addColumns<bool, QString, QString, QString, QString, QString>(
            {"web", "text", "mediaType", "choice", "message", "focus"});
        const QString noUrl = "Please enter a valid URL for your search.";
        const QString noScheme = "Please enter a valid URL including the protocol (http://, etc.) .";
        const QString noType = "Please select a media type for your search.";
        const QString noKeyword = "Please enter a valid keyword for your search.";
        const QString noDepth = "Please select a depth for your search.";
        const QString noEngine = "Please select a search engine for your search.";
        using S = QString;
        // clang-format off
        addRow("URL: all empty", false, S(), S(), S(), noUrl, S("URL"));
        addRow("URL: pre-filled http://", false, S("http://"), S("Audio"), S("3"), noUrl, S("URL"));
        addRow("URL: http:// in spaces", false, S("  http://  "), S("Audio"), S("3"), noUrl, S("URL"));
        addRow("URL: no ://", false, S("http:example.test"), S("Audio"), S("3"), noScheme, S("URL"));
        addRow("URL: HTTP:// passes", false, S("HTTP://"), S(), S("3"), noType, S("Combo1"));
        addRow("URL: any scheme", false, S("ftp://files.test/"), S(), S(), noType, S("Combo1"));
        addRow("URL: no depth", false, S("http://a.test/"), S("Audio"), S(), noDepth, S("Combo2"));
        addRow("Web: all empty", true, S(), S(), S(), noKeyword, S("KeyWord"));
        addRow("Web: spaces only", true, S("   "), S("Audio"), S("*All*"), noKeyword, S("KeyWord"));
        addRow("Web: type before engine", true, S("jazz"), S(), S(), noType, S("Combo4"));
        addRow("Web: no engine", true, S("jazz standards"), S("Audio"), S(), noEngine, S("SEngine"));
        // clang-format on
    }
    void rejection() {
        const auto [web, text, mediaType, choice, message, focus] =
            fetchRow<bool, QString, QString, QString, QString, QString>(
                {"web", "text", "mediaType", "choice", "message", "focus"});
        const QStringList historyBefore = entries(openDialog(web));
        fill(text, mediaType, choice);
        // The list is emptied before any check: no message may have been shown at that moment.
        QList<int> messagesAtClear;
        connect(&m_app->session, &app::Session::resultsCleared, this, [&](store::CampaignType type) {
            QCOMPARE(type, m_kind.type);
            messagesAtClear << int(m_app->messages.shown().size());
        });
        click(button(m_kind.search));

        QCOMPARE(messagesAtClear, QList<int>{0});
        QCOMPARE(m_app->messages.texts(), QStringList{message});
        QCOMPARE(m_app->messages.shown().first().kind, ScriptedMessages::Kind::Critical);
        QCOMPARE(m_dialog->focusWidget(), box(qPrintable(focus)));
        QVERIFY(keepShown());
        QVERIFY(!engine().isRunning());
        QVERIFY(m_app->campaignLabels().isEmpty());
        QCOMPARE(entries(box(m_kind.history)), historyBefore);
        QCOMPARE(box(m_kind.history)->currentText(), text);
        QVERIFY(button(m_kind.search)->isEnabled());
    }

    // What every tool window of the program does: the first show is centred on the owner, at a fixed size;
    // another window of the program becoming active hides it unless the keep-shown flag asks to stay once.
    void anotherWindowBecomesActive_data() {
        addColumns<QString, bool, bool, bool>({"other", "keepShown", "visibleAfter", "keepShownAfter"});
        const QString owner = "owner", dialog = "dialog", messageBox = "message box";
        addRow("owner, flag clear: hides", owner, false, false, false);
        addRow("owner, flag set: stays once", owner, true, true, false);
        addRow("another dialog: hides", dialog, false, false, false);
        addRow("another dialog, flag set: stays once", dialog, true, true, false);
        addRow("message box does not count", messageBox, false, true, false);
        addRow("message box leaves the flag", messageBox, true, true, true);
    }
    void anotherWindowBecomesActive() {
        const auto [other, keepShown, visibleAfter, keepShownAfter] =
            fetchRow<QString, bool, bool, bool>({"other", "keepShown", "visibleAfter", "keepShownAfter"});
        QWidget* owner = m_app->ownerWindow();
        owner->setGeometry(100, 100, 900, 700);
        activate(owner);
        openDialog(false);
        activate(m_dialog);
        const QPoint offset = m_dialog->frameGeometry().center() - owner->frameGeometry().center();
        QVERIFY2(offset.manhattanLength() <= 4,
                 qPrintable(QString("off by %1,%2").arg(offset.x()).arg(offset.y())));
        QCOMPARE(m_dialog->minimumSize(), m_dialog->maximumSize());

        this->keepShown() = keepShown;
        QWidget* window = owner;
        if (other == QLatin1String("dialog"))
            window = new QDialog(owner);
        else if (other == QLatin1String("message box"))
            window = new QMessageBox(QMessageBox::Critical, "Vorlane", "text", QMessageBox::Ok, m_dialog);
        activate(window);
        QCOMPARE(m_dialog->isVisible(), visibleAfter);
        QCOMPARE(this->keepShown(), keepShownAfter);
    }

    void search_data() {
        addColumns<bool, QString, QStringList>({"web", "choice", "expected"});
        addRow("URL Search, depth 2", false, QString("2"), QStringList{"/a.mp3", "/sub/c.OGG"});
        addRow("one engine", true, QString("Two"), QStringList{"/files/two.mp3", "/files/shared.ogg"});
        addRow("every engine, in stored order", true, QString("*All*"),
               QStringList{"/files/one.mp3", "/files/shared.ogg", "/files/two.mp3"});
    }
    void search() {
        const auto [web, choice, expected] =
            fetchRow<bool, QString, QStringList>({"web", "choice", "expected"});
        HttpFixture& site = m_app->startSite();
        // "localhost": another site on the same server, so the crawl never leaves this machine.
        const QString otherSite = QStringLiteral("http://localhost:%1/x.html").arg(site.port());
        site.setPage("/", HttpFixture::linksPage({"a.mp3", "sub/", "notes.txt", otherSite}));
        site.setPage("/sub/", HttpFixture::linksPage({"c.OGG", "../a.mp3", "deeper.html"}));
        site.setPage("/sub/deeper.html", HttpFixture::linksPage({"too-deep.mp3"}));
        site.setPage("/One?q=jazz", HttpFixture::linksPage({"/files/one.mp3", "/result/1"}));
        site.setPage("/result/1", HttpFixture::linksPage({"/files/shared.ogg", "/files/one.mp3"}));
        site.setPage("/Two?q=jazz", HttpFixture::linksPage({"/files/two.mp3", "/files/shared.ogg"}));
        useLocalEngines({"One", "Two"});
        openDialog(web);
        // The search uses the trimmed text; the history keeps it as typed.
        const QString source = web ? QString("jazz") : site.url("/");
        const QString typed = "  " + source + " ";
        fill(typed, "Audio", choice);
        keepShown() = true;
        QSignalSpy recorded(&engine(), &crawl::CrawlEngine::fileRecorded);
        QSignalSpy finished(&engine(), &crawl::CrawlEngine::finished);
        click(button(m_kind.search));

        QVERIFY(m_app->messages.shown().isEmpty());
        QCOMPARE(m_app->campaignLabels(), QStringList{"1 - " + m_dialog->windowTitle() + " - " + source});
        QCOMPARE(entries(box(m_kind.history)).last(), typed);
        QCOMPARE(box(m_kind.history)->currentText(), typed);
        QCOMPARE(keepShown(), web); // only the URL dialog clears the flag at a start
        expectButtons(false, true, "Pause", true);
        QVERIFY(finished.wait(20000));
        QCOMPARE(finished.first().first().toBool(), false);
        QStringList found;
        for (const auto& row : recorded)
            found << QUrl(row.at(1).toString()).path();
        QCOMPARE(found, expected);
        expectButtons(true, false, "Pause", false);
    }

    // The buttons, captions and panel texts, and that each click reaches the engine. What a paused crawl
    // holds back and what a stopped one reports are the engine's, tested with it.
    void pauseResumeStop_data() { bothDialogs_data(); }
    void pauseResumeStop() {
        QFETCH(bool, web);
        openBusyDialog(web);
        QSignalSpy activity(&m_app->session, &app::Session::activityChanged);
        QSignalSpy finished(&engine(), &crawl::CrawlEngine::finished);
        QSignalSpy recorded(&engine(), &crawl::CrawlEngine::fileRecorded);
        click(button(m_kind.search));
        QVERIFY(engine().isRunning());
        expectButtons(false, true, "Pause", true);

        QTRY_VERIFY_WITH_TIMEOUT(!recorded.isEmpty(), 20000);
        click(button(m_kind.pauseResume));
        QVERIFY(engine().isPaused());
        expectButtons(false, true, "Resume", false);
        QCOMPARE(activity.last().first().toString(), m_kind.paused);
        // Closing hides the dialog; the search stays paused until Resume.
        m_dialog->close();
        QVERIFY(!m_dialog->isVisible());
        QVERIFY(engine().isRunning() && engine().isPaused());
        m_dialog->show();

        click(button(m_kind.pauseResume));
        QVERIFY(!engine().isPaused());
        expectButtons(false, true, "Pause", true);
        QCOMPARE(activity.last().first().toString(), m_kind.running);

        click(button(m_kind.stop));
        // A second Stop before the crawl has ended changes nothing further.
        if (button(m_kind.stop)->isEnabled())
            click(button(m_kind.stop));
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 20000);
        QCOMPARE(finished.first().first().toBool(), true);
        expectButtons(true, false, "Pause", false);
        QVERIFY(m_app->messages.shown().isEmpty());
    }

    void campaignThatCannotBeCreated_data() { bothDialogs_data(); }
    void campaignThatCannotBeCreated() {
        QFETCH(bool, web);
        openBusyDialog(web);
        QSignalSpy campaignsChanged(&m_app->session, &app::Session::campaignsChanged);
        QVERIFY(QSqlQuery(m_app->database.connection()).exec("DROP TABLE CAMPAIGNS"));
        const QStringList historyBefore = entries(box(m_kind.history));
        click(button(m_kind.search));

        QCOMPARE(m_app->messages.shown().size(), 1);
        QCOMPARE(m_app->messages.shown().first().kind, ScriptedMessages::Kind::Critical);
        QVERIFY(!m_app->messages.last().isEmpty());
        QVERIFY(!engine().isRunning());
        expectButtons(true, false, "Pause", false);
        QCOMPARE(entries(box(m_kind.history)), historyBefore);
        QCOMPARE(campaignsChanged.size(), 0);
    }

    void eraseHistory_data() {
        addColumns<bool, bool>({"web", "yes"});
        addRow("URL, Yes", false, true);
        addRow("URL, No", false, false);
        addRow("Web, Yes", true, true);
        addRow("Web, No", true, false);
    }
    void eraseHistory() {
        const auto [web, yes] = fetchRow<bool, bool>({"web", "yes"});
        const store::CampaignType type =
            web ? store::CampaignType::WebSearch : store::CampaignType::UrlSearch;
        const store::CampaignType other =
            web ? store::CampaignType::UrlSearch : store::CampaignType::WebSearch;
        record(type, {"first", "second"});
        record(other, {"elsewhere"});
        const QStringList labelsBefore = m_app->campaignLabels();
        QComboBox* history = openDialog(web);
        keepShown() = false;
        m_app->messages.answerNext(yes);
        pick(history, kErase);

        const QString question = QString("Are you sure you want to erase all %1 history?");
        QCOMPARE(m_app->messages.texts(), QStringList{question.arg(web ? "keyword" : "url")});
        QCOMPARE(m_app->messages.shown().first().kind, ScriptedMessages::Kind::Question);
        QVERIFY(keepShown());
        store::HistoryStore markers(m_app->database.connection());
        QCOMPARE(markers.clearedMarker(type).value(), yes ? 3 : 0);
        QCOMPARE(markers.clearedMarker(other).value(), 0);
        // Erasing hides sources; it never deletes campaigns.
        QCOMPARE(m_app->campaignLabels(), labelsBefore);
        const QStringList all{kErase, "first", "second"};
        QCOMPARE(entries(history), yes ? QStringList{kErase} : all);
        QCOMPARE(history->currentText(), yes ? QString() : kErase);

        // The next start lists only what came after the marker.
        record(type, {"third"});
        QCOMPARE(entries(openDialog(web)), (yes ? QStringList{kErase} : all) + QStringList{"third"});
        QCOMPARE(entries(openDialog(!web)).size(), 2);
    }

    void eraseWithoutCampaignsLeavesTheMarker() {
        QComboBox* history = openDialog(true);
        m_app->messages.answerNext(true);
        pick(history, kErase);
        QCOMPARE(entries(history), QStringList{kErase});
        QCOMPARE(store::HistoryStore(m_app->database.connection())
                     .clearedMarker(store::CampaignType::WebSearch)
                     .value(),
                 0);
    }
};

QTEST_MAIN(TestSearchDialogs)
#include "test_search_dialogs.moc"
