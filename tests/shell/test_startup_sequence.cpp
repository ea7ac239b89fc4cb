// The start of the program: the order of its steps with and without the start-up information, the tip's
// buttons and what they store, and the starts that must end early.

#include "search/url_search.h"
#include "search/web_search.h"
#include "shell/form1.h"
#include "shell/start_up.h"
#include "shell/startup_sequence.h"
#include "shell/tray.h"
#include "tests/support/modal_driver.h"
#include "tests/support/recording_opener.h"
#include "tests/support/scripted_messages.h"
#include "tests/support/temp_user_options.h"
#include "ui/status_panels.h"
#include <QCheckBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

bool splashShowing() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<StartUp*>(w) && w->isVisible())
            return true;
    return false;
}

} // namespace

class TestStartupSequence : public QObject {
    Q_OBJECT
private slots:
    void init() { m_options.clear(); }
    void orderWithAndWithoutTheTip_data();
    void orderWithAndWithoutTheTip();
    void tipButtonsStoreTheChoice_data();
    void tipButtonsStoreTheChoice();
    void startsThatEndEarly_data();
    void startsThatEndEarly();

private:
    TempUserOptions m_options;
};

void TestStartupSequence::orderWithAndWithoutTheTip_data() {
    QTest::addColumn<QString>("stored"); // null: key absent
    QTest::addColumn<bool>("tipShown");
    QTest::newRow("first run, nothing stored") << QString() << true;
    QTest::newRow("ShowStartInfo 1") << "1" << true;
    QTest::newRow("ShowStartInfo 0") << "0" << false;
    QTest::newRow("not a number reads as the default") << "yes please" << true;
}

void TestStartupSequence::orderWithAndWithoutTheTip() {
    QFETCH(QString, stored);
    QFETCH(bool, tipShown);
    if (!stored.isNull())
        m_options.set("ShowStartInfo", stored);
    QTemporaryDir folder;
    ScriptedMessages messages;
    RecordingOpener opener;
    StartupSequence startup(messages, opener, folder.path(), true);

    QList<bool> atTip; // splash showing, database open, main window visible, search dialogs loaded
    ModalDriver tip("frmTip", [&](QWidget* dialog) {
        atTip = {splashShowing(), startup.database().isOpen(), startup.mainWindow()->isVisible(),
                 startup.mainWindow()->urlSearch() != nullptr};
        QTest::mouseClick(dialog->findChild<QPushButton*>("Cancel"), Qt::LeftButton);
    });

    QVERIFY(startup.run());
    // After the splash and the database, before the search dialogs and the main window.
    QCOMPARE(atTip, (tipShown ? QList<bool>{false, true, false, false} : QList<bool>{}));
    Form1* form = startup.mainWindow();
    QVERIFY(form->isVisible());
    QVERIFY(!splashShowing());
    QVERIFY(form->urlSearch() && !form->urlSearch()->isVisible());
    QVERIFY(form->webSearch() && !form->webSearch()->isVisible());
    QVERIFY(form->tray() && form->tray()->isLoaded());
    QCOMPARE(form->visibleListNumber(), 1);
    QCOMPARE(form->statusPanels()->panelText(1), QStringLiteral("Ready"));
    QCOMPARE(form->statusPanels()->panelText(3), QStringLiteral("Idle"));
    QVERIFY(messages.shown().isEmpty());
    QVERIFY(opener.opened().isEmpty());
    // The tip never resets the option it did not write.
    QCOMPARE(m_options.get("ShowStartInfo"), stored);
}

void TestStartupSequence::tipButtonsStoreTheChoice_data() {
    QTest::addColumn<QString>("button"); // "close": closed by the window frame
    QTest::addColumn<bool>("checked");
    for (const char* button : {"SetConn", "ReadHelp", "Cancel"}) {
        QTest::addRow("%s, box checked", button) << button << true;
        QTest::addRow("%s, box unchecked", button) << button << false;
    }
    QTest::newRow("closed by the window, box checked: stores nothing") << "close" << true;
}

void TestStartupSequence::tipButtonsStoreTheChoice() {
    QFETCH(QString, button);
    QFETCH(bool, checked);
    QTemporaryDir folder;
    ScriptedMessages messages;
    RecordingOpener opener;
    StartupSequence startup(messages, opener, folder.path(), true);

    bool settingsSeen = false;
    bool mainWindowVisibleUnderSettings = true;
    ModalDriver settings("Settings", [&](QWidget* dialog) {
        settingsSeen = true;
        mainWindowVisibleUnderSettings = startup.mainWindow()->isVisible();
        QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection);
    });
    ModalDriver tip("frmTip", [&](QWidget* dialog) {
        dialog->findChild<QCheckBox*>("StartNoShow")->setChecked(checked);
        if (button == "close")
            dialog->close();
        else
            QTest::mouseClick(dialog->findChild<QPushButton*>(button), Qt::LeftButton);
    });
    QVERIFY(startup.run());
    QVERIFY(tip.seen());

    const bool stored = checked && button != "close";
    QCOMPARE(m_options.get("ShowStartInfo"), stored ? QStringLiteral("0") : QString());
    QCOMPARE(settingsSeen, button == "SetConn");
    if (settingsSeen)
        QVERIFY(!mainWindowVisibleUnderSettings);
    const QList<QUrl> expectedOpened =
        button == "ReadHelp" ? QList<QUrl>{QUrl::fromLocalFile(folder.filePath("help.htm"))} : QList<QUrl>{};
    QCOMPARE(opener.opened(), expectedOpened);
    QVERIFY(startup.mainWindow()->isVisible());
}

void TestStartupSequence::startsThatEndEarly_data() {
    QTest::addColumn<bool>("secondCopy"); // else the program folder is a plain file
    QTest::newRow("second copy") << true;
    QTest::newRow("unusable folder") << false;
}

void TestStartupSequence::startsThatEndEarly() {
    QFETCH(bool, secondCopy);
    m_options.set("ShowStartInfo", "0");
    QTemporaryDir folder;
    ScriptedMessages firstMessages, messages;
    RecordingOpener opener;
    StartupSequence first(firstMessages, opener, folder.path(), true);
    QString path = folder.path();
    if (secondCopy) {
        QVERIFY(first.run());
    } else {
        path = folder.filePath("plain-file");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    StartupSequence startup(messages, opener, path, true);
    QVERIFY(!startup.run());
    QVERIFY(startup.exitCode() != 0);
    QVERIFY(!startup.mainWindow());
    QVERIFY(!splashShowing());
    QCOMPARE(messages.shown().size(), 1);
    QCOMPARE(messages.shown().first().kind,
             secondCopy ? ScriptedMessages::Kind::Information : ScriptedMessages::Kind::Critical);
    if (secondCopy) {
        QCOMPARE(messages.last(), QStringLiteral("The Vorlane application is already running!\n"
                                                 "Check the system tray or Windows Task Manager."));
        QVERIFY(first.database().isOpen()); // the first copy is untouched
    } else {
        QVERIFY(!messages.last().isEmpty());
    }
}

QTEST_MAIN(TestStartupSequence)
#include "test_startup_sequence.moc"
