#pragma once
// The downloads of the session: the files asked for, their rows in DOWNLOADS and the download queue that
// fetches them. Windows and the command line state intent here (download these addresses, pause, resume,
// cancel, retry, remove) and listen to the signals. States are written to the database when they change,
// the bytes received at most every few seconds. The queue and its worker thread start with the first
// download, so a run without downloads never starts them.

#include "crawl/crawl_settings.h"
#include "download/download_queue.h"
#include "store/database.h"
#include "store/download_settings.h"
#include "store/download_store.h"
#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QSet>
#include <memory>

namespace vorlane::app {

using DownloadSettings = store::DownloadSettings;

class Downloads : public QObject {
    Q_OBJECT
public:
    explicit Downloads(store::Database& database, QObject* parent = nullptr);
    ~Downloads() override;

    // The settings in force. From the crawl's: the files at once when the settings leave it to the
    // connection, the time-out and the politeness options (per host).
    void useSettings(const DownloadSettings& settings, const crawl::CrawlSettings& crawl);
    const DownloadSettings& settings() const { return m_settings; }
    // Where files go when the settings name no folder: the user's download folder + "/Vorlane".
    static QString defaultFolder();
    // The folder new downloads of a campaign go to (`campaignSource` names its sub-folder).
    QString folderFor(int campaignId, const QString& campaignSource) const;

    // One row per address (blank lines skipped), in one transaction, then each is queued. `folder`
    // empty: folderFor(campaignId, campaignSource).
    store::DbResult<QList<qint64>> download(const QStringList& addresses, int campaignId = 0,
                                            const QString& folder = {});
    void pause(qint64 id);
    void resume(qint64 id);
    void cancel(qint64 id);
    void retry(qint64 id);             // a failed or cancelled one, from its partial where there is one
    store::DbStatus remove(qint64 id); // from the list; the file stays
    // The campaign's rows are about to go (every campaign's for 0): its downloads stop, their files stay.
    void forgetCampaign(int campaignId);

    store::DbResult<QList<store::DownloadRow>> rows();
    // Downloads that are not over (queued, active, paused): they resume at the next start.
    int unfinishedCount() const { return int(m_unfinished.size()); }
    // Some download is queued or running.
    bool isBusy() const { return !m_running.isEmpty(); }
    // At start-up: active and queued downloads queue again and resume, paused ones come back paused; a
    // download whose partial file vanished starts again from zero, with a note.
    store::DbStatus resumeStored();
    // Stops every transfer so that it resumes at the next start. Idempotent.
    void shutDown();

signals:
    void added(const vorlane::store::DownloadRow& row);
    void targetChosen(qint64 id, const QString& path);
    void stateChanged(qint64 id, vorlane::store::DownloadState state, const QString& error);
    void progressed(qint64 id, qint64 total, qint64 received, int bytesPerSecond);
    void removed(qint64 id);
    // Every download asked for is over (none queued or running): how many of them were done and failed.
    void batchFinished(int done, int failed);
    // A state or byte count could not be written.
    void storeFailed(const QString& error);

private:
    download::DownloadQueue& queue();
    download::DownloadOptions queueOptions() const;
    void onStateChanged(qint64 id, store::DownloadState state, const QString& error);
    void onProgress(qint64 id, qint64 total, qint64 received, int bytesPerSecond);
    void written(const store::DbStatus& status);
    void track(qint64 id, store::DownloadState state);

    store::Database& m_database;
    DownloadSettings m_settings;
    crawl::CrawlSettings m_crawl;
    std::unique_ptr<download::DownloadQueue> m_queue;
    QHash<qint64, QString> m_folders;           // this run's unnamed downloads: where they go
    QHash<qint64, QElapsedTimer> m_lastWritten; // when RECEIVED was last written
    QSet<qint64> m_unfinished;
    QSet<qint64> m_running; // queued or active
    int m_batchDone = 0;
    int m_batchFailed = 0;
    bool m_shutDown = false;
};

} // namespace vorlane::app
