// Closing the main window: the stored answers, the exit question with what it writes, the tray, and ending
// the program in the middle of a crawl by each way a user can end it.

#include "form_fixture.h"
#include "shell/about.h"
#include "shell/exit_to_tray.h"
#include "shell/tray.h"
#include "tests/support/http_fixture.h"
#include "ui/app_context.h"
#include <QCheckBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlDatabase>
#include <QSqlQuery>

namespace {

ExitToTray* question(Form1& form) {
    for (ExitToTray* d : form.findChildren<ExitToTray*>())
        if (d->isVisible())
            return d;
    return nullptr;
}

} // namespace

class TestCloseRequest : public QObject {
    Q_OBJECT
private slots:
    void init() { m_options.clear(); }
    void storedAnswers_data();
    void storedAnswers();
    void questionWritesExactlyItsKeys_data();
    void questionWritesExactlyItsKeys();
    void trayEntries_data();
    void trayEntries();
    void aboutFromTrayIsBroughtForwardNotDoubled();
    void endsCleanlyDuringACrawl_data();
    void endsCleanlyDuringACrawl();

private:
    TempUserOptions m_options;
};

void TestCloseRequest::storedAnswers_data() {
    QTest::addColumn<QString>("ask");  // null: absent
    QTest::addColumn<QString>("exit"); // null: absent
    QTest::addColumn<bool>("trayAvailable");
    QTest::addColumn<QString>("outcome"); // "ask", "hidden", "minimised", "ended"
    const struct {
        const char* name;
        const char *ask, *exit;
        bool tray;
        const char* outcome;
    } rows[] = {
        {"nothing stored: ask", nullptr, nullptr, true, "ask"},
        {"ask 1 wins over Exit", "1", "True", true, "ask"},
        {"ask 1 with blanks", " 1 ", "True", true, "ask"},
        {"ask 1.0", "1.0", "True", true, "ask"},
        {"ask 2 is not 1", "2", "True", true, "ended"},
        {"ask not a number reads as the default", "often", "True", true, "ask"},
        {"ask True is not a number", "True", "True", true, "ask"},
        {"remembered: hide", "0", "False", true, "hidden"},
        {"remembered: end", "0", "True", true, "ended"},
        {"Exit absent: hide", "0", nullptr, true, "hidden"},
        {"Exit not a truth value reads as the default", "0", "maybe", true, "hidden"},
        {"Exit empty", "0", "", true, "hidden"},
        {"Exit in capitals", "0", "TRUE", true, "ended"},
        {"Exit as the number -1", "0", "-1", true, "ended"},
        {"Exit as the number 0", "0", "0", true, "hidden"},
        {"no tray: minimise instead of hiding", "0", "False", false, "minimised"},
    };
    for (const auto& r : rows)
        QTest::newRow(r.name) << QString(r.ask) << QString(r.exit) << r.tray << QString(r.outcome);
}

void TestCloseRequest::storedAnswers() {
    QFETCH(QString, ask);
    QFETCH(QString, exit);
    QFETCH(bool, trayAvailable);
    QFETCH(QString, outcome);
    if (!ask.isNull())
        m_options.set("ShowAskTrayExit", ask);
    if (!exit.isNull())
        m_options.set("Exit", exit);
    FormFixture f(trayAvailable);

    f.form->close();

    QCOMPARE(question(*f.form) != nullptr, outcome == "ask");
    QCOMPARE(f.ended->size(), outcome == "ended" ? 1 : 0);
    QCOMPARE(f.form->isVisible(), outcome == "ask" || outcome == "minimised");
    QCOMPARE(f.form->isMinimized(), outcome == "minimised");
    QCOMPARE(f.database.database().isOpen(), outcome != "ended");
    QCOMPARE(f.form->tray()->isLoaded(), outcome != "ended");
    // Reading never writes.
    QCOMPARE(m_options.get("ShowAskTrayExit"), ask);
    QCOMPARE(m_options.get("Exit"), exit);
}

