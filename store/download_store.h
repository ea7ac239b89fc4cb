#pragma once
// The DOWNLOADS table: one row per file asked for, with its target path, state and bytes received. The
// download queue's states are written when they change; the byte count is written now and then by the
// caller, never on every progress report.

#include "db_result.h"
#include "download_state.h"
#include <QDateTime>
#include <QList>
#include <QSqlDatabase>

namespace vorlane::store {

struct DownloadRow {
    qint64 id = 0;
    int campaignId = 0; // 0: asked for outside a campaign
    QString url;
    QString target; // the full path; empty until the file is named
    DownloadState state = DownloadState::Queued;
    qint64 total = -1; // -1: not known
    qint64 received = 0;
    QString error; // why it failed, or a note on how it went
    QDateTime added;
    QDateTime finished; // invalid while it is not over
};

class DownloadStore {
public:
    explicit DownloadStore(QSqlDatabase db) : m_db(std::move(db)) {}

    // A queued row; yields its id.
    DbResult<qint64> add(int campaignId, const QString& url);
    DbStatus setTarget(qint64 id, const QString& target);
    // FINISHED is set when the state ends the download, and cleared otherwise.
    DbStatus setState(qint64 id, DownloadState state, const QString& error = {});
    DbStatus setProgress(qint64 id, qint64 total, qint64 received);
    DbResult<QList<DownloadRow>> downloads(); // by id
    DbResult<DownloadRow> download(qint64 id);
    DbStatus remove(qint64 id);

private:
    QSqlDatabase m_db;
};

} // namespace vorlane::store
