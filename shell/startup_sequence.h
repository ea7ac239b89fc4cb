#pragma once
// The program's start, in order: the application title, the splash painted, the database prepared (a
// second copy, or a file that cannot be opened, ends the start here with a message), the splash closed,
// the main window loaded (which may show the start-up information first), the two search dialogs loaded
// hidden, the main window shown and the tray icon added. The database lives here, beside the main window
// that uses it; ended() is emitted once shutDownApplication has run.

#include "store/database.h"
#include <QObject>
#include <memory>

namespace vorlane::ui {
class MessageFacade;
class UrlOpener;
}

namespace vorlane::shell {

class MainWindow;
class StartUp;
class StartupSequence : public QObject {
    Q_OBJECT
public:
    // `programFolder` holds mc.mdb and help.htm; the program passes its own folder.
    StartupSequence(ui::MessageFacade& messages, ui::UrlOpener& opener, const QString& programFolder,
                    bool trayAvailable, QObject* parent = nullptr);
    ~StartupSequence() override;

    // True when the main window stands; false when the program must end now with exitCode().
    bool run();
    int exitCode() const { return m_exitCode; }

    MainWindow* mainWindow() const { return m_window.get(); }
    store::Database& database() { return m_database; }

signals:
    void ended();

private:
    ui::MessageFacade& m_messages;
    ui::UrlOpener& m_opener;
    QString m_programFolder;
    bool m_trayAvailable;
    int m_exitCode = 0;
    store::Database m_database; // outlives the window and its context
    std::unique_ptr<MainWindow> m_window;
};

} // namespace vorlane::shell
