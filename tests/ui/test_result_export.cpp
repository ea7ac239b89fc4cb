// Exports read back by independent parsers must give the rows that went in; failed writes leave nothing.

#include "ui/result_export.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>
#include <optional>

Q_DECLARE_METATYPE(ExportRow)
Q_DECLARE_METATYPE(ExportFormat)

namespace {

int idOf(std::optional<ExportFormat> format) {
    return format ? int(*format) : -1;
}

QStringList fieldsOf(const ExportRow& row) {
    return {row.fileName, row.url, row.campaign, row.foundOn};
}

// Strict RFC 4180 reader: records end in CRLF, a field is either unquoted (no comma, quote, CR or LF)
// or quoted with inner quotes doubled. Anything else is malformed and yields nothing.
std::optional<QList<QStringList>> parseCsv(const QByteArray& bytes) {
    const QString text = QString::fromUtf8(bytes);
    QList<QStringList> records;
    QStringList record;
    QString field;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        field.clear();
        if (text[i] == u'"') {
            ++i;
            for (;;) {
                if (i >= n)
                    return std::nullopt; // unterminated quote
                if (text[i] == u'"') {
                    if (i + 1 < n && text[i + 1] == u'"') {
                        field += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += text[i++];
            }
        } else {
            while (i < n && text[i] != u',' && text[i] != u'\r') {
                if (text[i] == u'"' || text[i] == u'\n')
                    return std::nullopt;
                field += text[i++];
            }
        }
        record.append(field);
        if (i < n && text[i] == u',') {
            ++i;
            continue;
        }
        if (i + 1 < n && text[i] == u'\r' && text[i + 1] == u'\n') {
            i += 2;
            records.append(record);
            record.clear();
            continue;
        }
        return std::nullopt; // a field not followed by a comma or CRLF, including a missing final CRLF
    }
    if (!record.isEmpty())
        return std::nullopt;
    return records;
}

struct Entry {
    QString title;
    QString address;
};

// Reads "#EXTM3U" followed by #EXTINF/address pairs, every line ending in LF.
std::optional<QList<Entry>> parseM3u(const QByteArray& bytes) {
    QStringList lines = QString::fromUtf8(bytes).split(u'\n');
    if (lines.size() < 2 || lines.takeFirst() != QLatin1String("#EXTM3U") || !lines.takeLast().isEmpty())
        return std::nullopt;
    if (lines.size() % 2 != 0)
        return std::nullopt;
    QList<Entry> entries;
    const QString tag = QStringLiteral("#EXTINF:-1,");
    for (qsizetype i = 0; i < lines.size(); i += 2) {
        if (!lines[i].startsWith(tag) || lines[i + 1].startsWith(u'#') || lines[i + 1].contains(u'\r'))
            return std::nullopt;
        entries.append({lines[i].mid(tag.size()), lines[i + 1]});
    }
    return entries;
}

const ExportRow kPlain{"song.mp3", "http://example.com/music/song.mp3", "3 - Audio - http://example.com/",
                       "http://example.com/music/"};

QList<ExportRow> manyRows(int count) {
    QList<ExportRow> rows;
    for (int i = 0; i < count; ++i)
        rows.append({QStringLiteral("f%1.ogg").arg(i), QStringLiteral("http://h.test/f%1.ogg").arg(i),
                     QStringLiteral("7 - Audio - h.test"), QStringLiteral("http://h.test/p%1").arg(i / 10)});
    return rows;
}

// Row sets every format must carry. Line-based formats cannot hold a line break or a leading space in an
// address, so the expected addresses and titles there are given separately.
void rowSets() {
    QTest::addColumn<QList<ExportRow>>("rows");
    QTest::addColumn<QStringList>("lineAddresses");
    QTest::addColumn<QStringList>("lineTitles");

    QTest::newRow("no rows") << QList<ExportRow>{} << QStringList{} << QStringList{};
    QTest::newRow("plain") << QList<ExportRow>{kPlain, kPlain} << QStringList{kPlain.url, kPlain.url}
                           << QStringList{kPlain.fileName, kPlain.fileName};

    const ExportRow punct{"a,b \"quoted\".mp3", "http://h.test/a,b%22q%22.mp3?x=1,2&y=\"3\"",
                          "5 - Video, \"HD\" - h.test", "http://h.test/list,\"1\""};
    QTest::newRow("commas and quotes")
        << QList<ExportRow>{punct, kPlain} << QStringList{punct.url, kPlain.url}
        << QStringList{punct.fileName, kPlain.fileName};

    const ExportRow breaks{"two\nlines\r\n.mp3", "http://h.test/x\ny\rz.mp3", "camp\r\naign",
                           "http://h.test/\n"};
    QTest::newRow("line breaks in every field")
        << QList<ExportRow>{breaks} << QStringList{"http://h.test/x%0Ay%0Dz.mp3"}
        << QStringList{"two lines  .mp3"};

    const ExportRow spaces{" lead.mp3", " \thttp://h.test/a b.mp3", "", ""};
    QTest::newRow("spaces and tabs") << QList<ExportRow>{spaces}
                                     << QStringList{"%20%09http://h.test/a%20b.mp3"}
                                     << QStringList{" lead.mp3"};

    const ExportRow unicode{QString::fromUtf8("Grüße – 日本 🎵.mp3"),
                            QString::fromUtf8("http://bücher.test/日本/🎵.mp3"),
                            QString::fromUtf8("9 - Musik - ü"), QString::fromUtf8("http://bücher.test/é")};
    QTest::newRow("unicode") << QList<ExportRow>{unicode} << QStringList{unicode.url}
                             << QStringList{unicode.fileName};

    const ExportRow escapes{"back\\slash\t\x01\x1f.mp3", "http://h.test/\\x", "", ""};
    QTest::newRow("json escapes") << QList<ExportRow>{escapes} << QStringList{"http://h.test/\\x"}
                                  << QStringList{"back\\slash\t\x01\x1f.mp3"};

    // Rows without an address mean nothing to a player or a download tool.
    const ExportRow noAddress{"lost.mp3", "", "", ""};
    QTest::newRow("row without address")
        << QList<ExportRow>{noAddress, kPlain} << QStringList{kPlain.url} << QStringList{kPlain.fileName};
}
} // namespace

class TestResultExport : public QObject {
    Q_OBJECT
private slots:
    void csvReadsBack_data() { rowSets(); }
    void jsonLinesReadBack_data() { rowSets(); }
    void m3uReadsBack_data() { rowSets(); }
    void plainListReadsBack_data() { rowSets(); }

