#pragma once
// Why a page's transfer brought no ordinary page, as a reason a crawl log can report in a few words.

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
    Tls,       // the TLS handshake failed: a certificate not trusted, expired or for another name (the
               // result's failureDetail says which)
    HttpError, // an error status (4xx, 5xx); its body still counts as a page
    Other      // a redirect loop, a protocol error, an address that cannot be fetched, ...
};

// A short text for the user ("timed out", "too large"); empty for None.
QString failureText(FetchFailure reason);

} // namespace vorlane::crawl
