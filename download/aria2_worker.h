#pragma once
// The one aria2 session of the program, owned by a thread of its own that runs aria2's event loop one
// step at a time. Commands are queued from any thread and applied between two steps; states and progress
// leave as signals, which reach receivers on other threads queued. Nothing here waits for the network on
// the caller's thread; only finish() waits, for the session to save its control files.

#include "store/download_state.h"
#include <QHash>
#include <QThread>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace aria2 {
struct Session;
}

namespace vorlane::download {

struct TransferOptions {
    int filesAtOnce = 8;
    int connectionsPerServer = 1; // 1 to 4: one file split over this many connections to its server
    int timeoutSeconds = 60;
    QString userAgent;
};

class Aria2Worker : public QThread {
    Q_OBJECT
public:
    explicit Aria2Worker(const TransferOptions& options, QObject* parent = nullptr);
    ~Aria2Worker() override; // finish()

    // Starts the transfer of `url` into folder/fileName, resuming from a partial file there (its control
    // file, or a file written from its beginning). `paused`: added, but held until resume().
    void add(qint64 id, const QString& url, const QString& folder, const QString& fileName, bool paused);
    void pause(qint64 id);
    void resume(qint64 id);
    // Ends the transfer without a state change reported; `discardFiles`: its partial file and control file
    // are deleted, else they stay.
    void remove(qint64 id, bool discardFiles);
    void setOptions(const TransferOptions& options);
    // Stops every transfer so that each can resume, writes the control files and ends the session and the
    // thread. Afterwards every command is ignored.
    void finish();

signals:
    void stateChanged(qint64 id, vorlane::store::DownloadState state, const QString& error);
    // At most every 250 ms per download while it runs, and once when it ends.
    void progressed(qint64 id, qint64 total, qint64 received, int bytesPerSecond);

protected:
    void run() override;

private:
    struct Transfer;
    void post(std::function<void()> command);
    bool takeCommands(std::deque<std::function<void()>>& commands);
    void handleEvents();
    void reportProgress(bool force);
    void applyOptions();
    void forgetTransfer(quint64 gid);
    friend struct Aria2Callbacks; // records the session's events for handleEvents()

    std::mutex m_mutex; // guards m_commands, m_finishing
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_commands;
    bool m_finishing = false;

    // The worker thread's own.
    aria2::Session* m_session = nullptr;
    TransferOptions m_options;
    QHash<quint64, Transfer*> m_transfers; // by gid
    QHash<qint64, quint64> m_gids;         // by id
    std::vector<std::pair<int, quint64>> m_events;
};

} // namespace vorlane::download
