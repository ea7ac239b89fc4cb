// Addresses as text: link resolution against a page's address and its <base>, links carrying control and
// format characters, file names, page-queue addresses and keys, and the addresses a search starts from.

#include "crawl/crawl_plan.h"
#include "crawl/page_queue.h"
#include "urls/display_name.h"
#include "urls/resolve.h"
#include "tests/support/table_rows.h"

using namespace vorlane;

using namespace Qt::Literals::StringLiterals;

class TestResolve : public QObject {
    Q_OBJECT

private slots:
    void resolveLink_data() {
        addColumns<QString, QString, QString, QString>({"page", "base", "href", "expected"});
        const QString page = QStringLiteral("http://h/a/b/page.html");
        const QString none;
        // Resolutions that any browser agrees with.
        addRow("file name", page, none, "song.mp3", "http://h/a/b/song.mp3");
        addRow("about:blank prefix", page, none, "about:blanksong.mp3", "http://h/a/b/song.mp3");
        // Where a browser reads the link differently from plain text pasting.
        addRow("root relative", page, none, "/song.mp3", "http://h/song.mp3");
        addRow("scheme relative https", "https://h/p.html", none, "//cdn/x.mp3", "https://cdn/x.mp3");
        addRow("fragment only", page, none, "#top", "http://h/a/b/page.html#top");
        addRow("empty href is the page", page, none, "", "http://h/a/b/page.html");
        addRow("dot segments walked", page, none, "a/../b.mp3", "http://h/a/b/b.mp3");
        addRow("surplus up stops at root", "http://h/a/", none, "../../../x.html", "http://h/x.html");
        addRow("page without slash is a file", "http://h/music", none, "x.mp3", "http://h/x.mp3");
        addRow("page query replaced", "http://h/a/p.php?x=1", none, "?p=2", "http://h/a/p.php?p=2");
        addRow("page fragment dropped", "http://h/a/p.html#sec", none, "x.mp3", "http://h/a/x.mp3");
        addRow("query holding ://", page, none, "/go?u=http://x.com/a.mp3",
               "http://h/go?u=http://x.com/a.mp3");
        // Text a browser cleans up before resolving.
        addRow("blank encoded", page, none, "song one.mp3", "http://h/a/b/song%20one.mp3");
        addRow("non-ASCII encoded", page, none, "caf\u00e9.mp3", "http://h/a/b/caf%C3%A9.mp3");
        addRow("backslash is slash", page, none, "a\\b.mp3", "http://h/a/b/a/b.mp3");
        addRow("backslash kept in query", page, none, "x?a\\b", "http://h/a/b/x?a%5Cb");
        addRow("newline inside dropped", page, none, "so\nng.m\tp3", "http://h/a/b/song.mp3");
        // Other schemes come back as themselves (the queue and the recorder turn them away).
        addRow("other scheme as written", page, none, "mailto:a b@c.d?subject=../x",
               "mailto:a b@c.d?subject=../x");
        addRow("scheme without slashes", page, none, "http:../x.html", "http://h/a/x.html");
        addRow("colon after scheme without slashes", page, none, "http:a:b.mp3", "http://h/a/b/a:b.mp3");
        addRow("other scheme without slashes", page, none, "https:x.html", "https:x.html");
        addRow("unparsable", page, none, "//[::1", "");
        // Links with "://" stay byte for byte as written, "about:blank" apart.
        addRow("absolute: case and escapes", page, none, "HTTP://H2/Song%20x.MP3#f",
               "HTTP://H2/Song%20x.MP3#f");
        addRow("absolute: not cleaned", page, none, "http://h2/a/../b c.mp3", "http://h2/a/../b c.mp3");
        addRow("absolute: unparsable kept", page, none, "http://[bad/x.mp3", "http://[bad/x.mp3");
        addRow("absolute: about:blank removed", page, none, "about:blankhttp://h2/x.mp3", "http://h2/x.mp3");
        addRow("absolute: about:blank inside", page, none, "http://h2/about:blankx.mp3", "http://h2/x.mp3");
        // A <base href> replaces the page's address; one that is no web address is ignored.
        const QString p = QStringLiteral("http://h/a/page.html");
        addRow("absolute base", p, "http://cdn/m/", "x.mp3", "http://cdn/m/x.mp3");
        addRow("relative base", p, "/media/", "x.mp3", "http://h/media/x.mp3");
        addRow("base naming a file", p, "http://cdn/m/index.html", "x.mp3", "http://cdn/m/x.mp3");
        addRow("script base ignored", p, "javascript:alert(1)", "x.mp3", "http://h/a/x.mp3");
        addRow("unparsable base ignored", p, "//[::1", "x.mp3", "http://h/a/x.mp3");
    }

