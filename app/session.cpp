#include "app/session.h"

#include "store/category_store.h"
#include "store/engine_store.h"
#include "store/history_store.h"

#include <algorithm>

namespace vorlane::app {

Session::Session(store::Database& database, QObject* parent)
    : QObject(parent), m_database(database),
      m_urlEngine(store::CampaignType::UrlSearch, database.connection()),
      m_webEngine(store::CampaignType::WebSearch, database.connection()), m_downloads(database),
      m_log(database.connection()) {
    for (crawl::CrawlEngine* engine : {&m_urlEngine, &m_webEngine}) {
        const store::CampaignType type = engine->kind();
        connect(engine, &crawl::CrawlEngine::finished, this, [this, engine, type](bool stopped) {
            m_log.flush();
            emit searchFinished(type, stopped);
            if (!engine->storeError().isEmpty())
                emit searchFailed(type, engine->storeError());
        });
        connect(engine, &crawl::CrawlEngine::pageLogged, this,
                [this, engine](const store::CrawlLogEntry& entry) {
                    m_log.add(engine->campaignId(), entry);
                    emit pageLogged(engine->campaignId(), entry);
                });
    }
}

// Passes a change's outcome on, and tells the windows of it when it succeeded.
store::DbStatus Session::announced(store::DbStatus status, void (Session::*changed)()) {
    if (status)
        emit(this->*changed)();
    return status;
}

Session::~Session() {
    shutDown();
}

store::DbStatus Session::loadSettings() {
    auto stored = storedSettings();
    if (!stored)
        return store::DbStatus::failure(stored.error());
    useCrawlSettings(crawl::CrawlSettings::fromStored(stored.value(), m_settings));
    useDownloadSettings(store::loadDownloadSettings());
    return store::dbOk();
}

void Session::useCrawlSettings(const crawl::CrawlSettings& settings) {
    m_settings = settings;
    m_urlEngine.setSettings(m_settings);
    m_webEngine.setSettings(m_settings);
    m_downloads.useSettings(m_downloads.settings(), m_settings);
}

void Session::useDownloadSettings(const DownloadSettings& settings) {
    m_downloads.useSettings(settings, m_settings);
}

store::DbStatus Session::saveDownloadSettings(const DownloadSettings& settings) {
    useDownloadSettings(settings);
    if (const QString error = store::saveDownloadSettings(settings); !error.isEmpty())
        return store::DbStatus::failure(error);
    return store::dbOk();
}

store::DbResult<store::StoredCrawlSettings> Session::storedSettings() {
    return store::CrawlSettingsStore(m_database.connection()).load();
}

store::DbStatus Session::saveSettings(const store::StoredCrawlSettings& settings) {
    const store::DbStatus saved = store::CrawlSettingsStore(m_database.connection()).save(settings);
    // A settings file that could not be written is still reported, after the database part has been put in
    // force.
    const store::DbStatus loaded = loadSettings();
    return !saved ? saved : loaded;
}

QString Session::allEnginesChoice() {
    return QString::fromLatin1(store::kAllEngines);
}

QString Session::keywordPlaceholder() {
    return QString::fromLatin1(store::kKeywordPlaceholder);
}

store::DbResult<QStringList> Session::mediaTypes() {
    return store::CategoryStore(m_database.connection()).names();
}

store::DbResult<QString> Session::mediaTypeExtensions(const QString& name) {
    return store::CategoryStore(m_database.connection()).fileExtensions(name);
}

store::DbStatus Session::addMediaType(const QString& name) {
    return announced(store::CategoryStore(m_database.connection()).add(name), &Session::categoriesChanged);
}

store::DbStatus Session::deleteMediaType(const QString& name) {
    return announced(store::CategoryStore(m_database.connection()).remove(name), &Session::categoriesChanged);
}

store::DbStatus Session::setMediaTypeExtensions(const QString& name, const QString& joined) {
    return store::CategoryStore(m_database.connection()).setFileExtensions(name, joined);
}

store::DbResult<QStringList> Session::searchEngines() {
    return store::EngineStore(m_database.connection()).names();
}

store::DbResult<QStringList> Session::searchEngineChoices() {
    QStringList names;
    if (const store::DbStatus filled = store::EngineStore(m_database.connection()).fillDistinctNames(names);
        !filled)
        return store::DbResult<QStringList>::failure(filled.error());
    return names;
}

store::DbResult<QString> Session::searchLink(const QString& engine) {
    return store::EngineStore(m_database.connection()).startPage(engine);
}

store::DbStatus Session::addSearchEngine(const QString& name) {
    return announced(store::EngineStore(m_database.connection()).add(name), &Session::enginesChanged);
}

store::DbStatus Session::deleteSearchEngine(const QString& name) {
    return announced(store::EngineStore(m_database.connection()).remove(name), &Session::enginesChanged);
}

store::DbStatus Session::setSearchLink(const QString& engine, const QString& link) {
    return store::EngineStore(m_database.connection()).setStartPage(engine, link);
}

store::DbResult<QStringList> Session::history(store::CampaignType type) {
    QStringList sources;
    if (const store::DbStatus filled =
            store::HistoryStore(m_database.connection()).fillHistory(type, sources);
        !filled)
        return store::DbResult<QStringList>::failure(filled.error());
    return sources;
}

store::DbStatus Session::eraseHistory(store::CampaignType type) {
    store::HistoryStore store(m_database.connection());
    const store::DbResult<int> newest = store.maxCampaignId(type);
    if (!newest)
        return store::DbStatus::failure(newest.error());
    return store.clearHistory(type, newest.value());
}

store::DbResult<QList<store::CampaignRecord>> Session::campaigns() {
    return store::CampaignStore(m_database.connection()).campaigns();
}

QString Session::campaignLabel(int campaignId) {
    if (const auto all = campaigns()) {
        for (const store::CampaignRecord& campaign : all.value())
            if (campaign.id == campaignId)
                return campaign.label;
    }
    return QString::number(campaignId);
}

store::DbResult<QList<store::FileLinkRow>> Session::campaignLinks(int campaignId) {
    return store::CampaignStore(m_database.connection()).campaignLinks(campaignId);
}

store::DbStatus Session::loadCampaign(int campaignId) {
    const auto links = campaignLinks(campaignId);
    if (!links)
        return store::DbStatus::failure(links.error());
    emit campaignLoaded(campaignId, links.value());
    return store::dbOk();
}

bool Session::isRecording(int campaignId) const {
    for (const crawl::CrawlEngine* engine : {&m_urlEngine, &m_webEngine}) {
        if (engine->isRunning() && (campaignId == 0 || engine->campaignId() == campaignId))
            return true;
    }
    return false;
}

store::DbResult<QList<store::CrawlLogEntry>> Session::crawlLog(int campaignId) {
    return m_log.entries(campaignId);
}

int Session::latestCampaign() const {
    for (const crawl::CrawlEngine* engine : {&m_urlEngine, &m_webEngine})
        if (engine->isRunning())
            return engine->campaignId();
    return std::max(m_urlEngine.campaignId(), m_webEngine.campaignId());
}

store::DbStatus Session::deleteCampaign(int campaignId) {
    m_log.forget({campaignId}); // its stored log goes with the campaign
    m_downloads.forgetCampaign(campaignId);
    const store::DbStatus deleted = store::CampaignStore(m_database.connection()).deleteCampaign(campaignId);
    if (!deleted)
        return deleted;
    emit campaignsDeleted();
    emit campaignsChanged();
    return store::dbOk();
}

store::DbStatus Session::deleteAllCampaigns() {
    m_log.forget({m_urlEngine.campaignId(), m_webEngine.campaignId()});
    m_downloads.forgetCampaign(0);
    const store::DbStatus deleted = store::CampaignStore(m_database.connection()).deleteAllCampaigns();
    store::DbStatus markers = deleted;
    if (deleted) {
        // Every source is gone, so the histories start again from nothing.
        store::HistoryStore history(m_database.connection());
        const store::DbStatus url = history.clearHistory(store::CampaignType::UrlSearch, 0);
        const store::DbStatus web = history.clearHistory(store::CampaignType::WebSearch, 0);
        markers = !url ? url : web;
    }
    emit campaignsDeleted();
    emit campaignsChanged();
    return markers;
}

void Session::clearResults(store::CampaignType type) {
    emit resultsCleared(type);
}

store::DbStatus Session::startUrlSearch(const QString& address, const QString& extensions, int depth) {
    const store::DbStatus started = m_urlEngine.startUrlCrawl(address, extensions, depth);
    if (started)
        emit campaignsChanged();
    return started;
}

store::DbStatus Session::startWebSearch(const QString& keyword, const QString& extensions,
                                        const QString& engine) {
    const store::DbStatus started = m_webEngine.startWebCrawl(keyword, extensions, engine);
    if (started)
        emit campaignsChanged();
    return started;
}

void Session::pause(store::CampaignType type) {
    crawl::CrawlEngine& crawl = engine(type);
    if (!crawl.isRunning() || crawl.isPaused())
        return;
    crawl.pause();
    emit activityChanged(type == store::CampaignType::UrlSearch ? QStringLiteral("URL Search paused")
                                                                : QStringLiteral("Web Search paused"));
}

void Session::resume(store::CampaignType type) {
    crawl::CrawlEngine& crawl = engine(type);
    if (!crawl.isRunning() || !crawl.isPaused())
        return;
    crawl.resume();
    emit activityChanged(type == store::CampaignType::UrlSearch ? QStringLiteral("URL Search running...")
                                                                : QStringLiteral("Web Search running..."));
}

void Session::stop(store::CampaignType type) {
    crawl::CrawlEngine& crawl = engine(type);
    if (crawl.isRunning())
        crawl.stop();
}

bool Session::isRunning(store::CampaignType type) const {
    return (type == store::CampaignType::UrlSearch ? m_urlEngine : m_webEngine).isRunning();
}

bool Session::isPaused(store::CampaignType type) const {
    return (type == store::CampaignType::UrlSearch ? m_urlEngine : m_webEngine).isPaused();
}

crawl::CrawlEngine& Session::engine(store::CampaignType type) {
    return type == store::CampaignType::UrlSearch ? m_urlEngine : m_webEngine;
}

void Session::shutDown() {
    m_urlEngine.abortAll();
    m_webEngine.abortAll();
    m_log.close();
    m_downloads.shutDown();
    m_database.close();
}

} // namespace vorlane::app