    void csvReadsBack() {
        QFETCH(QList<ExportRow>, rows);
        const auto records = parseCsv(exportRows(rows, ExportFormat::Csv));
        QVERIFY(records.has_value());
        QCOMPARE(records->size(), rows.size() + 1);
        QCOMPARE(records->first(), (QStringList{"file", "address", "campaign", "found on"}));
        for (qsizetype i = 0; i < rows.size(); ++i)
            QCOMPARE(records->at(i + 1), fieldsOf(rows[i]));
    }

    void jsonLinesReadBack() {
        QFETCH(QList<ExportRow>, rows);
        const QByteArray bytes = exportRows(rows, ExportFormat::JsonLines);
        QVERIFY(bytes.isEmpty() || bytes.endsWith('\n'));
        QList<QByteArray> lines = bytes.split('\n');
        lines.removeLast(); // after the final line break
        QCOMPARE(lines.size(), rows.size());
        for (qsizetype i = 0; i < rows.size(); ++i) {
            QJsonParseError error{};
            const QJsonDocument doc = QJsonDocument::fromJson(lines[i], &error);
            QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
            const QJsonObject object = doc.object();
            QCOMPARE(object.keys(), (QStringList{"address", "campaign", "file", "found_on"}));
            for (const auto& value : object)
                QVERIFY(value.isString());
            const QStringList read{object["file"].toString(), object["address"].toString(),
                                   object["campaign"].toString(), object["found_on"].toString()};
            QCOMPARE(read, fieldsOf(rows[i]));
        }
    }

