// The download queue against a real server on 127.0.0.1: names, content, failures, pause and resume,
// broken connections, restarts and a full disk. Files land in temporary folders.

#include "download/download_queue.h"
#include "tests/support/forwarding_proxy.h"
#include "tests/support/http_fixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <unistd.h>

using namespace vorlane;
using download::DownloadQueue;
using store::DownloadState;

namespace {

constexpr int kWaitMs = 30000;

// A queue and what it has told so far.
struct Downloads {
    DownloadQueue queue;
    QHash<qint64, DownloadState> states;
    QHash<qint64, QString> errors;
    QHash<qint64, QString> targets;
    QHash<qint64, qint64> received;

    explicit Downloads(const download::DownloadOptions& options = {}) : queue(options) {
        QObject::connect(&queue, &DownloadQueue::stateChanged, &queue,
                         [this](qint64 id, DownloadState state, const QString& error) {
                             states[id] = state;
                             errors[id] = error;
                         });
        QObject::connect(&queue, &DownloadQueue::targetChosen, &queue,
                         [this](qint64 id, const QString& path) { targets[id] = path; });
        QObject::connect(&queue, &DownloadQueue::progressed, &queue,
                         [this](qint64 id, qint64, qint64 bytes, int) { received[id] = bytes; });
    }
    bool reaches(qint64 id, DownloadState state) {
        return QTest::qWaitFor([&] { return states.value(id) == state; }, kWaitMs);
    }
};

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// True when some GET of `target` asked for the rest of the file from a byte past its start.
bool resumedWithRange(const HttpFixture& site, const QString& target) {
    for (const HttpFixture::Request& request : site.requests())
        if (request.target == target && request.method == "GET" && request.range.startsWith("bytes=") &&
            !request.range.startsWith("bytes=0-"))
            return true;
    return false;
}

} // namespace

