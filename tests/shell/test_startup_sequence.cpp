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
#include "ui/result_list.h"
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

// What the program looked like at the moment the tip dialog showed.
struct TipMoment {
    bool seen = false;
    bool splashShowing = true;
    bool databaseOpen = false;
    bool mainWindowVisible = true;
    bool searchDialogsLoaded = true;
    bool settingsBeforeMainWindow = false;
};

} // namespace

class TestStartupSequence : public QObject {
    Q_OBJECT
private slots:
    void init();
    void orderWithAndWithoutTheTip_data();
    void orderWithAndWithoutTheTip();
    void tipButtonsStoreTheChoice_data();
    void tipButtonsStoreTheChoice();
    void tipClosedByTheWindowStoresNothing();
    void secondCopyEndsWithTheMessage();
    void unusableFolderEndsWithTheError();

private:
    TempUserOptions m_options;
};

void TestStartupSequence::init() {
    m_options.clear();
}

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

    TipMoment moment;
    ModalDriver tip("frmTip", [&](QWidget* dialog) {
        moment.seen = true;
        moment.splashShowing = splashShowing();
        moment.databaseOpen = startup.database().isOpen();
        moment.mainWindowVisible = startup.mainWindow()->isVisible();
        moment.searchDialogsLoaded = startup.mainWindow()->urlSearch() != nullptr;
        QTest::mouseClick(dialog->findChild<QPushButton*>("Cancel"), Qt::LeftButton);
    });

    QVERIFY(startup.run());
    QCOMPARE(moment.seen, tipShown);
    if (tipShown) {
        QVERIFY(!moment.splashShowing);
        QVERIFY(moment.databaseOpen);
        QVERIFY(!moment.mainWindowVisible);
        QVERIFY(!moment.searchDialogsLoaded);
    }
    Form1* form = startup.mainWindow();
    QVERIFY(form->isVisible());
    QVERIFY(!splashShowing());
    QVERIFY(form->urlSearch() && !form->urlSearch()->isVisible());
    QVERIFY(form->webSearch() && !form->webSearch()->isVisible());
    QVERIFY(form->tray() && form->tray()->isLoaded());
    QCOMPARE(form->windowTitle(), QStringLiteral("Vorlane"));
    QVERIFY(form->listView(1)->isVisibleTo(form));
    QVERIFY(!form->listView(2)->isVisibleTo(form));
    QVERIFY(!form->listView(3)->isVisibleTo(form));
    QCOMPARE(form->statusPanels()->panelText(1), QStringLiteral("Ready"));
    QCOMPARE(form->statusPanels()->panelText(3), QStringLiteral("Idle"));
    QVERIFY(messages.shown().isEmpty());
    QVERIFY(opener.opened().isEmpty());
    // The tip never resets the option it did not write.
    QCOMPARE(m_options.get("ShowStartInfo"), stored);
}

void TestStartupSequence::tipButtonsStoreTheChoice_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("checked");
    for (const char* button : {"SetConn", "ReadHelp", "Cancel"}) {
        QTest::addRow("%s, box checked", button) << button << true;
        QTest::addRow("%s, box unchecked", button) << button << false;
    }
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
        QTest::mouseClick(dialog->findChild<QPushButton*>(button), Qt::LeftButton);
    });
    QVERIFY(startup.run());
    QVERIFY(tip.seen());

    QCOMPARE(m_options.has("ShowStartInfo"), checked);
    if (checked)
        QCOMPARE(m_options.get("ShowStartInfo"), QStringLiteral("0"));
    QCOMPARE(settingsSeen, button == "SetConn");
    if (settingsSeen)
        QVERIFY(!mainWindowVisibleUnderSettings);
    const QList<QUrl> expectedOpened =
        button == "ReadHelp" ? QList<QUrl>{QUrl::fromLocalFile(folder.filePath("help.htm"))} : QList<QUrl>{};
    QCOMPARE(opener.opened(), expectedOpened);
    QVERIFY(startup.mainWindow()->isVisible());
}

void TestStartupSequence::tipClosedByTheWindowStoresNothing() {
    QTemporaryDir folder;
    ScriptedMessages messages;
    RecordingOpener opener;
    StartupSequence startup(messages, opener, folder.path(), true);
    ModalDriver tip("frmTip", [&](QWidget* dialog) {
        dialog->findChild<QCheckBox*>("StartNoShow")->setChecked(true);
        dialog->close();
    });
    QVERIFY(startup.run());
    QVERIFY(tip.seen());
    QVERIFY(!m_options.has("ShowStartInfo"));
    QVERIFY(opener.opened().isEmpty());
}

void TestStartupSequence::secondCopyEndsWithTheMessage() {
    m_options.set("ShowStartInfo", "0");
    QTemporaryDir folder;
    ScriptedMessages firstMessages;
    RecordingOpener opener;
    StartupSequence first(firstMessages, opener, folder.path(), true);
    QVERIFY(first.run());

    ScriptedMessages messages;
    StartupSequence second(messages, opener, folder.path(), true);
    QVERIFY(!second.run());
    QVERIFY(second.exitCode() != 0);
    QVERIFY(!second.mainWindow());
    QCOMPARE(messages.shown().size(), 1);
    QCOMPARE(messages.shown().first().kind, ScriptedMessages::Kind::Information);
    QCOMPARE(messages.last(), QStringLiteral("The Vorlane application is already running!\n"
                                             "Check the system tray or Windows Task Manager."));
    QVERIFY(!splashShowing());
    // The first copy is untouched.
    QVERIFY(first.database().isOpen());
}

void TestStartupSequence::unusableFolderEndsWithTheError() {
    QTemporaryDir parent;
    const QString notAFolder = parent.filePath("plain-file");
    QFile file(notAFolder);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    ScriptedMessages messages;
    RecordingOpener opener;
    StartupSequence startup(messages, opener, notAFolder, true);
    QVERIFY(!startup.run());
    QVERIFY(startup.exitCode() != 0);
    QVERIFY(!startup.mainWindow());
    QCOMPARE(messages.shown().size(), 1);
    QCOMPARE(messages.shown().first().kind, ScriptedMessages::Kind::Critical);
    QVERIFY(!messages.last().isEmpty());
}

QTEST_MAIN(TestStartupSequence)
#include "test_startup_sequence.moc"
