#pragma once
// The main window Form1: its menus and toolbar (MainActions), the result pane and the status bar
// StatusBar1. The load step creates the run's Session on the open database; the window owns it from then
// on, with the dialogs its actions open and, once loaded, the tray icon. Closing the window hides it to the
// tray or ends the program, as the exit question or the remembered answer says; shutDownApplication() ends
// everything in order and then emits applicationEnded(), on which whoever runs the event loop ends the
// process. Size, place and lists come back from the last run. The database, the message facade and the
// opener must outlive the window.

#include "main_actions.h"
#include <QMainWindow>
#include <QPointer>
#include <memory>

namespace vorlane::app {
class Session;
}
namespace vorlane::search {
class URLSearch;
class WebSearch;
}
namespace vorlane::store {
class Database;
}
namespace vorlane::ui {
class MessageFacade;
class StatusPanels;
class UrlOpener;
}

namespace vorlane::shell {

class About;
class ExitToTray;
class MainActions;
class MainDialogs;
class ResultPane;
class Tray;
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // `programFolder` holds help.htm. `trayAvailable`: whether hiding to the tray can be undone by the user;
    // without a notification area the window is minimised instead of hidden.
    MainWindow(store::Database& database, ui::MessageFacade& messages, ui::UrlOpener& opener,
               const QString& programFolder, bool trayAvailable, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The load step: sizes the lists, creates the Session and wires it, loads the connection type and
    // the filters, and shows the start-up information dialog (modal) when the option asks for it.
    void load();
    // Creates the URL Search and then the Web Search dialog, hidden.
    void loadSearchDialogs();
    // Puts the tray icon into the notification area.
    void loadTray();

    // The search actions also bring their own result list forward. Nothing once the program has ended.
    void runAction(MainAction action);
    void shutDownApplication();
    bool hasEnded() const { return m_ended; }

    app::Session& session() { return *m_session; }
    ResultPane* resultPane() const { return m_pane; }
    ui::StatusPanels* statusPanels() const { return m_status; }
    Tray* tray() const { return m_tray.get(); }
    search::URLSearch* urlSearch() const;
    search::WebSearch* webSearch() const;
    About* aboutBox() const;

signals:
    void applicationEnded();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void wireStatus();
    // The tray's message when a batch of downloads is over; the stored downloads resume.
    void wireDownloads();
    void updateActivityDisplay();
    void showStartInfo();
    void askHowToClose();
    void hideToTray();
    void showFromTray();
    void restoreWindowState();
    // Stores the window's state for the next start; nothing while the window was never shown.
    void saveWindowState();

    store::Database& m_database;
    ui::MessageFacade& m_messages;
    ui::UrlOpener& m_opener;
    QString m_programFolder;
    bool m_trayAvailable;

    ResultPane* m_pane = nullptr;
    ui::StatusPanels* m_status = nullptr;
    MainActions* m_actions = nullptr;
    QPointer<ExitToTray> m_question;
    bool m_everShown = false;
    bool m_ended = false;

    // Declared in this order so the dialogs go before the session they hold references into.
    std::unique_ptr<app::Session> m_session;
    std::unique_ptr<Tray> m_tray;
    std::unique_ptr<MainDialogs> m_dialogs;
};

} // namespace vorlane::shell
