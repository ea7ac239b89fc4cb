// Recording throughput: the duplicate test and insert of one link for a growing campaign. Prints links/s
// per stretch, so a slowdown with size shows as a falling column.
// Usage: bench_store_recording [links=1000000] [crawl|spread|batched] [folder=a temporary one]
//  crawl: links in the order a crawl meets them, a page's links sharing host and path (the usual case),
//         each committing on its own;
//  spread: every link lands at a random place in the index (the worst case for the disk), likewise;
//  batched: the crawl's order in the crawl's slices, 256 links a transaction.

#include "store/campaign_store.h"
#include "store/database.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>

using namespace vorlane;

static bool spread = false;
constexpr qint64 kSlice = 256;

static QString linkFor(qint64 i) {
    if (!spread) {
        const qint64 page = i / 25;
        return QStringLiteral("http://media%1.example.net/albums/%2/track-%3.mp3")
            .arg(page % 40)
            .arg(page)
            .arg(i % 25);
    }
    const quint64 h = quint64(i) * 0x9E3779B97F4A7C15ull;
    return QStringLiteral("http://media%1.example.net/%2/track-%3.mp3")
        .arg(h % 97)
        .arg(h >> 40, 0, 16)
        .arg(i);
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const qint64 total = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    QTemporaryDir tmp;
    spread = argc > 2 && qstrcmp(argv[2], "spread") == 0;
    const bool batched = argc > 2 && qstrcmp(argv[2], "batched") == 0;
    const QString dir = argc > 3 ? QString::fromLocal8Bit(argv[3]) : tmp.path();

    store::StartupResult started = store::prepareDatabase(dir, QStringLiteral("bench.mdb"));
    if (started.outcome != store::StartupOutcome::Ready) {
        std::fprintf(stderr, "start-up failed: %s\n", qPrintable(started.error));
        return 1;
    }
    store::CampaignStore store(started.database.connection());
    const int campaign =
        store.createCampaign(store::CampaignType::UrlSearch, QStringLiteral("http://bench/")).value();

    const qint64 window = 10000;
    std::printf("%12s %12s %14s\n", "links so far", "links/s", "us per link");
    QElapsedTimer all;
    all.start();
    const std::clock_t cpuBefore = std::clock();
    QElapsedTimer stretch;
    stretch.start();
    double firstWindowUs = 0, lastWindowUs = 0;
    const QString foundOn = QStringLiteral("http://bench/page");
    QStringList slice;
    for (qint64 i = 0; i < total; ++i) {
        if (batched) {
            // A slice is formed (as the page processor does) and recorded at its end.
            slice.append(linkFor(i));
            if (slice.size() < kSlice && i + 1 < total && (i + 1) % window != 0)
                continue;
            const auto recorded = store.recordFileLinks(campaign, slice, foundOn);
            if (!recorded || recorded->size() != slice.size() || recorded->contains(false)) {
                std::fprintf(stderr, "slice at %lld not recorded: %s\n", i, qPrintable(recorded.error()));
                return 1;
            }
            slice.clear();
        } else {
            const auto recorded = store.recordFileLink(campaign, linkFor(i), foundOn);
            if (!recorded || !*recorded) {
                std::fprintf(stderr, "link %lld not recorded: %s\n", i, qPrintable(recorded.error()));
                return 1;
            }
        }
        if ((i + 1) % window == 0) {
            const double us = double(stretch.nsecsElapsed()) / 1000.0 / double(window);
            if (i + 1 == window)
                firstWindowUs = us;
            lastWindowUs = us;
            if ((i + 1) % (total / 10 > window ? total / 10 : window) == 0 || i + 1 == window)
                std::printf("%12lld %12.0f %14.1f\n", i + 1, 1e6 / us, us);
            stretch.restart();
        }
    }
    const double seconds = double(all.nsecsElapsed()) / 1e9;
    const double cpuSeconds = double(std::clock() - cpuBefore) / CLOCKS_PER_SEC;

    // Recording a link again is the duplicate case of a crawl that meets a link twice.
    QElapsedTimer dup;
    dup.start();
    for (qint64 i = 0; i < window; ++i) {
        if (store.recordFileLink(campaign, linkFor(i * (total / window)).toUpper()).value()) {
            std::fprintf(stderr, "duplicate %lld recorded twice\n", i);
            return 1;
        }
    }
    const double dupUs = double(dup.nsecsElapsed()) / 1000.0 / double(window);

    std::printf("order: %s\n", spread ? "spread" : batched ? "crawl, 256 a transaction" : "crawl");
    std::printf("CPU time: %.1f s = %.1f us per link\n", cpuSeconds, cpuSeconds * 1e6 / double(total));
    std::printf("total: %lld links in %.1f s = %.0f links/s\n", total, seconds, double(total) / seconds);
    std::printf("per link: first %lld %.1f us, last %lld %.1f us (ratio %.2f)\n", window, firstWindowUs,
                window, lastWindowUs, lastWindowUs / firstWindowUs);
    std::printf("duplicates at %lld links: %.1f us each\n", total, dupUs);
    return 0;
}
