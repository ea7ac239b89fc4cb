// Start-up figure: from the start of the sequence to the main window shown, with a database of 1,000,000
// file links (the database check and the compaction decision run on the real file).
// Usage: bench_startup_window [links] [runs]

#include "shell/main_window.h"
#include "shell/startup_sequence.h"
#include "shell/user_options.h"
#include "store/database.h"
#include "tests/support/recording_opener.h"
#include "tests/support/scripted_messages.h"
#include "tests/support/temp_user_options.h"
#include <QApplication>
#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>

using namespace vorlane;

namespace {

bool fillDatabase(const QString& folder, int links) {
    store::StartupResult prepared = store::prepareDatabase(folder);
    if (prepared.outcome != store::StartupOutcome::Ready)
        return false;
    QSqlDatabase db = prepared.database.connection();
    QSqlQuery q(db);
    const int campaigns = 100;
    db.transaction();
    for (int c = 0; c < campaigns; ++c)
        q.exec(QStringLiteral(
                   "INSERT INTO CAMPAIGNS (CAMPTYPEID, CAMPAIGNSOURCE) VALUES (1, 'http://site%1.example/')")
                   .arg(c));
    QSqlQuery insert(db);
    insert.prepare(QStringLiteral("INSERT INTO FILELINKS (CAMPAIGNID, URL) VALUES (?, ?)"));
    for (int i = 0; i < links; ++i) {
        insert.bindValue(0, 1 + i % campaigns);
        insert.bindValue(1, QStringLiteral("http://site%1.example/media/%2/file-%3.mp3")
                                .arg(i % campaigns)
                                .arg(i % 5000)
                                .arg(i));
        if (!insert.exec()) {
            std::fprintf(stderr, "insert failed: %s\n", qPrintable(insert.lastError().text()));
            return false;
        }
    }
    return db.commit();
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    const int links = argc > 1 ? atoi(argv[1]) : 1000000;
    const int runs = argc > 2 ? atoi(argv[2]) : 3;
    TempUserOptions options;
    shell::UserOptions::setShowStartInfoOff();

    QTemporaryDir folder;
    QElapsedTimer clock;
    clock.start();
    if (!fillDatabase(folder.path(), links)) {
        std::fprintf(stderr, "could not build the database\n");
        return 1;
    }
    std::printf("links=%d (database built in %.1f s)\n", links, double(clock.elapsed()) / 1000);

    for (int run = 1; run <= runs; ++run) {
        ScriptedMessages messages;
        RecordingOpener opener;
        clock.restart();
        shell::StartupSequence startup(messages, opener, folder.path(), false);
        if (!startup.run()) {
            std::fprintf(stderr, "start-up failed: %s\n", qPrintable(messages.last()));
            return 1;
        }
        QCoreApplication::processEvents(); // the first paint of the main window
        const double shown = double(clock.nsecsElapsed()) / 1e6;
        std::printf("run %d: start-up to main window shown %.1f ms (visible: %s)\n", run, shown,
                    startup.mainWindow()->isVisible() ? "yes" : "no");
        startup.mainWindow()->shutDownApplication();
    }
    return 0;
}
