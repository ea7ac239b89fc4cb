// Result list figures: 100,000 rows appended (in one batch, as a campaign loads, and row by row, as a crawl
// records them) and sorted by a header click, on a shown list under the offscreen platform.
// Usage: bench_result_list [rows] [runs]

#include "tests/support/recording_opener.h"
#include "tests/support/scripted_messages.h"
#include "ui/result_list.h"
#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>

namespace {

QList<ResultRow> makeRows(int count) {
    // Names and addresses in no particular order, with a handful of file types, as a real site gives them.
    const char* const types[] = {"mp3", "ogg", "flac", "wav", "m4a", "mp4", "jpg"};
    QList<ResultRow> rows;
    rows.reserve(count);
    for (int i = 0; i < count; ++i) {
        const int key = int((quint64(i) * 2654435761u) % 1000003u);
        const QString name = QStringLiteral("track-%1.%2").arg(key).arg(QLatin1String(types[i % 7]));
        rows.append(
            {name, QStringLiteral("http://media%1.example/albums/%2/%3").arg(i % 13).arg(key % 977).arg(name),
             QStringLiteral("http://media%1.example/albums/%2/").arg(i % 13).arg(key % 977)});
    }
    return rows;
}

double settle(QElapsedTimer& clock) {
    QCoreApplication::processEvents(); // the view's deferred layout and the repaint count too
    return double(clock.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? atoi(argv[1]) : 100000;
    const int runs = argc > 2 ? atoi(argv[2]) : 3;
    const QList<ResultRow> rows = makeRows(count);
    std::printf("rows=%d\n", count);
    for (int run = 1; run <= runs; ++run) {
        RecordingOpener opener;
        ScriptedMessages messages;
        ResultList list(opener, messages);
        list.resize(900, 600);
        list.show();
        QCoreApplication::processEvents();

        QElapsedTimer clock;
        clock.start();
        list.addResultRows(rows);
        const double batch = settle(clock);

        clock.restart();
        list.headerClicked(ResultListModel::UrlColumn);
        const double sortAsc = settle(clock);
        clock.restart();
        list.headerClicked(ResultListModel::FileColumn);
        const double sortDesc = settle(clock);

        ResultList oneByOne(opener, messages);
        oneByOne.resize(900, 600);
        oneByOne.show();
        QCoreApplication::processEvents();
        clock.restart();
        for (const ResultRow& row : rows)
            oneByOne.AddResultRow(row.fileName, row.url, row.foundOn);
        const double single = settle(clock);

        // The model alone, without a view to lay out: what sorting itself costs.
        ResultListModel model;
        model.appendRows(rows);
        clock.restart();
        model.sort(ResultListModel::UrlColumn, Qt::AscendingOrder);
        const double modelSort = double(clock.nsecsElapsed()) / 1e6;

        std::printf("run %d: model-only sort %.1f ms; append batch %.1f ms, append row by row %.1f ms, sort "
                    "by URL %.1f ms, "
                    "sort by File (reverse) %.1f ms\n",
                    run, modelSort, batch, single, sortAsc, sortDesc);
    }
    return 0;
}
