// The program's start and end: the order of the start-up steps with and without the tip, the tip's buttons
// and what they store, the starts that must end early; closing the main window with the stored answers,
// the exit question and what it writes, the tray, and ending in the middle of a crawl by each way a user
// can end it.

#include "app/session.h"
#include "search/url_search.h"
#include "search/web_search.h"
#include "shell/about.h"
#include "shell/exit_to_tray.h"
#include "shell/frm_tip.h"
#include "shell/start_up.h"
#include "shell/startup_sequence.h"
#include "shell/tray.h"
#include "store/campaign_store.h"
#include "store/database.h"
#include "tests/support/http_fixture.h"
#include "tests/support/modal_driver.h"
#include "window_fixture.h"
#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

using namespace vorlane;

namespace {

bool splashShowing() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<shell::StartUp*>(w) && w->isVisible())
            return true;
    return false;
}

shell::ExitToTray* question(shell::MainWindow& window) {
    for (shell::ExitToTray* d : window.findChildren<shell::ExitToTray*>())
        if (d->isVisible())
            return d;
    return nullptr;
}

// What a user could observe, as words, so one comparison checks it all and a failure reads plainly.
QString state(WindowFixture& f) {
    shell::ExitToTray* q = question(*f.window);
    const std::pair<bool, const char*> flags[] = {
        {q != nullptr, "asking"},
        {q && q->findChild<QRadioButton*>("ExitApp")->isChecked(), "exit"},
        {q && q->findChild<QCheckBox*>("Check1")->isChecked(), "remember"},
        {f.ended->size() == 1, "ended"},
        {f.window->isVisible(), "visible"},
        {f.window->isMinimized(), "minimised"},
        {f.window->isMaximized(), "maximised"},
        {f.database.database().isOpen(), "db"},
        {f.window->tray()->isLoaded(), "tray"}};
    QStringList out;
    for (const auto& [on, name] : flags)
        if (on)
            out << name;
    return out.join(' ');
}

// A user's steps in order: "close" the window, "deactivate" the exit question by clicking the main window,
// click one of the question's controls, or trigger a tray menu entry.
void run(WindowFixture& f, const QString& steps) {
    for (const QString& step : steps.split(' ')) {
        shell::ExitToTray* q = question(*f.window);
        if (step == "close") {
            f.window->close();
        } else if (step == "deactivate") {
            QTRY_VERIFY_WITH_TIMEOUT(q && q->isActiveWindow(), 2000);
            f.window->activateWindow();
        } else if (q) {
            QTest::mouseClick(q->findChild<QAbstractButton*>(step), Qt::LeftButton);
        } else {
            f.window->tray()->menu().findChild<QAction*>(step)->trigger();
        }
    }
}

// The two stored answers as "ShowAskTrayExit|Exit", "~" for an absent key.
QString stored(const TempUserOptions& options) {
    const auto text = [&](const char* key) {
        return options.has(key) ? options.get(key) : QStringLiteral("~");
    };
    return text("ShowAskTrayExit") + '|' + text("Exit");
}

void storeAnswers(TempUserOptions& options, const QString& answers) {
    const QStringList parts = answers.split('|');
    for (int i = 0; i < 2; ++i)
        if (parts[i] != "~")
            options.set(i ? "Exit" : "ShowAskTrayExit", parts[i]);
}

} // namespace

class TestStartupAndClose : public QObject {
    Q_OBJECT
private slots:
    void init() { m_options.clear(); }

    void orderAndTheTip_data() {
        QTest::addColumn<QString>("stored"); // null: key absent
        QTest::addColumn<QString>("button"); // "close": closed by the window frame
        QTest::addColumn<bool>("checked");   // "Don't show" ticked before the button
        const QString cancel = "Cancel";
        QTest::newRow("first run, nothing stored") << QString() << cancel << false;
        QTest::newRow("ShowStartInfo 1") << "1" << cancel << false;
        QTest::newRow("ShowStartInfo 0: no tip") << "0" << cancel << false;
        QTest::newRow("not a number reads as the default") << "yes please" << cancel << false;
        for (const char* button : {"SetConn", "ReadHelp", "Cancel"}) {
            QTest::addRow("%s, box checked", button) << QString() << button << true;
            QTest::addRow("%s, box unchecked", button) << QString() << button << false;
        }
        QTest::newRow("closed by the window, box checked: stores nothing") << QString() << "close" << true;
    }

