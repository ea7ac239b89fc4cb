// The media-link test, the URL filter and the address kinds that may be crawled or recorded.

#include "crawl/link_rules.h"

#include <QTest>

class TestLinkRules : public QObject {
    Q_OBJECT
private slots:
    void splitExtensions_data();
    void splitExtensions();
    void mediaLink_data();
    void mediaLink();
    void filteredUrl_data();
    void filteredUrl();
    void addressKinds_data();
    void addressKinds();
};

void TestLinkRules::splitExtensions_data() {
    QTest::addColumn<QString>("fileExt");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("plain") << ".mp3,.ogg" << QStringList{".mp3", ".ogg"};
    QTest::newRow("blanks and empty items") << " .mp3 , ,.ogg ," << QStringList{".mp3", ".ogg"};
    QTest::newRow("lone dot") << ".mp3,." << QStringList{".mp3"};
    QTest::newRow("empty") << "" << QStringList{};
}

void TestLinkRules::splitExtensions() {
    QFETCH(QString, fileExt);
    QFETCH(QStringList, expected);
    QCOMPARE(SplitExtensions(fileExt), expected);
}

void TestLinkRules::mediaLink_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("fileExt");
    QTest::addColumn<bool>("expected");
    const QString audio = QStringLiteral(".mp3,.wav");
    QTest::newRow("file name") << "x.mp3" << audio << true;
    QTest::newRow("letter case") << "x.MP3" << audio << true;
    QTest::newRow("listed in capitals") << "x.mp3"
                                        << ".MP3" << true;
    QTest::newRow("extension without dot") << "x.mp3"
                                           << "mp3" << true;
    QTest::newRow("query") << "http://h/x.mp3?id=1" << audio << true;
    QTest::newRow("fragment") << "http://h/x.mp3#t=10" << audio << true;
    QTest::newRow("relative up") << "../music/x.Wav" << audio << true;
    QTest::newRow("two-part extension") << "http://h/x.tar.gz"
                                        << ".tar.gz" << true;
    QTest::newRow("last part of two") << "http://h/x.tar.gz"
                                      << ".gz" << true;
    QTest::newRow("spaced list") << "x.ogg"
                                 << ".mp3, .ogg" << true;
    QTest::newRow("page with media query") << "http://h/x.html?f=y.mp3" << audio << false;
    QTest::newRow("script address") << "http://h/get.php?f=x.mp3" << audio << false;
    QTest::newRow("prefix of an extension") << "x.mp" << audio << false;
    QTest::newRow("longer extension") << "x.mp34" << audio << false;
    QTest::newRow("name ending in extension letters") << "http://h/xmp3" << audio << false;
    QTest::newRow("ends in dot") << "x." << audio << false;
    QTest::newRow("no dot") << "http://h/music" << audio << false;
    QTest::newRow("folder named like a file") << "http://h/dir.mp3/" << audio << false;
    QTest::newRow("folder above a page") << "http://h/a.mp3/x.html" << audio << false;
    QTest::newRow("host name only") << "http://www.example.mp3" << audio << false;
    QTest::newRow("nothing but the extension") << "http://h/.mp3" << audio << false;
    QTest::newRow("empty list") << "x.mp3"
                                << "" << false;
    QTest::newRow("empty address") << "" << audio << false;
}

void TestLinkRules::mediaLink() {
    QFETCH(QString, address);
    QFETCH(QString, fileExt);
    QFETCH(bool, expected);
    QCOMPARE(IsMediaLink(address, SplitExtensions(fileExt)), expected);
}

void TestLinkRules::filteredUrl_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<QStringList>("filters");
    QTest::addColumn<bool>("expected");
    const QString page = QStringLiteral("http://h/ads/banner.html");
    QTest::newRow("no filters") << page << QStringList{} << false;
    QTest::newRow("substring") << page << QStringList{"zzz", "ads"} << true;
    QTest::newRow("letter case counts") << page << QStringList{"ADS"} << false;
    QTest::newRow("whole address") << page << QStringList{page} << true;
    QTest::newRow("longer than address") << page << QStringList{page + "x"} << false;
    QTest::newRow("empty word blocks nothing") << page << QStringList{"", "zzz"} << false;
    QTest::newRow("empty word beside a match") << page << QStringList{"", "banner"} << true;
}

void TestLinkRules::filteredUrl() {
    QFETCH(QString, address);
    QFETCH(QStringList, filters);
    QFETCH(bool, expected);
    QCOMPARE(IsFilteredUrl(address, filters), expected);
}

void TestLinkRules::addressKinds_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("crawlable");
    QTest::addColumn<bool>("recordable");
    QTest::newRow("http") << "http://h/x" << true << true;
    QTest::newRow("https in capitals") << "HTTPS://H/x" << true << true;
    QTest::newRow("ftp") << "ftp://h/x.mp3" << false << true;
    QTest::newRow("mailto") << "mailto:x@y.z" << false << false;
    QTest::newRow("javascript") << "javascript:void(0)" << false << false;
    QTest::newRow("data") << "data:audio/mpeg;base64,AAAA" << false << false;
    QTest::newRow("tel") << "tel:+123" << false << false;
    QTest::newRow("file") << "file:///etc/passwd" << false << false;
    QTest::newRow("no host") << "http:x.mp3" << false << false;
    QTest::newRow("relative") << "/x.mp3" << false << false;
    QTest::newRow("empty") << "" << false << false;
}

void TestLinkRules::addressKinds() {
    QFETCH(QString, address);
    QFETCH(bool, crawlable);
    QFETCH(bool, recordable);
    QCOMPARE(IsCrawlableAddress(address), crawlable);
    QCOMPARE(IsRecordableAddress(address), recordable);
}

QTEST_APPLESS_MAIN(TestLinkRules)
#include "test_link_rules.moc"
