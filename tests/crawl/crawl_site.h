#pragma once
// Local sites for the crawl tests, written in a small notation, and a probe of everything an engine reports
// during one crawl.

#include "crawl/crawl_engine.h"
#include "tests/support/http_fixture.h"

#include <QSignalSpy>

// One route a line:
//   "/p.html > a.html b.mp3"   a page of <a> links         "/p.html = <html>..."   a page with this markup
//   "/r -> /s"                 a 302 redirect              "/d.php ~ audio/mpeg"   a short body of this type
//   "/x ?"                     never answers               "/t # text"             a text/plain body
//   "/b 503:1 a.mp3"           this status, "Retry-After: 1" (none when nothing follows the colon), <a> links
//   "/big ! 52428800"          a streamed text/html body of this many bytes, a link to inside.mp3 first
//                              ("!!": without a length; a type after the length replaces text/html)
// False, with a warning naming the line, at a line it cannot read: a mistyped route would otherwise
// quietly answer 404 and a row expecting nothing would pass untested.
[[nodiscard]] inline bool buildSite(HttpFixture& server, const QStringList& lines) {
    for (const QString& line : lines) {
        if (line.trimmed().isEmpty())
            continue; // a row without a site
        const QString target = line.section(u' ', 0, 0), op = line.section(u' ', 1, 1);
        const QString rest = line.section(u' ', 2);
        HttpFixture::Route route;
        bool known = true;
        if (op == u">")
            server.setPage(target, HttpFixture::linksPage(rest.split(u' ', Qt::SkipEmptyParts)));
        else if (op == u"=")
            server.setPage(target, rest);
        else if (op == u"->")
            server.setRedirect(target, server.url(rest));
        else if (op == u"~")
            route.contentType = rest.toUtf8(), route.body = "ID3\x03\x00binary";
        else if (op == u"#")
            route.contentType = "text/plain", route.body = rest.toUtf8();
        else if (op == u"?")
            route.hang = true;
        else if (op == u"!" || op == u"!!") {
            route.streamBytes = rest.section(u' ', 0, 0).toLongLong();
            route.chunked = op == u"!!";
            route.body = "<html><body><a href=\"inside.mp3\">early link</a>";
            if (const QString type = rest.section(u' ', 1); !type.isEmpty())
                route.contentType = type.toUtf8();
        } else if (op.contains(u':')) {
            route.status = op.section(u':', 0, 0).toInt();
            route.body = HttpFixture::linksPage(rest.split(u' ', Qt::SkipEmptyParts)).toUtf8();
            if (!op.endsWith(u':'))
                route.headers.append({"Retry-After", op.section(u':', 1).toUtf8()});
        } else
            known = false;
        if (!known || !target.startsWith(u'/') || route.status < 100 || route.status > 599 ||
            (op.startsWith(u'!') && route.streamBytes <= 0)) {
            qWarning("buildSite: cannot read \"%s\"", qPrintable(line));
            return false;
        }
        if (!route.body.isEmpty() || route.hang)
            server.setRoute(target, route);
    }
    return true;
}

// Blank-separated targets as addresses on the server; whole addresses stay as they are.
inline QStringList addresses(const HttpFixture& server, const QString& targets) {
    QStringList out;
    for (const QString& target : targets.split(u' ', Qt::SkipEmptyParts))
        out << (target.startsWith(u'/') ? server.url(target) : target);
    return out;
}

struct Probe {
    explicit Probe(vorlane::crawl::CrawlEngine& engine)
        : finished(&engine, &vorlane::crawl::CrawlEngine::finished),
          files(&engine, &vorlane::crawl::CrawlEngine::fileRecorded),
          messages(&engine, &vorlane::crawl::CrawlEngine::messageChanged),
          levels(&engine, &vorlane::crawl::CrawlEngine::levelChanged),
          progress(&engine, &vorlane::crawl::CrawlEngine::progress) {}
    QSignalSpy finished, files, messages, levels, progress;

    bool waitDone(int ms = 20000) { return !finished.isEmpty() || finished.wait(ms); }
    static QStringList column(const QSignalSpy& spy, int index) {
        QStringList out;
        for (const auto& args : spy)
            out << args.at(index).toString();
        return out;
    }
    bool stopped() const { return finished.size() == 1 && finished.first().first().toBool(); }
    QStringList recorded() const { return column(files, 1); }
    // The pages processed, in order, from the "Crawling: " texts.
    QStringList crawled() const {
        QStringList out;
        for (const QString& text : column(messages, 0))
            if (text.startsWith(QLatin1String("Crawling: ")))
                out << text.mid(10);
        return out;
    }
};

inline vorlane::crawl::CrawlSettings crawlSettings(int timeoutSeconds, int concurrency,
                                                   const QStringList& filters = {},
                                                   const vorlane::store::CrawlPolicy& policy = {}) {
    vorlane::crawl::CrawlSettings settings;
    settings.timeoutSeconds = timeoutSeconds;
    settings.concurrency = concurrency;
    settings.filters = filters;
    settings.policy = policy;
    return settings;
}
