#include "crawl/fetch_failure.h"

namespace vorlane::crawl {

namespace {

struct ReasonWords {
    FetchFailure reason;
    const char* key;
    const char* text;
};

// The keys are stored: a key once used keeps its meaning.
constexpr ReasonWords kReasons[] = {
    {FetchFailure::TimedOut, "timed-out", "timed out"},
    {FetchFailure::TooSlow, "too-slow", "too slow"},
    {FetchFailure::Refused, "refused", "connection refused"},
    {FetchFailure::TooLarge, "too-large", "too large"},
    {FetchFailure::NotPage, "not-page", "not a web page"},
    {FetchFailure::Filtered, "filtered", "filtered by a word"},
    {FetchFailure::Robots, "robots", "disallowed by robots.txt"},
    {FetchFailure::OtherSite, "other-site", "on another site"},
    {FetchFailure::Tls, "certificate", "certificate error"},
    {FetchFailure::HttpError, "http-error", "error status from the server"},
    {FetchFailure::Redirect, "redirect", "redirect refused"},
    {FetchFailure::QueueFull, "queue-full", "page queue full"},
    {FetchFailure::Other, "failed", "failed"},
};

const ReasonWords* wordsOf(FetchFailure reason) {
    for (const ReasonWords& words : kReasons)
        if (words.reason == reason)
            return &words;
    return nullptr;
}

} // namespace

QString failureText(FetchFailure reason) {
    const ReasonWords* words = wordsOf(reason);
    return words ? QString::fromLatin1(words->text) : QString();
}

QString failureKey(FetchFailure reason) {
    const ReasonWords* words = wordsOf(reason);
    return words ? QString::fromLatin1(words->key) : QString();
}

FetchFailure failureFromKey(const QString& key) {
    if (key.isEmpty())
        return FetchFailure::None;
    for (const ReasonWords& words : kReasons)
        if (key == QLatin1String(words.key))
            return words.reason;
    return FetchFailure::Other;
}

QList<FetchFailure> failureReasons() {
    QList<FetchFailure> reasons;
    for (const ReasonWords& words : kReasons)
        reasons.append(words.reason);
    return reasons;
}

bool isSkipReason(FetchFailure reason) {
    return reason == FetchFailure::Filtered || reason == FetchFailure::Robots ||
           reason == FetchFailure::OtherSite || reason == FetchFailure::QueueFull;
}

} // namespace vorlane::crawl
