#include "aria2_worker.h"

#include "aria2_errors.h"
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <aria2/aria2.h>
#include <memory>

namespace vorlane::download {

using store::DownloadState;

namespace {

constexpr qint64 kProgressIntervalMs = 250;
// How long the idle loop sleeps when no transfer is in the session; a command wakes it at once.
constexpr auto kIdleWait = std::chrono::milliseconds(200);

// libaria2 keeps process-wide state (its TLS and resolver libraries among it): set up once, with the first
// session, and taken down when the process ends.
struct Aria2Library {
    Aria2Library() { aria2::libraryInit(); }
    ~Aria2Library() { aria2::libraryDeinit(); }
};

void ensureLibrary() {
    static Aria2Library library;
}

std::string text(const QString& value) {
    return value.toStdString();
}

aria2::KeyVals transferOptions(const TransferOptions& options) {
    const std::string connections = std::to_string(std::clamp(options.connectionsPerServer, 1, 4));
    return {{"max-connection-per-server", connections},
            {"split", connections},
            {"min-split-size", "1M"},
            {"timeout", std::to_string(std::max(5, options.timeoutSeconds))},
            {"connect-timeout", std::to_string(std::max(5, options.timeoutSeconds))}};
}

} // namespace

struct Aria2Worker::Transfer {
    qint64 id = 0;
    QString folder;
    QString path;
    bool removed = false; // by remove(): no more reports
    bool discard = false; // and its files are to go
    qint64 total = -1;
    qint64 received = -1;
    int speed = -1;
    QElapsedTimer lastReport;
    bool running = false;
};

struct Aria2Callbacks {
    static int onEvent(aria2::Session*, aria2::DownloadEvent event, aria2::A2Gid gid, void* self) {
        static_cast<Aria2Worker*>(self)->m_events.emplace_back(int(event), gid);
        return 0;
    }
};

Aria2Worker::Aria2Worker(const TransferOptions& options, QObject* parent)
    : QThread(parent), m_options(options) {
    start();
}

Aria2Worker::~Aria2Worker() {
    finish();
    qDeleteAll(m_transfers);
}

void Aria2Worker::post(std::function<void()> command) {
    {
        std::lock_guard lock(m_mutex);
        if (m_finishing)
            return;
        m_commands.push_back(std::move(command));
    }
    m_wake.notify_one();
}

bool Aria2Worker::takeCommands(std::deque<std::function<void()>>& commands) {
    std::unique_lock lock(m_mutex);
    if (m_commands.empty() && !m_finishing && m_transfers.isEmpty())
        m_wake.wait_for(lock, kIdleWait);
    commands.swap(m_commands);
    return !m_finishing;
}

void Aria2Worker::add(qint64 id, const QString& url, const QString& folder, const QString& fileName,
                      bool paused) {
    post([this, id, url, folder, fileName, paused] {
        aria2::KeyVals options = transferOptions(m_options);
        options.insert(options.end(), {{"dir", text(folder)},
                                       {"out", text(fileName)},
                                       {"continue", "true"},
                                       {"pause", paused ? "true" : "false"}});
        aria2::A2Gid gid = 0;
        if (aria2::addUri(m_session, &gid, {text(url)}, options) < 0) {
            emit stateChanged(id, DownloadState::Failed, QStringLiteral("The address was not accepted"));
            return;
        }
        auto* transfer = new Transfer;
        transfer->id = id;
        transfer->folder = folder;
        transfer->path = QDir(folder).filePath(fileName);
        m_transfers.insert(gid, transfer);
        m_gids.insert(id, gid);
        emit stateChanged(id, paused ? DownloadState::Paused : DownloadState::Queued, {});
    });
}

void Aria2Worker::pause(qint64 id) {
    post([this, id] {
        if (const quint64 gid = m_gids.value(id);
            gid != 0 && aria2::pauseDownload(m_session, gid) == 0 && !m_transfers.value(gid)->running)
            emit stateChanged(id, DownloadState::Paused, {}); // a waiting one sends no event
    });
}

void Aria2Worker::resume(qint64 id) {
    post([this, id] {
        if (const quint64 gid = m_gids.value(id); gid != 0 && aria2::unpauseDownload(m_session, gid) == 0)
            emit stateChanged(id, DownloadState::Queued, {});
    });
}

void Aria2Worker::remove(qint64 id, bool discardFiles) {
    post([this, id, discardFiles] {
        const quint64 gid = m_gids.take(id);
        Transfer* transfer = m_transfers.value(gid);
        if (!transfer)
            return;
        aria2::removeDownload(m_session, gid, true);
        transfer->discard = discardFiles;
        transfer->removed = true;
        // A running transfer holds its file open until the session has stopped it.
        if (!transfer->running)
            forgetTransfer(gid);
    });
}

void Aria2Worker::forgetTransfer(quint64 gid) {
    Transfer* transfer = m_transfers.take(gid);
    if (transfer->discard) {
        QFile::remove(transfer->path);
        QFile::remove(transfer->path + QStringLiteral(".aria2"));
    }
    delete transfer;
}

void Aria2Worker::setOptions(const TransferOptions& options) {
    post([this, options] {
        m_options = options;
        applyOptions();
    });
}

void Aria2Worker::applyOptions() {
    aria2::KeyVals options = transferOptions(m_options);
    options.emplace_back("max-concurrent-downloads", std::to_string(std::max(1, m_options.filesAtOnce)));
    aria2::changeGlobalOption(m_session, options);
}

void Aria2Worker::finish() {
    {
        std::lock_guard lock(m_mutex);
        m_finishing = true;
    }
    m_wake.notify_one();
    wait();
}

void Aria2Worker::run() {
    ensureLibrary();
    aria2::SessionConfig config;
    config.keepRunning = true;
    config.useSignalHandler = false;
    config.downloadEventCallback = &Aria2Callbacks::onEvent;
    config.userData = this;
    aria2::KeyVals options = {
        {"max-concurrent-downloads", std::to_string(std::max(1, m_options.filesAtOnce))},
        {"continue", "true"},
        {"always-resume", "false"},
        {"allow-overwrite", "false"},
        {"auto-file-renaming", "false"},
        {"file-allocation", "none"}, // a partial holds exactly what arrived, so it resumes even without
                                     // its control file
        {"auto-save-interval", "1"},
        {"max-tries", "5"},
        {"retry-wait", "1"},
        {"follow-torrent", "false"},
        {"follow-metalink", "false"},
        {"content-disposition-default-utf8", "true"},
        {"remote-time", "false"},
        {"quiet", "true"},
        {"console-log-level", "error"},
        {"summary-interval", "0"},
        {"disk-cache", "1M"},
        {"max-download-result", "100"},
        {"user-agent", text(m_options.userAgent)},
    };
    m_session = aria2::sessionNew(options, config);
    if (m_session)
        applyOptions();

    std::deque<std::function<void()>> commands;
    while (m_session && takeCommands(commands)) {
        for (const auto& command : commands)
            command();
        commands.clear();
        if (m_transfers.isEmpty())
            continue;
        aria2::run(m_session, aria2::RUN_ONCE);
        handleEvents();
        reportProgress(false);
    }

    if (m_session) {
        // The transfers stop as they would for a pause: control files written, partials kept.
        m_events.clear();
        aria2::shutdown(m_session, false);
        while (aria2::run(m_session, aria2::RUN_ONCE) == 1) {
        }
        aria2::sessionFinal(m_session);
        m_session = nullptr;
    }
}

void Aria2Worker::handleEvents() {
    std::vector<std::pair<int, quint64>> events;
    events.swap(m_events);
    for (const auto& [event, gid] : events) {
        Transfer* transfer = m_transfers.value(gid);
        if (!transfer)
            continue;
        if (transfer->removed) {
            if (event != aria2::EVENT_ON_DOWNLOAD_START && event != aria2::EVENT_ON_DOWNLOAD_PAUSE)
                forgetTransfer(gid);
            continue;
        }
        const qint64 id = transfer->id;
        switch (aria2::DownloadEvent(event)) {
        case aria2::EVENT_ON_DOWNLOAD_START:
            transfer->running = true;
            emit stateChanged(id, DownloadState::Active, {});
            break;
        case aria2::EVENT_ON_DOWNLOAD_PAUSE:
            transfer->running = false;
            emit stateChanged(id, DownloadState::Paused, {});
            break;
        case aria2::EVENT_ON_DOWNLOAD_COMPLETE:
        case aria2::EVENT_ON_BT_DOWNLOAD_COMPLETE:
        case aria2::EVENT_ON_DOWNLOAD_ERROR:
        case aria2::EVENT_ON_DOWNLOAD_STOP: {
            QString error;
            DownloadState state = DownloadState::Done;
            if (aria2::DownloadHandle* handle = aria2::getDownloadHandle(m_session, gid)) {
                const qint64 received = handle->getCompletedLength();
                emit progressed(id, handle->getTotalLength(), received, 0);
                if (event == aria2::EVENT_ON_DOWNLOAD_ERROR) {
                    state = DownloadState::Failed;
                    error = transferErrorText(handle->getErrorCode(), transfer->folder);
                } else if (event == aria2::EVENT_ON_DOWNLOAD_STOP) {
                    state = DownloadState::Cancelled;
                }
                aria2::deleteDownloadHandle(handle);
            }
            m_gids.remove(id);
            delete m_transfers.take(gid);
            emit stateChanged(id, state, error);
            break;
        }
        }
    }
}

void Aria2Worker::reportProgress(bool force) {
    for (auto it = m_transfers.begin(); it != m_transfers.end(); ++it) {
        Transfer* transfer = it.value();
        if (!transfer->running || transfer->removed ||
            (!force && transfer->lastReport.isValid() &&
             transfer->lastReport.elapsed() < kProgressIntervalMs))
            continue;
        aria2::DownloadHandle* handle = aria2::getDownloadHandle(m_session, it.key());
        if (!handle)
            continue;
        const qint64 total = handle->getTotalLength();
        const qint64 received = handle->getCompletedLength();
        const int speed = handle->getDownloadSpeed();
        aria2::deleteDownloadHandle(handle);
        transfer->lastReport.start();
        if (total == transfer->total && received == transfer->received && speed == transfer->speed)
            continue;
        transfer->total = total;
        transfer->received = received;
        transfer->speed = speed;
        emit progressed(transfer->id, total, received, speed);
    }
}

} // namespace vorlane::download