    void m3uReadsBack() {
        QFETCH(QList<ExportRow>, rows);
        QFETCH(QStringList, lineAddresses);
        QFETCH(QStringList, lineTitles);
        const auto entries = parseM3u(exportRows(rows, ExportFormat::M3u));
        QVERIFY(entries.has_value());
        QCOMPARE(entries->size(), lineAddresses.size());
        for (qsizetype i = 0; i < entries->size(); ++i) {
            QCOMPARE(entries->at(i).title, lineTitles[i]);
            QCOMPARE(entries->at(i).address, lineAddresses[i]);
        }
    }

    void plainListReadsBack() {
        QFETCH(QList<ExportRow>, rows);
        QFETCH(QStringList, lineAddresses);
        const QString text = QString::fromUtf8(exportRows(rows, ExportFormat::PlainList));
        QVERIFY(!text.contains(u'\r'));
        QStringList lines = text.split(u'\n');
        QCOMPARE(lines.takeLast(), QString()); // every address line ends in a line break, also the last
        QCOMPARE(lines, lineAddresses);
    }

    void exactBytes_data() {
        QTest::addColumn<QList<ExportRow>>("rows");
        QTest::addColumn<ExportFormat>("format");
        QTest::addColumn<QByteArray>("expected");

        const QList<ExportRow> none;
        QTest::newRow("empty list") << none << ExportFormat::PlainList << QByteArray();
        QTest::newRow("empty playlist") << none << ExportFormat::M3u << QByteArray("#EXTM3U\n");
        QTest::newRow("empty csv") << none << ExportFormat::Csv
                                   << QByteArray("file,address,campaign,found on\r\n");
        QTest::newRow("empty json lines") << none << ExportFormat::JsonLines << QByteArray();

        const QList<ExportRow> one{{"a.mp3", "http://h.test/a.mp3", "1 - Audio - h", ""}};
        QTest::newRow("csv quotes only when needed")
            << QList<ExportRow>{{"say \"hi\".mp3", "http://h.test/a,b.mp3", "plain", "x\ny"}}
            << ExportFormat::Csv
            << QByteArray("file,address,campaign,found on\r\n"
                          "\"say \"\"hi\"\".mp3\",\"http://h.test/a,b.mp3\",plain,\"x\ny\"\r\n");
        QTest::newRow("json keeps field order")
            << one << ExportFormat::JsonLines
            << QByteArray(
                   R"({"file":"a.mp3","address":"http://h.test/a.mp3","campaign":"1 - Audio - h","found_on":""})"
                   "\n");
        QTest::newRow("utf-8 without byte-order mark")
            << QList<ExportRow>{{"", QString::fromUtf8("http://h.test/é"), "", ""}} << ExportFormat::PlainList
            << QByteArray("http://h.test/\xc3\xa9\n");
    }

    void exactBytes() {
        QFETCH(QList<ExportRow>, rows);
        QFETCH(ExportFormat, format);
        QFETCH(QByteArray, expected);
        QCOMPARE(exportRows(rows, format), expected);
    }

    void formatFromFileName_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("format"); // -1: none

        QTest::newRow("txt") << "/tmp/list.txt" << int(ExportFormat::PlainList);
        QTest::newRow("upper case") << "LIST.TXT" << int(ExportFormat::PlainList);
        QTest::newRow("m3u") << "party.m3u" << int(ExportFormat::M3u);
        QTest::newRow("m3u8") << "party.M3u8" << int(ExportFormat::M3u);
        QTest::newRow("csv") << "C:/Users/x/found.csv" << int(ExportFormat::Csv);
        QTest::newRow("jsonl") << "found.jsonl" << int(ExportFormat::JsonLines);
        QTest::newRow("dots in name") << "v1.2.results.csv" << int(ExportFormat::Csv);
        QTest::newRow("json is not json lines") << "found.json" << -1;
        QTest::newRow("no suffix") << "found" << -1;
        QTest::newRow("other suffix after ours") << "found.csv.bak" << -1;
        QTest::newRow("suffix only on the folder") << "/tmp/out.csv/found" << -1;
        QTest::newRow("empty") << "" << -1;
    }

    void formatFromFileName() {
        QFETCH(QString, path);
        QFETCH(int, format);
        QCOMPARE(idOf(exportFormatForFile(path)), format);
    }

