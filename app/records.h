#pragma once
// The values the windows exchange with the session: the kinds of search, campaign records, file links and
// the outcome of a database call (a value, or the database's error text to show).

#include "store/campaign_store.h"
#include "store/campaign_type.h"
#include "store/db_result.h"

namespace vorlane::app {} // namespace vorlane::app
