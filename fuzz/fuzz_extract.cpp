// Fuzzes a page's way from bytes to recorded and queued addresses: decoding, parsing, resolving and
// classifying every link. The first byte picks the Content-Type header the page came with ("1": text/html).
// Run with -max_len=8388608 -timeout=3 (`make fuzz`): any page the crawl fetches is parsed in linear time.

#include "crawl/link_extractor.h"
#include "crawl/link_rules.h"
#include "urls/resolve.h"
#include "urls/scheme_rules.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

using namespace vorlane;

namespace {

// Pages up to this size are parsed a second time in small pieces, which must give the same links; larger ones
// are parsed once, to keep within the time-out.
constexpr size_t kComparedBytes = 256 * 1024;
// The links resolved and classified: past these, a page's size is under test, not its links.
constexpr qsizetype kCheckedLinks = 4096;

bool isAsciiWhitespace(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\f' || c == u'\r';
}

bool sameLinks(const crawl::ParsedPage& a, const crawl::ParsedPage& b) {
    if (a.baseHref != b.baseHref || a.links.size() != b.links.size())
        return false;
    for (qsizetype i = 0; i < a.links.size(); ++i) {
        if (a.links[i].href != b.links[i].href || a.links[i].source != b.links[i].source)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    static const QByteArray contentTypes[] = {"",
                                              "text/html",
                                              "text/html; charset=windows-1252",
                                              "text/html; charset=\"Shift_JIS\"",
                                              "text/html; charset=utf-16le",
                                              "text/html;charset=ISO-8859-1",
                                              "text/html; charset=x-no-such",
                                              "application/xhtml+xml; charset=euc-kr"};
    const QByteArray& contentType = contentTypes[data[0] % std::size(contentTypes)];
    const QByteArray body(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    const crawl::ParsedPage page = crawl::extractLinks(body, contentType);
    if (size <= kComparedBytes &&
        !sameLinks(page, crawl::extractLinks(crawl::decodePageText(body, contentType), 1 + qsizetype(size % 251))))
        std::abort();
    const QUrl base = urls::pageBase(QUrl("http://h/a/page.html"), page.baseHref);
    const QStringList extensions{".mp3", ".tar.gz", "ogg"};
    for (const crawl::ExtractedLink& link : page.links.first(std::min(page.links.size(), kCheckedLinks))) {
        if (!link.href.isEmpty() &&
            (isAsciiWhitespace(link.href.front()) || isAsciiWhitespace(link.href.back())))
            std::abort();
        const QString address = urls::resolveLink(link.href, base);
        const QString pageAddress = urls::normalisePageAddress(address);
        if (!pageAddress.isEmpty() && (!urls::isCrawlableAddress(pageAddress) || pageAddress.contains(u'#')))
            std::abort();
        (void)crawl::isMediaLink(address, extensions);
        (void)urls::isRecordableAddress(address);
        (void)urls::lastSegment(address);
    }
    return 0;
}
