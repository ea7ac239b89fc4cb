#include "ui/result_export.h"

#include "urls/display_name.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>
#include <algorithm>

namespace vorlane::ui {

namespace {

struct FormatInfo {
    ExportFormat format;
    const char* filter;
    const char* suffix;
};

// The first suffix of each filter is the default one. The playlist defaults to .m3u8 because its content
// is UTF-8, which that suffix promises to players.
constexpr FormatInfo kFormats[] = {
    {ExportFormat::PlainList, "Address list (*.txt)", "txt"},
    {ExportFormat::M3u, "M3U playlist (*.m3u8 *.m3u)", "m3u8"},
    {ExportFormat::Csv, "CSV table (*.csv)", "csv"},
    {ExportFormat::JsonLines, "JSON Lines (*.jsonl)", "jsonl"},
};

const FormatInfo& infoOf(ExportFormat format) {
    for (const FormatInfo& info : kFormats)
        if (info.format == format)
            return info;
    return kFormats[0];
}

constexpr char kHex[] = "0123456789ABCDEF";

// A space or control character in an address would end the line early or, at the start of a line, turn
// it into an option line of aria2c; a line separator or a bidirectional override would break or reorder
// the line in a viewer. The percent-encoded form names the same resource.
QByteArray lineSafeAddress(const QString& url) {
    QByteArray bytes = urls::shownText(url).toUtf8();
    auto unsafe = [](char c) { return static_cast<unsigned char>(c) <= 0x20 || c == 0x7F; };
    if (std::none_of(bytes.cbegin(), bytes.cend(), unsafe))
        return bytes;
    QByteArray out;
    out.reserve(bytes.size() + 16);
    for (char c : bytes) {
        if (unsafe(c)) {
            const auto u = static_cast<unsigned char>(c);
            out.append('%').append(kHex[u >> 4]).append(kHex[u & 0xF]);
        } else {
            out.append(c);
        }
    }
    return out;
}

QByteArray singleLine(const QString& text) {
    QByteArray bytes = text.toUtf8();
    bytes.replace('\r', ' ').replace('\n', ' ');
    return bytes;
}

void appendCsvField(QByteArray& out, const QString& field) {
    const QByteArray bytes = field.toUtf8();
    const bool quote = std::any_of(bytes.cbegin(), bytes.cend(),
                                   [](char c) { return c == ',' || c == '"' || c == '\r' || c == '\n'; });
    if (!quote) {
        out.append(bytes);
        return;
    }
    out.append('"');
    qsizetype from = 0;
    for (qsizetype quote = bytes.indexOf('"'); quote >= 0; quote = bytes.indexOf('"', from)) {
        out.append(bytes.constData() + from, quote + 1 - from).append('"');
        from = quote + 1;
    }
    out.append(bytes.constData() + from, bytes.size() - from).append('"');
}

// Hand-written rather than QJsonObject: that sorts the keys, and building an object per row costs several
// times the escaping itself.
void appendJsonString(QByteArray& out, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    out.append('"');
    // Most fields need no escape at all; copying them whole keeps 100,000 rows well under a second.
    const auto first = std::find_if(bytes.cbegin(), bytes.cend(), [](char c) {
        return c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20;
    });
    out.append(bytes.constData(), first - bytes.cbegin());
    for (auto it = first; it != bytes.cend(); ++it) {
        const char c = *it;
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            out.append("\\\"");
            break;
        case '\\':
            out.append("\\\\");
            break;
        case '\n':
            out.append("\\n");
            break;
        case '\r':
            out.append("\\r");
            break;
        case '\t':
            out.append("\\t");
            break;
        default:
            if (u < 0x20)
                out.append("\\u00").append(kHex[u >> 4]).append(kHex[u & 0xF]);
            else
                out.append(c);
        }
    }
    out.append('"');
}

QByteArray plainList(const QList<ExportRow>& rows) {
    QByteArray out;
    out.reserve(rows.size() * 64);
    for (const ExportRow& row : rows) {
        if (row.url.isEmpty())
            continue;
        out.append(lineSafeAddress(row.url)).append('\n');
    }
    return out;
}

QByteArray m3u(const QList<ExportRow>& rows) {
    QByteArray out("#EXTM3U\n");
    out.reserve(rows.size() * 96);
    for (const ExportRow& row : rows) {
        if (row.url.isEmpty())
            continue;
        out.append("#EXTINF:-1,").append(singleLine(row.fileName)).append('\n');
        out.append(lineSafeAddress(row.url)).append('\n');
    }
    return out;
}

QByteArray csv(const QList<ExportRow>& rows) {
    QByteArray out("file,address,campaign,found on\r\n");
    out.reserve(rows.size() * 128);
    for (const ExportRow& row : rows) {
        appendCsvField(out, row.fileName);
        out.append(',');
        appendCsvField(out, row.url);
        out.append(',');
        appendCsvField(out, row.campaign);
        out.append(',');
        appendCsvField(out, row.foundOn);
        out.append("\r\n");
    }
    return out;
}

QByteArray jsonLines(const QList<ExportRow>& rows) {
    QByteArray out;
    out.reserve(rows.size() * 160);
    for (const ExportRow& row : rows) {
        out.append("{\"file\":");
        appendJsonString(out, row.fileName);
        out.append(",\"address\":");
        appendJsonString(out, row.url);
        out.append(",\"campaign\":");
        appendJsonString(out, row.campaign);
        out.append(",\"found_on\":");
        appendJsonString(out, row.foundOn);
        out.append("}\n");
    }
    return out;
}

} // namespace

