#pragma once
// The main window Form1: menus, toolbar Toolbar1, the result pane (ResultPane) and the status bar
// StatusBar1. Its load step creates the run's Session on the open database; from then on it owns the
// session, the search, campaign and settings dialogs (one instance each) and, once loaded, the tray icon.
// ShutDownApplication ends everything in order and then emits applicationEnded(); whoever runs the
// event loop ends the process on it. The database, the facade and the opener must outlive the window.
// The window's size, position, visible list and each list's column widths and sort come back from the last
// run (WindowState) and are stored again when the window goes to the tray or the program ends.

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <memory>

class About;
class CampManagement;
class Database;
class MessageFacade;
class ResultList;
class ResultPane;
class Session;
class Settings;
class StatusPanels;
class Tray;
class URLSearch;
class UrlOpener;
class WebSearch;

class Form1 : public QMainWindow {
    Q_OBJECT
public:
    // `programFolder` holds help.htm. `trayAvailable`: whether hiding to the tray can be undone by the user;
    // without a notification area the window is minimised instead of hidden.
    Form1(Database& database, MessageFacade& messages, UrlOpener& opener, const QString& programFolder,
          bool trayAvailable, QWidget* parent = nullptr);
    ~Form1() override;

    // The load step: sizes the lists, creates the Session and wires it, loads the connection type and
    // the filters, and shows the start-up information dialog (modal) when the option asks for it.
    void load();
    // Creates the URL Search and then the Web Search dialog, hidden.
    void loadSearchDialogs();
    // Puts the tray icon into the notification area.
    void loadTray();

    Session& session() { return *m_session; }
    bool isLoaded() const { return m_session != nullptr; }
    ResultList* listView(int number) const; // 1, 2 or 3
    ResultPane* resultPane() const { return m_pane; }
    StatusPanels* statusPanels() const { return m_status; }
    Tray* tray() const { return m_tray.get(); }
    URLSearch* urlSearch() const { return m_urlSearch; }
    WebSearch* webSearch() const { return m_webSearch; }
    About* aboutBox() const;

    // The toolbar dispatches by key: "One" ... "Six".
    void runAction(const QString& key);

    void UpdateActivityDisplay();
    void ShutDownApplication();
    bool hasEnded() const { return m_ended; }

    // Stores the window's state for the next start; nothing while the window was never shown.
    void saveWindowState();

signals:
    void applicationEnded();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildMenus();
    void buildToolbar();
    void wireEngines();
    void wireSession();
    void showDialog(QWidget* dialog);
    void hideToTray();
    void showFromTray();
    void showAbout(bool modal);
    void openSettings();
    void openHelp();
    void openCampaigns();
    void showStartInfo();
    void restoreWindowState();

    Database& m_database;
    MessageFacade& m_messages;
    UrlOpener& m_opener;
    QString m_programFolder;
    bool m_trayAvailable;

    std::unique_ptr<Session> m_session;
    ResultPane* m_pane = nullptr;
    bool m_everShown = false;
    StatusPanels* m_status = nullptr;
    QHash<QString, QAction*> m_toolbarActions;
    QAction* m_wsearch = nullptr;
    QAction* m_usearch = nullptr;

    URLSearch* m_urlSearch = nullptr;
    WebSearch* m_webSearch = nullptr;
    CampManagement* m_campaigns = nullptr;
    Settings* m_settings = nullptr;
    QPointer<About> m_about;
    std::unique_ptr<Tray> m_tray;

    bool m_ended = false;
};
