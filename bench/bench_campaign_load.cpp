// Loading a stored campaign from the Campaign Management dialog: the pick of one campaign with many links,
// from the click to the rows handed to the main window (store read and signal), and the store read alone.
// Filling the result list is measured by bench_result_list.
// Usage: bench_campaign_load [links] [runs]

#include "campaigns/camp_management.h"
#include "store/campaign_store.h"
#include "tests/support/session_fixture.h"
#include "tests/support/dialog_driver.h"
#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>

using namespace vorlane;

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? atoi(argv[1]) : 100000;
    const int runs = argc > 2 ? atoi(argv[2]) : 5;

    SessionFixture fixture;
    if (!fixture.database.isValid()) {
        std::fprintf(stderr, "database: %s\n", qPrintable(fixture.database.error()));
        return 1;
    }
    QSqlDatabase db = fixture.database.connection();
    store::CampaignStore store(db);
    const int id =
        store.createCampaign(store::CampaignType::UrlSearch, QStringLiteral("http://media.example/")).value();
    db.transaction();
    for (int i = 0; i < count; ++i) {
        const QString page = QStringLiteral("http://media%1.example/albums/%2/").arg(i % 13).arg(i % 977);
        if (!store.recordFileLink(id, page + QStringLiteral("track-%1.mp3").arg(i), page)) {
            std::fprintf(stderr, "recording link %d failed\n", i);
            return 1;
        }
    }
    db.commit();
    std::printf("links=%d\n", count);

    QWidget owner;
    campaigns::CampManagement dialog(fixture.session, fixture.messages, &owner);
    auto* campaigns = control<QComboBox>(&dialog, "Campaigns");
    qsizetype delivered = 0;
    QObject::connect(&fixture.session, &app::Session::campaignLoaded,
                     [&](int, const QList<store::FileLinkRow>& rows) { delivered = rows.size(); });

    for (int run = 1; run <= runs; ++run) {
        QElapsedTimer clock;
        clock.start();
        const auto links = store::CampaignStore(db).campaignLinks(id);
        const double readOnly = double(clock.nsecsElapsed()) / 1e6;

        delivered = 0;
        clock.restart();
        pick(campaigns, campaigns->itemText(0));
        const double picked = double(clock.nsecsElapsed()) / 1e6;
        if (!links || links->size() != count || delivered != count) {
            std::fprintf(stderr, "expected %d links, read %lld, delivered %lld\n", count,
                         links ? qlonglong(links->size()) : -1LL, qlonglong(delivered));
            return 1;
        }
        std::printf("run %d: store read %.1f ms; pick to signal %.1f ms\n", run, readOnly, picked);
    }
    return 0;
}
