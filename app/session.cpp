#include "app/session.h"

#include "store/category_store.h"
#include "store/engine_store.h"
#include "store/history_store.h"

Session::Session(vorlane::store::Database& database, QObject* parent)
    : QObject(parent), m_database(database),
      m_urlEngine(vorlane::store::CampaignType::UrlSearch, database.connection()),
      m_webEngine(vorlane::store::CampaignType::WebSearch, database.connection()) {
    for (vorlane::crawl::CrawlEngine* engine : {&m_urlEngine, &m_webEngine}) {
        const vorlane::store::CampaignType type = engine->kind();
        connect(engine, &vorlane::crawl::CrawlEngine::finished, this,
                [this, type](bool stopped) { emit searchFinished(type, stopped); });
    }
}

Session::~Session() {
    shutDown();
}

vorlane::store::DbStatus Session::loadSettings() {
    auto stored = storedSettings();
    if (!stored)
        return vorlane::store::DbStatus::failure(stored.error());
    useCrawlSettings(vorlane::crawl::CrawlSettings::fromStored(stored.value(), m_settings));
    return vorlane::store::dbOk();
}

void Session::useCrawlSettings(const vorlane::crawl::CrawlSettings& settings) {
    m_settings = settings;
    m_urlEngine.setSettings(m_settings);
    m_webEngine.setSettings(m_settings);
}

vorlane::store::DbResult<vorlane::store::StoredCrawlSettings> Session::storedSettings() {
    return vorlane::store::CrawlSettingsStore(m_database.connection()).load();
}

vorlane::store::DbStatus Session::saveSettings(const vorlane::store::StoredCrawlSettings& settings) {
    const vorlane::store::DbStatus saved =
        vorlane::store::CrawlSettingsStore(m_database.connection()).save(settings);
    // A settings file that could not be written is still reported, after the database part has been put in
    // force.
    const vorlane::store::DbStatus loaded = loadSettings();
    return !saved ? saved : loaded;
}

QString Session::allEnginesChoice() {
    return QString::fromLatin1(vorlane::store::kAllEngines);
}

QString Session::keywordPlaceholder() {
    return QString::fromLatin1(vorlane::store::kKeywordPlaceholder);
}

vorlane::store::DbResult<QStringList> Session::mediaTypes() {
    return vorlane::store::CategoryStore(m_database.connection()).names();
}

vorlane::store::DbResult<QString> Session::mediaTypeExtensions(const QString& name) {
    return vorlane::store::CategoryStore(m_database.connection()).fileExtensions(name);
}

vorlane::store::DbStatus Session::addMediaType(const QString& name) {
    const vorlane::store::DbStatus added = vorlane::store::CategoryStore(m_database.connection()).add(name);
    if (added)
        emit categoriesChanged();
    return added;
}

vorlane::store::DbStatus Session::deleteMediaType(const QString& name) {
    const vorlane::store::DbStatus removed =
        vorlane::store::CategoryStore(m_database.connection()).remove(name);
    if (removed)
        emit categoriesChanged();
    return removed;
}

vorlane::store::DbStatus Session::setMediaTypeExtensions(const QString& name, const QString& joined) {
    return vorlane::store::CategoryStore(m_database.connection()).setFileExtensions(name, joined);
}

vorlane::store::DbResult<QStringList> Session::searchEngines() {
    return vorlane::store::EngineStore(m_database.connection()).names();
}

vorlane::store::DbResult<QStringList> Session::searchEngineChoices() {
    QStringList names;
    if (const vorlane::store::DbStatus filled =
            vorlane::store::EngineStore(m_database.connection()).fillDistinctNames(names);
        !filled)
        return vorlane::store::DbResult<QStringList>::failure(filled.error());
    return names;
}

vorlane::store::DbResult<QString> Session::searchLink(const QString& engine) {
    return vorlane::store::EngineStore(m_database.connection()).startPage(engine);
}

vorlane::store::DbStatus Session::addSearchEngine(const QString& name) {
    const vorlane::store::DbStatus added = vorlane::store::EngineStore(m_database.connection()).add(name);
    if (added)
        emit enginesChanged();
    return added;
}

vorlane::store::DbStatus Session::deleteSearchEngine(const QString& name) {
    const vorlane::store::DbStatus removed =
        vorlane::store::EngineStore(m_database.connection()).remove(name);
    if (removed)
        emit enginesChanged();
    return removed;
}

vorlane::store::DbStatus Session::setSearchLink(const QString& engine, const QString& link) {
    return vorlane::store::EngineStore(m_database.connection()).setStartPage(engine, link);
}

vorlane::store::DbResult<QStringList> Session::history(vorlane::store::CampaignType type) {
    QStringList sources;
    if (const vorlane::store::DbStatus filled =
            vorlane::store::HistoryStore(m_database.connection()).fillHistory(type, sources);
        !filled)
        return vorlane::store::DbResult<QStringList>::failure(filled.error());
    return sources;
}