    void orderAndTheTip() {
        QFETCH(QString, stored);
        QFETCH(QString, button);
        QFETCH(bool, checked);
        if (!stored.isNull())
            m_options.set("ShowStartInfo", stored);
        QTemporaryDir folder;
        ScriptedMessages messages;
        RecordingOpener opener;
        shell::StartupSequence startup(messages, opener, folder.path(), true);

        bool mainWindowUnderSettings = false;
        ModalDriver settings("Settings", [&](QWidget* dialog) {
            mainWindowUnderSettings = startup.mainWindow()->isVisible();
            QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection);
        });
        QList<bool> atTip; // splash showing, database open, main window visible, search dialogs loaded
        ModalDriver tip("frmTip", [&](QWidget* dialog) {
            atTip = {splashShowing(), startup.database().isOpen(), startup.mainWindow()->isVisible(),
                     startup.mainWindow()->urlSearch() != nullptr};
            dialog->findChild<QCheckBox*>("StartNoShow")->setChecked(checked);
            button == "close" ? void(dialog->close())
                              : QTest::mouseClick(dialog->findChild<QPushButton*>(button), Qt::LeftButton);
        });

        QVERIFY(startup.run());
        // Captions are the windows' own titles: with a display name set, the platform would append it.
        QCOMPARE(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
        // After the splash and the database, before the search dialogs and the main window.
        const bool tipShown = stored != "0";
        QCOMPARE(atTip, (tipShown ? QList<bool>{false, true, false, false} : QList<bool>{}));
        shell::MainWindow* window = startup.mainWindow();
        QVERIFY(window->urlSearch() && window->webSearch());
        QCOMPARE((QList<bool>{window->isVisible(), splashShowing(), window->urlSearch()->isVisible(),
                              window->webSearch()->isVisible(), window->tray()->isLoaded()}),
                 (QList<bool>{true, false, false, false, true}));
        QVERIFY(messages.shown().isEmpty());
        // Only a ticked box left by a button stores the choice; nothing else touches the option.
        QCOMPARE(m_options.get("ShowStartInfo"), checked && button != "close" ? QStringLiteral("0") : stored);
        QCOMPARE(settings.seen(), button == "SetConn");
        QVERIFY(!mainWindowUnderSettings);
        QCOMPARE(opener.opened(), button == "ReadHelp"
                                      ? QList<QUrl>{QUrl::fromLocalFile(folder.filePath("help.htm"))}
                                      : QList<QUrl>{});
    }

    void startsThatEndEarly_data() {
        QTest::addColumn<bool>("secondCopy"); // else the program folder is a plain file
        QTest::newRow("second copy") << true;
        QTest::newRow("unusable folder") << false;
    }

    void startsThatEndEarly() {
        QFETCH(bool, secondCopy);
        m_options.set("ShowStartInfo", "0");
        QTemporaryDir folder;
        ScriptedMessages firstMessages, messages;
        RecordingOpener opener;
        shell::StartupSequence first(firstMessages, opener, folder.path(), true);
        QString path = folder.filePath("plain-file");
        if (secondCopy)
            QVERIFY(first.run());
        else
            QVERIFY(QFile(path).open(QIODevice::WriteOnly));
        shell::StartupSequence startup(messages, opener, secondCopy ? folder.path() : path, true);
        QVERIFY(!startup.run());
        QVERIFY(startup.exitCode() != 0 && !startup.mainWindow() && !splashShowing());
        QCOMPARE(messages.shown().size(), 1);
        QCOMPARE(messages.shown().first().kind,
                 secondCopy ? ScriptedMessages::Kind::Information : ScriptedMessages::Kind::Critical);
        if (secondCopy)
            QCOMPARE(messages.last(), QStringLiteral("The Vorlane application is already running!\n"
                                                     "Check the system tray or Windows Task Manager."));
        QVERIFY(!messages.last().isEmpty());
        QCOMPARE(first.database().isOpen(), secondCopy); // the first copy is untouched
    }

