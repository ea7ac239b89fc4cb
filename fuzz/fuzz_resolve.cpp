// Fuzzes link resolution and the address rules. Input: the page address, a newline, the href.

#include "crawl/link_rules.h"
#include "urls/scheme_rules.h"
#include "urls/resolve.h"

#include <cstdint>
#include <cstdlib>

using namespace vorlane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString input = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype newline = input.indexOf(u'\n');
    const QString pageText = newline < 0 ? QStringLiteral("http://h/a/b/page.html") : input.left(newline);
    const QString href = newline < 0 ? input : input.mid(newline + 1);
    const QUrl page(pageText);

    const QString address = urls::resolveLink(href, page);
    (void)urls::pageBase(page, href);
    QString withoutBlank = href;
    withoutBlank.remove(QStringLiteral("about:blank"));
    withoutBlank = urls::cleanAddressText(withoutBlank);
    // An absolute link is never rewritten beyond the clean-up of its control characters.
    if (urls::isAbsoluteLink(withoutBlank) && address != withoutBlank)
        std::abort();
    for (const QChar c : address)
        if (c.unicode() < 0x20 || (c.unicode() >= 0x7f && c.unicode() < 0xa0))
            std::abort(); // a control character in a resolved address
    // A resolved address resolves to itself: the same file found from two pages compares equal. (Not when
    // the page's own address holds "about:blank", which resolution removes from links.) Pages are web
    // addresses with a host: that is all the crawl ever resolves against.
    if (!address.isEmpty() && !urls::isAbsoluteLink(address) && urls::isCrawlableAddress(pageText) &&
        !address.contains(QStringLiteral("about:blank")) && urls::resolveLink(address, page) != address)
        std::abort();

    const QString pageAddress = urls::normalisePageAddress(address);
    if (!pageAddress.isEmpty() && (!urls::isCrawlableAddress(pageAddress) || pageAddress.contains(u'#') ||
                                   !address.startsWith(pageAddress)))
        std::abort();
    if (urls::isCrawlableAddress(address) && !urls::isRecordableAddress(address))
        std::abort();
    (void)crawl::isMediaLink(address, crawl::splitExtensions(href));
    (void)crawl::isFilteredUrl(address, {href, QString()});
    (void)urls::lastSegment(address);
    (void)crawl::pathExtension(href);
    return 0;
}