vorlane::store::DbStatus Session::eraseHistory(vorlane::store::CampaignType type) {
    vorlane::store::HistoryStore store(m_database.connection());
    const vorlane::store::DbResult<int> newest = store.maxCampaignId(type);
    if (!newest)
        return vorlane::store::DbStatus::failure(newest.error());
    return store.clearHistory(type, newest.value());
}

vorlane::store::DbResult<QList<vorlane::store::CampaignRecord>> Session::campaigns() {
    return vorlane::store::CampaignStore(m_database.connection()).campaigns();
}

QString Session::campaignLabel(int campaignId) {
    if (const auto all = campaigns()) {
        for (const vorlane::store::CampaignRecord& campaign : all.value())
            if (campaign.id == campaignId)
                return campaign.label;
    }
    return QString::number(campaignId);
}

vorlane::store::DbResult<QList<vorlane::store::FileLinkRow>> Session::campaignLinks(int campaignId) {
    return vorlane::store::CampaignStore(m_database.connection()).campaignLinks(campaignId);
}

vorlane::store::DbStatus Session::loadCampaign(int campaignId) {
    const auto links = campaignLinks(campaignId);
    if (!links)
        return vorlane::store::DbStatus::failure(links.error());
    emit campaignLoaded(campaignId, links.value());
    return vorlane::store::dbOk();
}

bool Session::isRecording(int campaignId) const {
    for (const vorlane::crawl::CrawlEngine* engine : {&m_urlEngine, &m_webEngine}) {
        if (engine->isRunning() && (campaignId == 0 || engine->campaignId() == campaignId))
            return true;
    }
    return false;
}

vorlane::store::DbStatus Session::deleteCampaign(int campaignId) {
    const vorlane::store::DbStatus deleted =
        vorlane::store::CampaignStore(m_database.connection()).deleteCampaign(campaignId);
    if (!deleted)
        return deleted;
    emit campaignsDeleted();
    emit campaignsChanged();
    return vorlane::store::dbOk();
}

vorlane::store::DbStatus Session::deleteAllCampaigns() {
    const vorlane::store::DbStatus deleted =
        vorlane::store::CampaignStore(m_database.connection()).deleteAllCampaigns();
    vorlane::store::DbStatus markers = deleted;
    if (deleted) {
        // Every source is gone, so the histories start again from nothing.
        vorlane::store::HistoryStore history(m_database.connection());
        const vorlane::store::DbStatus url = history.clearHistory(vorlane::store::CampaignType::UrlSearch, 0);
        const vorlane::store::DbStatus web = history.clearHistory(vorlane::store::CampaignType::WebSearch, 0);
        markers = !url ? url : web;
    }
    emit campaignsDeleted();
    emit campaignsChanged();
    return markers;
}

void Session::clearResults(vorlane::store::CampaignType type) {
    emit resultsCleared(type);
}

vorlane::store::DbStatus Session::startUrlSearch(const QString& address, const QString& extensions,
                                                 int depth) {
    const vorlane::store::DbStatus started = m_urlEngine.startUrlCrawl(address, extensions, depth);
    if (started)
        emit campaignsChanged();
    return started;
}

vorlane::store::DbStatus Session::startWebSearch(const QString& keyword, const QString& extensions,
                                                 const QString& engine) {
    const vorlane::store::DbStatus started = m_webEngine.startWebCrawl(keyword, extensions, engine);
    if (started)
        emit campaignsChanged();
    return started;
}

void Session::pause(vorlane::store::CampaignType type) {
    vorlane::crawl::CrawlEngine& crawl = engine(type);
    if (!crawl.isRunning() || crawl.isPaused())
        return;
    crawl.pause();
    emit activityChanged(type == vorlane::store::CampaignType::UrlSearch
                             ? QStringLiteral("URL Search paused")
                             : QStringLiteral("Web Search paused"));
}

void Session::resume(vorlane::store::CampaignType type) {
    vorlane::crawl::CrawlEngine& crawl = engine(type);
    if (!crawl.isRunning() || !crawl.isPaused())
        return;
    crawl.resume();
    emit activityChanged(type == vorlane::store::CampaignType::UrlSearch
                             ? QStringLiteral("URL Search running...")
                             : QStringLiteral("Web Search running..."));
}

void Session::stop(vorlane::store::CampaignType type) {
    vorlane::crawl::CrawlEngine& crawl = engine(type);
    if (crawl.isRunning())
        crawl.stop();
}

bool Session::isRunning(vorlane::store::CampaignType type) const {
    return (type == vorlane::store::CampaignType::UrlSearch ? m_urlEngine : m_webEngine).isRunning();
}

bool Session::isPaused(vorlane::store::CampaignType type) const {
    return (type == vorlane::store::CampaignType::UrlSearch ? m_urlEngine : m_webEngine).isPaused();
}

vorlane::crawl::CrawlEngine& Session::engine(vorlane::store::CampaignType type) {
    return type == vorlane::store::CampaignType::UrlSearch ? m_urlEngine : m_webEngine;
}

void Session::shutDown() {
    m_urlEngine.abortAll();
    m_webEngine.abortAll();
    m_database.close();
}
