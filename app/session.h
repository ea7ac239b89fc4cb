#pragma once
// The session of one run: owns the two crawl engines over the open database, and carries out every action
// a window can ask for (start a search, pause, stop, load or delete campaigns, edit media types and search
// engines, save the settings, erase the search history). Windows state their intent through its methods and
// learn of changes through its signals; no window reaches into another. No widgets here, so the command-line
// crawl runs on the same session. A database failure comes back to the caller, which shows it; the session
// never shows anything itself. The database must outlive the session.

#include "app/crawl_log_recorder.h"
#include "app/downloads.h"
#include "app/records.h"
#include "crawl/crawl_engine.h"
#include "crawl/crawl_settings.h"
#include "store/crawl_settings_store.h"
#include "store/database.h"
#include <QObject>
#include <QStringList>

namespace vorlane::app {

// The flags the tool windows share: whether a window stays up once when another of the program's windows
// becomes active (a message box of its own, a save dialog).
struct KeepShownFlags {
    bool urlSearch = false;
    bool webSearch = false;
    bool campaigns = false;
};

class Session : public QObject {
    Q_OBJECT
public:
    explicit Session(store::Database& database, QObject* parent = nullptr);
    ~Session() override;

    KeepShownFlags& keepShown() { return m_keepShown; }

    // --- Settings ---------------------------------------------------------------------------------------
    // The stored crawl settings put in force; the engines take them (filters at once, the rest at their
    // next start). On failure the previous settings stay.
    store::DbStatus loadSettings();
    store::DbResult<store::StoredCrawlSettings> storedSettings();
    // Saves, then reloads. The database part is saved first and alone decides whether anything is saved.
    store::DbStatus saveSettings(const store::StoredCrawlSettings& settings);
    const crawl::CrawlSettings& crawlSettings() const { return m_settings; }
    // Puts settings in force for this run without storing them (the command line's overrides).
    void useCrawlSettings(const crawl::CrawlSettings& settings);
    static const QStringList& connectionTypes() { return crawl::kConnectionTypes; }
    // The engine choice that searches with every engine.
    static QString allEnginesChoice();
    // What a search link holds where the keyword goes.
    static QString keywordPlaceholder();

    // --- Media types and search engines (written at once) -----------------------------------------------
    store::DbResult<QStringList> mediaTypes();
    // The FILEEXT text (".mp3,.ogg"); a null string when the type has none or does not exist.
    store::DbResult<QString> mediaTypeExtensions(const QString& name);
    store::DbStatus addMediaType(const QString& name);    // categoriesChanged on success
    store::DbStatus deleteMediaType(const QString& name); // likewise
    store::DbStatus setMediaTypeExtensions(const QString& name, const QString& joined);

    store::DbResult<QStringList> searchEngines();       // stored order
    store::DbResult<QStringList> searchEngineChoices(); // distinct names, for picking one to search with
    store::DbResult<QString> searchLink(const QString& engine); // null string when none
    store::DbStatus addSearchEngine(const QString& name);       // enginesChanged on success
    store::DbStatus deleteSearchEngine(const QString& name);    // likewise
    store::DbStatus setSearchLink(const QString& engine, const QString& link);

    // --- Search history -----------------------------------------------------------------------------------
    // The sources of earlier searches of one kind since its history was last erased.
    store::DbResult<QStringList> history(store::CampaignType type);
    // Hides every source recorded so far from the kind's history.
    store::DbStatus eraseHistory(store::CampaignType type);

    // --- Campaigns
    // ------------------------------------------------------------------------------------------
    store::DbResult<QList<store::CampaignRecord>> campaigns();
    // The campaign's label ("<id> - <type> - <source>"); the bare id when it cannot be read.
    QString campaignLabel(int campaignId);
    store::DbResult<QList<store::FileLinkRow>> campaignLinks(int campaignId);
    // Reads the campaign's links and hands them on through campaignLoaded.
    store::DbStatus loadCampaign(int campaignId);
    // True when a running search records into the campaign (any campaign for 0).
    bool isRecording(int campaignId) const;
    // Each in one transaction; campaignsDeleted and campaignsChanged follow, also after a failure of the
    // second part of deleteAllCampaigns (the history markers back to 0), whose error comes back.
    store::DbStatus deleteCampaign(int campaignId);
    store::DbStatus deleteAllCampaigns();

    // --- Crawl log ---------------------------------------------------------------------------------------
    // The campaign's log, oldest first, up to the page the running search logged last.
    store::DbResult<QList<store::CrawlLogEntry>> crawlLog(int campaignId);
    // The campaign of the running search, else of the last one this run, of either kind; 0 when none ran.
    int latestCampaign() const;

    // --- Searches -----------------------------------------------------------------------------------------
    // Empties the search's result list (a new search is being asked for).
    void clearResults(store::CampaignType type);
    // Each creates the campaign (campaignsChanged) and starts the engine; a campaign that cannot be created
    // means no search, and the error comes back.
    store::DbStatus startUrlSearch(const QString& address, const QString& extensions, int depth);
    store::DbStatus startWebSearch(const QString& keyword, const QString& extensions, const QString& engine);
    // Pause holds the search where it is, resume continues it at once (activityChanged tells which);
    // stop ends it "Stopped." at its next step. Each does nothing while the search is not running.
    void pause(store::CampaignType type);
    void resume(store::CampaignType type);
    void stop(store::CampaignType type);
    bool isRunning(store::CampaignType type) const;
    bool isPaused(store::CampaignType type) const;
    bool anySearchRunning() const {
        return isRunning(store::CampaignType::UrlSearch) || isRunning(store::CampaignType::WebSearch);
    }
    crawl::CrawlEngine& engine(store::CampaignType type);

    // --- Downloads ----------------------------------------------------------------------------------------
    // Its files at once and time-out follow the connection type in force, unless its settings say
    // otherwise.
    Downloads& downloads() { return m_downloads; }
    void useDownloadSettings(const DownloadSettings& settings);
    // Stores the settings (loadSettings() reads them back) and puts them in force; the error when they
    // could not be written, and then they are in force for this run only.
    store::DbStatus saveDownloadSettings(const DownloadSettings& settings);

    // Aborts every transfer, ends both engines, stops the downloads so that they resume at the next start
    // and closes the database, in that order. Idempotent.
    void shutDown();

signals:
    void categoriesChanged(); // a media type was added or deleted
    void enginesChanged();    // a search engine was added or deleted
    void campaignsChanged();  // a campaign was created or deleted
    void campaignLoaded(int campaignId, const QList<store::FileLinkRow>& rows);
    void campaignsDeleted(); // one or all campaigns are gone: a loaded campaign's list empties
    void resultsCleared(store::CampaignType type);
    void activityChanged(const QString& text); // "URL Search paused", "Web Search running..."
    void searchFinished(store::CampaignType type, bool stopped);
    void pageLogged(int campaignId, const store::CrawlLogEntry& entry);
    // After searchFinished, when a failed write to the database stopped the search: its error, once.
    void searchFailed(store::CampaignType type, const QString& error);

private:
    store::DbStatus announced(store::DbStatus status, void (Session::*changed)());

    store::Database& m_database;
    crawl::CrawlSettings m_settings;
    KeepShownFlags m_keepShown;
    crawl::CrawlEngine m_urlEngine;
    crawl::CrawlEngine m_webEngine;
    Downloads m_downloads;
    CrawlLogRecorder m_log;
};

} // namespace vorlane::app