QList<ExportFormat> exportFormats() {
    QList<ExportFormat> formats;
    for (const FormatInfo& info : kFormats)
        formats.append(info.format);
    return formats;
}

QString exportFilter(ExportFormat format) {
    return QString::fromLatin1(infoOf(format).filter);
}

QString exportFilters() {
    QStringList filters;
    for (const FormatInfo& info : kFormats)
        filters.append(QString::fromLatin1(info.filter));
    return filters.join(QStringLiteral(";;"));
}

QString exportSuffix(ExportFormat format) {
    return QString::fromLatin1(infoOf(format).suffix);
}

std::optional<ExportFormat> exportFormatForFile(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("txt"))
        return ExportFormat::PlainList;
    if (suffix == QLatin1String("m3u") || suffix == QLatin1String("m3u8"))
        return ExportFormat::M3u;
    if (suffix == QLatin1String("csv"))
        return ExportFormat::Csv;
    if (suffix == QLatin1String("jsonl"))
        return ExportFormat::JsonLines;
    return std::nullopt;
}

std::optional<ExportFormat> exportFormatForFilter(const QString& filter) {
    for (const FormatInfo& info : kFormats)
        if (filter == QLatin1String(info.filter))
            return info.format;
    return std::nullopt;
}

QByteArray exportRows(const QList<ExportRow>& rows, ExportFormat format) {
    switch (format) {
    case ExportFormat::PlainList:
        return plainList(rows);
    case ExportFormat::M3u:
        return m3u(rows);
    case ExportFormat::Csv:
        return csv(rows);
    case ExportFormat::JsonLines:
        return jsonLines(rows);
    }
    return {};
}

bool writeWholeFile(const QString& path, const QByteArray& content, QString* error) {
    auto fail = [&](const QString& cause) {
        if (error)
            *error =
                QStringLiteral("Could not export to \"%1\": %2").arg(QDir::toNativeSeparators(path), cause);
        return false;
    };
    // QSaveFile writes a temporary file beside the target and renames it over the target on commit, so a
    // failure at any step leaves the old file, or none, never a truncated one.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    if (file.write(content) != content.size()) {
        const QString cause = file.errorString();
        file.cancelWriting();
        return fail(cause);
    }
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

bool writeExport(const QString& path, const QList<ExportRow>& rows, ExportFormat format, QString* error) {
    return writeWholeFile(path, exportRows(rows, format), error);
}

QByteArray csvRecord(const QStringList& fields) {
    QByteArray out;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out.append(',');
        appendCsvField(out, fields.at(i));
    }
    return out.append("\r\n");
}

QString copyText(const QList<ExportRow>& rows) {
    QStringList addresses;
    addresses.reserve(rows.size());
    for (const ExportRow& row : rows)
        addresses.append(urls::shownAddress(row.url)); // one line each, whatever is stored
    return addresses.join(QLatin1Char('\n'));
}

} // namespace vorlane::ui
