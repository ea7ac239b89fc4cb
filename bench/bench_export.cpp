// Time to turn 100,000 result rows into each export format and to write each to a file.
// Usage: bench_export [rows] [runs]; prints one line per format and run, in milliseconds.

#include "ui/result_export.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

using namespace vorlane;

namespace {

// Rows shaped like a real crawl's: long addresses, a few with commas, quotes or non-ASCII names, which
// take the slower quoting and escaping paths.
QList<ui::ExportRow> sampleRows(int count) {
    QList<ui::ExportRow> rows;
    rows.reserve(count);
    const QString campaign = QStringLiteral("42 - Audio (mp3, ogg) - http://www.example.com/archive/");
    for (int i = 0; i < count; ++i) {
        QString name = QStringLiteral("track-%1-live-recording.mp3").arg(i);
        if (i % 10 == 0)
            name = QStringLiteral("Grüße, \"Live\" %1.mp3").arg(i);
        const QString page =
            QStringLiteral("http://www.example.com/archive/%1/index.html?page=%2").arg(i / 100).arg(i % 7);
        rows.append({name, QStringLiteral("http://cdn.example.com/archive/%1/%2").arg(i / 100).arg(name),
                     campaign, page});
    }
    return rows;
}

const char* nameOf(ui::ExportFormat format) {
    switch (format) {
    case ui::ExportFormat::PlainList:
        return "plain list";
    case ui::ExportFormat::M3u:
        return "m3u";
    case ui::ExportFormat::Csv:
        return "csv";
    case ui::ExportFormat::JsonLines:
        return "json lines";
    }
    return "?";
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int count = args.size() > 1 ? args[1].toInt() : 100000;
    const int runs = args.size() > 2 ? args[2].toInt() : 3;
    QTextStream out(stdout);

    const QList<ui::ExportRow> rows = sampleRows(count);
    QTemporaryDir dir;
    if (!dir.isValid()) {
        out << "no temporary folder\n";
        return 1;
    }
    out << "rows " << count << "\n";
    for (ui::ExportFormat format : ui::exportFormats()) {
        for (int run = 1; run <= runs; ++run) {
            QElapsedTimer timer;
            timer.start();
            const QByteArray bytes = ui::exportRows(rows, format);
            const double buildMs = timer.nsecsElapsed() / 1e6;
            timer.restart();
            QString error;
            if (!ui::writeExport(dir.filePath("out." + ui::exportSuffix(format)), rows, format, &error)) {
                out << error << "\n";
                return 1;
            }
            const double writeMs = timer.nsecsElapsed() / 1e6;
            out << qSetFieldWidth(10) << Qt::left << nameOf(format) << qSetFieldWidth(0) << " run " << run
                << "  build " << QString::number(buildMs, 'f', 1) << " ms  build+write "
                << QString::number(writeMs, 'f', 1) << " ms  " << bytes.size() / 1024 << " KiB\n";
        }
    }
    return 0;
}
