#pragma once
// The dialogs the main window's actions open, none of them twice at a time: URL Search and Web Search
// (made hidden by loadSearchDialogs and kept), Campaign Management (made on first use and kept), a fresh
// Settings dialog for each request so it shows what is stored now, the about box and the help file. Kept
// dialogs are children of the window and go when this does; the session must outlive it.

#include <QPointer>
#include <QString>

class QWidget;

namespace vorlane::app {
class Session;
}
namespace vorlane::campaigns {
class CampManagement;
}
namespace vorlane::search {
class URLSearch;
class WebSearch;
}
namespace vorlane::ui {
class MessageFacade;
class UrlOpener;
}

namespace vorlane::shell {

class About;
class MainDialogs {
public:
    // `programFolder` holds help.htm.
    MainDialogs(QWidget& window, app::Session& session, ui::MessageFacade& messages, ui::UrlOpener& opener,
                const QString& programFolder);
    ~MainDialogs();
    MainDialogs(const MainDialogs&) = delete;
    MainDialogs& operator=(const MainDialogs&) = delete;

    // Creates the URL Search and then the Web Search dialog, hidden; once.
    void loadSearchDialogs();

    void showWebSearch();
    // The address box is prefilled first unless a URL Search runs.
    void showUrlSearch();
    void showCampaigns();
    // The crawl log of the running search, else of the last one this run (empty before any).
    void showSearchLog();
    // Modal, over the window while it is shown.
    void openSettings();
    void openHelp();
    // Modal over the window, or modeless on its own (from the tray, with the window maybe hidden). A box
    // already shown is brought forward instead.
    void showAbout(bool modal);

    // At the end of the program: the kept dialogs hidden, the about box closed.
    void closeAll();

    search::URLSearch* urlSearch() const { return m_urlSearch; }
    search::WebSearch* webSearch() const { return m_webSearch; }
    About* aboutBox() const;

private:
    QWidget& m_window;
    app::Session& m_session;
    ui::MessageFacade& m_messages;
    ui::UrlOpener& m_opener;
    QString m_programFolder;

    search::URLSearch* m_urlSearch = nullptr;
    search::WebSearch* m_webSearch = nullptr;
    campaigns::CampManagement* m_campaigns = nullptr;
    QPointer<About> m_about; // deletes itself when closed
};

} // namespace vorlane::shell
