// Fuzzes a page's way from bytes to recorded and queued addresses: decoding, parsing, resolving and
// classifying every link. The first byte picks the Content-Type header the page came with.

#include "crawl/link_extractor.h"
#include "crawl/link_rules.h"
#include "urls/scheme_rules.h"
#include "urls/resolve.h"

#include <cstdint>
#include <cstdlib>

using namespace vorlane;

namespace {

bool isAsciiWhitespace(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\f' || c == u'\r';
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
    const QUrl base = urls::pageBase(QUrl("http://h/a/page.html"), page.baseHref);
    const QStringList extensions{".mp3", ".tar.gz", "ogg"};
    for (const crawl::ExtractedLink& link : page.links) {
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
