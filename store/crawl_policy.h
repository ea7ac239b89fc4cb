#pragma once
// How considerately a crawl treats the sites it visits: the options as stored. Every option defaults to off
// (or zero), and a crawl with the defaults requests exactly what it always did, in the same order.

namespace vorlane::store {

// A server that asks for a longer pause than this is taken to mean "not now": the retry comes after this.
inline constexpr int kMaxRetryAfterSeconds = 60;
inline constexpr int kMaxHostDelayMs = 60000;
inline constexpr int kMaxRequestsPerHost = 64;
inline constexpr int kDefaultMaxQueuedPages = 2000000;
inline constexpr int kMaxQueuedPagesLimit = 100000000;

struct CrawlPolicy {
    // URL search only: pages are crawled only on the start address's site (see sameSite). Files found on
    // those pages are recorded wherever they are. A web search follows results to any site by its nature,
    // so there the option does not apply.
    bool sameSiteOnly = false;
    // robots.txt is fetched once per scheme, host and port and obeyed for the "Vorlane" agent (or "*").
    // Pages it disallows are neither fetched nor shown, like filtered ones. The start page is exempt: the
    // user asked for that one page by name, as a browser would.
    bool obeyRobots = false;
    int maxPerHost = 0;     // transfers at once to one host; 0: no limit beyond the connection's
    int delayMsPerHost = 0; // at least this long between one request to a host and the next
    // On 429 or 503 with Retry-After: wait as told (at most kMaxRetryAfterSeconds), then retry once.
    bool honourRetryAfter = false;
    // The page queue's bound, which keeps a crawl's memory in check: past it no more pages are queued
    // (files found on the pages crawled are still recorded).
    int maxQueuedPages = kDefaultMaxQueuedPages;

    // Whether any transfer may have to wait for the policy.
    bool gatesTransfers() const { return obeyRobots || maxPerHost > 0 || delayMsPerHost > 0; }
    bool isDefault() const { return !sameSiteOnly && !gatesTransfers() && !honourRetryAfter; }
    // Out-of-range numbers (from a hand-edited settings file) pulled into range.
    CrawlPolicy clamped() const;
    bool operator==(const CrawlPolicy&) const = default;
};

} // namespace vorlane::store
