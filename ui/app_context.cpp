#include "app_context.h"

#include "store/crawl_settings_store.h"

AppContext::AppContext(Database& database, MessageFacade& messages, UrlOpener& opener, QObject* parent)
    : QObject(parent), m_database(database), m_messages(messages), m_opener(opener),
      m_urlEngine(CampaignType::UrlSearch, database.connection()),
      m_webEngine(CampaignType::WebSearch, database.connection()) {}

AppContext::~AppContext() {
    shutDown();
}

DbStatus AppContext::loadSettings() {
    auto stored = CrawlSettingsStore(db()).load();
    if (!stored)
        return DbStatus::failure(stored.error());
    m_settings = CrawlSettings::fromStored(stored.value(), m_settings);
    m_urlEngine.setSettings(m_settings);
    m_webEngine.setSettings(m_settings);
    emit settingsReloaded();
    return dbOk();
}

DbStatus AppContext::saveSettings(const QString& connectionType, const QStringList& filters,
                                  const CrawlPolicy& policy) {
    const DbStatus saved = CrawlSettingsStore(db()).save({connectionType, filters, policy});
    // A settings file that could not be written is still reported, after the rest has been reloaded.
    auto loaded = loadSettings();
    if (!saved)
        return saved;
    return loaded;
}

void AppContext::shutDown() {
    m_urlEngine.abortAll();
    m_webEngine.abortAll();
    m_database.close();
}
