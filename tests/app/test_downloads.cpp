// The session's downloads over a real database: states stored as they change, unfinished downloads
// resumed at the next start, a campaign's rows gone with it while its files stay.

#include "app/session.h"
#include "store/campaign_store.h"
#include "tests/support/http_fixture.h"
#include "tests/support/temp_database.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace vorlane;
using store::DownloadState;

namespace {
constexpr int kWaitMs = 30000;

store::DownloadRow row(TempDatabase& database, qint64 id) {
    return store::DownloadStore(database.connection()).download(id).value();
}

bool isPattern(const QString& path, qint64 size) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.readAll() == HttpFixture::patternBytes(size);
}
} // namespace

class TestDownloads : public QObject {
    Q_OBJECT
private slots:
    void unfinishedDownloadsResumeAtTheNextStart() {
        constexpr qint64 size = 600000;
        HttpFixture site;
        site.setRoute("/kept.bin", HttpFixture::patternedFile(size, 300000));
        site.setRoute("/lost.bin", HttpFixture::patternedFile(size, 300000));
        site.setRoute("/quick.bin", HttpFixture::patternedFile(2000));
        TempDatabase database;
        QTemporaryDir dir;
        auto downloads = std::make_unique<app::Downloads>(database.database());
        const auto ids = downloads->download(
            {site.url("/kept.bin"), "  ", site.url("/lost.bin"), site.url("/quick.bin")}, 0, dir.path());
        QCOMPARE(ids->size(), 3);
        const qint64 kept = ids->at(0), lost = ids->at(1), quick = ids->at(2);
        QVERIFY(QTest::qWaitFor([&] { return row(database, quick).state == DownloadState::Done; }, kWaitMs));
        QVERIFY(QTest::qWaitFor(
            [&] {
                return QFileInfo(dir.filePath("kept.bin")).size() > 50000 &&
                       QFileInfo(dir.filePath("lost.bin")).size() > 0;
            },
            kWaitMs));
        QCOMPARE(downloads->unfinishedCount(), 2);
        downloads.reset();

        QCOMPARE(row(database, kept).state, DownloadState::Active);
        QCOMPARE(row(database, quick).received, 2000);
        QVERIFY(row(database, quick).finished.isValid());
        QVERIFY(QFile::remove(dir.filePath("lost.bin")) && QFile::remove(dir.filePath("lost.bin.aria2")));
        site.clearRequests();

        downloads = std::make_unique<app::Downloads>(database.database());
        QSignalSpy batch(downloads.get(), &app::Downloads::batchFinished);
        QVERIFY(downloads->resumeStored());
        QCOMPARE(row(database, kept).state, DownloadState::Queued);
        QVERIFY(row(database, lost).error.contains("started again from zero"));
        QVERIFY(QTest::qWaitFor([&] { return batch.size() == 1; }, kWaitMs));
        QCOMPARE(batch.first(), QVariantList({2, 0}));
        QVERIFY(isPattern(dir.filePath("kept.bin"), size));
        QVERIFY(isPattern(dir.filePath("lost.bin"), size));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 3);
        QCOMPARE(site.hits("/quick.bin"), 0);
        QCOMPARE(row(database, kept).state, DownloadState::Done);
    }

    void deletingACampaignKeepsItsFiles() {
        HttpFixture site;
        site.setRoute("/a.bin", HttpFixture::patternedFile(3000));
        TempDatabase database;
        QTemporaryDir dir;
        app::Session session(database.database());
        app::DownloadSettings settings;
        settings.folder = dir.path();
        session.useDownloadSettings(settings);
        const int campaign = store::CampaignStore(database.connection())
                                 .createCampaign(store::CampaignType::UrlSearch, "http://site.test/music/")
                                 .value();
        const auto ids = session.downloads().download({site.url("/a.bin")}, campaign);
        const QString expected = dir.filePath("site.test_music/a.bin");
        QVERIFY(QTest::qWaitFor([&] { return row(database, ids->first()).state == DownloadState::Done; },
                                kWaitMs));
        QCOMPARE(row(database, ids->first()).target, expected);
        QVERIFY(session.deleteCampaign(campaign));
        QCOMPARE(session.downloads().rows()->size(), 0);
        QVERIFY(isPattern(expected, 3000));
    }
};

QTEST_GUILESS_MAIN(TestDownloads)
#include "test_downloads.moc"