    void resolveLink() {
        auto [page, base, href, expected] =
            fetchRow<QString, QString, QString, QString>({"page", "base", "href", "expected"});
        const QUrl from = base.isEmpty() ? QUrl(page) : urls::pageBase(QUrl(page), base);
        QCOMPARE(urls::resolveLink(href, from), expected);
    }

    // Links written to break a printed line, drive a terminal or pose as another file type: the address
    // keeps none of them raw (as a browser parses it), and neither does the name shown for it.
    void hostileLink_data() {
        addColumns<QString, QString, QString>({"href", "address", "name"});
        addRow("absolute CR LF", u"http://h2/a.mp3\r\nhttp://evil.example/spoof2.mp3"_s,
               u"http://h2/a.mp3http://evil.example/spoof2.mp3"_s, u"spoof2.mp3"_s);
        addRow("absolute lone CR", u"http://h2/x.mp3\rfake.mp3"_s, u"http://h2/x.mp3fake.mp3"_s,
               u"x.mp3fake.mp3"_s);
        addRow("absolute tab", u"http://h2/a\tb.mp3"_s, u"http://h2/ab.mp3"_s, u"ab.mp3"_s);
        addRow("absolute ESC", u"http://h2/\x1b[2Jx.mp3"_s, u"http://h2/%1B[2Jx.mp3"_s, u"%1B[2Jx.mp3"_s);
        addRow("absolute backspace", u"http://h2/x.exe\b\b\bmp3"_s, u"http://h2/x.exe%08%08%08mp3"_s,
               u"x.exe%08%08%08mp3"_s);
        addRow("absolute NUL", u"http://h2/x\0.mp3"_s, u"http://h2/x%00.mp3"_s, u"x%00.mp3"_s);
        addRow("absolute C1 next line", u"http://h2/x\u0085.mp3"_s, u"http://h2/x%C2%85.mp3"_s,
               u"x%C2%85.mp3"_s);
        addRow("absolute trimmed, DEL kept encoded", u" \x01http://h2/x.mp3\x7f \n"_s,
               u"http://h2/x.mp3%7F"_s, u"x.mp3%7F"_s);
        addRow("absolute right-to-left override", u"http://h2/abs-rtl\u202Egnp.mp3"_s,
               u"http://h2/abs-rtl\u202Egnp.mp3"_s, u"abs-rtl%E2%80%AEgnp.mp3"_s);
        addRow("absolute right-to-left mark", u"http://h2/a\u200F.mp3"_s, u"http://h2/a\u200F.mp3"_s,
               u"a%E2%80%8F.mp3"_s);
        addRow("absolute line separator", u"http://h2/a\u2028b.mp3"_s, u"http://h2/a\u2028b.mp3"_s,
               u"a%E2%80%A8b.mp3"_s);
        addRow("absolute tag character", u"http://h2/x\U000E0041.mp3"_s, u"http://h2/x\U000E0041.mp3"_s,
               u"x%F3%A0%81%81.mp3"_s);
        addRow("absolute already encoded", u"http://h2/%1B.mp3"_s, u"http://h2/%1B.mp3"_s, u"%1B.mp3"_s);
        addRow("relative CR LF", u"x.mp3\r\nfake.mp3"_s, u"http://h/a/b/x.mp3fake.mp3"_s, u"x.mp3fake.mp3"_s);
        addRow("relative ESC", u"\x1bx\x1b.mp3"_s, u"http://h/a/b/x%1B.mp3"_s, u"x%1B.mp3"_s);
        addRow("relative backspace", u"x\b.mp3"_s, u"http://h/a/b/x%08.mp3"_s, u"x%08.mp3"_s);
        addRow("relative NUL", u"x\0.mp3"_s, u"http://h/a/b/x%00.mp3"_s, u"x%00.mp3"_s);
        addRow("relative trimmed", u"\x01 x.mp3\n "_s, u"http://h/a/b/x.mp3"_s, u"x.mp3"_s);
        addRow("relative right-to-left override", u"rel-rtl\u202Egnp.mp3"_s,
               u"http://h/a/b/rel-rtl%E2%80%AEgnp.mp3"_s, u"rel-rtl%E2%80%AEgnp.mp3"_s);
        // Names show decoded where the bytes are UTF-8; the address stays as recorded.
        addRow("name decoded", u"caf\u00e9 %28live%29.mp3"_s, u"http://h/a/b/caf%C3%A9%20%28live%29.mp3"_s,
               u"caf\u00e9 (live).mp3"_s);
        addRow("name not UTF-8 stays", u"http://h2/caf%E9.mp3"_s, u"http://h2/caf%E9.mp3"_s, u"caf%E9.mp3"_s);
    }
    void hostileLink() {
        auto [href, address, name] = fetchRow<QString, QString, QString>({"href", "address", "name"});
        const QString resolved = urls::resolveLink(href, QUrl(QStringLiteral("http://h/a/b/page.html")));
        QCOMPARE(resolved, address);
        QCOMPARE(urls::displayName(resolved), name);
    }

