#pragma once

namespace vorlane::store {

// The two kinds of search; the numbers are the stored CAMPTYPEID values.

enum class CampaignType { UrlSearch = 1, WebSearch = 2 };

} // namespace vorlane::store
