#pragma once
// Collects the crawl log entries of the running searches and writes them in batches: when enough have
// gathered, a second after the first of a batch, when a search ends and before anyone reads the log. The
// crawl thus never waits for a write of its own entry.

#include "store/crawl_log_store.h"
#include <QHash>
#include <QObject>
#include <QSet>
#include <QSqlDatabase>
#include <QTimer>
#include <optional>

namespace vorlane::app {

class CrawlLogRecorder : public QObject {
    Q_OBJECT
public:
    static constexpr int kBatchEntries = 500;
    static constexpr int kBatchMs = 1000;

    explicit CrawlLogRecorder(QSqlDatabase db, int cap = store::kCrawlLogCap, QObject* parent = nullptr);

    void add(int campaignId, const store::CrawlLogEntry& entry);
    // Writes what has gathered. A batch that cannot be written is let go: the log must never hold up or
    // end a search.
    store::DbStatus flush();
    // The campaign's entries, oldest first, the gathered ones included.
    store::DbResult<QList<store::CrawlLogEntry>> entries(int campaignId);
    // The campaigns are gone: what gathers for them from now on is let go.
    void forget(const QList<int>& campaignIds);
    // Writes what has gathered and lets go of the connection; the next add() takes it again.
    void close();

private:
    QString m_connectionName;
    int m_cap;
    std::optional<store::CrawlLogStore> m_store;
    QHash<int, QList<store::CrawlLogEntry>> m_pending;
    int m_pendingCount = 0;
    QSet<int> m_forgotten;
    QTimer m_timer;
};

} // namespace vorlane::app