void TestCloseRequest::questionWritesExactlyItsKeys_data() {
    QTest::addColumn<QString>("button"); // "OK", "Cancel" or "deactivate"
    QTest::addColumn<bool>("exitApp");
    QTest::addColumn<bool>("remember");
    QTest::addColumn<QString>("storedAsk");
    QTest::addColumn<QString>("storedExit");
    QTest::addColumn<QString>("outcome"); // "hidden", "ended", "open"
    QTest::newRow("OK, tray") << "OK" << false << false << QString() << "False"
                              << "hidden";
    QTest::newRow("OK, tray, remembered") << "OK" << false << true << "0"
                                          << "False"
                                          << "hidden";
    QTest::newRow("OK, exit") << "OK" << true << false << QString() << "True"
                              << "ended";
    QTest::newRow("OK, exit, remembered") << "OK" << true << true << "0"
                                          << "True"
                                          << "ended";
    QTest::newRow("Cancel") << "Cancel" << true << true << QString() << QString() << "open";
    QTest::newRow("main window clicked") << "deactivate" << true << true << QString() << QString() << "open";
}

void TestCloseRequest::questionWritesExactlyItsKeys() {
    QFETCH(QString, button);
    QFETCH(bool, exitApp);
    QFETCH(bool, remember);
    QFETCH(QString, storedAsk);
    QFETCH(QString, storedExit);
    QFETCH(QString, outcome);
    FormFixture f;
    f.form->close();
    QPointer<ExitToTray> dialog = question(*f.form);
    QVERIFY(dialog);
    QVERIFY(dialog->findChild<QRadioButton*>("MinTray")->isChecked());
    QVERIFY(!dialog->findChild<QCheckBox*>("Check1")->isChecked());

    if (exitApp)
        QTest::mouseClick(dialog->findChild<QRadioButton*>("ExitApp"), Qt::LeftButton);
    if (remember)
        QTest::mouseClick(dialog->findChild<QCheckBox*>("Check1"), Qt::LeftButton);
    if (button == "deactivate") {
        QTRY_VERIFY_WITH_TIMEOUT(dialog->isActiveWindow(), 2000);
        f.form->activateWindow();
    } else {
        QTest::mouseClick(dialog->findChild<QPushButton*>(button), Qt::LeftButton);
    }
    QTRY_VERIFY_WITH_TIMEOUT(!dialog || !dialog->isVisible(), 2000);

    QCOMPARE(m_options.get("ShowAskTrayExit"), storedAsk);
    QCOMPARE(m_options.get("Exit"), storedExit);
    QCOMPARE(f.ended->size(), outcome == "ended" ? 1 : 0);
    QCOMPARE(f.form->isVisible(), outcome == "open");
    QCOMPARE(f.database.database().isOpen(), outcome != "ended");
    if (outcome == "open") { // the next close asks afresh, with a fresh question
        f.form->close();
        QVERIFY(question(*f.form));
        QVERIFY(!question(*f.form)->findChild<QCheckBox*>("Check1")->isChecked());
    }
}

void TestCloseRequest::trayEntries_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("startHidden");
    QTest::addColumn<QString>("outcome"); // "maximised", "hidden", "ended"
    QTest::newRow("Show brings back a hidden window maximised") << "openwin" << true << "maximised";
    QTest::newRow("Show maximises a normal window") << "openwin" << false << "maximised";
    QTest::newRow("Hide") << "hide" << false << "hidden";
    QTest::newRow("Exit ends through the orderly shutdown") << "exitmenu" << false << "ended";
}

void TestCloseRequest::trayEntries() {
    QFETCH(QString, entry);
    QFETCH(bool, startHidden);
    QFETCH(QString, outcome);
    FormFixture f;
    if (startHidden)
        f.form->hide();
    Tray* tray = f.form->tray();
    QCOMPARE(tray->menu().defaultAction()->objectName(), QStringLiteral("openwin"));

    tray->menu().findChild<QAction*>(entry)->trigger();

    QCOMPARE(f.form->isVisible(), outcome == "maximised");
    QCOMPARE(f.form->isMaximized(), outcome == "maximised");
    QCOMPARE(f.ended->size(), outcome == "ended" ? 1 : 0);
    QCOMPARE(tray->isLoaded(), outcome != "ended");
    QCOMPARE(f.database.database().isOpen(), outcome != "ended");
    QVERIFY(f.messages.shown().isEmpty());
}

