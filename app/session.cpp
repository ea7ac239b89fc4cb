#include "app/session.h"

#include "store/category_store.h"
#include "store/engine_store.h"
#include "store/history_store.h"

Session::Session(Database& database, QObject* parent)
    : QObject(parent), m_database(database), m_urlEngine(CampaignType::UrlSearch, database.connection()),
      m_webEngine(CampaignType::WebSearch, database.connection()) {
    for (CrawlEngine* engine : {&m_urlEngine, &m_webEngine}) {
        const CampaignType type = engine->kind();
        connect(engine, &CrawlEngine::finished, this,
                [this, type](bool stopped) { emit searchFinished(type, stopped); });
    }
}

Session::~Session() {
    shutDown();
}

DbStatus Session::loadSettings() {
    auto stored = storedSettings();
    if (!stored)
        return DbStatus::failure(stored.error());
    useCrawlSettings(CrawlSettings::fromStored(stored.value(), m_settings));
    return dbOk();
}

void Session::useCrawlSettings(const CrawlSettings& settings) {
    m_settings = settings;
    m_urlEngine.setSettings(m_settings);
    m_webEngine.setSettings(m_settings);
}

DbResult<StoredCrawlSettings> Session::storedSettings() {
    return CrawlSettingsStore(m_database.connection()).load();
}

DbStatus Session::saveSettings(const StoredCrawlSettings& settings) {
    const DbStatus saved = CrawlSettingsStore(m_database.connection()).save(settings);
    // A settings file that could not be written is still reported, after the database part has been put in
    // force.
    const DbStatus loaded = loadSettings();
    return !saved ? saved : loaded;
}

QString Session::allEnginesChoice() {
    return QString::fromLatin1(kAllEngines);
}

QString Session::keywordPlaceholder() {
    return QString::fromLatin1(kKeywordPlaceholder);
}

DbResult<QStringList> Session::mediaTypes() {
    return CategoryStore(m_database.connection()).names();
}

DbResult<QString> Session::mediaTypeExtensions(const QString& name) {
    return CategoryStore(m_database.connection()).fileExtensions(name);
}

DbStatus Session::addMediaType(const QString& name) {
    const DbStatus added = CategoryStore(m_database.connection()).add(name);
    if (added)
        emit categoriesChanged();
    return added;
}

DbStatus Session::deleteMediaType(const QString& name) {
    const DbStatus removed = CategoryStore(m_database.connection()).remove(name);
    if (removed)
        emit categoriesChanged();
    return removed;
}

DbStatus Session::setMediaTypeExtensions(const QString& name, const QString& joined) {
    return CategoryStore(m_database.connection()).setFileExtensions(name, joined);
}

DbResult<QStringList> Session::searchEngines() {
    return EngineStore(m_database.connection()).names();
}

DbResult<QStringList> Session::searchEngineChoices() {
    QStringList names;
    if (const DbStatus filled = EngineStore(m_database.connection()).fillDistinctNames(names); !filled)
        return DbResult<QStringList>::failure(filled.error());
    return names;
}

DbResult<QString> Session::searchLink(const QString& engine) {
    return EngineStore(m_database.connection()).startPage(engine);
}

DbStatus Session::addSearchEngine(const QString& name) {
    const DbStatus added = EngineStore(m_database.connection()).add(name);
    if (added)
        emit enginesChanged();
    return added;
}

DbStatus Session::deleteSearchEngine(const QString& name) {
    const DbStatus removed = EngineStore(m_database.connection()).remove(name);
    if (removed)
        emit enginesChanged();
    return removed;
}

DbStatus Session::setSearchLink(const QString& engine, const QString& link) {
    return EngineStore(m_database.connection()).setStartPage(engine, link);
}

DbResult<QStringList> Session::history(CampaignType type) {
    QStringList sources;
    if (const DbStatus filled = HistoryStore(m_database.connection()).fillHistory(type, sources); !filled)
        return DbResult<QStringList>::failure(filled.error());
    return sources;
}

