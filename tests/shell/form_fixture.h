#pragma once
// A loaded main window on a fresh database, with scripted message boxes, a recording opener and the
// start-up information switched off, as the shell tests need it.

#include "shell/form1.h"
#include "shell/result_pane.h"
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

struct FormFixture {
    explicit FormFixture(bool trayAvailable = true, bool show = true) {
        UserOptions().setShowStartInfoOff();
        form = std::make_unique<Form1>(database.database(), messages, opener, database.directory(),
                                       trayAvailable);
        ended = std::make_unique<QSignalSpy>(form.get(), &Form1::applicationEnded);
        form->load();
        form->loadSearchDialogs();
        if (show) {
            form->show();
            form->loadTray();
            form->activateWindow();
            exposed = QTest::qWaitForWindowExposed(form.get());
        }
    }

    ResultPane* pane() const { return form->resultPane(); }
    ResultList* list(int number) const { return pane()->list(number); }

    // The one result list shown, or -1 when more than one is.
    int visibleList() const {
        int visible = 0;
        for (int i = 1; i <= ResultPane::kListCount; ++i)
            if (list(i)->isVisibleTo(form.get()))
                visible = visible ? -1 : i;
        return visible;
    }

    // A toolbar button or menu entry, by its name, as a click would.
    void trigger(const char* name) const { form->findChild<QAction*>(name)->trigger(); }

    TempDatabase database;
    ScriptedMessages messages;
    RecordingOpener opener;
    std::unique_ptr<Form1> form;
    std::unique_ptr<QSignalSpy> ended;
    bool exposed = false;
};
