// Link resolution against a page's address and its <base>, file names, and page-queue addresses.

#include "crawl/resolve.h"

#include <QTest>

class TestResolve : public QObject {
    Q_OBJECT
private slots:
    void resolveLink_data();
    void resolveLink();
    void absoluteLinksStayAsWritten_data();
    void absoluteLinksStayAsWritten();
    void pageBase_data();
    void pageBase();
    void lastSegment_data();
    void lastSegment();
    void normalisePageAddress_data();
    void normalisePageAddress();
    void fragmentsNameOnePage();
};

void TestResolve::resolveLink_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("href");
    QTest::addColumn<QString>("expected");

    const QString page = QStringLiteral("http://h/a/b/page.html");
    // Resolutions that any browser agrees with.
    QTest::newRow("file name") << page << "song.mp3"
                               << "http://h/a/b/song.mp3";
    QTest::newRow("sub folder") << page << "sub/song.mp3"
                                << "http://h/a/b/sub/song.mp3";
    QTest::newRow("one up") << page << "../song.mp3"
                            << "http://h/a/song.mp3";
    QTest::newRow("two up") << page << "../../x/song.mp3"
                            << "http://h/x/song.mp3";
    QTest::newRow("about:blank prefix") << page << "about:blanksong.mp3"
                                        << "http://h/a/b/song.mp3";
    QTest::newRow("dot segment") << page << "./song.mp3"
                                 << "http://h/a/b/song.mp3";
    // Where a browser reads the link differently from plain text pasting.
    QTest::newRow("root relative") << page << "/song.mp3"
                                   << "http://h/song.mp3";
    QTest::newRow("scheme relative") << page << "//cdn/x.mp3"
                                     << "http://cdn/x.mp3";
    QTest::newRow("scheme relative https") << "https://h/p.html"
                                           << "//cdn/x.mp3"
                                           << "https://cdn/x.mp3";
    QTest::newRow("query only") << page << "?p=2"
                                << "http://h/a/b/page.html?p=2";
    QTest::newRow("fragment only") << page << "#top"
                                   << "http://h/a/b/page.html#top";
    QTest::newRow("about:blank fragment") << page << "about:blank#top"
                                          << "http://h/a/b/page.html#top";
    QTest::newRow("empty href is the page") << page << ""
                                            << "http://h/a/b/page.html";
    QTest::newRow("dot segments walked") << page << "a/../b.mp3"
                                         << "http://h/a/b/b.mp3";
    QTest::newRow("surplus up stops at root") << "http://h/a/"
                                              << "../../../x.html"
                                              << "http://h/x.html";
    QTest::newRow("page without slash is a file") << "http://h/music"
                                                  << "x.mp3"
                                                  << "http://h/x.mp3";
    QTest::newRow("two dots in page name") << "http://h/a/x.tar.gz"
                                           << "y.mp3"
                                           << "http://h/a/y.mp3";
    QTest::newRow("language page name") << "http://h/a/index.en.html"
                                        << "y.mp3"
                                        << "http://h/a/y.mp3";
    QTest::newRow("host with dots") << "http://h.x"
                                    << "a.mp3"
                                    << "http://h.x/a.mp3";
    QTest::newRow("page query replaced") << "http://h/a/p.php?x=1"
                                         << "?p=2"
                                         << "http://h/a/p.php?p=2";
    QTest::newRow("page fragment dropped") << "http://h/a/p.html#sec"
                                           << "x.mp3"
                                           << "http://h/a/x.mp3";
    QTest::newRow("query holding ://") << page << "/go?u=http://x.com/a.mp3"
                                       << "http://h/go?u=http://x.com/a.mp3";
    // Text a browser cleans up before resolving.
    QTest::newRow("blank encoded") << page << "song one.mp3"
                                   << "http://h/a/b/song%20one.mp3";
    QTest::newRow("non-ASCII encoded") << page << "caf\u00e9.mp3"
                                       << "http://h/a/b/caf%C3%A9.mp3";
    QTest::newRow("backslash is slash") << page << "a\\b.mp3"
                                        << "http://h/a/b/a/b.mp3";
    QTest::newRow("backslash kept in query") << page << "x?a\\b"
                                             << "http://h/a/b/x?a%5Cb";
    QTest::newRow("newline inside dropped") << page << "so\nng.m\tp3"
                                            << "http://h/a/b/song.mp3";
    // Other schemes come back as themselves (the queue and the recorder turn them away).
    QTest::newRow("mailto") << page << "mailto:x@y.z"
                            << "mailto:x@y.z";
    QTest::newRow("javascript") << page << "javascript:void(0)"
                                << "javascript:void(0)";
    QTest::newRow("other scheme as written") << page << "mailto:a b@c.d?subject=../x"
                                             << "mailto:a b@c.d?subject=../x";
    QTest::newRow("scheme without slashes") << page << "http:../x.html"
                                            << "http://h/a/x.html";
    QTest::newRow("colon after scheme without slashes") << page << "http:a:b.mp3"
                                                        << "http://h/a/b/a:b.mp3";
    QTest::newRow("other scheme without slashes") << page << "https:x.html"
                                                  << "https:x.html";
    QTest::newRow("unparsable") << page << "//[::1"
                                << "";
}

