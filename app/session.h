#pragma once
// The session of one run: owns the two crawl engines over the open database, and carries out every action
// a window can ask for (start a search, pause, stop, load or delete campaigns, edit media types and search
// engines, save the settings, erase the search history). Windows state their intent through its methods and
// learn of changes through its signals; no window reaches into another. No widgets here, so the command-line
// crawl runs on the same session. A database failure comes back to the caller, which shows it; the session
// never shows anything itself. The database must outlive the session.

#include "app/records.h"
#include "crawl/crawl_engine.h"
#include "crawl/crawl_settings.h"
#include "store/crawl_settings_store.h"
#include "store/database.h"
#include <QObject>
#include <QStringList>

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
    explicit Session(Database& database, QObject* parent = nullptr);
    ~Session() override;

    KeepShownFlags& keepShown() { return m_keepShown; }

    // --- Settings ---------------------------------------------------------------------------------------
    // The stored crawl settings put in force; the engines take them (filters at once, the rest at their
    // next start). On failure the previous settings stay.
    DbStatus loadSettings();
    DbResult<StoredCrawlSettings> storedSettings();
    // Saves, then reloads. The database part is saved first and alone decides whether anything is saved.
    DbStatus saveSettings(const StoredCrawlSettings& settings);
    const CrawlSettings& crawlSettings() const { return m_settings; }
    // Puts settings in force for this run without storing them (the command line's overrides).
    void useCrawlSettings(const CrawlSettings& settings);
    static const QStringList& connectionTypes() { return kConnectionTypes; }
    // The engine choice that searches with every engine.
    static QString allEnginesChoice();
    // What a search link holds where the keyword goes.
    static QString keywordPlaceholder();

    // --- Media types and search engines (written at once) -----------------------------------------------
    DbResult<QStringList> mediaTypes();
    // The FILEEXT text (".mp3,.ogg"); a null string when the type has none or does not exist.
    DbResult<QString> mediaTypeExtensions(const QString& name);
    DbStatus addMediaType(const QString& name);    // categoriesChanged on success
    DbStatus deleteMediaType(const QString& name); // likewise
    DbStatus setMediaTypeExtensions(const QString& name, const QString& joined);

    DbResult<QStringList> searchEngines();               // stored order
    DbResult<QStringList> searchEngineChoices();         // distinct names, for picking one to search with
    DbResult<QString> searchLink(const QString& engine); // null string when none
    DbStatus addSearchEngine(const QString& name);       // enginesChanged on success
    DbStatus deleteSearchEngine(const QString& name);    // likewise
    DbStatus setSearchLink(const QString& engine, const QString& link);

    // --- Search history -----------------------------------------------------------------------------------
    // The sources of earlier searches of one kind since its history was last erased.
    DbResult<QStringList> history(CampaignType type);
    // Hides every source recorded so far from the kind's history.
    DbStatus eraseHistory(CampaignType type);

    // --- Campaigns
    // ------------------------------------------------------------------------------------------
    DbResult<QList<CampaignRecord>> campaigns();
    // The campaign's label ("<id> - <type> - <source>"); the bare id when it cannot be read.
    QString campaignLabel(int campaignId);
    DbResult<QList<FileLinkRow>> campaignLinks(int campaignId);
    // Reads the campaign's links and hands them on through campaignLoaded.
    DbStatus loadCampaign(int campaignId);
    // True when a running search records into the campaign (any campaign for 0).
    bool isRecording(int campaignId) const;
    // Each in one transaction; campaignsDeleted and campaignsChanged follow, also after a failure of the
    // second part of deleteAllCampaigns (the history markers back to 0), whose error comes back.
    DbStatus deleteCampaign(int campaignId);
    DbStatus deleteAllCampaigns();

    // --- Searches -----------------------------------------------------------------------------------------
    // Empties the search's result list (a new search is being asked for).
    void clearResults(CampaignType type);
    // Each creates the campaign (campaignsChanged) and starts the engine; a campaign that cannot be created
    // means no search, and the error comes back.
    DbStatus startUrlSearch(const QString& address, const QString& extensions, int depth);
    DbStatus startWebSearch(const QString& keyword, const QString& extensions, const QString& engine);
    // Pause holds the search where it is, resume continues it at once (activityChanged tells which);
    // stop ends it "Stopped." at its next step. Each does nothing while the search is not running.
    void pause(CampaignType type);
    void resume(CampaignType type);
    void stop(CampaignType type);
    bool isRunning(CampaignType type) const;
    bool isPaused(CampaignType type) const;
    bool anySearchRunning() const {
        return isRunning(CampaignType::UrlSearch) || isRunning(CampaignType::WebSearch);
    }
    CrawlEngine& engine(CampaignType type);

    // Aborts every transfer, ends both engines and closes the database, in that order. Idempotent.
    void shutDown();

signals:
    void categoriesChanged(); // a media type was added or deleted
    void enginesChanged();    // a search engine was added or deleted
    void campaignsChanged();  // a campaign was created or deleted
    void campaignLoaded(int campaignId, const QList<FileLinkRow>& rows);
    void campaignsDeleted(); // one or all campaigns are gone: a loaded campaign's list empties
    void resultsCleared(CampaignType type);
    void activityChanged(const QString& text); // "URL Search paused", "Web Search running..."
    void searchFinished(CampaignType type, bool stopped);

private:
    Database& m_database;
    CrawlSettings m_settings;
    KeepShownFlags m_keepShown;
    CrawlEngine m_urlEngine;
    CrawlEngine m_webEngine;
};