void TestCloseRequest::aboutFromTrayIsBroughtForwardNotDoubled() {
    FormFixture f;
    f.form->hide();
    f.form->tray()->menu().findChild<QAction*>("aboutfrm")->trigger();
    QPointer<About> about = f.form->aboutBox();
    QVERIFY(about && about->isVisible());
    QVERIFY(!about->isModal());
    QCOMPARE(about->findChild<QLabel*>("lblVersion")->text(), QStringLiteral("Version 1.5.5"));

    f.form->show();
    f.form->runAction("Six"); // would block in a second, modal box if it opened one
    QCOMPARE(f.form->aboutBox(), about.data());
    int shown = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        shown += qobject_cast<About*>(w) && w->isVisible();
    QCOMPARE(shown, 1);
    QTest::keyClick(about, Qt::Key_X); // any key closes it
    QTRY_VERIFY_WITH_TIMEOUT(!about, 2000);
}

void TestCloseRequest::endsCleanlyDuringACrawl_data() {
    QTest::addColumn<QString>("way");
    QTest::newRow("remembered answer: end") << "close";
    QTest::newRow("exit question: exit") << "question";
    QTest::newRow("tray Exit") << "tray";
}

void TestCloseRequest::endsCleanlyDuringACrawl() {
    QFETCH(QString, way);
    // A site wide enough to keep the crawl busy: every page links files and further pages, slowly.
    HttpFixture site;
    QVERIFY(site.isListening());
    site.setLatencyMs(30);
    for (int page = 0; page < 60; ++page) {
        QStringList links;
        for (int i = 0; i < 5; ++i)
            links << QStringLiteral("f%1_%2.mp3").arg(page).arg(i)
                  << QStringLiteral("p%1.html").arg(page * 3 + i);
        site.setPage(page ? QStringLiteral("/p%1.html").arg(page) : QStringLiteral("/"),
                     HttpFixture::linksPage(links));
    }
    FormFixture f;
    CrawlEngine& engine = f.form->context().urlEngine();
    QVERIFY(engine.startUrlCrawl(site.url("/"), ".mp3", 4).ok());
    QTRY_VERIFY_WITH_TIMEOUT(f.form->listView(2)->rowCount() >= 10, 10000);
    QVERIFY(engine.isRunning());
    const int campaign = engine.campaignId();

    if (way == "close") {
        m_options.set("ShowAskTrayExit", "0");
        m_options.set("Exit", "True");
        f.form->close();
    } else if (way == "question") {
        f.form->close();
        auto* question = f.form->findChild<ExitToTray*>();
        QVERIFY(question);
        question->findChild<QRadioButton*>("ExitApp")->setChecked(true);
        QTest::mouseClick(question->findChild<QPushButton*>("OK"), Qt::LeftButton);
    } else {
        f.form->tray()->menu().findChild<QAction*>("exitmenu")->trigger();
    }

    QCOMPARE(f.ended->size(), 1);
    QCOMPARE((QList<bool>{engine.isRunning(), f.database.database().isOpen(), f.form->isVisible(),
                          f.form->tray()->isLoaded()}),
             (QList<bool>{false, false, false, false}));
    const int rowsShown = f.form->listView(2)->rowCount();
    QTest::qWait(300); // nothing arrives after the end, however many answers were still on the way
    QCOMPARE(f.form->listView(2)->rowCount(), rowsShown);
    QVERIFY(f.messages.shown().isEmpty());

    // The file opens again, passes the check and holds every row that was shown.
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "check");
        db.setDatabaseName(f.database.filePath());
        QVERIFY(db.open());
        QSqlQuery check(db);
        QVERIFY(check.exec(QStringLiteral("PRAGMA quick_check")) && check.next());
        QCOMPARE(check.value(0).toString(), QStringLiteral("ok"));
        QVERIFY(check.exec(
                    QStringLiteral("SELECT COUNT(*) FROM FILELINKS WHERE CAMPAIGNID = %1").arg(campaign)) &&
                check.next());
        QCOMPARE(check.value(0).toInt(), rowsShown);
    }
    QSqlDatabase::removeDatabase("check");
}

QTEST_MAIN(TestCloseRequest)
#include "test_close_request.moc"
