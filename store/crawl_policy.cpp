#include "store/crawl_policy.h"

#include <algorithm>

namespace vorlane::store {

CrawlPolicy CrawlPolicy::clamped() const {
    CrawlPolicy policy = *this;
    policy.maxPerHost = std::clamp(maxPerHost, 0, kMaxRequestsPerHost);
    policy.delayMsPerHost = std::clamp(delayMsPerHost, 0, kMaxHostDelayMs);
    policy.maxQueuedPages = std::clamp(maxQueuedPages, 1, kMaxQueuedPagesLimit);
    return policy;
}

} // namespace vorlane::store
