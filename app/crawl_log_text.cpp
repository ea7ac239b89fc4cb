#include "app/crawl_log_text.h"

#include "crawl/fetch_failure.h"

namespace vorlane::app {

namespace {

const QString kReasonPrefix = QStringLiteral("reason:");

} // namespace

LogOutcome logOutcome(const store::CrawlLogEntry& entry) {
    const crawl::FetchFailure reason = crawl::failureFromKey(entry.reason);
    if (reason == crawl::FetchFailure::None)
        return LogOutcome::Fetched;
    return crawl::isSkipReason(reason) ? LogOutcome::Skipped : LogOutcome::Failed;
}

QString outcomeWord(LogOutcome outcome) {
    switch (outcome) {
    case LogOutcome::Fetched:
        return QStringLiteral("fetched");
    case LogOutcome::Failed:
        return QStringLiteral("failed");
    case LogOutcome::Skipped:
        break;
    }
    return QStringLiteral("skipped");
}

QString outcomeText(const store::CrawlLogEntry& entry) {
    const crawl::FetchFailure reason = crawl::failureFromKey(entry.reason);
    const QString text =
        reason == crawl::FetchFailure::None ? outcomeWord(LogOutcome::Fetched) : crawl::failureText(reason);
    return entry.detail.isEmpty() ? text : text + QStringLiteral(": ") + entry.detail;
}

bool LogFilter::matches(const store::CrawlLogEntry& entry) const {
    if (key.isEmpty())
        return true;
    if (key.startsWith(kReasonPrefix))
        return entry.reason == QStringView(key).mid(kReasonPrefix.size());
    return key == outcomeWord(logOutcome(entry));
}

QList<LogFilter> logFilters() {
    QList<LogFilter> filters{{QStringLiteral("All pages"), QString()}};
    for (const LogOutcome outcome : {LogOutcome::Fetched, LogOutcome::Failed, LogOutcome::Skipped}) {
        const QString word = outcomeWord(outcome);
        filters.append({word.at(0).toUpper() + word.mid(1), word});
    }
    for (const crawl::FetchFailure reason : crawl::failureReasons()) {
        const QString text = crawl::failureText(reason);
        filters.append({QStringLiteral("  ") + text.at(0).toUpper() + text.mid(1),
                        kReasonPrefix + crawl::failureKey(reason)});
    }
    return filters;
}

QJsonObject logEntryJson(const store::CrawlLogEntry& entry) {
    return {
        {QStringLiteral("address"), entry.address},
        {QStringLiteral("level"), entry.level},
        {QStringLiteral("outcome"), outcomeWord(logOutcome(entry))},
        {QStringLiteral("reason"), entry.reason},
        {QStringLiteral("status"), entry.httpStatus},
        {QStringLiteral("bytes"), entry.bytes},
        {QStringLiteral("links"), entry.links},
        {QStringLiteral("files"), entry.files},
        {QStringLiteral("ms"), entry.elapsedMs},
        {QStringLiteral("detail"), entry.detail},
    };
}

} // namespace vorlane::app
