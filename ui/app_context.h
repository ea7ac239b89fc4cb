#pragma once
// The process-wide objects of one run, created by the main window's load step and passed by reference to
// every window: the database, the two crawl engines, the filter list, the connection type and the search
// state. Windows talk to each other through its signals, never by reaching into each other's controls.

#include "crawl/crawl_engine.h"
#include "store/campaign_store.h"
#include "store/database.h"
#include "crawl/crawl_settings.h"
#include <QObject>
#include <QStringList>

class MessageFacade;
class UrlOpener;

// Flags the search dialogs and the campaign dialog share.
struct SearchState {
    bool urlSearchKeepShown = false;
    bool webSearchKeepShown = false;
    bool campManagementKeepShown = false;
    QString urlMediaExtensions; // FILEEXT of the media type picked in the URL Search dialog
    QString webMediaExtensions; // ... in the Web Search dialog
    int urlSearchDepth = 0;
};

class AppContext : public QObject {
    Q_OBJECT
public:
    AppContext(Database& database, MessageFacade& messages, UrlOpener& opener, QObject* parent = nullptr);
    ~AppContext() override;

    QSqlDatabase db() const { return m_database.connection(); }
    Database& database() { return m_database; }
    MessageFacade& messages() { return m_messages; }
    UrlOpener& opener() { return m_opener; }
    CrawlEngine& urlEngine() { return m_urlEngine; }
    CrawlEngine& webEngine() { return m_webEngine; }
    const QStringList& filters() const { return m_settings.filters; }
    SearchState& search() { return m_search; }

    const CrawlPolicy& crawlPolicy() const { return m_settings.policy; }
    const CrawlSettings& crawlSettings() const { return m_settings; }

    // LoadConnectionType then LoadFilters, and the crawl policy from the per-user settings; the engines
    // take the connection type and the policy for their next start. A database failure is returned (the
    // previous values stay).
    DbStatus loadSettings();
    // SaveSettings, then loadSettings(). With a policy, it is written after the database and only when
    // that succeeded.
    DbStatus saveSettings(const QString& connectionType, const QStringList& filters,
                          const CrawlPolicy& policy);

    bool anySearchRunning() const { return m_urlEngine.isRunning() || m_webEngine.isRunning(); }

    // Aborts every transfer, ends both engines and closes the database, in that order. Idempotent.
    void shutDown();

signals:
    void categoriesChanged(); // a media type was added or deleted
    void enginesChanged();    // a search engine was added or deleted
    void campaignsChanged();  // a campaign was created or deleted
    void historyChanged();    // a history marker moved
    void settingsReloaded();

    // Requests to the main window, which owns the result lists and the status bar.
    void statusMessageRequested(const QString& text); // panel 1, e.g. "Wait..."
    void activityTextRequested(const QString& text);  // panel 3, e.g. "URL Search paused"
    void clearResultsRequested(CampaignType type);    // empty ListView2 (URL) or ListView1 (web)
    void campaignLinksLoaded(int campaignId, const QList<FileLinkRow>& rows); // fill ListView3
    void campaignResultsClearRequested(); // empty ListView3 (its campaign was deleted)
    void settingsRequested();             // open the Settings dialog

private:
    Database& m_database;
    MessageFacade& m_messages;
    UrlOpener& m_opener;
    CrawlSettings m_settings;
    SearchState m_search;
    CrawlEngine m_urlEngine;
    CrawlEngine m_webEngine;
};
