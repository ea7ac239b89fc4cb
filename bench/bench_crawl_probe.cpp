// How long the event loop of the crawl's thread stays busy during a URL search of the big-page site
// (bench/big_page_site.py, served by a child process), run through the session as the window runs it: a
// 5 ms timer records how late each of its ticks fires. Prints max and p99 of the lateness, the wall time and
// the files shown and stored; and, to tell the loop's own work from a machine busy with other programs, the
// longest single event delivery in thread CPU time (what a loaded machine cannot lengthen) and in wall time.
// Usage: bench_crawl_probe [depth=2] [concurrency=8]   (run from the source tree's root or its build folder)

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

QString siteScript() {
    for (const QString& dir : {QStringLiteral("bench"), QStringLiteral("../bench"),
                               QCoreApplication::applicationDirPath() + QStringLiteral("/../../bench")}) {
        const QString path = QDir(dir).absoluteFilePath(QStringLiteral("big_page_site.py"));
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

} // namespace

int main(int argc, char** argv) {
    TimedApplication app(argc, argv);
    const int depth = argc > 1 ? QByteArray(argv[1]).toInt() : 2;
    const int concurrency = argc > 2 ? QByteArray(argv[2]).toInt() : 8;

    const QString script = siteScript();
    if (script.isEmpty()) {
        std::fprintf(stderr, "big_page_site.py not found: run from the source tree\n");
        return 2;
    }
    QProcess server;
    server.start(QStringLiteral("python3"), {script, QStringLiteral("--max-seconds"), QStringLiteral("600")});
    if (!server.waitForReadyRead(60000)) {
        std::fprintf(stderr, "the site did not start\n");
        return 2;
    }
    const QList<QByteArray> ready = server.readLine().trimmed().split(' ');
    const QString start = QStringLiteral("http://127.0.0.1:%1/").arg(QString::fromLatin1(ready.value(1)));

    QTemporaryDir folder;
    store::StartupResult opened = store::prepareDatabase(folder.path(), QStringLiteral("probe.mdb"));
    if (opened.outcome != store::StartupOutcome::Ready) {
        std::fprintf(stderr, "database: %s\n", qPrintable(opened.error));
        return 1;
    }
    app::Session session(opened.database);
    crawl::CrawlSettings settings = session.crawlSettings();
    settings.concurrency = concurrency;
    session.useCrawlSettings(settings);

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
    int shown = 0;
    crawl::CrawlEngine& engine = session.engine(store::CampaignType::UrlSearch);
    QObject::connect(&engine, &crawl::CrawlEngine::fileRecorded, [&shown] { ++shown; });
    QObject::connect(&session, &app::Session::searchFinished, &app, &QCoreApplication::quit);

    clock.start();
    probe.start();
    if (const store::DbStatus started = session.startUrlSearch(start, QStringLiteral(".mp3"), depth);
        !started) {
        std::fprintf(stderr, "cannot start: %s\n", qPrintable(started.error()));
        return 1;
    }
    app.exec();
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    probe.stop();
    const auto stored = store::CampaignStore(opened.database.connection()).campaignLinks(engine.campaignId());
    server.terminate();
    server.waitForFinished(5000);

    std::sort(lateMs.begin(), lateMs.end());
    const double p99 = lateMs.empty() ? 0 : lateMs[std::min(lateMs.size() - 1, lateMs.size() * 99 / 100)];
    std::printf("wall %.2f s, %zu ticks, late max %.1f ms, p99 %.1f ms, files shown %d, stored %lld\n",
                seconds, lateMs.size(), lateMs.empty() ? 0 : lateMs.back(), p99, shown,
                stored ? qlonglong(stored.value().size()) : -1LL);
    std::printf("longest event: %.1f ms of thread CPU (%s), %.1f ms wall\n", app.longestCpuMs,
                app.longestCpuReceiver.constData(), app.longestWallMs);
    session.shutDown();
    return 0;
}
