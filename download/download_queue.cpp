#include "download_queue.h"

#include "file_naming.h"
#include "urls/scheme_rules.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

namespace vorlane::download {

using store::DownloadState;

namespace {
// Probes run ahead of the transfers, so the next name is known when a transfer slot frees up.
int probesAtOnce(const DownloadOptions& options) {
    return std::max(4, 2 * options.transfer.filesAtOnce);
}

QString folderKey(const QString& folder) {
    return QDir::cleanPath(QDir(folder).absolutePath()).toLower();
}
} // namespace

DownloadQueue::DownloadQueue(const DownloadOptions& options, QObject* parent)
    : QObject(parent), m_options(options), m_probe(this),
      m_worker(std::make_unique<Aria2Worker>(options.transfer)) {
    m_probe.setTimeoutSeconds(options.transfer.timeoutSeconds);
    m_probe.setUserAgent(options.transfer.userAgent);
    connect(&m_probe, &NameProbe::probed, this, &DownloadQueue::probed);
    connect(m_worker.get(), &Aria2Worker::stateChanged, this, &DownloadQueue::workerStateChanged);
    connect(m_worker.get(), &Aria2Worker::progressed, this,
            [this](qint64 id, qint64 total, qint64 received, int speed) {
                if (!m_shutDown && m_downloads.contains(id))
                    emit progressed(id, total, received, speed);
            });
}

DownloadQueue::~DownloadQueue() {
    shutDown();
}

void DownloadQueue::add(qint64 id, const QString& url, const QString& folder) {
    if (m_shutDown)
        return;
    if (!urls::isRecordableAddress(url)) {
        emit stateChanged(id, DownloadState::Failed,
                          QStringLiteral("Only http, https and ftp addresses are downloaded"));
        return;
    }
    m_downloads.insert(id, Download{url, QDir(folder).absolutePath(), {}, false, false});
    m_waitingForProbe.push_back(id);
    emit stateChanged(id, DownloadState::Queued, {});
    probeMore();
}

void DownloadQueue::probeMore() {
    while (!m_waitingForProbe.empty() && m_probe.inFlight() < probesAtOnce(m_options)) {
        const qint64 id = m_waitingForProbe.front();
        m_waitingForProbe.pop_front();
        const auto it = m_downloads.find(id);
        if (it == m_downloads.end())
            continue;
        it->probing = true;
        m_probe.probe(id, it->url);
    }
}

void DownloadQueue::probed(qint64 id, const ProbeResult& result) {
    const auto it = m_downloads.find(id);
    if (m_shutDown || it == m_downloads.end()) {
        probeMore();
        return;
    }
    it->probing = false;
    const qint64 limit = m_options.maxFileSize;
    if (!result.refusal.isEmpty()) {
        fail(id, result.refusal);
    } else if (limit > 0 && result.announcedSize > limit) {
        const QLocale locale = QLocale::system();
        fail(id, QStringLiteral("Skipped: the server announces %1, more than the maximum file size of %2")
                     .arg(locale.formattedDataSize(result.announcedSize), locale.formattedDataSize(limit)));
    } else if (!QDir().mkpath(it->folder)) {
        fail(id,
             QStringLiteral("The folder %1 could not be created").arg(QDir::toNativeSeparators(it->folder)));
    } else {
        const QString proposed =
            result.suggestedName.isEmpty() ? fileNameFromAddress(result.finalUrl) : result.suggestedName;
        QSet<QString>& reserved = m_reservedNames[folderKey(it->folder)];
        const QString name = uniqueFileName(it->folder, safeFileName(proposed), reserved);
        const QString path = QDir(it->folder).filePath(name);
        if (!isInsideFolder(it->folder, path)) {
            fail(id, QStringLiteral("The file name would leave the download folder"));
        } else {
            reserved.insert(name.toLower());
            it->path = path;
            emit targetChosen(id, path);
            hand(id, result.finalUrl);
        }
    }
    probeMore();
}

void DownloadQueue::restore(qint64 id, const QString& url, const QString& targetPath, bool paused) {
    if (m_shutDown)
        return;
    const QFileInfo target(targetPath);
    const QString folder = target.absolutePath();
    if (!urls::isRecordableAddress(url) || target.fileName().isEmpty() || !QDir().mkpath(folder) ||
        !isInsideFolder(folder, target.absoluteFilePath())) {
        emit stateChanged(id, DownloadState::Failed, QStringLiteral("The stored download cannot be resumed"));
        return;
    }
    m_reservedNames[folderKey(folder)].insert(target.fileName().toLower());
    m_downloads.insert(id, Download{url, folder, target.absoluteFilePath(), paused, false});
    hand(id, url);
}

void DownloadQueue::hand(qint64 id, const QString& url) {
    const Download& download = m_downloads.value(id);
    m_worker->add(id, url, download.folder, QFileInfo(download.path).fileName(), download.paused);
}

void DownloadQueue::fail(qint64 id, const QString& error) {
    m_downloads.remove(id);
    emit stateChanged(id, DownloadState::Failed, error);
}

void DownloadQueue::pause(qint64 id) {
    const auto it = m_downloads.find(id);
    if (it == m_downloads.end() || it->paused)
        return;
    it->paused = true;
    if (it->path.isEmpty())
        emit stateChanged(id, DownloadState::Paused, {}); // handed over paused once named
    else
        m_worker->pause(id);
}

void DownloadQueue::resume(qint64 id) {
    const auto it = m_downloads.find(id);
    if (it == m_downloads.end() || !it->paused)
        return;
    it->paused = false;
    if (it->path.isEmpty())
        emit stateChanged(id, DownloadState::Queued, {});
    else
        m_worker->resume(id);
}

void DownloadQueue::cancel(qint64 id) {
    const auto it = m_downloads.find(id);
    if (it == m_downloads.end())
        return;
    const bool handed = !it->path.isEmpty();
    m_probe.abort(id);
    m_downloads.erase(it);
    if (handed)
        m_worker->remove(id, true);
    emit stateChanged(id, DownloadState::Cancelled, {});
    probeMore();
}

void DownloadQueue::forget(qint64 id) {
    if (!m_downloads.remove(id))
        return;
    m_probe.abort(id);
    m_worker->remove(id, false);
    probeMore();
}

void DownloadQueue::setOptions(const DownloadOptions& options) {
    m_options = options;
    m_probe.setTimeoutSeconds(options.transfer.timeoutSeconds);
    m_probe.setUserAgent(options.transfer.userAgent);
    m_worker->setOptions(options.transfer);
    probeMore();
}

void DownloadQueue::workerStateChanged(qint64 id, DownloadState state, const QString& error) {
    const auto it = m_downloads.find(id);
    if (m_shutDown || it == m_downloads.end())
        return;
    if (store::isFinished(state))
        m_downloads.erase(it);
    emit stateChanged(id, state, error);
}

void DownloadQueue::shutDown() {
    if (m_shutDown)
        return;
    m_shutDown = true;
    for (auto it = m_downloads.cbegin(); it != m_downloads.cend(); ++it)
        m_probe.abort(it.key());
    m_worker->finish();
}

} // namespace vorlane::download
