#pragma once
// The crawl settings as stored, behind one load and one save: the connection type and the URL filter words
// live in the database, the politeness options in the per-user settings (organisation and application
// "Vorlane", group "Crawling"). Missing or unreadable politeness values read as the defaults, numbers out
// of range are pulled in.

#include "store/crawl_policy.h"
#include "store/db_result.h"
#include <QSqlDatabase>
#include <QStringList>

namespace vorlane::store {

struct StoredCrawlSettings {
    QString connectionType; // as stored, trimmed
    QStringList filters;    // stored order
    CrawlPolicy policy;
    bool operator==(const StoredCrawlSettings&) const = default;
};

class CrawlSettingsStore {
public:
    explicit CrawlSettingsStore(QSqlDatabase db) : m_db(std::move(db)) {}

    DbResult<StoredCrawlSettings> load();
    // The database part (connection type and the whole filter list) in one transaction, so on failure
    // the old settings stay whole; the politeness options after it, and only when it succeeded. A settings
    // file that cannot be written is reported after the database part is in.
    DbStatus save(const StoredCrawlSettings& settings);

    // The politeness options alone (the per-user part).
    static CrawlPolicy loadPolicy();
    // Empty on success, otherwise why the settings could not be written.
    static QString savePolicy(const CrawlPolicy& policy);

private:
    DbStatus saveDatabasePart(const QString& connectionType, const QStringList& filters);

    QSqlDatabase m_db;
};

} // namespace vorlane::store
