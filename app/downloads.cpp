#include "app/downloads.h"

#include "crawl/fetcher.h"
#include "download/file_naming.h"
#include "store/campaign_store.h"
#include "store/statement.h"
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

namespace vorlane::app {

using store::DownloadState;

namespace {
// RECEIVED is written at most this often per download while it runs.
constexpr qint64 kProgressWriteMs = 3000;

bool isRunningState(DownloadState state) {
    return state == DownloadState::Queued || state == DownloadState::Active;
}

} // namespace

QString Downloads::defaultFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::DownloadLocation) + QStringLiteral("/Vorlane");
}

Downloads::Downloads(store::Database& database, QObject* parent) : QObject(parent), m_database(database) {}

Downloads::~Downloads() {
    shutDown();
}

void Downloads::useSettings(const DownloadSettings& settings, const crawl::CrawlSettings& crawl) {
    m_settings = settings;
    m_crawl = crawl;
    if (m_queue)
        m_queue->setOptions(queueOptions());
}

download::DownloadOptions Downloads::queueOptions() const {
    download::DownloadOptions options;
    options.transfer.filesAtOnce = m_settings.filesAtOnce > 0 ? m_settings.filesAtOnce : m_crawl.concurrency;
    options.transfer.connectionsPerServer = std::clamp(m_settings.connectionsPerServer, 1, 4);
    options.transfer.timeoutSeconds = m_crawl.timeoutSeconds;
    options.transfer.userAgent = crawl::crawlerUserAgent();
    options.maxFileSize = m_settings.maxFileSize;
    options.maxPerHost = m_crawl.policy.maxPerHost;
    options.delayMsPerHost = m_crawl.policy.delayMsPerHost;
    return options;
}

download::DownloadQueue& Downloads::queue() {
    if (!m_queue) {
        m_queue = std::make_unique<download::DownloadQueue>(queueOptions());
        connect(m_queue.get(), &download::DownloadQueue::stateChanged, this, &Downloads::onStateChanged);
        connect(m_queue.get(), &download::DownloadQueue::progressed, this, &Downloads::onProgress);
        connect(m_queue.get(), &download::DownloadQueue::targetChosen, this,
                [this](qint64 id, const QString& path) {
                    m_folders.remove(id);
                    written(store::DownloadStore(m_database.connection()).setTarget(id, path));
                    emit targetChosen(id, path);
                });
    }
    return *m_queue;
}

QString Downloads::folderFor(int campaignId, const QString& campaignSource) const {
    const QString base = m_settings.folder.isEmpty() ? defaultFolder() : m_settings.folder;
    if (campaignId <= 0 || !m_settings.folderPerCampaign)
        return base;
    const QUrl source(campaignSource);
    QString name = source.host().isEmpty() ? campaignSource : source.host() + source.path();
    while (name.endsWith(u'/'))
        name.chop(1);
    return QDir(base).filePath(download::safeFileName(name));
}

store::DbResult<QList<qint64>> Downloads::download(const QStringList& addresses, int campaignId,
                                                   const QString& folder) {
    QString target = folder;
    if (target.isEmpty()) {
        QString source;
        if (campaignId > 0) {
            const auto campaigns = store::CampaignStore(m_database.connection()).campaigns();
            if (!campaigns)
                return store::DbResult<QList<qint64>>::failure(campaigns.error());
            for (const store::CampaignRecord& campaign : campaigns.value())
                if (campaign.id == campaignId)
                    source = campaign.source;
        }
        target = folderFor(campaignId, source);
    }
    QList<store::DownloadRow> rows;
    store::DownloadStore downloads(m_database.connection());
    const store::DbStatus inserted =
        store::runInTransaction(m_database.connection(), [&]() -> store::DbStatus {
            for (const QString& line : addresses) {
                const QString url = line.trimmed();
                if (url.isEmpty())
                    continue;
                const auto id = downloads.add(campaignId, url);
                if (!id)
                    return store::DbStatus::failure(id.error());
                store::DownloadRow row;
                row.id = id.value();
                row.campaignId = campaignId;
                row.url = url;
                row.added = QDateTime::currentDateTimeUtc();
                rows.append(row);
            }
            return store::dbOk();
        });
    if (!inserted)
        return store::DbResult<QList<qint64>>::failure(inserted.error());
    QList<qint64> ids;
    for (const store::DownloadRow& row : std::as_const(rows)) {
        ids.append(row.id);
        m_folders.insert(row.id, target);
        track(row.id, DownloadState::Queued);
        emit added(row);
        queue().add(row.id, row.url, target);
    }
    return ids;
}

void Downloads::pause(qint64 id) {
    if (m_queue)
        m_queue->pause(id);
}

