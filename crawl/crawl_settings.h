#pragma once
// Everything a crawl is run with, as one value: the transfer time-out and the pages fetched at once (the
// connection type's profile), the deadline of a page, the URL filter words and the politeness options.

#include "store/crawl_policy.h"
#include <QString>
#include <QStringList>
#include <optional>

namespace vorlane::store {
struct StoredCrawlSettings;
}

namespace vorlane::crawl {

inline constexpr int kMaxDeadlineSeconds = 120;

// The connection types offered to the user, in the order shown.
inline const QStringList kConnectionTypes = {"Unknown", "33k", "56k", "ISDN", "Cable", "DSL", "T1", "T2"};

struct ConnectionProfile {
    int timeoutSeconds; // per transfer
    int concurrency;    // pages fetched at once
    bool operator==(const ConnectionProfile&) const = default;
};

// The profile of a connection type's text (surrounding blanks ignored; letter case counts); nullopt for a
// text that is none of the known types.
std::optional<ConnectionProfile> connectionProfileOf(const QString& connectionType);

struct CrawlSettings {
    QString connectionType = QStringLiteral("Unknown");
    int timeoutSeconds = 30;
    int concurrency = 8;
    int deadlineSeconds = 0; // for a whole page; 0: four times the time-out, at most kMaxDeadlineSeconds
    QStringList filters;
    store::CrawlPolicy policy;

    // The stored settings in force. A connection type that is none of the known ones keeps `previous`'s
    // type, time-out and concurrency, as if it had not been saved.
    int pageDeadlineMs() const;
    static CrawlSettings fromStored(const store::StoredCrawlSettings& stored, const CrawlSettings& previous);
    bool operator==(const CrawlSettings&) const = default;
};

} // namespace vorlane::crawl
