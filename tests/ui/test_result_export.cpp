// Exports read back by independent parsers must give the rows that went in; failed writes leave nothing.

#include "tests/support/table_rows.h"
#include "ui/result_export.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <optional>
#include <utility>

using namespace vorlane;

Q_DECLARE_METATYPE(vorlane::ui::ExportRow)
Q_DECLARE_METATYPE(vorlane::ui::ExportFormat)

namespace {

// Strict RFC 4180 reader: every record ends in CRLF, a field is either unquoted (no comma, quote, CR or
// LF) or quoted with inner quotes doubled. Anything else is malformed and yields nothing.
std::optional<QList<QStringList>> parseCsv(const QByteArray& bytes) {
    static const QRegularExpression field(R"re((?:"((?:[^"]|"")*)"|([^",\r\n]*))(,|\r\n))re");
    const QString text = QString::fromUtf8(bytes);
    QList<QStringList> records;
    QStringList record;
    for (qsizetype at = 0; at < text.size();) {
        const QRegularExpressionMatch m = field.match(text, at, QRegularExpression::NormalMatch,
                                                      QRegularExpression::AnchorAtOffsetMatchOption);
        if (!m.hasMatch())
            return std::nullopt;
        record << (m.capturedStart(1) >= 0 ? m.captured(1).replace("\"\"", "\"") : m.captured(2));
        at = m.capturedEnd();
        if (m.captured(3) == "\r\n")
            records << std::exchange(record, {});
    }
    return records;
}

// Reads "#EXTM3U" followed by #EXTINF/address pairs, every line ending in LF; gives titles and addresses.
std::optional<std::pair<QStringList, QStringList>> parseM3u(const QByteArray& bytes) {
    QStringList lines = QString::fromUtf8(bytes).split(u'\n');
    if (lines.size() < 2 || lines.takeFirst() != "#EXTM3U" || !lines.takeLast().isEmpty() || lines.size() % 2)
        return std::nullopt;
    const QString tag = QStringLiteral("#EXTINF:-1,");
    std::pair<QStringList, QStringList> entries;
    for (qsizetype i = 0; i < lines.size(); i += 2) {
        if (!lines[i].startsWith(tag) || lines[i + 1].startsWith(u'#') || lines[i + 1].contains(u'\r'))
            return std::nullopt;
        entries.first << lines[i].mid(tag.size());
        entries.second << lines[i + 1];
    }
    return entries;
}

} // namespace

class TestResultExport : public QObject {
    Q_OBJECT
private slots:
    void everyFormatReadsBack_data() {
        // Line-based formats cannot hold a line break or a leading space in an address, so the addresses
        // and titles expected there are given separately.
        addColumns<QList<ui::ExportRow>, QStringList, QStringList>({"rows", "lineAddresses", "lineTitles"});

        const ui::ExportRow plain{"song.mp3", "http://example.com/music/song.mp3",
                                  "3 - Audio - http://example.com/", "http://example.com/music/"};
        QTest::newRow("no rows") << QList<ui::ExportRow>{} << QStringList{} << QStringList{};
        const ui::ExportRow punct{"a,b \"quoted\".mp3", "http://h.test/a,b%22q%22.mp3?x=1,2&y=\"3\"",
                                  "5 - Video, \"HD\" - h.test", "http://h.test/list,\"1\""};
        QTest::newRow("commas and quotes")
            << QList<ui::ExportRow>{punct, plain} << QStringList{punct.url, plain.url}
            << QStringList{punct.fileName, plain.fileName};
        const ui::ExportRow breaks{"two\nlines\r\n.mp3", "http://h.test/x\ny\rz.mp3", "camp\r\naign",
                                   "http://h.test/\n"};
        const ui::ExportRow spaces{" lead.mp3", " \thttp://h.test/a b.mp3", "", ""};
        QTest::newRow("line breaks, spaces and tabs")
            << QList<ui::ExportRow>{breaks, spaces}
            << QStringList{"http://h.test/x%0Ay%0Dz.mp3", "%20%09http://h.test/a%20b.mp3"}
            << QStringList{"two lines  .mp3", " lead.mp3"};
        const ui::ExportRow unicode{QString::fromUtf8("Grüße – 日本 🎵 back\\slash\t\x01\x1f.mp3"),
                                    QString::fromUtf8("http://bücher.test/日本/🎵\\x.mp3"),
                                    QString::fromUtf8("9 - Musik - ü"),
                                    QString::fromUtf8("http://bücher.test/é")};
        QTest::newRow("unicode and JSON escapes")
            << QList<ui::ExportRow>{unicode} << QStringList{unicode.url} << QStringList{unicode.fileName};
        // Rows without an address mean nothing to a player or a download tool.
        const ui::ExportRow noAddress{"lost.mp3", "", "", ""};
        QTest::newRow("row without address") << QList<ui::ExportRow>{noAddress, plain}
                                             << QStringList{plain.url} << QStringList{plain.fileName};
    }

    void everyFormatReadsBack() {
        QFETCH(QList<ui::ExportRow>, rows);
        QFETCH(QStringList, lineAddresses);
        QFETCH(QStringList, lineTitles);
        QList<QStringList> fields;
        for (const ui::ExportRow& row : rows)
            fields << QStringList{row.fileName, row.url, row.campaign, row.foundOn};

        const auto records = parseCsv(ui::exportRows(rows, ui::ExportFormat::Csv));
        QVERIFY(records.has_value());
        QCOMPARE(*records, (QList<QStringList>{{"file", "address", "campaign", "found on"}} + fields));

        QList<QByteArray> lines = ui::exportRows(rows, ui::ExportFormat::JsonLines).split('\n');
        QCOMPARE(lines.takeLast(), QByteArray()); // every line ends in a line break
        QList<QStringList> objects;
        for (const QByteArray& line : lines) {
            const QJsonObject o = QJsonDocument::fromJson(line).object(); // empty when malformed
            QCOMPARE(o.keys(), (QStringList{"address", "campaign", "file", "found_on"}));
            objects << QStringList{o["file"].toString(), o["address"].toString(), o["campaign"].toString(),
                                   o["found_on"].toString()};
        }
        QCOMPARE(objects, fields);

        const auto playlist = parseM3u(ui::exportRows(rows, ui::ExportFormat::M3u));
        QVERIFY(playlist.has_value());
        QCOMPARE(playlist->first, lineTitles);
        QCOMPARE(playlist->second, lineAddresses);

        QCOMPARE(QString::fromUtf8(ui::exportRows(rows, ui::ExportFormat::PlainList)),
                 lineAddresses.isEmpty() ? QString() : lineAddresses.join('\n') + '\n');
    }

    // A shorter export over a longer one keeps no old tail; a failed one leaves nothing behind.
    void writeReplacesOrLeavesNothing_data() {
        QTest::addColumn<QString>("where"); // in a folder that holds a file "plain-file" and a "folder"
        QTest::newRow("over a longer export") << QString::fromUtf8("exporté.csv");
        QTest::newRow("folder does not exist") << "missing/out.csv";
        QTest::newRow("parent is a file") << "plain-file/out.csv";
        QTest::newRow("target is a folder") << "folder";
    }
    void writeReplacesOrLeavesNothing() {
        QFETCH(QString, where);
        const bool ok = where.endsWith(QString::fromUtf8("é.csv"));
        QTemporaryDir dir;
        QVERIFY(QFile(dir.filePath("plain-file")).open(QIODevice::WriteOnly));
        QVERIFY(QDir(dir.path()).mkdir("folder"));
        const QString path = dir.filePath(where);
        QStringList entries = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden);

        const QList<ui::ExportRow> longer(9000, {"f.ogg", "http://h.test/f.ogg", "7 - Audio - h.test", ""});
        QString error;
        QCOMPARE(ui::writeExport(path, longer, ui::ExportFormat::Csv, &error), ok);
        QCOMPARE(ui::writeExport(path, longer.mid(4000), ui::ExportFormat::M3u), ok); // no error text wanted
        QVERIFY2(ok ? error.isEmpty() : error.contains(QDir::toNativeSeparators(path)), qPrintable(error));
        if (ok) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), ui::exportRows(longer.mid(4000), ui::ExportFormat::M3u));
            entries << where;
            entries.sort();
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden), entries);
    }
};

QTEST_GUILESS_MAIN(TestResultExport)
#include "test_result_export.moc"
