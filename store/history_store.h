#pragma once
// Search history: the distinct sources of earlier campaigns of one type above that type's cleared marker.

#include "campaign_type.h"
#include "db_result.h"
#include <QSqlDatabase>
#include <QStringList>

namespace vorlane::store {

class HistoryStore {
public:
    explicit HistoryStore(QSqlDatabase db) : m_db(std::move(db)) {}

    // Appends to `list` (never clears it).
    DbStatus fillHistory(CampaignType type, QStringList& list);
    // At least the highest campaign id recorded so far (0 when none).
    DbResult<int> maxCampaignId(CampaignType type);
    // Afterwards the type's marker equals `campaignId` (0 shows every source again).
    DbStatus clearHistory(CampaignType type, int campaignId);
    DbResult<int> clearedMarker(CampaignType type);

private:
    QSqlDatabase m_db;
};

} // namespace vorlane::store