    // "last": the file name shown for an address; "page": the address queued for a link ("" when none);
    // "search <keyword>": an engine's link with the keyword put in.
    void pageText_data() {
        addColumns<QString, QString, QString>({"kind", "address", "expected"});
        addRow("delimiters cannot break the link", "search rock & roll #1?", "http://e/?q=<!KW!>&x=1",
               "http://e/?q=rock%20%26%20roll%20%231%3F&x=1");
        addRow("non-ASCII as UTF-8", "search café", "http://e/?q=<!KW!>", "http://e/?q=caf%C3%A9");
        addRow("placeholder case matters", "search x", "http://e/?q=<!kw!>", "http://e/?q=<!kw!>");
        addRow("no placeholder", "search x", " http://e/fixed ", "http://e/fixed");
        addRow("file", "last", "http://h/a/song.mp3", "song.mp3");
        addRow("folder", "last", "http://h/a/", "");
        addRow("slash in query", "last", "http://h/get?f=a/b.mp3", "b.mp3");
        addRow("fragment dropped", "page", "http://h/p.html#a", "http://h/p.html");
        addRow("otherwise as written", "page", "HTTPS://H/a b.html?x=1", "HTTPS://H/a b.html?x=1");
        addRow("mailto", "page", "mailto:x@y.z", "");
        addRow("ftp is no page", "page", "ftp://h/x", "");
        addRow("no host", "page", "http:foo.html", "");
        addRow("relative", "page", "/p.html", "");
    }

    void pageText() {
        auto [kind, address, expected] = fetchRow<QString, QString, QString>({"kind", "address", "expected"});
        if (kind.startsWith(u"search "))
            QCOMPARE(crawl::engineSearchAddress(address, kind.mid(7)), expected);
        else
            QCOMPARE(kind == u"last" ? urls::lastSegment(address) : urls::normalisePageAddress(address),
                     expected);
    }

    // A depth below 1 crawls the start page only.
    void urlSegment() {
        for (const auto& [depth, maxLevel] : {std::pair{-3, 1}, {0, 1}, {1, 1}, {5, 5}}) {
            const crawl::CrawlSegment url = crawl::urlSearchSegment(QStringLiteral(" http://h/ "), depth);
            QCOMPARE(url.maxLevel, maxLevel);
            QCOMPARE(url.startAddress, QStringLiteral("http://h/"));
            QCOMPARE(crawl::levelText(url, 3), QStringLiteral("level 3"));
        }
    }

    // Added in order (blank-separated), the queue in order: keys are unique without letter case.
    void duplicates_data() {
        addColumns<QString, QString>({"added", "expected"});
        addRow("distinct kept in order", "http://h/b http://h/a", "http://h/b http://h/a");
        addRow("case-only duplicate keeps first spelling",
               "http://h/Page.html http://h/page.html HTTP://H/PAGE.HTML http://h/Page.html",
               "http://h/Page.html");
        addRow("non-ASCII letter case", "http://h/\u00c4rger http://h/\u00e4rger", "http://h/\u00c4rger");
        addRow("fragment and trailing slash are part of the key", "http://h/a#x http://h/a http://h/a/",
               "http://h/a#x http://h/a http://h/a/");
    }
    void duplicates() {
        auto [added, expected] = fetchRow<QString, QString>({"added", "expected"});
        crawl::PageQueue queue;
        for (const QString& address : added.split(u' ')) {
            const bool known = queue.contains(address.toUpper());
            QCOMPARE(queue.add(address), !known);
            QVERIFY(queue.contains(address.toUpper()));
        }
        QStringList queued;
        for (int position = 1; position <= queue.count(); ++position)
            queued.append(queue.at(position));
        QCOMPARE(queued.join(u' '), expected);
    }
};

QTEST_APPLESS_MAIN(TestResolve)
#include "test_resolve.moc"