class TestDownloadQueue : public QObject {
    Q_OBJECT
private slots:
    void namedSafelyInsideTheFolder_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QByteArray>("disposition");
        QTest::addColumn<QString>("expected");
        QTest::newRow("address's name") << "/files/song.bin" << QByteArray() << "song.bin";
        QTest::newRow("filename* before filename")
            << "/get?id=1" << QByteArray("attachment; filename=\"x.bin\"; filename*=UTF-8''%E6%9D%B1.bin")
            << "東.bin";
        QTest::newRow("climbing out")
            << "/get?id=2" << QByteArray("attachment; filename=\"../../evil.mp3\"") << "_.._evil.mp3";
        QTest::newRow("absolute path")
            << "/get?id=3" << QByteArray("attachment; filename=\"/etc/passwd\"") << "_etc_passwd";
        QTest::newRow("device name") << "/files/CON.mp3" << QByteArray() << "_CON.mp3";
        QTest::newRow("newline") << "/files/a%0Ab.mp3" << QByteArray() << "a_b.mp3";
        QTest::newRow("only dots") << "/get?id=4" << QByteArray("attachment; filename=\"...\"") << "download";
        QTest::newRow("400 bytes") << "/files/" + QString(400, u'n') + ".mp3" << QByteArray()
                                   << QString(251, u'n') + ".mp3";
    }
    void namedSafelyInsideTheFolder() {
        QFETCH(QString, target);
        QFETCH(QByteArray, disposition);
        QFETCH(QString, expected);
        HttpFixture site;
        HttpFixture::Route route = HttpFixture::patternedFile(100000);
        if (!disposition.isEmpty())
            route.headers.append({"Content-Disposition", disposition});
        site.setRoute(target, route);
        QTemporaryDir dir;
        Downloads downloads;
        downloads.queue.add(1, site.url(target), dir.path());
        QVERIFY2(downloads.reaches(1, DownloadState::Done), qPrintable(downloads.errors.value(1)));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{expected});
        QCOMPARE(downloads.targets.value(1), QDir(dir.path()).filePath(expected));
        QVERIFY(contents(dir.filePath(expected)) == HttpFixture::patternBytes(100000));
    }

    void failuresTellWhy_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<qint64>("maxFileSize");
        QTest::addColumn<QString>("reason");
        QTest::newRow("404") << 404 << qint64(0) << "404";
        QTest::newRow("500") << 500 << qint64(0) << "500 Internal Server Error";
        QTest::newRow("larger than the maximum") << 200 << qint64(50000) << "Skipped";
    }
    void failuresTellWhy() {
        QFETCH(int, status);
        QFETCH(qint64, maxFileSize);
        QFETCH(QString, reason);
        HttpFixture site;
        HttpFixture::Route route = HttpFixture::patternedFile(100000);
        route.status = status;
        if (status != 404)
            site.setRoute("/f.bin", route);
        site.setRoute("/ok.bin", HttpFixture::patternedFile(1000));
        QTemporaryDir dir;
        download::DownloadOptions options;
        options.maxFileSize = maxFileSize;
        Downloads downloads(options);
        downloads.queue.add(1, site.url("/f.bin"), dir.path());
        downloads.queue.add(2, site.url("/ok.bin"), dir.path());
        QVERIFY(downloads.reaches(1, DownloadState::Failed));
        QVERIFY2(downloads.errors.value(1).contains(reason), qPrintable(downloads.errors.value(1)));
        QVERIFY(downloads.reaches(2, DownloadState::Done));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"ok.bin"});
    }

    void redirectsAreFollowedAndNamesNeverCollide() {
        HttpFixture site;
        site.setRoute("/a/same.bin", HttpFixture::patternedFile(5000));
        site.setRoute("/b/same.bin", HttpFixture::patternedFile(6000));
        site.setRedirect("/go", "/b/same.bin");
        QTemporaryDir dir;
        QFile mine(dir.filePath("same.bin"));
        QVERIFY(mine.open(QIODevice::WriteOnly) && mine.write("mine") == 4);
        mine.close();
        Downloads downloads;
        downloads.queue.add(1, site.url("/a/same.bin"), dir.path());
        downloads.queue.add(2, site.url("/go"), dir.path());
        QVERIFY(downloads.reaches(1, DownloadState::Done));
        QVERIFY(downloads.reaches(2, DownloadState::Done));
        QCOMPARE(contents(dir.filePath("same.bin")), QByteArray("mine"));
        QCOMPARE(QSet<qint64>({contents(downloads.targets.value(1)).size(),
                               contents(downloads.targets.value(2)).size()}),
                 QSet<qint64>({5000, 6000}));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 3);
        QVERIFY(QDir(dir.path()).entryList(QDir::Files).contains("same (2).bin"));
    }

    // A transfer broken off by a pause, by the server, or by the end of the program continues from its
    // partial file and ends byte-identical.
    void resumesFromThePartial_data() {
        QTest::addColumn<QString>("interruption");
        QTest::newRow("pause") << "pause";
        QTest::newRow("connection dropped") << "drop";
        QTest::newRow("shut down and started again") << "restart";
    }
    void resumesFromThePartial() {
        QFETCH(QString, interruption);
        constexpr qint64 size = 800000;
        HttpFixture site;
        HttpFixture::Route route = HttpFixture::patternedFile(size, interruption == u"drop" ? 0 : 400000);
        if (interruption == u"drop")
            route.dropAfter = 300000;
        site.setRoute("/big.bin", route);
        QTemporaryDir dir;
        const QString path = dir.filePath("big.bin");
        auto downloads = std::make_unique<Downloads>();
        downloads->queue.add(1, site.url("/big.bin"), dir.path());
        if (interruption != u"drop") {
            QVERIFY(QTest::qWaitFor([&] { return downloads->received.value(1) > 100000; }, kWaitMs));
            if (interruption == u"pause") {
                downloads->queue.pause(1);
                QVERIFY(downloads->reaches(1, DownloadState::Paused));
                QVERIFY(QFileInfo(path).size() < size);
                downloads->queue.resume(1);
            } else {
                downloads.reset();
                QVERIFY(QFileInfo::exists(path + ".aria2"));
                QVERIFY(QFileInfo(path).size() < size);
                downloads = std::make_unique<Downloads>();
                downloads->queue.restore(1, site.url("/big.bin"), path, false);
            }
        }
        QVERIFY2(downloads->reaches(1, DownloadState::Done), qPrintable(downloads->errors.value(1)));
        QVERIFY(contents(path) == HttpFixture::patternBytes(size));
        QVERIFY(!QFileInfo::exists(path + ".aria2"));
        QVERIFY(resumedWithRange(site, "/big.bin"));
    }

    // The crawl's politeness holds for downloads: one transfer at a time to the host, and its delay
    // between one transfer's start and the next.
    void politeToEachHost() {
        HttpFixture site;
        for (const char* name : {"/1.bin", "/2.bin", "/3.bin"})
            site.setRoute(name, HttpFixture::patternedFile(40000, 200000));
        QTemporaryDir dir;
        download::DownloadOptions options;
        options.maxPerHost = 1;
        options.delayMsPerHost = 300;
        Downloads downloads(options);
        int active = 0;
        int mostActive = 0;
        QObject::connect(&downloads.queue, &DownloadQueue::stateChanged, &downloads.queue,
                         [&](qint64, DownloadState state, const QString&) {
                             active += state == DownloadState::Active ? 1 : store::isFinished(state) ? -1 : 0;
                             mostActive = std::max(mostActive, active);
                         });
        for (qint64 id = 1; id <= 3; ++id)
            downloads.queue.add(id, site.url(QString("/%1.bin").arg(id)), dir.path());
        for (qint64 id = 1; id <= 3; ++id)
            QVERIFY(downloads.reaches(id, DownloadState::Done));
        QCOMPARE(mostActive, 1);
        QList<qint64> starts;
        for (const HttpFixture::Request& request : site.requests())
            if (request.method == "GET")
                starts.append(request.receivedMs);
        QCOMPARE(starts.size(), 3);
        for (int i = 1; i < starts.size(); ++i)
            QVERIFY2(starts[i] - starts[i - 1] >= 290, qPrintable(QString::number(starts[i] - starts[i - 1])));
    }

    void cancelDeletesThePartial() {
        HttpFixture site;
        site.setRoute("/slow.bin", HttpFixture::patternedFile(800000, 200000));
        QTemporaryDir dir;
        Downloads downloads;
        downloads.queue.add(1, site.url("/slow.bin"), dir.path());
        QVERIFY(QTest::qWaitFor([&] { return downloads.received.value(1) > 50000; }, kWaitMs));
        downloads.queue.cancel(1);
        QCOMPARE(downloads.states.value(1), DownloadState::Cancelled);
        QVERIFY(
            QTest::qWaitFor([&] { return QDir(dir.path()).isEmpty(QDir::Files | QDir::Hidden); }, kWaitMs));
    }

    // The system's proxy configuration (http_proxy here) decides: the name probe and the transfer both
    // pass through it, to a host only the proxy can reach.
    void passesThroughTheSystemProxy() {
        ForwardingProxy proxy;
        QVERIFY(proxy.isListening());
        HttpFixture site;
        site.setRoute("/f.bin", HttpFixture::patternedFile(100000));
        const SystemProxyOverride systemProxy(proxy);
        const QString url = QStringLiteral("http://site.test:%1/f.bin").arg(site.port());
        QTemporaryDir dir;
        Downloads downloads;
        downloads.queue.add(1, url, dir.path());
        QVERIFY2(downloads.reaches(1, DownloadState::Done), qPrintable(downloads.errors.value(1)));
        QVERIFY(contents(dir.filePath("f.bin")) == HttpFixture::patternBytes(100000));
        QCOMPARE(proxy.forwarded(), QStringList(2, url)); // HEAD, then GET
    }

    // A full disk fails the download on it with the system's words; the partial stays, the other
    // download goes on.
    void fullDiskFailsOnlyThatDownload() {
        QTemporaryDir dir;
        const QString small = dir.filePath("small");
        QDir().mkpath(small);
        if (geteuid() != 0 ||
            QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=512k", "tmpfs", small}) != 0)
            QSKIP("mounting a small file system needs root");
        const auto unmount = qScopeGuard([&] { QProcess::execute("umount", {small}); });
        HttpFixture site;
        site.setRoute("/huge.bin", HttpFixture::patternedFile(2000000));
        site.setRoute("/fits.bin", HttpFixture::patternedFile(300000));
        Downloads downloads;
        downloads.queue.add(1, site.url("/huge.bin"), small);
        downloads.queue.add(2, site.url("/fits.bin"), dir.path());
        QVERIFY(downloads.reaches(1, DownloadState::Failed));
        QCOMPARE(downloads.errors.value(1), QString::fromLocal8Bit(strerror(ENOSPC)));
        QVERIFY(QFileInfo(small + "/huge.bin").size() > 0);
        QVERIFY(downloads.reaches(2, DownloadState::Done));
        QVERIFY(contents(dir.filePath("fits.bin")) == HttpFixture::patternBytes(300000));
    }
};

QTEST_GUILESS_MAIN(TestDownloadQueue)
#include "test_download_queue.moc"
