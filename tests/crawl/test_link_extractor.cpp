// Link extraction as a browser reads a page: which elements give links, in which order, and how the bytes
// of a page are decoded before parsing.

#include "crawl/link_extractor.h"
#include "tests/support/table_rows.h"

using namespace vorlane::crawl;

class TestLinkExtractor : public QObject {
    Q_OBJECT

private slots:
    // "A:href" for anchors and areas, "E:src" for embedded media, in document order; "B:href" for the base.
    void links_data() {
        addColumns<QString, QStringList>({"html", "expected"});
        using L = QStringList;
        addRow("anchors in order", "<a href=\"x.mp3\">x</a><p><a href='y.html'>y</a>",
               L{"A:x.mp3", "A:y.html"});
        addRow("empty href kept", "<a href=\"\">self</a>", L{"A:"});
        addRow("area", "<map name=m><area href=\"m.mp3\" shape=rect></map>", L{"A:m.mp3"});
        addRow("ASCII whitespace trimmed", "<a href=\" \n\tx.mp3\f\r \">x</a>", L{"A:x.mp3"});
        addRow("no-break space kept", "<a href=\"&nbsp;x.mp3\">x</a>", L{"A:\u00a0x.mp3"});
        addRow("byte-order mark kept", "<a href=\" \ufeff x.mp3\">x</a>", L{"A:\ufeff x.mp3"});
        addRow("entities", "<a href=\"a.php?x=1&amp;y=2&eacute;&#x41;\">a</a>", L{"A:a.php?x=1&y=2\u00e9A"});
        addRow("comment ignored", "<!-- <a href=\"c.mp3\">c</a> --><a href=\"v.mp3\">v</a>", L{"A:v.mp3"});
        addRow("script ignored",
               "<script>document.write('<a href=\"s.mp3\">s</a>')</script><a href=\"v.mp3\">v</a>",
               L{"A:v.mp3"});
        addRow("style and textarea ignored",
               "<style>a[href=\"x\"]{}</style><textarea><a href=\"t.mp3\"></textarea><a href=v.mp3>v</a>",
               L{"A:v.mp3"});
        // A browser repairs these by cloning the open link: the same address twice is what it sees too.
        addRow("misnested link cloned", "<p><a href=a.mp3><b>one<p>two</a><a href=b.mp3></b>",
               L{"A:a.mp3", "A:a.mp3", "A:b.mp3"});
        addRow("tag cut off at end", "<a href=\"x.mp3\">x</a><a href=\"y.mp3\"", L{"A:x.mp3"});
        addRow("nested order", "<div><a href=1></div><table><tr><td><a href=2></table><area href=3>",
               L{"A:1", "A:2", "A:1", "A:3"});
        addRow("template contents inert", "<template><a href=\"t.mp3\"></a></template>", L{});
        addRow("svg link is no page link", "<svg><a href=\"s.mp3\"/></svg>", L{});
        addRow("NUL in href", QString("<a href=\"x") + QChar(0) + ".mp3\">x</a>", L{"A:x\ufffd.mp3"});
        addRow("embedded players",
               "<audio src=a.mp3></audio><video src=v.mp4><source src=\"s.ogg\"><track src=t.vtt></video>"
               "<embed src=e.swf><img src=i.png><object data=o.mp3></object>",
               L{"E:a.mp3", "E:v.mp4", "E:s.ogg", "E:t.vtt", "E:e.swf", "E:i.png", "E:o.mp3"});
        addRow("anchor around image", "<a href=p.html><img src=' i.jpg '></a>", L{"A:p.html", "E:i.jpg"});
        addRow("empty or missing src", "<img src=\"\"><img><audio></audio><object src=x.mp3></object>", L{});
        addRow("src of other elements", "<script src=s.js></script><iframe src=f.html></iframe>", L{});
        addRow("first base wins", "<base href=\" http://cdn/m/ \"><base href=\"other/\">",
               L{"B:http://cdn/m/"});
        addRow("first base with href wins", "<base target=_blank><base href=\"/x/\">", L{"B:/x/"});
        addRow("base in body", "<body><a href=x>x</a><base href=\"/late/\">", L{"A:x", "B:/late/"});
        addRow("stray end tags keep the nesting limit",
               QString("<div></x>").repeated(600) + "<object data=deep.mp3></object><a href=a.mp3>",
               L{"A:a.mp3"});
        addRow("links past the parser's share of work",
               QString("<span>").repeated(600) + QString("</x>").repeated(10000) +
                   "<a href=a.mp3><audio src=b.ogg><img src=c.png>",
               L{"A:a.mp3", "E:b.ogg", "E:c.png"});
        // Gumbo takes SVG and MathML elements named like table parts for HTML ones, and CDATA before text in
        // a table's MathML upsets it too: either would end in a failed assertion.
        addRow("SVG table parts", "<table><svg><select><desc><select><caption><a href=x.mp3>", L{"A:x.mp3"});
        addRow("CDATA in a table's MathML",
               "<table><math><annotation-xml encoding=text/html><![CDATA[<a href=c>]]>  <a href=x.mp3>",
               L{"A:x.mp3"});
    }

