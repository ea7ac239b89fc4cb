// What is crawled and recorded: the media-link test, the URL filter, the address kinds that may be crawled
// or recorded, a response's media type and suggested file name from its headers, and robots.txt rules for the
// "Vorlane" agent.

#include "crawl/link_rules.h"
#include "crawl/robots_rules.h"
#include "crawl/served_media.h"
#include "tests/support/table_rows.h"
#include "urls/content_disposition.h"
#include "urls/scheme_rules.h"

using namespace vorlane;

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
        addRow("two-part extension", "http://h/x.tar.gz", ".tar.gz", true);
        addRow("blanks and empty items in the list", "x.ogg", " .mp3 , ,.ogg ,", true);
        addRow("page with media query", "http://h/x.html?f=y.mp3", audio, false);
        addRow("longer extension", "x.mp34", audio, false);
        addRow("name ending in extension letters", "http://h/xmp3", audio, false);
        addRow("ends in dot", "x.", audio, false);
        addRow("folder named like a file", "http://h/dir.mp3/", audio, false);
        addRow("host name only", "http://www.example.mp3", audio, false);
        addRow("nothing but the extension", "http://h/.mp3", audio, false);
        addRow("empty list", "x.mp3", "", false);
    }

    void mediaLink() {
        auto [address, fileExt, expected] =
            fetchRow<QString, QString, bool>({"address", "fileExt", "expected"});
        QCOMPARE(crawl::isMediaLink(address, crawl::splitExtensions(fileExt)), expected);
    }

    void filteredUrl_data() {
        addColumns<QStringList, bool>({"filters", "expected"});
        const QString page = QStringLiteral("http://h/ads/banner.html");
        addRow("no filters", QStringList{}, false);
        addRow("substring", QStringList{"zzz", "ads"}, true);
        addRow("letter case counts", QStringList{"ADS"}, false);
        addRow("longer than address", QStringList{page + "x"}, false);
        addRow("empty word blocks nothing", QStringList{"", "zzz"}, false);
        addRow("empty word beside a match", QStringList{"", "banner"}, true);
    }

    void filteredUrl() {
        auto [filters, expected] = fetchRow<QStringList, bool>({"filters", "expected"});
        QCOMPARE(crawl::isFilteredUrl(QStringLiteral("http://h/ads/banner.html"), filters), expected);
    }

    void addressKinds_data() {
        addColumns<QString, bool, bool>({"address", "crawlable", "recordable"});
        addRow("https in capitals", "HTTPS://H/x", true, true);
        addRow("ftp", "ftp://h/x.mp3", false, true);
        addRow("mailto", "mailto:x@y.z", false, false);
        addRow("data", "data:audio/mpeg;base64,AAAA", false, false);
        addRow("no host", "http:x.mp3", false, false);
    }

    void addressKinds() {
        auto [address, crawlable, recordable] =
            fetchRow<QString, bool, bool>({"address", "crawlable", "recordable"});
        QCOMPARE(urls::isCrawlableAddress(address), crawlable);
        QCOMPARE(urls::isRecordableAddress(address), recordable);
    }

    void servesMediaType_data() {
        addColumns<QByteArray, QString, QString, bool>({"contentType", "fileName", "extensions", "media"});
        const QByteArray binary("application/octet-stream");
        addRow("parameters and case ignored", QByteArray("Audio/MPEG; charset=binary"), "", ".MP3", true);
        addRow("an alias of the type", QByteArray("audio/mp3"), "", ".mp3", true);
        addRow("another type's media", QByteArray("image/png"), "", ".mp3", false);
        addRow("no type", QByteArray(), "", ".mp3", false);
        addRow("named by the disposition", binary, "Song Title.MP3", ".mp3", true);
        addRow("disposition of another type", binary, "a.zip", ".mp3", false);
        addRow("no extensions match nothing", QByteArray("audio/mpeg"), "a.mp3", "", false);
    }
    void servesMediaType() {
        auto [contentType, fileName, extensions, media] =
            fetchRow<QByteArray, QString, QString, bool>({"contentType", "fileName", "extensions", "media"});
        const QStringList list = extensions.isEmpty() ? QStringList() : extensions.split(u',');
        QCOMPARE(crawl::servesMediaType(contentType, fileName, list), media);
    }

    void contentDispositionFileName_data() {
        addColumns<QByteArray, QString>({"header", "name"});
        addRow("quoted", QByteArray("attachment; filename=\"a b.mp3\""), "a b.mp3");
        addRow("bare", QByteArray("attachment; filename=x.ogg"), "x.ogg");
        addRow("escaped quote", QByteArray(R"(attachment; filename="say \"hi\".mp3")"), "say \"hi\".mp3");
        addRow("semicolon in quotes", QByteArray("attachment; filename=\"a;b.mp3\""), "a;b.mp3");
        addRow("extended form wins",
               QByteArray("attachment; filename=\"fallback.bin\"; filename*=UTF-8''%E6%9D%B1%E4%BA%AC.mp3"),
               "東京.mp3");
        addRow("latin-1", QByteArray("inline; filename*=iso-8859-1'en'caf%E9.txt"), "café.txt");
        addRow("unknown charset falls back",
               QByteArray("attachment; filename*=koi8-r''x.mp3; filename=y.mp3"), "y.mp3");
        addRow("case of the parameter", QByteArray("inline; FILENAME=\"Y.MP3\""), "Y.MP3");
        addRow("none", QByteArray("inline"), "");
    }
    void contentDispositionFileName() {
        auto [header, name] = fetchRow<QByteArray, QString>({"header", "name"});
        QCOMPARE(urls::fileNameFromContentDisposition(header), name);
    }

    void robots_data() {
        addColumns<QString, QString, bool>({"robots", "target", "allowed"});
        const QString star = QStringLiteral("User-agent: *\n");
        const QString ours =
            QStringLiteral("User-agent: *\nDisallow: /\n\nUser-agent: vorlane\nDisallow: /x\n");
        addRow("empty file", QString(), "/a", true);
        addRow("prefix is by characters", star + "Disallow: /private", "/privateer", false);
        addRow("empty disallow allows all", star + "Disallow:", "/a", true);
        addRow("our group beats *: allowed", ours, "/a", true);
        addRow("our group beats *: disallowed", ours, "/x/y", false);
        addRow("agent with version, among others",
               "User-agent: other\nUser-agent: Vorlane/2.0\nDisallow: /g\n", "/g", false);
        addRow("another agent's group only", "User-agent: other\nDisallow: /\n", "/a", true);
        addRow("a group ends at the next agent line",
               star + "Disallow: /a\nUser-agent: other\nDisallow: /b\n", "/b", true);
        addRow(
            "our groups merge",
            "User-agent: vorlane\nDisallow: /a\nUser-agent: x\nAllow: /\nUser-agent: VORLANE\nDisallow: /b\n",
            "/b/c", false);
        addRow("longer allow wins", star + "Disallow: /a\nAllow: /a/b", "/a/b/c", true);
        addRow("longer disallow wins, whatever the order", star + "Disallow: /a/b\nAllow: /a", "/a/b/c",
               false);
        addRow("tie goes to allow", star + "Disallow: /a\nAllow: /a", "/a", true);
        addRow("wildcard with end anchor", star + "Disallow: /*.php$", "/d/x.php", false);
        addRow("end anchor and a query", star + "Disallow: /*.php$", "/x.php?y=1", true);
        addRow("wildcard in the middle", star + "Disallow: /*/raw/", "/a/b/raw/c", false);
        addRow("any query", star + "Disallow: /*?", "/list?page=2", false);
        addRow("CRLF, comments, letter case of keys", "USER-AGENT: * # all\r\nDISALLOW: /c # not this\r\n",
               "/c/d", false);
        addRow("byte order mark", "\xEF\xBB\xBFUser-agent: *\nDisallow: /c\n", "/c", false);
        addRow("escapes compare without letter case", star + "Disallow: /caf%c3%a9", "/caf%C3%A9", false);
        addRow("raw UTF-8 in a pattern", star + "Disallow: /café", "/caf%C3%A9/x", false);
        addRow("lines without a colon are skipped", star + "garbage\nDisallow /x\n", "/x", true);
    }
    void robots() {
        auto [robots, target, allowed] = fetchRow<QString, QString, bool>({"robots", "target", "allowed"});
        QCOMPARE(crawl::RobotsRules::parse(robots.toUtf8(), QStringLiteral("Vorlane")).allows(target),
                 allowed);
    }
};

QTEST_GUILESS_MAIN(TestLinkRules)
#include "test_link_rules.moc"
