#pragma once
// Why a page's transfer brought no ordinary page, as a reason a crawl log can report in a few words.

#include <QList>
#include <QString>

namespace vorlane::crawl {

enum class FetchFailure {
    None,      // a page came whole
    TimedOut,  // no answer within the time-out
    TooSlow,   // the page did not come whole within its deadline (a trickling server)
    Refused,   // connection refused or reset, host not found
    TooLarge,  // the body, inflated when compressed, passed kMaxPageBytes
    NotPage,   // the headers named another type than HTML
    Filtered,  // not fetched: a filter word is in the address
    Robots,    // not fetched: robots.txt disallows it
    OtherSite, // not fetched: the search stays on its start address's site
    Tls,       // the TLS handshake failed: a certificate not trusted, expired or for another name (the
               // result's failureDetail says which)
    HttpError, // an error status (4xx, 5xx); its body still counts as a page
    Redirect,  // a redirect refused: from https to http, or too many of them
    QueueFull, // not queued: the page queue holds its bound (logged once, for the first page left out)
    Other      // a redirect loop, a protocol error, an address that cannot be fetched, ...
};

// A short text for the user ("timed out", "too large"); empty for None.
QString failureText(FetchFailure reason);
// A stable word for the reason ("timed-out", "robots"), as logs store and write it; empty for None.
QString failureKey(FetchFailure reason);
// The reason a key names; Other for a key no reason has (a log written by a later version).
FetchFailure failureFromKey(const QString& key);
// Every reason but None, in the order a list of them offers.
QList<FetchFailure> failureReasons();
// A page passed over without a transfer, rather than one whose transfer failed.
bool isSkipReason(FetchFailure reason);

} // namespace vorlane::crawl