    void links() {
        auto [html, expected] = fetchRow<QString, QStringList>({"html", "expected"});
        // Parsed whole or a byte at a time (each piece reopening what was open), a page gives the same links.
        for (const ParsedPage& page : {extractLinks(html), extractLinks(html, 1)}) {
            QStringList described;
            for (const ExtractedLink& link : page.links)
                described.append((link.source == LinkSource::Anchor ? "A:" : "E:") + link.href);
            if (!page.baseHref.isEmpty())
                described.append("B:" + page.baseHref);
            QCOMPARE(described, expected);
        }
    }

    void decoding_data() {
        addColumns<QByteArray, QByteArray, QString>({"body", "contentType", "expectedHref"});
        const QByteArray latin = "<a href=\"caf\xe9.mp3\">x</a>";
        const QByteArray utf8 = "<a href=\"caf\xc3\xa9.mp3\">";
        const QByteArray none;
        const QString cafe = QStringLiteral("caf\u00e9.mp3");
        addRow("windows-1252 by header", latin, QByteArray("text/html; charset=windows-1252"), cafe);
        addRow("quoted, capitals", latin, QByteArray("text/html;Charset=\"Windows-1252\""), cafe);
        addRow("meta charset", "<meta charset=\"windows-1252\">" + latin, QByteArray("text/html"), cafe);
        addRow("meta http-equiv",
               "<head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">" + latin,
               none, cafe);
        addRow("iso-8859-1 read as windows-1252", QByteArray("<a href=\"\x93q\x94.mp3\">x</a>"),
               QByteArray("text/html; charset=ISO-8859-1"), QStringLiteral("\u201cq\u201d.mp3"));
        addRow("header beats meta", "<meta charset=windows-1252>" + utf8,
               QByteArray("text/html; charset=utf-8"), cafe);
        addRow("meta in comment ignored", "<!-- <meta charset=windows-1252> -->" + utf8, none, cafe);
        addRow("BOM beats header", "\xef\xbb\xbf" + utf8, QByteArray("text/html; charset=windows-1252"),
               cafe);
        addRow("UTF-16 with BOM", QByteArray("\xff\xfe<\0a\0 \0h\0r\0e\0f\0=\0x\0>\0", 22), none,
               QString("x"));
        addRow("meta cannot claim UTF-16", "<meta charset=utf-16>" + utf8, none, cafe);
        addRow("Shift_JIS", QByteArray("<a href=\"\x83\x65\x83\x58\x83\x67.mp3\">"),
               QByteArray("text/html; charset=Shift_JIS"), QStringLiteral("\u30c6\u30b9\u30c8.mp3"));
        addRow("unknown charset read as UTF-8", utf8, QByteArray("text/html; charset=x-no-such"), cafe);
        addRow("invalid UTF-8 replaced", QByteArray("<a href=\"a\xff\xfe.mp3\">a</a><a href=\"\xc3(.mp3\">"),
               none, QStringLiteral("a\ufffd\ufffd.mp3"));
    }

    void decoding() {
        auto [body, contentType, expectedHref] =
            fetchRow<QByteArray, QByteArray, QString>({"body", "contentType", "expectedHref"});
        const ParsedPage page = extractLinks(body, contentType);
        QVERIFY(!page.links.isEmpty());
        QCOMPARE(page.links.first().href, expectedHref);
    }

    void deepNestingParses() {
        // Deeper than any thread's stack would allow a recursive walk or teardown to go
        // (and, parsed as written, would take the tree builder hours: each new element checks every open
        // one).
        const int depth = 1000000;
        const QString html = "<body>" + QString("<div><object>").repeated(depth / 2) +
                             "<a href=deep.mp3>x</a>" +
                             QString("<span title='<b>'><a href=s.mp3>").repeated(200) +
                             "<script><div></script>" + "<img src=i.png>";
        const ParsedPage page = extractLinks(html);
        QCOMPARE(page.links.size(), 202);
        QCOMPARE(page.links.first().href, QStringLiteral("deep.mp3"));
        QCOMPARE(page.links.last().href, QStringLiteral("i.png"));
    }
};

QTEST_APPLESS_MAIN(TestLinkExtractor)
#include "test_link_extractor.moc"
