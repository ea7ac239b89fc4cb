// Link-extraction throughput on one core: MB of HTML per second from bytes to links (decoding, parsing,
// walking the tree), over a generated mix of pages shaped like real ones (head with styles and scripts,
// navigation, text, tables, comments, entities, media and page links, a few legacy-encoded pages).
// Usage: bench_extract [total MiB, default 32]
//        bench_extract shapes [shape]  hostile markup at 1, 4 and 8 MiB, three rounds each: CPU seconds
//        bench_extract links           one page of 800,000 links, all but 800 the same (run it under
//                                      /usr/bin/time -v for the peak memory)

#include "crawl/link_extractor.h"
#include "crawl/link_rules.h"
#include "urls/resolve.h"

#include <QElapsedTimer>
#include <QRandomGenerator>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>

using namespace vorlane;

namespace {

struct Page {
    QByteArray body;
    QByteArray contentType;
};

QByteArray words(QRandomGenerator& random, int count) {
    static const char* vocabulary[] = {"the",  "music", "album", "live",  "session", "recorded",   "with",
                                       "band", "and",   "free",  "track", "release", "download",   "of",
                                       "tour", "new",   "sound", "vinyl", "remix",   "caf\xc3\xa9"};
    QByteArray text;
    for (int i = 0; i < count; ++i) {
        text += vocabulary[random.bounded(int(std::size(vocabulary)))];
        text += ' ';
    }
    return text;
}

QByteArray link(QRandomGenerator& random, int n) {
    switch (random.bounded(8)) {
    case 0:
        return "<a href=\"/artists/" + QByteArray::number(n) + "/\">";
    case 1:
        return "<a href=\"../albums/" + QByteArray::number(n) + ".html?sort=date&amp;page=2\">";
    case 2:
        return "<a href=\"http://cdn" + QByteArray::number(n % 7) + ".example.net/media/track" +
               QByteArray::number(n) + ".mp3\">";
    case 3:
        return "<a class=\"nav-item\" title=\"Go to page " + QByteArray::number(n) + "\" href=\"page" +
               QByteArray::number(n) + ".html#top\">";
    case 4:
        return "<a href=\"https://www.example.org/?p=" + QByteArray::number(n) + "\" rel=\"nofollow\">";
    case 5:
        return "<a href=\"mailto:band" + QByteArray::number(n) + "@example.com\">";
    case 6:
        return "<a href=\"song%20" + QByteArray::number(n) + ".ogg\">";
    default:
        return "<a href=\"javascript:play(" + QByteArray::number(n) + ")\">";
    }
}

Page generatePage(QRandomGenerator& random, int index) {
    Page page;
    const bool legacy = index % 10 == 0;
    page.contentType = legacy ? "text/html; charset=windows-1252" : "text/html; charset=utf-8";
    QByteArray& html = page.body;
    html += "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>" + words(random, 6) +
            "</title>\n<style>body{font:14px sans-serif}.nav a{color:#333;padding:4px}table td{border:1px "
            "solid #ccc}</style>\n<script>var config={\"page\":" +
            QByteArray::number(index) +
            ",\"links\":[\"<a href='x'>\"]};function play(n){document.write('<audio src=\"'+n+'.mp3\">')}"
            "</script>\n</head><body>\n<div class=\"nav\"><ul>";
    for (int i = 0; i < 20; ++i)
        html += "<li>" + link(random, i) + words(random, 2) + "</a></li>\n";
    html += "</ul></div>\n<!-- navigation ends; <a href=\"hidden.mp3\"> stays hidden -->\n<div id=\"main\">";
    const int sections = 4 + random.bounded(40); // pages from a few KiB to a few hundred KiB
    for (int s = 0; s < sections; ++s) {
        html += "<h2>" + words(random, 4) + "</h2>\n<p>" + words(random, 60 + random.bounded(120));
        for (int l = 0; l < 4; ++l)
            html += link(random, s * 10 + l) + words(random, 3) + "</a> " + words(random, 15);
        html += "&nbsp;&copy; &amp; more</p>\n";
        if (s % 3 == 0) {
            html += "<table class=\"tracks\"><tr><th>Track</th><th>Length</th><th>Get</th></tr>\n";
            for (int r = 0; r < 10; ++r)
                html += "<tr><td>" + words(random, 3) + "</td><td>3:" + QByteArray::number(10 + r) +
                        "</td><td>" + link(random, r) + "mp3</a></td></tr>\n";
            html += "</table>\n";
        }
        if (s % 5 == 0)
            html += "<figure><audio controls src=\"/media/clip" + QByteArray::number(s) +
                    ".mp3\"><source src=\"clip.ogg\" type=\"audio/ogg\"></audio><img src=\"/img/cover" +
                    QByteArray::number(s) + ".jpg\" alt=\"cover\"></figure>\n";
    }
    html += "</div><div class=\"footer\"><p>" + words(random, 30) + "</p></div>\n</body></html>\n";
    if (legacy)
        html.replace("caf\xc3\xa9", "caf\xe9");
    return page;
}

// CPU time of this thread: the figure "on one core" even when other work shares the machine.
double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Markup that costs an HTML tree builder more than linear time if nothing bounds it, as one page of about
// `bytes`. Numbers keep elements and attributes from being identical where identical ones would be merged.
struct Shape {
    const char* name;
    std::function<QByteArray(qsizetype bytes)> page;
};

QByteArray repeated(const QByteArray& unit, qsizetype bytes) {
    return unit.repeated(std::max<qsizetype>(1, bytes / unit.size()));
}

QByteArray numbered(const QByteArray& before, const QByteArray& after, qsizetype bytes) {
    QByteArray page;
    page.reserve(bytes + 64);
    for (int n = 0; page.size() < bytes; ++n)
        page += before + QByteArray::number(n) + after;
    return page;
}

QByteArray deepThen(const QByteArray& open, int depth, const QByteArray& unit, qsizetype bytes) {
    const QByteArray start = open.repeated(depth);
    return start + repeated(unit, bytes - start.size());
}

const QList<Shape>& shapes() {
    static const QList<Shape> all = {
        {"stray end tags after each div", [](qsizetype b) { return repeated("<div></x>", b); }},
        {"nested divs", [](qsizetype b) { return repeated("<div>", b); }},
        {"stray end tags in 600 spans", [](qsizetype b) { return deepThen("<span>", 600, "</x>", b); }},
        {"stray block end tags in 600 divs", [](qsizetype b) { return deepThen("<div>", 600, "</ul>", b); }},
        {"rules in 600 divs", [](qsizetype b) { return deepThen("<div>", 600, "<hr>", b); }},
        {"text in a <b> in 500 divs",
         [](qsizetype b) { return deepThen("<div>", 500, "<b>" + QByteArray(b, 'x'), b); }},
        {"misnested formatting <b><i></b></i>", [](qsizetype b) { return repeated("<b><i></b></i>", b); }},
        {"open formatting elements", [](qsizetype b) { return numbered("<b id=", ">", b); }},
        {"formatting reopened by text", [](qsizetype b) { return numbered("<p><b id=", "></p>x", b); }},
        {"500 formatting elements reopened",
         [](qsizetype b) {
             return numbered("<b id=", ">", 5000).prepend("<p>") + "</p>" + repeated("<div>x</div>", b);
         }},
        {"links in links", [](qsizetype b) { return repeated("<a href=x><div><a href=y>", b); }},
        {"tables in tables", [](qsizetype b) { return repeated("<table><tr><td>", b); }},
        {"templates", [](qsizetype b) { return repeated("<template>", b); }},
        {"svg elements, stray end tags",
         [](qsizetype b) { return "<svg>" + repeated("<g>", b / 2) + repeated("</x>", b / 2); }},
        {"mathml in mathml", [](qsizetype b) { return repeated("<math><mi>", b); }},
        {"one tag's attributes",
         [](qsizetype b) { return numbered(" a", "", b).prepend("<a href=x").append(">"); }},
        {"attributes merged into <html>", [](qsizetype b) { return numbered("<html a", ">", b); }},
        {"links, all but one in 1000 the same",
         [](qsizetype b) { return numbered("<a href=x><a href=u", ">", b); }},
    };
    return all;
}

// Each shape at 1, 4 and 8 MiB (the largest page the crawl fetches), three rounds: the spread is the
// machine's.
int benchShapes(const char* only) {
    std::printf("%-40s %6s %28s %9s\n", "shape", "MiB", "CPU seconds, three rounds", "MB/s");
    for (const Shape& shape : shapes()) {
        if (only && !std::strstr(shape.name, only))
            continue;
        for (const int mib : {1, 4, 8}) {
            const QByteArray page = shape.page(qsizetype(mib) * 1024 * 1024);
            std::array<double, 3> seconds{};
            qsizetype links = 0;
            for (double& round : seconds) {
                const double start = threadSeconds();
                links = crawl::extractLinks(page, "text/html; charset=utf-8").links.size();
                round = threadSeconds() - start;
            }
            std::sort(seconds.begin(), seconds.end());
            std::printf("%-40s %6.1f %8.3f %8.3f %8.3f    %8.1f  (%lld links)\n", shape.name,
                        double(page.size()) / (1024 * 1024), seconds[0], seconds[1], seconds[2],
                        double(page.size()) / 1e6 / seconds[1], static_cast<long long>(links));
            std::fflush(stdout);
        }
    }
    return 0;
}

int benchLinks() {
    QByteArray page;
    for (int i = 0; i < 800000; ++i)
        page += i % 1000 == 0 ? "<a href=u" + QByteArray::number(i) + ">" : QByteArray("<a href=x>");
    const double start = threadSeconds();
    const crawl::ParsedPage parsed = crawl::extractLinks(page, "text/html");
    std::printf("%.1f MiB, %lld links in %.2f CPU seconds\n", double(page.size()) / (1024 * 1024),
                static_cast<long long>(parsed.links.size()), threadSeconds() - start);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "shapes") == 0)
        return benchShapes(argc > 2 ? argv[2] : nullptr);
    if (argc > 1 && std::strcmp(argv[1], "links") == 0)
        return benchLinks();
    const double targetMiB = argc > 1 ? std::atof(argv[1]) : 32.0;
    QRandomGenerator random(20240611);
    QList<Page> pages;
    qint64 totalBytes = 0;
    while (totalBytes < qint64(targetMiB * 1024 * 1024)) {
        pages.append(generatePage(random, int(pages.size())));
        totalBytes += pages.last().body.size();
    }
    std::printf("page mix: %lld pages, %.1f MiB, %.1f KiB average\n", static_cast<long long>(pages.size()),
                double(totalBytes) / (1024 * 1024), double(totalBytes) / 1024 / double(pages.size()));

    const QStringList extensions = crawl::splitExtensions(".mp3,.ogg");
    const int rounds = 3;
    double bestExtract = 0;
    double bestWhole = 0;
    qint64 linkCount = 0;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        double cpuStart = threadSeconds();
        qint64 links = 0;
        for (const Page& page : pages)
            links += crawl::extractLinks(page.body, page.contentType).links.size();
        const double extractWall = double(timer.nsecsElapsed()) / 1e9;
        const double extractSeconds = threadSeconds() - cpuStart;

        // The same with each link resolved and classified, as the crawl does per page.
        timer.restart();
        cpuStart = threadSeconds();
        qint64 media = 0;
        const QUrl address("http://www.example.com/music/artists/index.html");
        for (const Page& page : pages) {
            const crawl::ParsedPage parsed = crawl::extractLinks(page.body, page.contentType);
            const QUrl base = urls::pageBase(address, parsed.baseHref);
            for (const crawl::ExtractedLink& extracted : parsed.links) {
                const QString resolved = urls::resolveLink(extracted.href, base);
                if (crawl::isMediaLink(resolved, extensions))
                    ++media;
                else
                    (void)urls::normalisePageAddress(resolved);
            }
        }
        const double wholeSeconds = threadSeconds() - cpuStart;
        const double mb = double(totalBytes) / 1e6;
        bestExtract = std::max(bestExtract, mb / extractSeconds);
        bestWhole = std::max(bestWhole, mb / wholeSeconds);
        linkCount = links;
        std::printf("round %d: extraction %.1f MB/s of CPU time (%.1f MB/s wall), with resolution and "
                    "classification %.1f MB/s (%lld links, %lld media)\n",
                    round + 1, mb / extractSeconds, mb / extractWall, mb / wholeSeconds,
                    static_cast<long long>(links), static_cast<long long>(media));
    }
    std::printf("best, per CPU second: extraction %.1f MB/s, with resolution and classification %.1f MB/s, "
                "%lld links\n",
                bestExtract, bestWhole, static_cast<long long>(linkCount));
    return 0;
}
