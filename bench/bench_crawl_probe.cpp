// How long the window's event loop stays busy while the session works as the window runs it: a 5 ms timer
// records how late each of its ticks fires. Two workloads, each served by a child process:
//   - a URL search of the big-page site (bench/big_page_site.py);
//   - "downloads": files of one size fetched by the session's downloads (bench/download_bench_server.py,
//     20 ms latency per request) into a temporary folder, `atOnce` at a time.
// Prints max and p99 of the lateness and the wall time, and, to tell the loop's own work from a machine busy
// with other programs, the longest single event delivery in thread CPU time (what a loaded machine cannot
// lengthen) and in wall time.
// Usage: bench_crawl_probe [depth=2] [concurrency=8]
//        bench_crawl_probe downloads [files=40] [megabytes=5] [atOnce=8]
// (run from the source tree's root or its build folder)

#include "app/session.h"
#include "store/campaign_store.h"
#include "store/database.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

using namespace vorlane;

namespace {

QString benchScript(const QString& name) {
    for (const QString& dir : {QStringLiteral("bench"), QStringLiteral("../bench"),
                               QCoreApplication::applicationDirPath() + QStringLiteral("/../../bench")}) {
        const QString path = QDir(dir).absoluteFilePath(name);
        if (QFile::exists(path))
            return path;
    }
    return {};
}

double threadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// Times every event delivered on the main thread (outermost deliveries only).
class TimedApplication : public QCoreApplication {
public:
    using QCoreApplication::QCoreApplication;
    double longestCpuMs = 0, longestWallMs = 0;
    QByteArray longestCpuReceiver;

    bool notify(QObject* receiver, QEvent* event) override {
        if (m_depth > 0)
            return QCoreApplication::notify(receiver, event);
        ++m_depth;
        QElapsedTimer wall;
        wall.start();
        const double cpu = threadCpuMs();
        const bool result = QCoreApplication::notify(receiver, event);
        const double cpuMs = threadCpuMs() - cpu, wallMs = double(wall.nsecsElapsed()) / 1e6;
        --m_depth;
        if (cpuMs > longestCpuMs) {
            longestCpuMs = cpuMs;
            longestCpuReceiver = receiver->metaObject()->className();
        }
        longestWallMs = std::max(longestWallMs, wallMs);
        return result;
    }

private:
    int m_depth = 0;
};

// Starts `script` with `arguments` and reads its port from the first line it prints ("<word> <port>").
int startServer(QProcess& server, const QString& script, const QStringList& arguments) {
    if (script.isEmpty()) {
        std::fprintf(stderr, "the bench's server script was not found: run from the source tree\n");
        return 0;
    }
    server.start(QStringLiteral("python3"), QStringList{script} + arguments);
    if (!server.waitForReadyRead(60000)) {
        std::fprintf(stderr, "the server did not start\n");
        return 0;
    }
    return server.readLine().trimmed().split(' ').value(1).toInt();
}

} // namespace

int main(int argc, char** argv) {
    TimedApplication app(argc, argv);
    const bool downloads = argc > 1 && QByteArray(argv[1]) == "downloads";
    const auto argument = [&](int index, int fallback) {
        index += downloads ? 1 : 0;
        return argc > index ? QByteArray(argv[index]).toInt() : fallback;
    };

    QProcess server;
    const int port = downloads
                         ? startServer(server, benchScript(QStringLiteral("download_bench_server.py")),
                                       {QStringLiteral("--count"), QString::number(argument(1, 40)),
                                        QStringLiteral("--size"), QString::number(argument(2, 5) * 1048576),
                                        QStringLiteral("--latency-ms"), QStringLiteral("20")})
                         : startServer(server, benchScript(QStringLiteral("big_page_site.py")),
                                       {QStringLiteral("--max-seconds"), QStringLiteral("600")});
    if (port == 0)
        return 2;

    QTemporaryDir folder;
    store::StartupResult opened = store::prepareDatabase(folder.path(), QStringLiteral("probe.mdb"));
    if (opened.outcome != store::StartupOutcome::Ready) {
        std::fprintf(stderr, "database: %s\n", qPrintable(opened.error));
        return 1;
    }
    app::Session session(opened.database);

    std::vector<double> lateMs;
    QElapsedTimer clock;
    qint64 lastTickNs = 0;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    probe.setInterval(5);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        lateMs.push_back(std::max(0.0, double(now - lastTickNs) / 1e6 - 5.0));
        lastTickNs = now;
    });
    clock.start();
    probe.start();

    QString outcome;
    if (downloads) {
        store::DownloadSettings settings = session.downloads().settings();
        settings.filesAtOnce = argument(3, 8);
        session.useDownloadSettings(settings);
        QStringList addresses;
        for (int i = 0; i < argument(1, 40); ++i)
            addresses << QStringLiteral("http://127.0.0.1:%1/f/%2.bin").arg(port).arg(i);
        QObject::connect(&session.downloads(), &app::Downloads::batchFinished, &app,
                         [&](int done, int failed) {
                             outcome = QStringLiteral("files done %1, failed %2").arg(done).arg(failed);
                             app.quit();
                         });
        if (const auto started = session.downloads().download(addresses, 0, folder.filePath("files"));
            !started) {
            std::fprintf(stderr, "cannot start: %s\n", qPrintable(started.error()));
            return 1;
        }
        app.exec();
    } else {
        crawl::CrawlSettings settings = session.crawlSettings();
        settings.concurrency = argument(2, 8);
        session.useCrawlSettings(settings);
        int shown = 0;
        crawl::CrawlEngine& engine = session.engine(store::CampaignType::UrlSearch);
        QObject::connect(&engine, &crawl::CrawlEngine::fileRecorded, [&shown] { ++shown; });
        QObject::connect(&session, &app::Session::searchFinished, &app, &QCoreApplication::quit);
        const QString start = QStringLiteral("http://127.0.0.1:%1/").arg(port);
        if (const store::DbStatus started =
                session.startUrlSearch(start, QStringLiteral(".mp3"), argument(1, 2));
            !started) {
            std::fprintf(stderr, "cannot start: %s\n", qPrintable(started.error()));
            return 1;
        }
        app.exec();
        const auto stored =
            store::CampaignStore(opened.database.connection()).campaignLinks(engine.campaignId());
        outcome = QStringLiteral("files shown %1, stored %2")
                      .arg(shown)
                      .arg(stored ? qlonglong(stored.value().size()) : -1LL);
    }
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    probe.stop();
    server.terminate();
    server.waitForFinished(5000);

    std::sort(lateMs.begin(), lateMs.end());
    const double p99 = lateMs.empty() ? 0 : lateMs[std::min(lateMs.size() - 1, lateMs.size() * 99 / 100)];
    std::printf("wall %.2f s, %zu ticks, late max %.1f ms, p99 %.1f ms, %s\n", seconds, lateMs.size(),
                lateMs.empty() ? 0 : lateMs.back(), p99, qPrintable(outcome));
    std::printf("longest event: %.1f ms of thread CPU (%s), %.1f ms wall\n", app.longestCpuMs,
                app.longestCpuReceiver.constData(), app.longestWallMs);
    session.shutDown();
    return 0;
}
