#pragma once
// Turns result rows into files other programs read: an address list for download tools, an M3U playlist,
// CSV and JSON Lines. Widget-free; the result lists and the campaign dialog supply the rows and the path.
//
// Contract:
// - Every format is UTF-8 without a byte-order mark. Rows keep their order.
// - CSV and JSON Lines keep every field exactly, so they read back to the same rows.
// - The address list and the playlist are line-based: one row may never become two lines or an option
//   line of a download tool. There, control characters and spaces in an address are percent-encoded
//   (as a browser sends them), line breaks in a playlist title become spaces, and rows without an
//   address are left out.
// - writeExport replaces the file in one step: on failure the previous file, if any, is untouched and no
//   partial file is left behind.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace vorlane::ui {

struct ExportRow {
    QString fileName;
    QString url;
    QString campaign; // campaign label; empty for a search's own list
    QString foundOn;  // page the link was found on; empty when not known
};

enum class ExportFormat { PlainList, M3u, Csv, JsonLines };

// Every format, in the order a menu or a file dialog offers them.
QList<ExportFormat> exportFormats();
// File-dialog filter entry, e.g. "CSV table (*.csv)".
QString exportFilter(ExportFormat format);
// All filters joined with ";;", ready for QFileDialog.
QString exportFilters();
// Suffix (without the dot) a file of this format gets when the user typed none.
QString exportSuffix(ExportFormat format);
// Format belonging to a file name's suffix (.txt, .m3u, .m3u8, .csv, .jsonl, letter case ignored);
// nothing for any other suffix, so the caller falls back to the filter the user picked.
std::optional<ExportFormat> exportFormatForFile(const QString& path);
// Format of a filter entry returned by exportFilter (the file dialog's selected filter).
std::optional<ExportFormat> exportFormatForFilter(const QString& filter);

// The file content for the rows in the format.
QByteArray exportRows(const QList<ExportRow>& rows, ExportFormat format);

// Writes exportRows(rows, format) to path. On failure returns false and, when error is given, sets it to
// a sentence for the user naming the file and the cause.
bool writeExport(const QString& path, const QList<ExportRow>& rows, ExportFormat format,
                 QString* error = nullptr);

// One CSV record as the CSV export writes it: fields quoted where they must be, ended by CR LF.
QByteArray csvRecord(const QStringList& fields);
// Writes `content` to path as writeExport does: in one step, and on failure a sentence for the user.
bool writeWholeFile(const QString& path, const QByteArray& content, QString* error = nullptr);

// Text for the clipboard's "Copy all addresses": the addresses in row order, one a line, no final
// line break.
QString copyText(const QList<ExportRow>& rows);

} // namespace vorlane::ui
