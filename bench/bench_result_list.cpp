// Result list figures: 100,000 rows appended (in one batch, as a campaign loads, and row by row, as a crawl
// records them) and sorted by a header click, on a shown list under the offscreen platform.
// Usage: bench_result_list [rows] [runs]

#include "bench_rows.h"
#include "tests/support/recording_opener.h"
#include "tests/support/scripted_messages.h"
#include "ui/result_list.h"
#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>

using namespace vorlane;

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? atoi(argv[1]) : 100000;
    const int runs = argc > 2 ? atoi(argv[2]) : 3;
    const QList<ui::ResultRow> rows = makeBenchRows(count);
    std::printf("rows=%d\n", count);
    for (int run = 1; run <= runs; ++run) {
        RecordingOpener opener;
        ScriptedMessages messages;
        ui::ResultList list(opener, messages);
        list.resize(900, 600);
        list.show();
        QCoreApplication::processEvents();

        QElapsedTimer clock;
        clock.start();
        list.addResultRows(rows);
        const double batch = settleMs(clock);

        clock.restart();
        list.headerClicked(ui::ResultListModel::UrlColumn);
        const double sortAsc = settleMs(clock);
        clock.restart();
        list.headerClicked(ui::ResultListModel::FileColumn);
        const double sortDesc = settleMs(clock);

        ui::ResultList oneByOne(opener, messages);
        oneByOne.resize(900, 600);
        oneByOne.show();
        QCoreApplication::processEvents();
        clock.restart();
        for (const ui::ResultRow& row : rows)
            oneByOne.addResultRow(row.fileName, row.url, row.foundOn);
        const double single = settleMs(clock);

        // The model alone, without a view to lay out: what sorting itself costs.
        ui::ResultListModel model;
        model.appendRows(rows);
        clock.restart();
        model.sort(ui::ResultListModel::UrlColumn, Qt::AscendingOrder);
        const double modelSort = double(clock.nsecsElapsed()) / 1e6;

        std::printf("run %d: model-only sort %.1f ms; append batch %.1f ms, append row by row %.1f ms, sort "
                    "by URL %.1f ms, "
                    "sort by File (reverse) %.1f ms\n",
                    run, modelSort, batch, single, sortAsc, sortDesc);
    }
    return 0;
}
