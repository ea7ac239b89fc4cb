#include "campaign_store.h"
#include "statement.h"

namespace vorlane::store {

struct CampaignStore::Prepared {
    explicit Prepared(const QSqlDatabase& db) : insertCampaign(db), insertLink(db), selectLinks(db) {}
    QSqlQuery insertCampaign;
    QSqlQuery insertLink;
    QSqlQuery selectLinks;
    bool ready = false;
};

CampaignStore::CampaignStore(QSqlDatabase db) : m_db(std::move(db)) {}

CampaignStore::~CampaignStore() = default;

static DbStatus prepareOne(QSqlQuery& query, const QString& sql) {
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        return DbStatus::failure(dbErrorText(query.lastError()));
    return dbOk();
}

// The statements are compiled on first use rather than in the constructor, so that a store made before
// the connection is usable reports the failure where a caller can show it.
DbStatus CampaignStore::ensurePrepared() {
    if (m_prepared && m_prepared->ready)
        return dbOk();
    auto fresh = std::make_unique<Prepared>(m_db);
    DbStatus status =
        prepareOne(fresh->insertCampaign,
                   QStringLiteral("INSERT INTO CAMPAIGNS (CAMPTYPEID, CAMPAIGNSOURCE) VALUES (?, ?)"));
    // ON CONFLICT DO NOTHING against the unique (campaign, URL) index: the changed-row count then says
    // whether the link was new, without a separate look-up.
    if (status)
        status =
            prepareOne(fresh->insertLink, QStringLiteral("INSERT INTO FILELINKS (CAMPAIGNID, URL, FOUNDON) "
                                                         "VALUES (?, ?, ?) ON CONFLICT DO NOTHING"));
    if (status)
        status = prepareOne(fresh->selectLinks, QStringLiteral("SELECT URL, FOUNDON FROM FILELINKS "
                                                               "WHERE CAMPAIGNID = ? ORDER BY rowid"));
    if (!status)
        return status;
    fresh->ready = true;
    m_prepared = std::move(fresh);
    return dbOk();
}

DbResult<int> CampaignStore::createCampaign(CampaignType type, const QString& source) {
    if (const DbStatus status = ensurePrepared(); !status)
        return DbResult<int>::failure(status.error());
    QSqlQuery& query = m_prepared->insertCampaign;
    if (const DbStatus status = execPrepared(query, {int(type), textValue(source)}); !status)
        return DbResult<int>::failure(status.error());
    const int id = query.lastInsertId().toInt();
    query.finish();
    return id;
}

DbResult<bool> CampaignStore::recordFileLink(int campaignId, const QString& url, const QString& foundOn) {
    if (const DbStatus status = ensurePrepared(); !status)
        return DbResult<bool>::failure(status.error());
    QSqlQuery& query = m_prepared->insertLink;
    const QVariant foundOnValue =
        foundOn.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(foundOn);
    if (const DbStatus status = execPrepared(query, {campaignId, textValue(url), foundOnValue}); !status)
        return DbResult<bool>::failure(status.error());
    const bool inserted = query.numRowsAffected() > 0;
    query.finish();
    return inserted;
}

DbResult<QList<bool>> CampaignStore::recordFileLinks(int campaignId, const QStringList& urls,
                                                     const QString& foundOn, QDeadlineTimer budget) {
    QList<bool> inserted;
    inserted.reserve(urls.size());
    const DbStatus status = runInTransaction(m_db, [&]() -> DbStatus {
        for (const QString& url : urls) {
            const DbResult<bool> one = recordFileLink(campaignId, url, foundOn);
            if (!one)
                return DbStatus::failure(one.error());
            inserted.append(one.value());
            if (budget.hasExpired())
                break;
        }
        return dbOk();
    });
    if (!status)
        return DbResult<QList<bool>>::failure(status.error());
    return inserted;
}

DbResult<QList<CampaignRecord>> CampaignStore::campaigns() {
    QSqlQuery query(m_db);
    const DbStatus status = execQuery(
        query,
        QStringLiteral("SELECT c.CAMPAIGNID, c.CAMPTYPEID, c.CAMPAIGNSOURCE, "
                       "CAST(c.CAMPAIGNID AS TEXT) || ' - ' || t.CAMPAIGNTYPE || ' - ' || c.CAMPAIGNSOURCE "
                       "FROM CAMPAIGNS c JOIN CAMPAIGNTYPES t ON c.CAMPTYPEID = t.CAMPTYPEID "
                       "ORDER BY c.CAMPAIGNID"));
    if (!status)
        return DbResult<QList<CampaignRecord>>::failure(status.error());
    QList<CampaignRecord> campaigns;
    while (query.next())
        campaigns.append({query.value(0).toInt(), CampaignType(query.value(1).toInt()), query.value(2).toString(),
                          query.value(3).toString()});
    if (query.lastError().isValid())
        return DbResult<QList<CampaignRecord>>::failure(dbErrorText(query.lastError()));
    return campaigns;
}

DbResult<QList<FileLinkRow>> CampaignStore::campaignLinks(int campaignId) {
    if (const DbStatus status = ensurePrepared(); !status)
        return DbResult<QList<FileLinkRow>>::failure(status.error());
    QSqlQuery& query = m_prepared->selectLinks;
    if (const DbStatus status = execPrepared(query, {campaignId}); !status)
        return DbResult<QList<FileLinkRow>>::failure(status.error());
    QList<FileLinkRow> rows;
    while (query.next())
        rows.append({query.value(0).toString(), query.value(1).toString()});
    const QSqlError error = query.lastError();
    query.finish();
    if (error.isValid())
        return DbResult<QList<FileLinkRow>>::failure(dbErrorText(error));
    return rows;
}

DbStatus CampaignStore::deleteCampaign(int campaignId) {
    return runInTransaction(m_db, [&]() -> DbStatus {
        if (auto r = execStatement(m_db, QStringLiteral("DELETE FROM FILELINKS WHERE CAMPAIGNID = ?"),
                                   {campaignId});
            !r)
            return DbStatus::failure(r.error());
        // The downloaded files stay; only the rows go.
        if (auto r = execStatement(m_db, QStringLiteral("DELETE FROM DOWNLOADS WHERE CAMPAIGNID = ?"),
                                   {campaignId});
            !r)
            return DbStatus::failure(r.error());
        if (auto r = execStatement(m_db, QStringLiteral("DELETE FROM CAMPAIGNS WHERE CAMPAIGNID = ?"),
                                   {campaignId});
            !r)
            return DbStatus::failure(r.error());
        return dbOk();
    });
}

DbStatus CampaignStore::deleteAllCampaigns() {
    return runInTransaction(m_db, [&]() -> DbStatus {
        if (auto r = execStatement(m_db, QStringLiteral("DELETE FROM FILELINKS")); !r)
            return DbStatus::failure(r.error());
        if (auto r =
                execStatement(m_db, QStringLiteral("DELETE FROM DOWNLOADS WHERE CAMPAIGNID IS NOT NULL"));
            !r)
            return DbStatus::failure(r.error());
        if (auto r = execStatement(m_db, QStringLiteral("DELETE FROM CAMPAIGNS")); !r)
            return DbStatus::failure(r.error());
        return dbOk();
    });
}

} // namespace vorlane::store
