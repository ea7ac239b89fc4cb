// Quick filter figures on a shown list of 100,000 rows under the offscreen platform: each keystroke of a
// filter typed letter by letter (the first letter scans every row, later ones only the rows still shown),
// clearing the filter, a header click while filtered, and rows arriving one by one while filtered, as a
// running search adds them. Also the export of the shown rows to CSV.
// Usage: bench_quick_filter [rows] [runs]

#include "bench_rows.h"
#include "tests/support/recording_opener.h"
#include "tests/support/scripted_messages.h"
#include "ui/quick_filter_bar.h"
#include "ui/result_actions.h"
#include "ui/result_list.h"
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <cstdio>

using namespace vorlane;

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? atoi(argv[1]) : 100000;
    const int runs = argc > 2 ? atoi(argv[2]) : 3;
    const QList<ui::ResultRow> rows = makeBenchRows(count);
    const QList<ui::ResultRow> arrivals = makeBenchRows(1000, 7);
    const QString typed = QStringLiteral("TRACK-12");
    std::printf("rows=%d, filter typed: %s\n", count, qPrintable(typed));
    for (int run = 1; run <= runs; ++run) {
        RecordingOpener opener;
        ScriptedMessages messages;
        QWidget window;
        auto* bar = new ui::QuickFilterBar(&window);
        auto* list = new ui::ResultList(opener, messages, &window);
        bar->setGeometry(0, 0, 900, 30);
        list->setGeometry(0, 30, 900, 600);
        window.show();
        list->addResultRows(rows);
        bar->setList(list);
        QCoreApplication::processEvents();

        QElapsedTimer clock;
        QList<double> keys;
        for (qsizetype i = 1; i <= typed.size(); ++i) {
            clock.restart();
            bar->box()->setText(typed.left(i));
            keys.append(settleMs(clock));
        }
        const int shown = list->rowCount();

        clock.restart();
        list->headerClicked(ui::ResultListModel::UrlColumn);
        const double sortFiltered = settleMs(clock);

        clock.restart();
        for (const ui::ResultRow& row : arrivals)
            list->addResultRow(row.fileName, row.url, row.foundOn);
        const double arrive = settleMs(clock) / double(arrivals.size());

        clock.restart();
        bar->box()->clear();
        const double cleared = settleMs(clock);
        // The same arrivals without a filter, for comparison: a sorted list places each row either way.
        clock.restart();
        for (const ui::ResultRow& row : arrivals)
            list->addResultRow(row.fileName, row.url, row.foundOn);
        const double arriveUnfiltered = settleMs(clock) / double(arrivals.size());

        QTemporaryDir dir;
        list->commands().setFileChooser([&](QWidget*, const QString&, const QString&) {
            return ui::ExportTarget{dir.filePath(QStringLiteral("out.csv")), {}};
        });
        bar->box()->setText(QStringLiteral("track")); // every row
        clock.restart();
        list->commands().exportShownRows();
        const double exportAll = settleMs(clock);

        std::printf("run %d: keystrokes", run);
        for (double k : keys)
            std::printf(" %.1f", k);
        std::printf(" ms (%d shown); sort while filtered %.1f ms; one arriving row while filtered %.3f ms "
                    "(unfiltered %.3f ms); clear %.1f ms; export of %d shown rows to CSV %.1f ms\n",
                    shown, sortFiltered, arrive, arriveUnfiltered, cleared, list->rowCount(), exportAll);
    }
    return 0;
}
