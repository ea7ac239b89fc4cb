// Telling a file of the media type from the headers of a response that is not a page.

#include "crawl/fetcher.h"
#include "crawl/served_media.h"

#include <QTest>

class TestServedMedia : public QObject {
    Q_OBJECT

private slots:
    void servesMediaType_data() {
        QTest::addColumn<QByteArray>("contentType");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("extensions");
        QTest::addColumn<bool>("media");
        QTest::newRow("audio/mpeg is .mp3") << QByteArray("audio/mpeg") << ""
                                            << ".mp3,.ogg" << true;
        QTest::newRow("parameters and case ignored") << QByteArray("Audio/MPEG; charset=binary") << ""
                                                     << ".MP3" << true;
        QTest::newRow("an alias of the type") << QByteArray("audio/mp3") << ""
                                              << ".mp3" << true;
        QTest::newRow("ogg") << QByteArray("audio/ogg") << ""
                             << ".ogg" << true;
        QTest::newRow("another type's media") << QByteArray("image/png") << ""
                                              << ".mp3" << false;
        QTest::newRow("unknown type") << QByteArray("x-no/such") << ""
                                      << ".mp3" << false;
        QTest::newRow("no type") << QByteArray() << ""
                                 << ".mp3" << false;
        QTest::newRow("named by the disposition")
            << QByteArray("application/octet-stream") << "Song Title.MP3"
            << ".mp3" << true;
        QTest::newRow("disposition of another type") << QByteArray("application/octet-stream") << "a.zip"
                                                     << ".mp3" << false;
        QTest::newRow("a name ending in a dot") << QByteArray("application/octet-stream") << "a."
                                                << ".mp3" << false;
        QTest::newRow("no extensions match nothing") << QByteArray("audio/mpeg") << "a.mp3"
                                                     << "" << false;
    }
    void servesMediaType() {
        QFETCH(QByteArray, contentType);
        QFETCH(QString, fileName);
        QFETCH(QString, extensions);
        QFETCH(bool, media);
        const QStringList list = extensions.isEmpty() ? QStringList() : extensions.split(u',');
        QCOMPARE(ServesMediaType(contentType, fileName, list), media);
    }

    void dispositionFileName_data() {
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<QString>("name");
        QTest::newRow("quoted") << QByteArray("attachment; filename=\"a b.mp3\"") << "a b.mp3";
        QTest::newRow("bare") << QByteArray("attachment; filename=x.ogg") << "x.ogg";
        QTest::newRow("escaped quote")
            << QByteArray(R"(attachment; filename="say \"hi\".mp3")") << "say \"hi\".mp3";
        QTest::newRow("extended form wins") << QByteArray("attachment; filename=\"fallback.bin\"; "
                                                          "filename*=UTF-8''caf%C3%A9.mp3")
                                            << "café.mp3";
        QTest::newRow("case of the parameter") << QByteArray("inline; FILENAME=\"Y.MP3\"") << "Y.MP3";
        QTest::newRow("none") << QByteArray("inline") << "";
        QTest::newRow("empty header") << QByteArray() << "";
    }
    void dispositionFileName() {
        QFETCH(QByteArray, header);
        QFETCH(QString, name);
        QCOMPARE(DispositionFileName(header), name);
    }
};

QTEST_GUILESS_MAIN(TestServedMedia)
#include "test_served_media.moc"
