#pragma once
// How a crawl log entry reads: its outcome in a word or two, the choices a log view filters by, and the
// JSON object the command line writes for it.

#include "store/crawl_log_store.h"
#include <QJsonObject>
#include <QList>
#include <QString>

namespace vorlane::app {

enum class LogOutcome { Fetched, Failed, Skipped };

LogOutcome logOutcome(const store::CrawlLogEntry& entry);
// "fetched", "failed", "skipped".
QString outcomeWord(LogOutcome outcome);
// "fetched" for a page that came whole, otherwise why not ("timed out", "filtered by a word"), with the
// entry's detail after a colon when it has one.
QString outcomeText(const store::CrawlLogEntry& entry);

// A way to narrow a log: everything, one outcome, or one reason.
struct LogFilter {
    QString text; // as a list offers it
    QString key;  // "" everything, "fetched", "failed", "skipped", or "reason:" and a reason's word
    bool matches(const store::CrawlLogEntry& entry) const;
};
// Everything, the three outcomes, then every reason.
QList<LogFilter> logFilters();

// {"address":…, "level":…, "outcome":"failed", "reason":"timed-out", "status":0, "bytes":0, "links":0,
// "files":0, "ms":30012, "detail":""}
QJsonObject logEntryJson(const store::CrawlLogEntry& entry);

} // namespace vorlane::app