    void closeQuestionAndTray_data() {
        QTest::addColumn<QString>("before"); // stored answers
        QTest::addColumn<bool>("trayAvailable");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<QString>("after"); // stored answers afterwards
        const struct {
            const char *name, *before;
            bool tray;
            const char *steps, *outcome, *after; // after null: unchanged, reading never writes
        } rows[] = {
            {"nothing stored: ask", "~|~", true, "close", "asking visible db tray", nullptr},
            {"ask 1 wins over Exit", "1|True", true, "close", "asking visible db tray", nullptr},
            {"ask 1 with blanks", " 1 |True", true, "close", "asking visible db tray", nullptr},
            {"ask 2 is not 1", "2|True", true, "close", "ended", nullptr},
            {"ask not a number reads as the default", "often|True", true, "close", "asking visible db tray",
             nullptr},
            {"remembered: hide", "0|False", true, "close", "db tray", nullptr},
            {"remembered: end", "0|True", true, "close", "ended", nullptr},
            {"Exit absent: hide", "0|~", true, "close", "db tray", nullptr},
            {"Exit not a truth value reads as the default", "0|maybe", true, "close", "db tray", nullptr},
            {"Exit as the number -1", "0|-1", true, "close", "ended", nullptr},
            {"no tray: minimise instead of hiding", "0|False", false, "close", "visible minimised db tray",
             nullptr},
            {"question OK, tray", "~|~", true, "close OK", "db tray", "~|False"},
            {"question OK, tray, remembered", "~|~", true, "close Check1 OK", "db tray", "0|False"},
            {"question OK, exit", "~|~", true, "close ExitApp OK", "ended", "~|True"},
            {"question OK, exit, remembered", "~|~", true, "close ExitApp Check1 OK", "ended", "0|True"},
            {"question Cancel, the next close asks afresh", "~|~", true, "close ExitApp Check1 Cancel close",
             "asking visible db tray", nullptr},
            {"question left for the main window", "~|~", true, "close ExitApp Check1 deactivate",
             "visible db tray", nullptr},
            {"tray Show brings back a hidden window", "~|~", true, "hide openwin",
             "visible maximised db tray", nullptr},
            {"tray Show maximises a normal window", "~|~", true, "openwin", "visible maximised db tray",
             nullptr},
            {"tray Hide", "~|~", true, "hide", "db tray", nullptr},
            {"tray Exit ends through the orderly shutdown", "~|~", true, "exitmenu", "ended", nullptr},
            {"during a crawl: remembered answer, end", "0|True", true, "crawl close", "ended", nullptr},
            {"during a crawl: exit question, exit", "~|~", true, "crawl close ExitApp OK", "ended", "~|True"},
            {"during a crawl: tray Exit", "~|~", true, "crawl exitmenu", "ended", nullptr},
        };
        for (const auto& r : rows)
            QTest::newRow(r.name) << r.before << r.tray << r.steps << r.outcome
                                  << (r.after ? r.after : r.before);
    }

