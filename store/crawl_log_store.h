#pragma once
// The crawl log: one entry per page a search requested or passed over, kept per campaign in CRAWLLOG.
// Entries are written in batches (one transaction each) so that logging costs the crawl next to nothing;
// a campaign keeps its newest `cap` entries, the oldest going first. Deleting a campaign deletes its log
// (a trigger of the schema).

#include "db_result.h"
#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <memory>

namespace vorlane::store {

inline constexpr int kCrawlLogCap = 200000;

struct CrawlLogEntry {
    QString address;
    QString level;      // "level 2" or "Engine: name", as the second status panel showed it
    QString reason;     // why it brought no ordinary page, as a stable word; empty for a page that came whole
    int httpStatus = 0; // 0 when no answer came
    qint64 bytes = 0;
    int links = 0; // links found on the page
    int files = 0; // files recorded from it
    int elapsedMs = 0;
    QString detail; // what the reason alone does not say (a certificate error's text); usually empty
    bool operator==(const CrawlLogEntry&) const = default;
};

class CrawlLogStore {
public:
    explicit CrawlLogStore(QSqlDatabase db, int cap = kCrawlLogCap);
    ~CrawlLogStore();

    // Appends the entries in order, in one transaction, then drops the campaign's oldest past the cap.
    DbStatus append(int campaignId, const QList<CrawlLogEntry>& entries);
    // The campaign's entries, oldest first.
    DbResult<QList<CrawlLogEntry>> entries(int campaignId);

private:
    struct Prepared;
    DbStatus ensurePrepared();
    DbStatus insertAll(int campaignId, const QList<CrawlLogEntry>& entries);
    DbStatus trim(int campaignId);

    QSqlDatabase m_db;
    int m_cap;
    QHash<int, qint64> m_counts; // entries per campaign, read once per campaign
    std::unique_ptr<Prepared> m_prepared;
};

} // namespace vorlane::store
