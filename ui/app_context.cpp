#include "app_context.h"

AppContext::AppContext(Database& database, MessageFacade& messages, UrlOpener& opener, QObject* parent)
    : QObject(parent), m_database(database), m_messages(messages), m_opener(opener),
      m_urlEngine(CampaignType::UrlSearch, database.connection(), m_filters),
      m_webEngine(CampaignType::WebSearch, database.connection(), m_filters)
{
}

AppContext::~AppContext()
{
    shutDown();
}

DbStatus AppContext::loadSettings()
{
    SettingsStore store(db());
    auto connection = store.loadConnectionType(m_connection);
    if (!connection)
        return DbStatus::failure(connection.error());
    auto filters = store.loadFilters();
    if (!filters)
        return DbStatus::failure(filters.error());
    m_connection = connection.value();
    m_filters = filters.value();
    m_urlEngine.setConnectionType(m_connection);
    m_webEngine.setConnectionType(m_connection);
    emit settingsReloaded();
    return dbOk();
}

DbStatus AppContext::saveSettings(const QString& connectionType, const QStringList& filters)
{
    auto saved = SettingsStore(db()).saveSettings(connectionType, filters);
    if (!saved)
        return saved;
    return loadSettings();
}

void AppContext::shutDown()
{
    m_urlEngine.abortAll();
    m_webEngine.abortAll();
    m_database.close();
}
