#include "crawl/fetch_failure.h"

namespace vorlane::crawl {

QString failureText(FetchFailure reason) {
    switch (reason) {
    case FetchFailure::None:
        return {};
    case FetchFailure::TimedOut:
        return QStringLiteral("timed out");
    case FetchFailure::TooSlow:
        return QStringLiteral("too slow");
    case FetchFailure::Refused:
        return QStringLiteral("connection refused");
    case FetchFailure::TooLarge:
        return QStringLiteral("too large");
    case FetchFailure::NotPage:
        return QStringLiteral("not a web page");
    case FetchFailure::Filtered:
        return QStringLiteral("filtered by a word");
    case FetchFailure::Robots:
        return QStringLiteral("disallowed by robots.txt");
    case FetchFailure::Tls:
        return QStringLiteral("certificate error");
    case FetchFailure::HttpError:
        return QStringLiteral("error status from the server");
    case FetchFailure::Other:
        break;
    }
    return QStringLiteral("failed");
}

} // namespace vorlane::crawl