    void closeQuestionAndTray() {
        QFETCH(QString, before);
        QFETCH(bool, trayAvailable);
        QFETCH(QString, steps);
        QFETCH(QString, outcome);
        QFETCH(QString, after);
        storeAnswers(m_options, before);
        WindowFixture f(trayAvailable);
        QCOMPARE(f.window->tray()->menu().defaultAction()->objectName(), QStringLiteral("openwin"));
        // "crawl" first: the steps come in the middle of a URL Search on a site wide enough to keep it busy,
        // every page linking files and further pages, slowly.
        HttpFixture site;
        crawl::CrawlEngine& engine = f.window->session().engine(store::CampaignType::UrlSearch);
        if (steps.startsWith("crawl ")) {
            steps.remove(0, 6);
            site.setLatencyMs(30);
            for (int page = 0; page < 60; ++page) {
                QStringList links;
                for (int i = 0; i < 5; ++i)
                    links << QString("f%1_%2.mp3").arg(page).arg(i) << QString("p%1.html").arg(page * 3 + i);
                site.setPage(page ? QString("/p%1.html").arg(page) : "/", HttpFixture::linksPage(links));
            }
            QVERIFY(engine.startUrlCrawl(site.url("/"), ".mp3", 4).ok());
            QTRY_VERIFY_WITH_TIMEOUT(f.list(2)->rowCount() >= 10, 10000);
            QVERIFY(engine.isRunning());
        }

        run(f, steps);

        QTRY_COMPARE_WITH_TIMEOUT(state(f), outcome, 2000);
        QCOMPARE(stored(m_options), after);
        QVERIFY(f.messages.shown().isEmpty());
        if (!engine.campaignId())
            return;
        QVERIFY(!engine.isRunning());
        // Nothing arrives after the end, however many answers were still on the way: once the site has
        // answered every request, a while for a late row, cut short by the first.
        const int rowsShown = f.list(2)->rowCount();
        QTRY_COMPARE_WITH_TIMEOUT(site.answered(), site.requestedTargets().size(), 5000);
        QSignalSpy lateRows(&f.list(2)->rows(), &QAbstractItemModel::rowsInserted);
        QVERIFY(!lateRows.wait(300));
        QCOMPARE(f.list(2)->rowCount(), rowsShown);
        // The file opens again through the start-up step, passes its quick_check (a damaged file would be
        // kept aside with a notice) and holds every row that was shown.
        const store::StartupResult reopened = store::prepareDatabase(f.database.directory());
        QCOMPARE(reopened.outcome, store::StartupOutcome::Ready);
        QVERIFY2(reopened.notice.isEmpty(), qPrintable(reopened.notice));
        QCOMPARE(
            store::CampaignStore(reopened.database.connection()).campaignLinks(engine.campaignId())->size(),
            rowsShown);
    }

    // With a large desktop font the tip's bold captions still fit their buttons, side by side.
    void tipButtonsFitTheirCaptions() {
        const QFont usual = QApplication::font();
        QFont large = usual;
        large.setPointSize(20);
        QApplication::setFont(large);
        shell::frmTip tip;
        QApplication::setFont(usual);
        int right = 0;
        for (const char* name : {"SetConn", "ReadHelp", "Cancel"}) {
            const auto* button = tip.findChild<QPushButton*>(name);
            QVERIFY2(button->width() >= button->sizeHint().width() && button->x() > right, name);
            right = button->geometry().right();
        }
        QVERIFY(right < tip.width());
    }

    void aboutFromTrayIsBroughtForwardNotDoubled() {
        WindowFixture f;
        f.window->hide();
        f.window->tray()->menu().findChild<QAction*>("aboutfrm")->trigger();
        QPointer<shell::About> about = f.window->aboutBox();
        QVERIFY(about && about->isVisible() && !about->isModal());
        QCOMPARE(about->findChild<QLabel*>("lblVersion")->text(), QStringLiteral("Version 1.5.5"));

        f.window->show();
        f.trigger("Six"); // would block in a second, modal box if it opened one
        QCOMPARE(f.window->aboutBox(), about.data());
        int shown = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            shown += qobject_cast<shell::About*>(w) && w->isVisible();
        QCOMPARE(shown, 1);
        QTest::keyClick(about, Qt::Key_X); // any key closes it
        QTRY_VERIFY_WITH_TIMEOUT(!about, 2000);
    }

private:
    TempUserOptions m_options;
};

QTEST_MAIN(TestStartupAndClose)
#include "test_startup_and_close.moc"
