#include "download_queue.h"

#include "file_naming.h"
#include "transfer_proxy.h"
#include "urls/scheme_rules.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QUrl>

namespace vorlane::download {

using store::DownloadState;

namespace {
// Probes run ahead of the transfers, so the next name is known when a transfer slot frees up; the worker
// holds this many transfers at most (a paused one aside), every one of which costs aria2 some kilobytes.
int aheadOfTransfers(const DownloadOptions& options) {
    return std::max(4, 2 * options.transfer.filesAtOnce);
}

QString hostOf(const QString& url) {
    return QUrl(url).host().toLower();
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
    m_clock.start();
    m_politeWait.setSingleShot(true);
    connect(&m_politeWait, &QTimer::timeout, this, &DownloadQueue::handMore);
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
    m_downloads.insert(id, Download{url, QDir(folder).absolutePath(), {}, false, false, false, {}});
    m_waitingForProbe.push_back(id);
    emit stateChanged(id, DownloadState::Queued, {});
    probeMore();
}

void DownloadQueue::probeMore() {
    const int ahead = aheadOfTransfers(m_options);
    while (!m_waitingForProbe.empty() && m_probe.inFlight() < ahead &&
           m_probe.inFlight() + qsizetype(m_waitingForWorker.size()) < ahead) {
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
            it->url = result.finalUrl;
            it->host = hostOf(it->url);
            emit targetChosen(id, path);
            if (!it->paused)
                m_waitingForWorker.push_back(id);
            handMore();
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
    m_downloads.insert(id, Download{url, folder, target.absoluteFilePath(), paused, false, false, hostOf(url)});
    if (!paused)
        m_waitingForWorker.push_back(id);
    handMore();
}

void DownloadQueue::handMore() {
    // In order, except that a download whose host must wait lets the next one of another host go first.
    const qint64 now = m_clock.elapsed();
    qint64 waitMs = 0;
    for (auto next = m_waitingForWorker.begin();
         next != m_waitingForWorker.end() && m_handedRunning < aheadOfTransfers(m_options);) {
        const auto it = m_downloads.find(*next);
        if (it == m_downloads.end() || it->handed || it->paused || it->path.isEmpty()) {
            next = m_waitingForWorker.erase(next);
        } else if (hostAllows(it->host, now, waitMs)) {
            const qint64 id = *next;
            next = m_waitingForWorker.erase(next);
            hand(id);
        } else {
            ++next;
        }
    }
    if (waitMs > 0 && (!m_politeWait.isActive() || m_politeWait.remainingTime() > waitMs))
        m_politeWait.start(int(waitMs));
}

bool DownloadQueue::hostAllows(const QString& host, qint64 now, qint64& waitMs) const {
    if (m_options.maxPerHost > 0 && m_runningPerHost.value(host) >= m_options.maxPerHost)
        return false;
    const auto last = m_lastStartPerHost.constFind(host);
    if (m_options.delayMsPerHost <= 0 || last == m_lastStartPerHost.cend())
        return true;
    const qint64 due = *last + m_options.delayMsPerHost - now;
    if (due <= 0)
        return true;
    waitMs = waitMs > 0 ? std::min(waitMs, due) : due;
    return false;
}

void DownloadQueue::hand(qint64 id) {
    Download& download = m_downloads[id];
    download.handed = true;
    m_lastStartPerHost.insert(download.host, m_clock.elapsed());
    if (!download.paused) {
        ++m_handedRunning;
        ++m_runningPerHost[download.host];
    }
    m_worker->add(id, download.url, download.folder, QFileInfo(download.path).fileName(),
                  aria2ProxyAddress(transferProxy(QUrl(download.url))), download.paused);
}

void DownloadQueue::release(const Download& download) {
    if (download.handed && !download.paused) {
        --m_handedRunning;
        if (--m_runningPerHost[download.host] <= 0)
            m_runningPerHost.remove(download.host);
    }
}

void DownloadQueue::fail(qint64 id, const QString& error) {
    m_downloads.remove(id);
    emit stateChanged(id, DownloadState::Failed, error);
}

void DownloadQueue::pause(qint64 id) {
    const auto it = m_downloads.find(id);
    if (it == m_downloads.end() || it->paused)
        return;
    release(*it);
    it->paused = true;
    if (it->handed) {
        m_worker->pause(id);
        handMore();
    } else {
        emit stateChanged(id, DownloadState::Paused, {}); // handed over once resumed
    }
}

void DownloadQueue::resume(qint64 id) {
    const auto it = m_downloads.find(id);
    if (it == m_downloads.end() || !it->paused)
        return;
    it->paused = false;
    if (it->handed) { // asked for by name: it goes on at once, whatever else runs on its host
        ++m_handedRunning;
        ++m_runningPerHost[it->host];
        m_worker->resume(id);
        return;
    }
    if (!it->path.isEmpty())
        m_waitingForWorker.push_back(id);
    emit stateChanged(id, DownloadState::Queued, {});
    handMore();
}

void DownloadQueue::cancel(qint64 id) {
    const auto it = m_downloads.find(id);
    if (it == m_downloads.end())
        return;
    const Download download = *it;
    m_probe.abort(id);
    m_downloads.erase(it);
    release(download);
    if (download.handed) {
        m_worker->remove(id, true);
    } else if (!download.path.isEmpty()) { // a restored partial the worker has not had yet
        QFile::remove(download.path);
        QFile::remove(download.path + QStringLiteral(".aria2"));
    }
    emit stateChanged(id, DownloadState::Cancelled, {});
    handMore();
    probeMore();
}

void DownloadQueue::forget(qint64 id) {
    const auto it = m_downloads.find(id);
    if (it == m_downloads.end())
        return;
    release(*it);
    m_downloads.erase(it);
    m_probe.abort(id);
    m_worker->remove(id, false);
    handMore();
    probeMore();
}

void DownloadQueue::setOptions(const DownloadOptions& options) {
    m_options = options;
    m_probe.setTimeoutSeconds(options.transfer.timeoutSeconds);
    m_probe.setUserAgent(options.transfer.userAgent);
    m_worker->setOptions(options.transfer);
    handMore();
    probeMore();
}

void DownloadQueue::workerStateChanged(qint64 id, DownloadState state, const QString& error) {
    const auto it = m_downloads.find(id);
    if (m_shutDown || it == m_downloads.end())
        return;
    if (store::isFinished(state)) {
        release(*it);
        m_downloads.erase(it);
        handMore();
        probeMore();
    }
    emit stateChanged(id, state, error);
}

void DownloadQueue::shutDown() {
    if (m_shutDown)
        return;
    m_shutDown = true;
    m_politeWait.stop();
    for (auto it = m_downloads.cbegin(); it != m_downloads.cend(); ++it)
        m_probe.abort(it.key());
    m_worker->finish();
}

} // namespace vorlane::download
