#include "store/crawl_settings_store.h"

#include "store/queries.h"
#include "store/statement.h"
#include "store/user_settings.h"

#include <QSettings>

namespace vorlane::store {

DbResult<StoredCrawlSettings> CrawlSettingsStore::load() {
    const auto connection =
        queryFirstValue(m_db, QStringLiteral("SELECT \"CONNECTION\" FROM \"CONNECTION\" LIMIT 1"));
    if (!connection)
        return DbResult<StoredCrawlSettings>::failure(connection.error());
    StoredCrawlSettings settings;
    settings.connectionType = connection->toString().trimmed();
    if (const DbStatus status =
            fillList(m_db, QStringLiteral("SELECT FILTER FROM FILTERS ORDER BY rowid"), settings.filters);
        !status)
        return DbResult<StoredCrawlSettings>::failure(status.error());
    settings.policy = loadPolicy();
    return settings;
}

DbStatus CrawlSettingsStore::save(const StoredCrawlSettings& settings) {
    if (const DbStatus saved = saveDatabasePart(settings.connectionType, settings.filters); !saved)
        return saved;
    if (const QString error = savePolicy(settings.policy); !error.isEmpty())
        return DbStatus::failure(error);
    return dbOk();
}

CrawlPolicy CrawlSettingsStore::loadPolicy() {
    QSettings settings = openUserSettings();
    settings.beginGroup(QStringLiteral("Crawling"));
    CrawlPolicy policy;
    policy.sameSiteOnly = readBool(settings, QStringLiteral("SameSite"), policy.sameSiteOnly);
    policy.obeyRobots = readBool(settings, QStringLiteral("ObeyRobots"), policy.obeyRobots);
    policy.maxPerHost = readInt(settings, QStringLiteral("MaxPerHost"), policy.maxPerHost);
    policy.delayMsPerHost = readInt(settings, QStringLiteral("HostDelayMs"), policy.delayMsPerHost);
    policy.honourRetryAfter = readBool(settings, QStringLiteral("RetryAfter"), policy.honourRetryAfter);
    policy.maxQueuedPages = readInt(settings, QStringLiteral("MaxQueued"), policy.maxQueuedPages);
    return policy.clamped();
}

QString CrawlSettingsStore::savePolicy(const CrawlPolicy& policy) {
    const CrawlPolicy kept = policy.clamped();
    QSettings settings = openUserSettings();
    settings.beginGroup(QStringLiteral("Crawling"));
    settings.setValue(QStringLiteral("SameSite"), kept.sameSiteOnly);
    settings.setValue(QStringLiteral("ObeyRobots"), kept.obeyRobots);
    settings.setValue(QStringLiteral("MaxPerHost"), kept.maxPerHost);
    settings.setValue(QStringLiteral("HostDelayMs"), kept.delayMsPerHost);
    settings.setValue(QStringLiteral("RetryAfter"), kept.honourRetryAfter);
    settings.setValue(QStringLiteral("MaxQueued"), kept.maxQueuedPages);
    settings.endGroup();
    return syncUserSettings(settings, "crawling settings");
}

DbStatus CrawlSettingsStore::saveDatabasePart(const QString& connectionType, const QStringList& filters) {
    return runInTransaction(m_db, [&]() -> DbStatus {
        auto updated = execStatement(m_db, QStringLiteral("UPDATE \"CONNECTION\" SET \"CONNECTION\" = ?"),
                                     {textValue(connectionType.trimmed())});
        if (!updated)
            return DbStatus::failure(updated.error());
        // The table must hold its one row; a file that lost it gets it back rather than keeping no choice.
        if (*updated == 0) {
            auto inserted =
                execStatement(m_db, QStringLiteral("INSERT INTO \"CONNECTION\" (\"CONNECTION\") VALUES (?)"),
                              {textValue(connectionType.trimmed())});
            if (!inserted)
                return DbStatus::failure(inserted.error());
        }
        if (auto cleared = execStatement(m_db, QStringLiteral("DELETE FROM FILTERS")); !cleared)
            return DbStatus::failure(cleared.error());
        QSqlQuery insert(m_db);
        if (!insert.prepare(QStringLiteral("INSERT INTO FILTERS (FILTER) VALUES (?)")))
            return DbStatus::failure(dbErrorText(insert.lastError()));
        for (const QString& filter : filters) {
            if (const DbStatus status = execPrepared(insert, {textValue(filter)}); !status)
                return status;
        }
        return dbOk();
    });
}

} // namespace vorlane::store
