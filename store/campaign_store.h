#pragma once
// Campaigns and their file links. Campaign ids are assigned by the database and never repeat.

#include "campaign_type.h"
#include "db_result.h"
#include <QDeadlineTimer>
#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <memory>

namespace vorlane::store {

struct FileLinkRow {
    QString url;
    QString foundOn; // the page the link was found on; empty for links recorded before that was kept
};

struct CampaignRecord {
    int id = 0;
    CampaignType type = CampaignType::UrlSearch;
    QString source; // the start address or the keyword
    QString label;  // "<id> - <type name> - <source>", as the campaign is listed and exported
};

class CampaignStore {
public:
    explicit CampaignStore(QSqlDatabase db);
    ~CampaignStore();

    // Inserts a campaign and returns its new id.
    DbResult<int> createCampaign(CampaignType type, const QString& source);
    // The duplicate test and the insert in one indexed step: true when the link was new for the campaign
    // (URL compared without letter case), false when it was already recorded.
    DbResult<bool> recordFileLink(int campaignId, const QString& url, const QString& foundOn = {});
    // The same for `urls` in order, in one transaction that ends once all are recorded or `budget` has run
    // out (after at least one). Per link handled, whether it was new; on failure nothing of it is kept.
    DbResult<QList<bool>> recordFileLinks(int campaignId, const QStringList& urls, const QString& foundOn,
                                          QDeadlineTimer budget = QDeadlineTimer(QDeadlineTimer::Forever));
    // Every campaign, ordered by id.
    DbResult<QList<CampaignRecord>> campaigns();
    DbResult<QList<FileLinkRow>> campaignLinks(int campaignId);
    // Each deletes the campaign rows, their links and their download rows in one transaction (the
    // downloaded files stay).
    DbStatus deleteCampaign(int campaignId);
    DbStatus deleteAllCampaigns();

private:
    struct Prepared;
    DbStatus ensurePrepared();

    QSqlDatabase m_db;
    std::unique_ptr<Prepared> m_prepared; // statements prepared once, on first use
};

} // namespace vorlane::store
