#include "crawl/crawl_settings.h"

#include "store/crawl_settings_store.h"

#include <algorithm>

namespace vorlane::crawl {

// Slow dial-up and ISDN links get few parallel fetches, since more would only share the same thin line and
// make every page time out; the broadband types and "Unknown" (most users today) get 8. "T2" counts like
// "T1".
std::optional<ConnectionProfile> connectionProfileOf(const QString& connectionType) {
    struct Known {
        const char* text;
        ConnectionProfile profile;
    };
    static constexpr Known known[] = {
        {"Unknown", {30, 8}}, {"33k", {30, 2}}, {"56k", {20, 2}}, {"ISDN", {15, 4}},
        {"Cable", {10, 8}},   {"DSL", {10, 8}}, {"T1", {10, 8}},  {"T2", {10, 8}},
    };
    const QString trimmed = connectionType.trimmed();
    for (const Known& k : known) {
        if (trimmed == QLatin1String(k.text))
            return k.profile;
    }
    return std::nullopt;
}

// However slowly a server trickles a page out, the crawl moves on within this while.
int CrawlSettings::pageDeadlineMs() const {
    if (deadlineSeconds > 0)
        return deadlineSeconds * 1000;
    const int seconds =
        timeoutSeconds > 0 ? std::min(4 * timeoutSeconds, kMaxDeadlineSeconds) : kMaxDeadlineSeconds;
    return seconds * 1000;
}

CrawlSettings CrawlSettings::fromStored(const store::StoredCrawlSettings& stored,
                                        const CrawlSettings& previous) {
    CrawlSettings settings = previous;
    if (const auto profile = connectionProfileOf(stored.connectionType)) {
        settings.connectionType = stored.connectionType.trimmed();
        settings.timeoutSeconds = profile->timeoutSeconds;
        settings.concurrency = profile->concurrency;
    }
    settings.filters = stored.filters;
    settings.policy = stored.policy.clamped();
    return settings;
}

} // namespace vorlane::crawl