void Downloads::resume(qint64 id) {
    if (m_queue)
        m_queue->resume(id);
}

void Downloads::cancel(qint64 id) {
    if (m_queue && m_queue->isKnown(id))
        m_queue->cancel(id);
}

void Downloads::retry(qint64 id) {
    const auto row = store::DownloadStore(m_database.connection()).download(id);
    if (!row) {
        emit storeFailed(row.error());
        return;
    }
    if (!store::isFinished(row->state) || row->state == DownloadState::Done || queue().isKnown(id))
        return;
    track(id, DownloadState::Queued);
    if (row->target.isEmpty())
        queue().add(id, row->url, m_folders.value(id, folderFor(0, {})));
    else
        queue().restore(id, row->url, row->target, false);
}

store::DbStatus Downloads::remove(qint64 id) {
    if (m_queue)
        m_queue->forget(id);
    const store::DbStatus status = store::DownloadStore(m_database.connection()).remove(id);
    m_unfinished.remove(id);
    m_running.remove(id);
    m_folders.remove(id);
    if (status)
        emit removed(id);
    return status;
}

void Downloads::forgetCampaign(int campaignId) {
    const auto all = rows();
    if (!all)
        return;
    for (const store::DownloadRow& row : all.value()) {
        if (row.campaignId == 0 || (campaignId != 0 && row.campaignId != campaignId))
            continue;
        if (m_queue)
            m_queue->forget(row.id);
        m_unfinished.remove(row.id);
        m_running.remove(row.id);
        emit removed(row.id);
    }
}

store::DbResult<QList<store::DownloadRow>> Downloads::rows() {
    return store::DownloadStore(m_database.connection()).downloads();
}

store::DbStatus Downloads::resumeStored() {
    const auto all = rows();
    if (!all)
        return store::DbStatus::failure(all.error());
    store::DownloadStore downloads(m_database.connection());
    for (const store::DownloadRow& row : all.value()) {
        if (store::isFinished(row.state))
            continue;
        const bool paused = row.state == DownloadState::Paused;
        if (row.state == DownloadState::Active)
            written(downloads.setState(row.id, DownloadState::Queued));
        track(row.id, paused ? DownloadState::Paused : DownloadState::Queued);
        if (row.target.isEmpty()) {
            queue().add(row.id, row.url, folderFor(0, {}));
            continue;
        }
        const bool partialKept =
            QFileInfo::exists(row.target) || QFileInfo::exists(row.target + QStringLiteral(".aria2"));
        if (!partialKept && (row.received > 0 || row.state == DownloadState::Active)) {
            const QString note =
                QStringLiteral("The partial file was gone; the download started again from zero");
            written(downloads.setProgress(row.id, row.total, 0));
            written(downloads.setState(row.id, paused ? DownloadState::Paused : DownloadState::Queued, note));
        }
        queue().restore(row.id, row.url, row.target, paused);
    }
    return store::dbOk();
}

void Downloads::onStateChanged(qint64 id, DownloadState state, const QString& error) {
    if (m_shutDown)
        return;
    written(store::DownloadStore(m_database.connection()).setState(id, state, error));
    track(id, state);
    if (state == DownloadState::Done)
        ++m_batchDone;
    else if (state == DownloadState::Failed)
        ++m_batchFailed;
    emit stateChanged(id, state, error);
    if (store::isFinished(state) && m_running.isEmpty() && m_batchDone + m_batchFailed > 0) {
        const int done = std::exchange(m_batchDone, 0);
        const int failed = std::exchange(m_batchFailed, 0);
        emit batchFinished(done, failed);
    }
}

void Downloads::onProgress(qint64 id, qint64 total, qint64 received, int bytesPerSecond) {
    if (m_shutDown)
        return;
    QElapsedTimer& last = m_lastWritten[id];
    if (!last.isValid() || last.elapsed() >= kProgressWriteMs || (total >= 0 && received == total)) {
        last.start();
        written(store::DownloadStore(m_database.connection()).setProgress(id, total, received));
    }
    emit progressed(id, total, received, bytesPerSecond);
}

void Downloads::track(qint64 id, DownloadState state) {
    if (store::isFinished(state)) {
        m_unfinished.remove(id);
        m_lastWritten.remove(id);
    } else {
        m_unfinished.insert(id);
    }
    if (isRunningState(state))
        m_running.insert(id);
    else
        m_running.remove(id);
}

void Downloads::written(const store::DbStatus& status) {
    if (!status)
        emit storeFailed(status.error());
}

void Downloads::shutDown() {
    if (m_shutDown)
        return;
    m_shutDown = true;
    // The states stay as written: what was queued or active resumes at the next start.
    if (m_queue)
        m_queue->shutDown();
}

} // namespace vorlane::app
