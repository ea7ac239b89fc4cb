#include "app_context.h"

#include "crawl_policy_settings.h"

AppContext::AppContext(Database& database, MessageFacade& messages, UrlOpener& opener, QObject* parent)
    : QObject(parent), m_database(database), m_messages(messages), m_opener(opener),
      m_urlEngine(CampaignType::UrlSearch, database.connection(), m_filters),
      m_webEngine(CampaignType::WebSearch, database.connection(), m_filters) {}

AppContext::~AppContext() {
    shutDown();
}

DbStatus AppContext::loadSettings() {
    SettingsStore store(db());
    auto connection = store.loadConnectionType(m_connection);
    if (!connection)
        return DbStatus::failure(connection.error());
    auto filters = store.loadFilters();
    if (!filters)
        return DbStatus::failure(filters.error());
    m_connection = connection.value();
    m_filters = filters.value();
    m_crawlPolicy = LoadCrawlPolicy();
    m_urlEngine.setConnectionType(m_connection);
    m_webEngine.setConnectionType(m_connection);
    m_urlEngine.setCrawlPolicy(m_crawlPolicy);
    m_webEngine.setCrawlPolicy(m_crawlPolicy);
    emit settingsReloaded();
    return dbOk();
}

DbStatus AppContext::saveSettings(const QString& connectionType, const QStringList& filters) {
    auto saved = SettingsStore(db()).saveSettings(connectionType, filters);
    if (!saved)
        return saved;
    return loadSettings();
}

DbStatus AppContext::saveSettings(const QString& connectionType, const QStringList& filters,
                                  const CrawlPolicy& policy) {
    auto saved = SettingsStore(db()).saveSettings(connectionType, filters);
    if (!saved)
        return saved;
    // The database part is in; a settings file that cannot be written is still reported, after the rest
    // has been reloaded.
    const QString error = SaveCrawlPolicy(policy);
    auto loaded = loadSettings();
    if (!error.isEmpty())
        return DbStatus::failure(error);
    return loaded;
}

void AppContext::shutDown() {
    m_urlEngine.abortAll();
    m_webEngine.abortAll();
    m_database.close();
}
