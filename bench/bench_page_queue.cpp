// Resident memory per queued address, with 1,000,000 addresses queued (or the count given), and the time
// an addition takes. Addresses mix hosts, depths, queries and letter case like a crawl's queue.
// Usage: bench_page_queue [count]

#include "crawl/page_queue.h"

#include <QElapsedTimer>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

using namespace vorlane;

namespace {

qint64 residentBytes() {
    QFile statm("/proc/self/statm");
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * sysconf(_SC_PAGESIZE) : -1;
}

QString address(int n) {
    // One in five has capitals (its case-folded key then needs its own text).
    const int kind = n % 5;
    const QString host = QStringLiteral("www.site%1.example.com").arg(n % 997);
    if (kind == 0)
        return QStringLiteral("http://%1/Music/Artist%2/Album-%3.html").arg(host).arg(n % 5003).arg(n);
    if (kind == 1)
        return QStringLiteral("https://%1/forum/viewtopic.php?t=%2&start=%3").arg(host).arg(n).arg(n % 40);
    if (kind == 2)
        return QStringLiteral("http://%1/music/artists/%2/albums/%3/tracks.html")
            .arg(host)
            .arg(n % 811)
            .arg(n);
    if (kind == 3)
        return QStringLiteral("http://%1/p/%2").arg(host).arg(n);
    return QStringLiteral("https://%1/blog/2009/%2/%3/a-post-about-music-%4/")
        .arg(host)
        .arg(n % 12 + 1)
        .arg(n % 28 + 1)
        .arg(n);
}

} // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 1000000;
    qint64 characters = 0;
    for (int n = 0; n < count; ++n)
        characters += address(n).size();

    const qint64 before = residentBytes();
    QElapsedTimer timer;
    timer.start();
    crawl::PageQueue queue;
    for (int n = 0; n < count; ++n)
        queue.add(address(n));
    const double addSeconds = double(timer.nsecsElapsed()) / 1e9;
    const qint64 after = residentBytes();

    // Every address again in other letter case: all refused.
    timer.restart();
    int refused = 0;
    for (int n = 0; n < count; n += 10)
        refused += queue.add(address(n).toUpper()) ? 0 : 1;
    const double duplicateSeconds = double(timer.nsecsElapsed()) / 1e9;

    const double perAddress = double(after - before) / count;
    std::printf("%d addresses queued (%d kept), %.1f characters average\n", count, queue.count(),
                double(characters) / count);
    std::printf("resident memory: %.1f MiB for the queue, %.0f bytes per address (the text alone: %.0f bytes "
                "as UTF-16)\n",
                double(after - before) / (1024 * 1024), perAddress, 2.0 * double(characters) / count);
    std::printf("add: %.0f ns per address (address text built included); case-only duplicates: %d of %d "
                "refused, %.0f ns each\n",
                addSeconds * 1e9 / count, refused, (count + 9) / 10,
                duplicateSeconds * 1e9 / ((count + 9) / 10));
    return queue.count() == count && refused == (count + 9) / 10 ? 0 : 1;
}
