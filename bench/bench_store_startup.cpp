// Start-up time with a large database: prepareDatabase (lock, integrity check, version) on a file of many
// links when no compaction is due, then once with half the links deleted, so that it compacts.
// Usage: bench_store_startup [links=1000000] [runs=5] [folder=a temporary one]

#include "store/campaign_store.h"
#include "store/database.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>

using namespace vorlane;

// Wall time, and the process's CPU time beside it: on a shared machine the wall time also holds the
// time spent waiting for a core.
static double timedStart(const QString& dir, bool& compacted, double& cpuMs) {
    QElapsedTimer timer;
    timer.start();
    const std::clock_t cpuBefore = std::clock();
    store::StartupResult started = store::prepareDatabase(dir, QStringLiteral("bench.mdb"));
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    cpuMs = double(std::clock() - cpuBefore) * 1000.0 / CLOCKS_PER_SEC;
    if (started.outcome != store::StartupOutcome::Ready) {
        std::fprintf(stderr, "start-up failed: %s\n", qPrintable(started.error));
        std::exit(1);
    }
    compacted = started.compacted;
    return ms;
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const qint64 total = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    const int runs = argc > 2 ? QByteArray(argv[2]).toInt() : 5;
    QTemporaryDir tmp;
    const QString dir = argc > 3 ? QString::fromLocal8Bit(argv[3]) : tmp.path();
    const QString file = QDir(dir).filePath(QStringLiteral("bench.mdb"));

    {
        store::StartupResult started = store::prepareDatabase(dir, QStringLiteral("bench.mdb"));
        if (started.outcome != store::StartupOutcome::Ready)
            return 1;
        QSqlDatabase db = started.database.connection();
        store::CampaignStore store(db);
        // Two campaigns of half the links each; the second is deleted later to leave free pages.
        const int first =
            store.createCampaign(store::CampaignType::UrlSearch, QStringLiteral("http://one/")).value();
        const int second =
            store.createCampaign(store::CampaignType::WebSearch, QStringLiteral("two")).value();
        db.transaction();
        for (qint64 i = 0; i < total; ++i) {
            const quint64 h = quint64(i) * 0x9E3779B97F4A7C15ull;
            const QString url = QStringLiteral("http://media%1.example.net/%2/track-%3.mp3")
                                    .arg(h % 97)
                                    .arg(h >> 40, 0, 16)
                                    .arg(i);
            if (!store.recordFileLink(i % 2 ? first : second, url).ok())
                return 1;
        }
        db.commit();
    }
    std::printf("database: %lld links, %.1f MB\n", total, double(QFileInfo(file).size()) / 1e6);

    bool compacted = false;
    double cpu = 0;
    for (int run = 0; run < runs; ++run) {
        const double ms = timedStart(dir, compacted, cpu);
        std::printf("start-up %d: %.1f ms (CPU %.1f ms)%s\n", run + 1, ms, cpu,
                    compacted ? " (compacted)" : "");
    }

    {
        store::StartupResult started = store::prepareDatabase(dir, QStringLiteral("bench.mdb"));
        store::CampaignStore store(started.database.connection());
        QElapsedTimer timer;
        timer.start();
        if (!store.deleteCampaign(2).ok())
            return 1;
        std::printf("deleting %lld links: %.1f ms\n", total / 2, double(timer.nsecsElapsed()) / 1e6);
    }
    const double ms = timedStart(dir, compacted, cpu);
    std::printf("start-up with half the file free: %.1f ms (CPU %.1f ms)%s, file now %.1f MB\n", ms, cpu,
                compacted ? " (compacted)" : " (NOT compacted)", double(QFileInfo(file).size()) / 1e6);
    const double after = timedStart(dir, compacted, cpu);
    std::printf("start-up after compaction: %.1f ms (CPU %.1f ms)%s\n", after, cpu,
                compacted ? " (compacted)" : "");
    return 0;
}
