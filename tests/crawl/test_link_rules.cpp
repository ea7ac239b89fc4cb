// The media-link test, the URL filter and the address kinds that may be crawled or recorded.

#include "crawl/link_rules.h"
#include "tests/support/table_rows.h"

class TestLinkRules : public QObject {
    Q_OBJECT

private slots:
    void mediaLink_data() {
        addColumns<QString, QString, bool>({"address", "fileExt", "expected"});
        const QString audio = QStringLiteral(".mp3,.wav");
        addRow("file name", "x.mp3", audio, true);
        addRow("letter case", "x.MP3", audio, true);
        addRow("listed in capitals", "x.mp3", ".MP3", true);
        addRow("extension without dot", "x.mp3", "mp3", true);
        addRow("query", "http://h/x.mp3?id=1", audio, true);
        addRow("fragment", "http://h/x.mp3#t=10", audio, true);
        addRow("relative up", "../music/x.Wav", audio, true);
        addRow("two-part extension", "http://h/x.tar.gz", ".tar.gz", true);
        addRow("last part of two", "http://h/x.tar.gz", ".gz", true);
        addRow("blanks and empty items in the list", "x.ogg", " .mp3 , ,.ogg ,", true);
        addRow("page with media query", "http://h/x.html?f=y.mp3", audio, false);
        addRow("prefix of an extension", "x.mp", audio, false);
        addRow("longer extension", "x.mp34", audio, false);
        addRow("name ending in extension letters", "http://h/xmp3", audio, false);
        addRow("ends in dot", "x.", audio, false);
        addRow("lone dot in the list", "x.", ".mp3,.", false);
        addRow("folder named like a file", "http://h/dir.mp3/", audio, false);
        addRow("folder above a page", "http://h/a.mp3/x.html", audio, false);
        addRow("host name only", "http://www.example.mp3", audio, false);
        addRow("nothing but the extension", "http://h/.mp3", audio, false);
        addRow("empty list", "x.mp3", "", false);
    }

    void mediaLink() {
        QFETCH(QString, address);
        QFETCH(QString, fileExt);
        QFETCH(bool, expected);
        QCOMPARE(IsMediaLink(address, SplitExtensions(fileExt)), expected);
    }

    void filteredUrl_data() {
        addColumns<QStringList, bool>({"filters", "expected"});
        const QString page = QStringLiteral("http://h/ads/banner.html");
        addRow("no filters", QStringList{}, false);
        addRow("substring", QStringList{"zzz", "ads"}, true);
        addRow("letter case counts", QStringList{"ADS"}, false);
        addRow("whole address", QStringList{page}, true);
        addRow("longer than address", QStringList{page + "x"}, false);
        addRow("empty word blocks nothing", QStringList{"", "zzz"}, false);
        addRow("empty word beside a match", QStringList{"", "banner"}, true);
    }

    void filteredUrl() {
        QFETCH(QStringList, filters);
        QFETCH(bool, expected);
        QCOMPARE(IsFilteredUrl(QStringLiteral("http://h/ads/banner.html"), filters), expected);
    }

    void addressKinds_data() {
        addColumns<QString, bool, bool>({"address", "crawlable", "recordable"});
        addRow("https in capitals", "HTTPS://H/x", true, true);
        addRow("ftp", "ftp://h/x.mp3", false, true);
        addRow("mailto", "mailto:x@y.z", false, false);
        addRow("data", "data:audio/mpeg;base64,AAAA", false, false);
        addRow("file", "file:///etc/passwd", false, false);
        addRow("no host", "http:x.mp3", false, false);
    }

    void addressKinds() {
        QFETCH(QString, address);
        QFETCH(bool, crawlable);
        QFETCH(bool, recordable);
        QCOMPARE(IsCrawlableAddress(address), crawlable);
        QCOMPARE(IsRecordableAddress(address), recordable);
    }
};

QTEST_APPLESS_MAIN(TestLinkRules)
#include "test_link_rules.moc"
