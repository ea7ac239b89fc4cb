#pragma once
// The download queue: files fetched into folders under names of our choosing, by the aria2 worker. A new
// download is first probed (HEAD) for its name and size, a few at a time, then handed to the worker,
// which runs the configured number at once. Only a few more than that are probed or handed ahead: the
// rest wait here, where a queued download costs little. Lives on the caller's thread and never waits on the
// network; every outcome comes back as a signal. Ids are the caller's (the DOWNLOADS rows').

#include <QElapsedTimer>
#include <QTimer>
#include "aria2_worker.h"
#include "name_probe.h"
#include <QHash>
#include <QObject>
#include <QSet>
#include <deque>
#include <memory>

namespace vorlane::download {

struct DownloadOptions {
    TransferOptions transfer;
    qint64 maxFileSize = 0; // bytes; 0: no limit
    // The crawl's politeness, for downloads too: transfers at once to one host (0: no limit) and the least
    // time between handing one host's transfers to the engine.
    int maxPerHost = 0;
    int delayMsPerHost = 0;
};

class DownloadQueue : public QObject {
    Q_OBJECT
public:
    explicit DownloadQueue(const DownloadOptions& options = {}, QObject* parent = nullptr);
    ~DownloadQueue() override;

    // A new download of `url` into `folder` (created when missing). Only http, https and ftp addresses
    // are fetched; anything else fails at once.
    void add(qint64 id, const QString& url, const QString& folder);
    // A download whose file was named before (a restart, a retry): continues from the partial at
    // `targetPath` when there is one.
    void restore(qint64 id, const QString& url, const QString& targetPath, bool paused);
    void pause(qint64 id);
    void resume(qint64 id);
    // Stops the download and deletes its partial file (a finished file is never touched).
    void cancel(qint64 id);
    // Forgets the download; whatever is on disk stays.
    void forget(qint64 id);
    void setOptions(const DownloadOptions& options);
    // Stops every transfer so that it resumes at the next start; control files and partials stay.
    // Afterwards nothing more is reported.
    void shutDown();

    bool isKnown(qint64 id) const { return m_downloads.contains(id); }

signals:
    void targetChosen(qint64 id, const QString& path);
    void stateChanged(qint64 id, vorlane::store::DownloadState state, const QString& error);
    void progressed(qint64 id, qint64 total, qint64 received, int bytesPerSecond);

private:
    struct Download {
        QString url;
        QString folder;
        QString path; // once named
        bool paused = false;
        bool probing = false;
        bool handed = false; // to the worker
        QString host;        // of the address once named (the final one after redirects)
    };
    void probeMore();
    void handMore();
    // Whether the politeness options let a transfer to `host` start now; if not, `waitMs` grows to the time
    // after which it may (0 when only a running transfer's end can let it).
    bool hostAllows(const QString& host, qint64 now, qint64& waitMs) const;
    void release(const Download& download);
    void probed(qint64 id, const ProbeResult& result);
    void hand(qint64 id);
    void fail(qint64 id, const QString& error);
    void workerStateChanged(qint64 id, store::DownloadState state, const QString& error);

    DownloadOptions m_options;
    NameProbe m_probe;
    std::unique_ptr<Aria2Worker> m_worker;
    QHash<qint64, Download> m_downloads;
    std::deque<qint64> m_waitingForProbe;
    std::deque<qint64> m_waitingForWorker;         // named, not paused
    int m_handedRunning = 0;                       // handed and neither paused nor over
    QHash<QString, QSet<QString>> m_reservedNames; // by folder: names handed out, lower case
    QHash<QString, int> m_runningPerHost;          // handed and neither paused nor over
    QHash<QString, qint64> m_lastStartPerHost;     // ms of m_clock
    QElapsedTimer m_clock;
    QTimer m_politeWait;                           // a host's delay over: time to hand more
    bool m_shutDown = false;
};

} // namespace vorlane::download
