// Link extraction as a browser reads a page: which elements give links, in which order, and how the bytes
// of a page are decoded before parsing.

#include "crawl/link_extractor.h"

#include <QTest>

namespace {

// "A:href" for anchors and areas, "E:src" for embedded media, in document order.
QStringList describe(const ParsedPage& page) {
    QStringList described;
    for (const ExtractedLink& link : page.links)
        described.append((link.source == LinkSource::Anchor ? "A:" : "E:") + link.href);
    return described;
}

} // namespace

class TestLinkExtractor : public QObject {
    Q_OBJECT
private slots:
    void links_data();
    void links();
    void base_data();
    void base();
    void decoding_data();
    void decoding();
    void deepNestingParses();
};

void TestLinkExtractor::links_data() {
    QTest::addColumn<QString>("html");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("anchors in order")
        << "<a href=\"x.mp3\">x</a><p><a href='y.html'>y</a>" << QStringList{"A:x.mp3", "A:y.html"};
    QTest::newRow("anchor without href") << "<a name=\"top\">t</a>" << QStringList{};
    QTest::newRow("empty href kept") << "<a href=\"\">self</a>" << QStringList{"A:"};
    QTest::newRow("area") << "<map name=m><area href=\"m.mp3\" shape=rect></map>" << QStringList{"A:m.mp3"};
    QTest::newRow("upper-case markup") << "<A HREF=\"X.MP3\">x</A>" << QStringList{"A:X.MP3"};
    QTest::newRow("ASCII whitespace trimmed")
        << "<a href=\" \n\tx.mp3\f\r \">x</a>" << QStringList{"A:x.mp3"};
    QTest::newRow("no-break space kept") << "<a href=\"&nbsp;x.mp3\">x</a>" << QStringList{"A:\u00a0x.mp3"};
    QTest::newRow("entities") << "<a href=\"a.php?x=1&amp;y=2&eacute;&#x41;\">a</a>"
                              << QStringList{"A:a.php?x=1&y=2\u00e9A"};
    QTest::newRow("bare ampersand") << "<a href=\"a.php?x=1&y=2\">a</a>" << QStringList{"A:a.php?x=1&y=2"};
    QTest::newRow("comment ignored") << "<!-- <a href=\"c.mp3\">c</a> --><a href=\"v.mp3\">v</a>"
                                     << QStringList{"A:v.mp3"};
    QTest::newRow("script ignored")
        << "<script>document.write('<a href=\"s.mp3\">s</a>')</script><a href=\"v.mp3\">v</a>"
        << QStringList{"A:v.mp3"};
    QTest::newRow("style and textarea ignored")
        << "<style>a[href=\"x\"]{}</style><textarea><a href=\"t.mp3\"></textarea><a href=v.mp3>v</a>"
        << QStringList{"A:v.mp3"};
    QTest::newRow("unquoted and unclosed")
        << "<a href=x.mp3><b><a href='y.mp3'>y" << QStringList{"A:x.mp3", "A:y.mp3"};
    // A browser repairs these by cloning the open link: the same address twice is what it sees too.
    QTest::newRow("misnested link cloned") << "<p><a href=a.mp3><b>one<p>two</a><a href=b.mp3></b>"
                                           << QStringList{"A:a.mp3", "A:a.mp3", "A:b.mp3"};
    QTest::newRow("tag cut off at end")
        << "<a href=\"x.mp3\">x</a><a href=\"y.mp3\"" << QStringList{"A:x.mp3"};
    QTest::newRow("nested order") << "<div><a href=1></div><table><tr><td><a href=2></table><area href=3>"
                                  << QStringList{"A:1", "A:2", "A:1", "A:3"};
    QTest::newRow("template contents inert")
        << "<template><a href=\"t.mp3\"></a></template>" << QStringList{};
    QTest::newRow("svg link is no page link") << "<svg><a href=\"s.mp3\"/></svg>" << QStringList{};
    QTest::newRow("NUL in href") << QString("<a href=\"x") + QChar(0) + ".mp3\">x</a>"
                                 << QStringList{"A:x\ufffd.mp3"};
    QTest::newRow("embedded players")
        << "<audio src=a.mp3></audio><video src=v.mp4><source src=\"s.ogg\"><track src=t.vtt></video>"
           "<embed src=e.swf><img src=i.png><object data=o.mp3></object>"
        << QStringList{"E:a.mp3", "E:v.mp4", "E:s.ogg", "E:t.vtt", "E:e.swf", "E:i.png", "E:o.mp3"};
    QTest::newRow("anchor around image")
        << "<a href=p.html><img src=' i.jpg '></a>" << QStringList{"A:p.html", "E:i.jpg"};
    QTest::newRow("empty or missing src")
        << "<img src=\"\"><img><audio></audio><object src=x.mp3></object>" << QStringList{};
    QTest::newRow("src of other elements")
        << "<script src=s.js></script><iframe src=f.html></iframe>" << QStringList{};
}

void TestLinkExtractor::links() {
    QFETCH(QString, html);
    QFETCH(QStringList, expected);
    QCOMPARE(describe(ExtractLinks(html)), expected);
}