    void everyFormatFindsItselfAgain() {
        const QList<ExportFormat> formats = exportFormats();
        QCOMPARE(formats.size(), 4);
        const QStringList filters = exportFilters().split(QStringLiteral(";;"));
        QCOMPARE(filters.size(), formats.size());
        for (qsizetype i = 0; i < formats.size(); ++i) {
            const ExportFormat format = formats[i];
            QCOMPARE(filters[i], exportFilter(format));
            QCOMPARE(idOf(exportFormatForFilter(exportFilter(format))), int(format));
            QCOMPARE(idOf(exportFormatForFile("x." + exportSuffix(format))), int(format));
            QVERIFY2(exportFilter(format).contains("*." + exportSuffix(format)),
                     qPrintable(exportFilter(format)));
        }
        QVERIFY(!exportFormatForFilter(QStringLiteral("All files (*)")).has_value());
    }

    void copyAllAddresses() {
        QCOMPARE(copyText({}), QString());
        QCOMPARE(copyText({kPlain}), kPlain.url);
        const QList<ExportRow> rows{{"a", "http://h.test/a", "", ""}, {"b", "http://h.test/b", "", ""}};
        QCOMPARE(copyText(rows), QStringLiteral("http://h.test/a\nhttp://h.test/b"));
    }

    void writeReplacesFile() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QString::fromUtf8("exporté.csv"));
        const QList<ExportRow> rows = manyRows(5000);

        QString error;
        QVERIFY(writeExport(path, manyRows(9000), ExportFormat::Csv, &error));
        QVERIFY(error.isEmpty());
        // A shorter export over a longer one must not keep the old tail.
        QVERIFY2(writeExport(path, rows, ExportFormat::Csv, &error), qPrintable(error));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), exportRows(rows, ExportFormat::Csv));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QFileInfo(path).fileName()});
    }

    void failedWriteLeavesNoFile_data() {
        QTest::addColumn<QString>("where"); // relative to a fresh temporary folder
        QTest::addColumn<bool>("readOnlyFolder");

        QTest::newRow("folder does not exist") << "missing/out.csv" << false;
        QTest::newRow("parent is a file") << "plain-file/out.csv" << false;
        QTest::newRow("target is a folder") << "folder" << false;
        QTest::newRow("read-only folder") << "locked/out.csv" << true;
    }

    void failedWriteLeavesNoFile() {
        QFETCH(QString, where);
        QFETCH(bool, readOnlyFolder);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile plain(dir.filePath("plain-file"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        QVERIFY(QDir(dir.path()).mkdir("folder"));

        const QString path = dir.filePath(where);
        const QByteArray previous("previous export\n");
        const QString lockedDir = dir.filePath("locked");
        if (readOnlyFolder) {
            QVERIFY(QDir(dir.path()).mkdir("locked"));
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write(previous);
            old.close();
            QVERIFY(QFile::setPermissions(lockedDir, QFile::ReadOwner | QFile::ExeOwner));
            QFile probe(lockedDir + "/probe");
            if (probe.open(QIODevice::WriteOnly)) { // root ignores folder permissions
                probe.remove();
                QFile::setPermissions(lockedDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
                QSKIP("folder permissions are not enforced for this user");
            }
        }
        const QStringList before =
            QDir(QFileInfo(path).absolutePath()).entryList(QDir::AllEntries | QDir::Hidden);

        QString error;
        const bool written = writeExport(path, manyRows(100), ExportFormat::M3u, &error);
        const bool writtenWithoutErrorText = writeExport(path, {}, ExportFormat::Csv);
        if (readOnlyFolder)
            QFile::setPermissions(lockedDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QVERIFY(!written);
        QVERIFY(!writtenWithoutErrorText);
        QVERIFY2(error.contains(QDir::toNativeSeparators(path)), qPrintable(error));
        QCOMPARE(QDir(QFileInfo(path).absolutePath()).entryList(QDir::AllEntries | QDir::Hidden), before);
        if (readOnlyFolder) {
            QFile old(path);
            QVERIFY(old.open(QIODevice::ReadOnly));
            QCOMPARE(old.readAll(), previous);
        } else {
            QVERIFY(!QFileInfo(path).isFile());
        }
    }
};

QTEST_GUILESS_MAIN(TestResultExport)
#include "test_result_export.moc"
