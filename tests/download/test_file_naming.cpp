// File names of downloads: what the server suggests or the address says, made safe and unique.

#include "download/file_naming.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace vorlane::download;

class TestFileNaming : public QObject {
    Q_OBJECT
private slots:
    void safeNames_data() {
        QTest::addColumn<QString>("proposed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << "song.mp3"
                               << "song.mp3";
        QTest::newRow("climbing out") << "../../evil.mp3"
                                      << "_.._evil.mp3";
        QTest::newRow("absolute") << "/etc/passwd"
                                  << "_etc_passwd";
        QTest::newRow("backslashes") << "..\\..\\win.ini"
                                     << "_.._win.ini";
        QTest::newRow("device name") << "CON.mp3"
                                     << "_CON.mp3";
        QTest::newRow("device name, lower case, two dots") << "com1.tar.gz"
                                                           << "_com1.tar.gz";
        QTest::newRow("not a device name") << "CONSOLE.mp3"
                                           << "CONSOLE.mp3";
        QTest::newRow("LPT0 is no device") << "LPT0.txt"
                                           << "LPT0.txt";
        QTest::newRow("newline") << "a\nb.mp3"
                                 << "a_b.mp3";
        QTest::newRow("control and reserved characters") << "a\x01<b>:\"|?*.ogg"
                                                         << "a__b______.ogg";
        QTest::newRow("only dots") << "..."
                                   << "download";
        QTest::newRow("dot") << "."
                             << "download";
        QTest::newRow("empty") << ""
                               << "download";
        QTest::newRow("leading and trailing dots and blanks") << " . x.mp3 . "
                                                              << "x.mp3";
        QTest::newRow("unicode kept") << "Grüße – 東京.flac"
                                      << "Grüße – 東京.flac";
    }
    void safeNames() {
        QFETCH(QString, proposed);
        QFETCH(QString, expected);
        QCOMPARE(safeFileName(proposed), expected);
    }

    void longNamesKeepTheExtension_data() {
        QTest::addColumn<QString>("proposed");
        QTest::newRow("400 ASCII characters") << QString(400, u'a') + ".mp3";
        QTest::newRow("multi-byte characters") << QString(200, QChar(0x6771)) + ".ogg";
        QTest::newRow("characters outside the BMP")
            << QString::fromUtf8("\xF0\x9F\x8E\xB5").repeated(100) + ".wav";
    }
    void longNamesKeepTheExtension() {
        QFETCH(QString, proposed);
        const QString name = safeFileName(proposed);
        QVERIFY(name.toUtf8().size() <= 255);
        QVERIFY(name.toUtf8().size() > 240);
        QCOMPARE(name.section(u'.', -1), proposed.section(u'.', -1));
        QVERIFY(QString::fromUtf8(name.toUtf8()) == name); // no character cut in half
    }

    void contentDisposition_data() {
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<QString>("expected");
        QTest::newRow("quoted") << QByteArray("attachment; filename=\"a b.mp3\"") << "a b.mp3";
        QTest::newRow("token") << QByteArray("attachment; filename=song.ogg") << "song.ogg";
        QTest::newRow("extended first") << QByteArray("attachment; filename=\"fallback.mp3\"; "
                                                      "filename*=UTF-8''%E6%9D%B1%E4%BA%AC.mp3")
                                        << "東京.mp3";
        QTest::newRow("latin-1") << QByteArray("inline; filename*=iso-8859-1'en'caf%E9.txt") << "café.txt";
        QTest::newRow("semicolon in quotes") << QByteArray("attachment; filename=\"a;b.mp3\"") << "a;b.mp3";
        QTest::newRow("escaped quote")
            << QByteArray("attachment; filename=\"say \\\"hi\\\".mp3\"") << "say \"hi\".mp3";
        QTest::newRow("unknown charset falls back") << QByteArray("attachment; filename*=koi8-r''x.mp3; "
                                                                  "filename=y.mp3")
                                                    << "y.mp3";
        QTest::newRow("no name") << QByteArray("attachment") << "";
    }
    void contentDisposition() {
        QFETCH(QByteArray, header);
        QFETCH(QString, expected);
        QCOMPARE(fileNameFromContentDisposition(header), expected);
    }

    void addressNames_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << "http://h.test/dir/song.mp3"
                               << "song.mp3";
        QTest::newRow("query dropped") << "http://h.test/get/file.zip?id=3#x"
                                       << "file.zip";
        QTest::newRow("percent-decoded UTF-8") << "http://h.test/a%20b%C3%A9.mp3"
                                               << "a bé.mp3";
        QTest::newRow("encoded slash stays one segment") << "http://h.test/x/..%2F..%2Fevil.mp3"
                                                         << "../../evil.mp3";
        QTest::newRow("folder") << "http://h.test/dir/"
                                << "";
    }
    void addressNames() {
        QFETCH(QString, address);
        QFETCH(QString, expected);
        QCOMPARE(fileNameFromAddress(address), expected);
    }

    void collisionsCountUp() {
        QTemporaryDir dir;
        for (const char* existing : {"x.mp3", "x (1).mp3", "y.ogg.aria2"}) {
            QFile file(dir.filePath(existing));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QCOMPARE(uniqueFileName(dir.path(), "x.mp3"), "x (2).mp3");
        QCOMPARE(uniqueFileName(dir.path(), "x.mp3", {"x (2).mp3"}), "x (3).mp3");
        QCOMPARE(uniqueFileName(dir.path(), "y.ogg"), "y (1).ogg"); // a partial's control file holds it
        QCOMPARE(uniqueFileName(dir.path(), "README"), "README");
        QVERIFY(isInsideFolder(dir.path(), dir.filePath("x.mp3")));
        QVERIFY(!isInsideFolder(dir.path(), dir.filePath("../x.mp3")));
        QVERIFY(!isInsideFolder(dir.path(), dir.filePath("..")));
    }
};

QTEST_GUILESS_MAIN(TestFileNaming)
#include "test_file_naming.moc"
