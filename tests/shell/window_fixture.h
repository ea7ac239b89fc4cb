#pragma once
// A loaded main window on a fresh database, with scripted message boxes, a recording opener and the
// start-up information switched off, as the shell tests need it.

#include "shell/main_window.h"
#include "shell/result_pane.h"
#include "shell/twips.h"
#include "shell/user_options.h"
#include "tests/support/recording_opener.h"
#include "tests/support/scripted_messages.h"
#include "tests/support/temp_database.h"
#include "tests/support/temp_user_options.h"
#include "ui/result_list.h"
#include <QAction>
#include <QSignalSpy>
#include <QTest>
#include <memory>

struct WindowFixture {
    explicit WindowFixture(bool trayAvailable = true, bool show = true) {
        vorlane::shell::UserOptions().setShowStartInfoOff();
        window = std::make_unique<vorlane::shell::MainWindow>(database.database(), messages, opener,
                                                              database.directory(), trayAvailable);
        ended = std::make_unique<QSignalSpy>(window.get(), &vorlane::shell::MainWindow::applicationEnded);
        window->load();
        window->loadSearchDialogs();
        if (show) {
            window->show();
            window->loadTray();
            window->activateWindow();
            exposed = QTest::qWaitForWindowExposed(window.get());
        }
    }

    vorlane::shell::ResultPane* pane() const { return window->resultPane(); }
    vorlane::ui::ResultList* list(int number) const { return pane()->list(number); }

    // The one result list shown, or -1 when more than one is.
    int visibleList() const {
        int visible = 0;
        for (int i = 1; i <= vorlane::shell::ResultPane::kListCount; ++i)
            if (list(i)->isVisibleTo(window.get()))
                visible = visible ? -1 : i;
        return visible;
    }

    // The window as designed, with nothing stored from an earlier run.
    QSize designedSize() const {
        return {vorlane::shell::twipsToPixelsX(window.get(), 7080),
                vorlane::shell::twipsToPixelsY(window.get(), 6675)};
    }
    // The width of each column the window spreads over a list.
    int spreadColumn() const {
        return window->findChild<QWidget*>("ResultArea")->width() / 3 -
               vorlane::shell::twipsToPixelsX(window.get(), 100);
    }

    // A toolbar button or menu entry, by its name, as a click would.
    void trigger(const char* name) const { window->findChild<QAction*>(name)->trigger(); }

    TempDatabase database;
    ScriptedMessages messages;
    RecordingOpener opener;
    std::unique_ptr<vorlane::shell::MainWindow> window;
    std::unique_ptr<QSignalSpy> ended;
    bool exposed = false;
};