DbStatus Session::eraseHistory(CampaignType type) {
    HistoryStore store(m_database.connection());
    const DbResult<int> newest = store.maxCampaignId(type);
    if (!newest)
        return DbStatus::failure(newest.error());
    return store.clearHistory(type, newest.value());
}

DbResult<QList<CampaignRecord>> Session::campaigns() {
    return CampaignStore(m_database.connection()).campaigns();
}

QString Session::campaignLabel(int campaignId) {
    if (const auto all = campaigns()) {
        for (const CampaignRecord& campaign : all.value())
            if (campaign.id == campaignId)
                return campaign.label;
    }
    return QString::number(campaignId);
}

DbResult<QList<FileLinkRow>> Session::campaignLinks(int campaignId) {
    return CampaignStore(m_database.connection()).campaignLinks(campaignId);
}

DbStatus Session::loadCampaign(int campaignId) {
    const auto links = campaignLinks(campaignId);
    if (!links)
        return DbStatus::failure(links.error());
    emit campaignLoaded(campaignId, links.value());
    return dbOk();
}

bool Session::isRecording(int campaignId) const {
    for (const CrawlEngine* engine : {&m_urlEngine, &m_webEngine}) {
        if (engine->isRunning() && (campaignId == 0 || engine->campaignId() == campaignId))
            return true;
    }
    return false;
}

DbStatus Session::deleteCampaign(int campaignId) {
    const DbStatus deleted = CampaignStore(m_database.connection()).deleteCampaign(campaignId);
    if (!deleted)
        return deleted;
    emit campaignsDeleted();
    emit campaignsChanged();
    return dbOk();
}

DbStatus Session::deleteAllCampaigns() {
    const DbStatus deleted = CampaignStore(m_database.connection()).deleteAllCampaigns();
    DbStatus markers = deleted;
    if (deleted) {
        // Every source is gone, so the histories start again from nothing.
        HistoryStore history(m_database.connection());
        const DbStatus url = history.clearHistory(CampaignType::UrlSearch, 0);
        const DbStatus web = history.clearHistory(CampaignType::WebSearch, 0);
        markers = !url ? url : web;
    }
    emit campaignsDeleted();
    emit campaignsChanged();
    return markers;
}

void Session::clearResults(CampaignType type) {
    emit resultsCleared(type);
}

DbStatus Session::startUrlSearch(const QString& address, const QString& extensions, int depth) {
    const DbStatus started = m_urlEngine.startUrlCrawl(address, extensions, depth);
    if (started)
        emit campaignsChanged();
    return started;
}

DbStatus Session::startWebSearch(const QString& keyword, const QString& extensions, const QString& engine) {
    const DbStatus started = m_webEngine.startWebCrawl(keyword, extensions, engine);
    if (started)
        emit campaignsChanged();
    return started;
}

void Session::pause(CampaignType type) {
    CrawlEngine& crawl = engine(type);
    if (!crawl.isRunning() || crawl.isPaused())
        return;
    crawl.pause();
    emit activityChanged(type == CampaignType::UrlSearch ? QStringLiteral("URL Search paused")
                                                         : QStringLiteral("Web Search paused"));
}

void Session::resume(CampaignType type) {
    CrawlEngine& crawl = engine(type);
    if (!crawl.isRunning() || !crawl.isPaused())
        return;
    crawl.resume();
    emit activityChanged(type == CampaignType::UrlSearch ? QStringLiteral("URL Search running...")
                                                         : QStringLiteral("Web Search running..."));
}

void Session::stop(CampaignType type) {
    CrawlEngine& crawl = engine(type);
    if (crawl.isRunning())
        crawl.stop();
}

bool Session::isRunning(CampaignType type) const {
    return (type == CampaignType::UrlSearch ? m_urlEngine : m_webEngine).isRunning();
}

bool Session::isPaused(CampaignType type) const {
    return (type == CampaignType::UrlSearch ? m_urlEngine : m_webEngine).isPaused();
}

CrawlEngine& Session::engine(CampaignType type) {
    return type == CampaignType::UrlSearch ? m_urlEngine : m_webEngine;
}

void Session::shutDown() {
    m_urlEngine.abortAll();
    m_webEngine.abortAll();
    m_database.close();
}
