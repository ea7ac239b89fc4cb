#include "history_store.h"
#include "queries.h"
#include "statement.h"

namespace vorlane::store {

static QString markerColumn(CampaignType type) {
    return type == CampaignType::UrlSearch ? QStringLiteral("URLLastClearedCampID")
                                           : QStringLiteral("WebLastClearedCampID");
}

DbStatus HistoryStore::fillHistory(CampaignType type, QStringList& list) {
    // Sources that differ only in letter case are one entry (the column compares without case); each is
    // listed in the spelling and at the place of its first campaign. MIN() in the select list makes
    // SQLite take the bare CAMPAIGNSOURCE from that first row.
    const QString sql = QStringLiteral("SELECT CAMPAIGNSOURCE, MIN(CAMPAIGNID) AS FIRSTID FROM CAMPAIGNS "
                                       "WHERE CAMPTYPEID = ? AND CAMPAIGNID > "
                                       "(SELECT COALESCE(MAX(%1), 0) FROM ClearedHistory) "
                                       "GROUP BY CAMPAIGNSOURCE ORDER BY FIRSTID")
                            .arg(markerColumn(type));
    return fillList(m_db, sql, list, {int(type)});
}

DbResult<int> HistoryStore::maxCampaignId(CampaignType) {
    // Every campaign, whatever its type: erasing one kind's history must also hide the other kind's
    // campaigns that were made before it, as both share one id sequence.
    const auto value =
        queryFirstValue(m_db, QStringLiteral("SELECT COALESCE(MAX(CAMPAIGNID), 0) FROM CAMPAIGNS"));
    if (!value)
        return DbResult<int>::failure(value.error());
    return value->toInt();
}

DbStatus HistoryStore::clearHistory(CampaignType type, int campaignId) {
    const QString column = markerColumn(type);
    return runInTransaction(m_db, [&]() -> DbStatus {
        // Every row gets the value, so that MAX() over the table is exactly the new marker, also when it is
        // lower than before.
        auto updated =
            execStatement(m_db, QStringLiteral("UPDATE ClearedHistory SET %1 = ?").arg(column), {campaignId});
        if (!updated)
            return DbStatus::failure(updated.error());
        if (*updated == 0) {
            auto inserted = execStatement(
                m_db, QStringLiteral("INSERT INTO ClearedHistory (%1) VALUES (?)").arg(column), {campaignId});
            if (!inserted)
                return DbStatus::failure(inserted.error());
        }
        return dbOk();
    });
}

DbResult<int> HistoryStore::clearedMarker(CampaignType type) {
    const auto value = queryFirstValue(
        m_db, QStringLiteral("SELECT COALESCE(MAX(%1), 0) FROM ClearedHistory").arg(markerColumn(type)));
    if (!value)
        return DbResult<int>::failure(value.error());
    return value->toInt();
}

} // namespace vorlane::store