void TestResolve::resolveLink() {
    QFETCH(QString, page);
    QFETCH(QString, href);
    QFETCH(QString, expected);
    QCOMPARE(ResolveLink(href, QUrl(page)), expected);
}

void TestResolve::absoluteLinksStayAsWritten_data() {
    QTest::addColumn<QString>("href");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << "http://h2/song.mp3"
                           << "http://h2/song.mp3";
    QTest::newRow("letter case and escapes") << "HTTP://H2/Song%20x.MP3#f"
                                             << "HTTP://H2/Song%20x.MP3#f";
    QTest::newRow("blank and dots not cleaned") << "http://h2/a/../b c.mp3"
                                                << "http://h2/a/../b c.mp3";
    QTest::newRow("ftp") << "ftp://f/x.mp3"
                         << "ftp://f/x.mp3";
    QTest::newRow("unparsable kept") << "http://[bad/x.mp3"
                                     << "http://[bad/x.mp3";
    QTest::newRow("about:blank removed") << "about:blankhttp://h2/x.mp3"
                                         << "http://h2/x.mp3";
    QTest::newRow("about:blank removed inside") << "http://h2/about:blankx.mp3"
                                                << "http://h2/x.mp3";
}

void TestResolve::absoluteLinksStayAsWritten() {
    QFETCH(QString, href);
    QFETCH(QString, expected);
    QVERIFY(IsAbsoluteLink(expected));
    QCOMPARE(ResolveLink(href, QUrl("http://h/a/b/page.html")), expected);
}

void TestResolve::pageBase_data() {
    QTest::addColumn<QString>("baseHref");
    QTest::addColumn<QString>("href");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no base") << ""
                             << "x.mp3"
                             << "http://h/a/x.mp3";
    QTest::newRow("absolute base") << "http://cdn/m/"
                                   << "x.mp3"
                                   << "http://cdn/m/x.mp3";
    QTest::newRow("relative base") << "/media/"
                                   << "x.mp3"
                                   << "http://h/media/x.mp3";
    QTest::newRow("base naming a file") << "http://cdn/m/index.html"
                                        << "x.mp3"
                                        << "http://cdn/m/x.mp3";
    QTest::newRow("script base ignored") << "javascript:alert(1)"
                                         << "x.mp3"
                                         << "http://h/a/x.mp3";
    QTest::newRow("mailto base ignored") << "mailto:x@y.z"
                                         << "x.mp3"
                                         << "http://h/a/x.mp3";
    QTest::newRow("unparsable base ignored") << "//[::1"
                                             << "x.mp3"
                                             << "http://h/a/x.mp3";
}

void TestResolve::pageBase() {
    QFETCH(QString, baseHref);
    QFETCH(QString, href);
    QFETCH(QString, expected);
    QCOMPARE(ResolveLink(href, PageBase(QUrl("http://h/a/page.html"), baseHref)), expected);
}

void TestResolve::lastSegment_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("expected");
    QTest::newRow("file") << "http://h/a/song.mp3"
                          << "song.mp3";
    QTest::newRow("folder") << "http://h/a/"
                            << "";
    QTest::newRow("no slash") << "song.mp3"
                              << "song.mp3";
    QTest::newRow("slash in query") << "http://h/get?f=a/b.mp3"
                                    << "b.mp3";
    QTest::newRow("empty") << ""
                           << "";
}

void TestResolve::lastSegment() {
    QFETCH(QString, address);
    QFETCH(QString, expected);
    QCOMPARE(LastSegment(address), expected);
}

void TestResolve::normalisePageAddress_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("expected");
    QTest::newRow("fragment dropped") << "http://h/p.html#a"
                                      << "http://h/p.html";
    QTest::newRow("empty fragment dropped") << "http://h/p.html#"
                                            << "http://h/p.html";
    QTest::newRow("otherwise as written") << "HTTPS://H/a b.html?x=1"
                                          << "HTTPS://H/a b.html?x=1";
    QTest::newRow("mailto") << "mailto:x@y.z"
                            << "";
    QTest::newRow("javascript") << "javascript:go('http://h/')"
                                << "";
    QTest::newRow("data") << "data:text/html,<a href=x>"
                          << "";
    QTest::newRow("tel") << "tel:+123"
                         << "";
    QTest::newRow("ftp is no page") << "ftp://h/x"
                                    << "";
    QTest::newRow("no host") << "http:foo.html"
                             << "";
    QTest::newRow("relative") << "/p.html"
                              << "";
    QTest::newRow("empty") << ""
                           << "";
}

void TestResolve::normalisePageAddress() {
    QFETCH(QString, address);
    QFETCH(QString, expected);
    QCOMPARE(NormalisePageAddress(address), expected);
}

void TestResolve::fragmentsNameOnePage() {
    const QUrl page("http://h/a/index.html");
    QCOMPARE(NormalisePageAddress(ResolveLink("page.html#a", page)),
             NormalisePageAddress(ResolveLink("page.html#b", page)));
}

QTEST_APPLESS_MAIN(TestResolve)
#include "test_resolve.moc"
