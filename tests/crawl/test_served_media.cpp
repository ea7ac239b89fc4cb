// Telling a file of the media type from the headers of a response that is not a page.

#include "crawl/fetcher.h"
#include "crawl/served_media.h"
#include "tests/support/table_rows.h"

class TestServedMedia : public QObject {
    Q_OBJECT

private slots:
    void servesMediaType_data() {
        addColumns<QByteArray, QString, QString, bool>({"contentType", "fileName", "extensions", "media"});
        const QByteArray binary("application/octet-stream");
        addRow("audio/mpeg is .mp3", QByteArray("audio/mpeg"), "", ".mp3,.ogg", true);
        addRow("parameters and case ignored", QByteArray("Audio/MPEG; charset=binary"), "", ".MP3", true);
        addRow("an alias of the type", QByteArray("audio/mp3"), "", ".mp3", true);
        addRow("ogg", QByteArray("audio/ogg"), "", ".ogg", true);
        addRow("another type's media", QByteArray("image/png"), "", ".mp3", false);
        addRow("unknown type", QByteArray("x-no/such"), "", ".mp3", false);
        addRow("no type", QByteArray(), "", ".mp3", false);
        addRow("named by the disposition", binary, "Song Title.MP3", ".mp3", true);
        addRow("disposition of another type", binary, "a.zip", ".mp3", false);
        addRow("a name ending in a dot", binary, "a.", ".mp3", false);
        addRow("no extensions match nothing", QByteArray("audio/mpeg"), "a.mp3", "", false);
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
        addColumns<QByteArray, QString>({"header", "name"});
        addRow("quoted", QByteArray("attachment; filename=\"a b.mp3\""), "a b.mp3");
        addRow("bare", QByteArray("attachment; filename=x.ogg"), "x.ogg");
        addRow("escaped quote", QByteArray(R"(attachment; filename="say \"hi\".mp3")"), "say \"hi\".mp3");
        addRow("extended form wins",
               QByteArray("attachment; filename=\"fallback.bin\"; filename*=UTF-8''caf%C3%A9.mp3"),
               "café.mp3");
        addRow("case of the parameter", QByteArray("inline; FILENAME=\"Y.MP3\""), "Y.MP3");
        addRow("none", QByteArray("inline"), "");
    }
    void dispositionFileName() {
        QFETCH(QByteArray, header);
        QFETCH(QString, name);
        QCOMPARE(DispositionFileName(header), name);
    }
};

QTEST_GUILESS_MAIN(TestServedMedia)
#include "test_served_media.moc"
