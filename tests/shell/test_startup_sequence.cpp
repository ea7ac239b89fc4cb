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
        StartupSequence startup(messages, opener, folder.path(), true);

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
        // After the splash and the database, before the search dialogs and the main window.
        const bool tipShown = stored != "0";
        QCOMPARE(atTip, (tipShown ? QList<bool>{false, true, false, false} : QList<bool>{}));
        Form1* form = startup.mainWindow();
        QVERIFY(form->urlSearch() && form->webSearch());
        QCOMPARE((QList<bool>{form->isVisible(), splashShowing(), form->urlSearch()->isVisible(),
                              form->webSearch()->isVisible(), form->tray()->isLoaded()}),
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
        StartupSequence first(firstMessages, opener, folder.path(), true);
        QString path = folder.filePath("plain-file");
        if (secondCopy)
            QVERIFY(first.run());
        else
            QVERIFY(QFile(path).open(QIODevice::WriteOnly));
        StartupSequence startup(messages, opener, secondCopy ? folder.path() : path, true);
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

private:
    TempUserOptions m_options;
};

QTEST_MAIN(TestStartupSequence)
#include "test_startup_sequence.moc"