void TestLinkExtractor::base_data() {
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("expected");
    QTest::newRow("none") << "<a href=x>x</a>"
                          << "";
    QTest::newRow("first wins") << "<base href=\" http://cdn/m/ \"><base href=\"other/\">"
                                << "http://cdn/m/";
    QTest::newRow("first with href wins") << "<base target=_blank><base href=\"/x/\">"
                                          << "/x/";
    QTest::newRow("in body") << "<body><a href=x>x</a><base href=\"/late/\">"
                             << "/late/";
    QTest::newRow("in comment ignored") << "<!--<base href=\"/c/\">-->"
                                        << "";
}

void TestLinkExtractor::base() {
    QFETCH(QString, html);
    QFETCH(QString, expected);
    QCOMPARE(ExtractLinks(html).baseHref, expected);
}

void TestLinkExtractor::decoding_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("contentType");
    QTest::addColumn<QString>("expectedHref");

    const QByteArray latin = "<a href=\"caf\xe9.mp3\">x</a>";
    const QString cafe = QStringLiteral("caf\u00e9.mp3");
    QTest::newRow("windows-1252 by header") << latin << QByteArray("text/html; charset=windows-1252") << cafe;
    QTest::newRow("quoted, capitals") << latin << QByteArray("text/html;Charset=\"Windows-1252\"") << cafe;
    QTest::newRow("meta charset") << "<meta charset=\"windows-1252\">" + latin << QByteArray("text/html")
                                  << cafe;
    QTest::newRow("meta http-equiv")
        << "<head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">" + latin
        << QByteArray() << cafe;
    QTest::newRow("iso-8859-1 read as windows-1252")
        << QByteArray("<a href=\"\x93q\x94.mp3\">x</a>") << QByteArray("text/html; charset=ISO-8859-1")
        << QStringLiteral("\u201cq\u201d.mp3");
    QTest::newRow("header beats meta")
        << QByteArray("<meta charset=windows-1252><a href=\"caf\xc3\xa9.mp3\">")
        << QByteArray("text/html; charset=utf-8") << cafe;
    QTest::newRow("meta in comment ignored")
        << QByteArray("<!-- <meta charset=windows-1252> --><a href=\"caf\xc3\xa9.mp3\">") << QByteArray()
        << cafe;
    QTest::newRow("UTF-8 by default") << QByteArray("<a href=\"caf\xc3\xa9.mp3\">") << QByteArray() << cafe;
    QTest::newRow("BOM beats header") << QByteArray("\xef\xbb\xbf<a href=\"caf\xc3\xa9.mp3\">")
                                      << QByteArray("text/html; charset=windows-1252") << cafe;
    QTest::newRow("UTF-16 with BOM") << QByteArray("\xff\xfe<\0a\0 \0h\0r\0e\0f\0=\0x\0>\0", 22)
                                     << QByteArray() << "x";
    QTest::newRow("meta cannot claim UTF-16")
        << QByteArray("<meta charset=utf-16><a href=\"caf\xc3\xa9.mp3\">") << QByteArray() << cafe;
    QTest::newRow("Shift_JIS") << QByteArray("<a href=\"\x83\x65\x83\x58\x83\x67.mp3\">")
                               << QByteArray("text/html; charset=Shift_JIS")
                               << QStringLiteral("\u30c6\u30b9\u30c8.mp3");
    QTest::newRow("unknown charset read as UTF-8")
        << QByteArray("<a href=\"caf\xc3\xa9.mp3\">") << QByteArray("text/html; charset=x-no-such") << cafe;
    QTest::newRow("invalid UTF-8 replaced")
        << QByteArray("<a href=\"a\xff\xfe.mp3\">a</a><a href=\"\xc3(.mp3\">") << QByteArray()
        << QStringLiteral("a\ufffd\ufffd.mp3");
}

void TestLinkExtractor::decoding() {
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, contentType);
    QFETCH(QString, expectedHref);
    const ParsedPage page = ExtractLinks(body, contentType);
    QVERIFY(!page.links.isEmpty());
    QCOMPARE(page.links.first().href, expectedHref);
}

void TestLinkExtractor::deepNestingParses() {
    // Deeper than any thread's stack would allow a recursive walk or teardown to go.
    // (and, parsed as written, would take the tree builder hours: each new element checks every open one).
    const int depth = 1000000;
    const QString html = "<body>" + QString("<div><object>").repeated(depth / 2) + "<a href=deep.mp3>x</a>" +
                         QString("<span title='<b>'><a href=s.mp3>").repeated(200) +
                         "<script><div></script>" + "<img src=i.png>";
    const ParsedPage page = ExtractLinks(html);
    QCOMPARE(page.links.size(), 202);
    QCOMPARE(page.links.first().href, QStringLiteral("deep.mp3"));
    QCOMPARE(page.links.last().href, QStringLiteral("i.png"));
}

QTEST_APPLESS_MAIN(TestLinkExtractor)
#include "test_link_extractor.moc"
