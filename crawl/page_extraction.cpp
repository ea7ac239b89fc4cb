#include "crawl/page_extraction.h"

#include "crawl/link_extractor.h"
#include "crawl/link_rules.h"
#include "urls/resolve.h"
#include "urls/scheme_rules.h"

#include <QSet>

namespace vorlane::crawl {

namespace {

// The page's <base href> when it resolves to an absolute address, else where the page came from.
QUrl pageBase(const ParsedPage& parsed, const QUrl& finalUrl) {
    if (parsed.baseHref.isEmpty())
        return finalUrl;
    const QUrl declared(urls::resolveLink(parsed.baseHref, finalUrl));
    return declared.isValid() && !declared.isRelative() ? declared : finalUrl;
}

// Appends `text` unless it is already in `list`.
void appendOnce(QStringList& list, QSet<QString>& seen, const QString& text) {
    if (!text.isEmpty() && !seen.contains(text)) {
        seen.insert(text);
        list.append(text);
    }
}

} // namespace

ExtractedLinks extractPage(const PageInput& input) {
    const ParsedPage parsed = extractLinks(input.body, input.contentType);
    const QUrl base = pageBase(parsed, input.finalUrl);
    ExtractedLinks out;
    QSet<QString> seenFiles, seenPages;
    // A page repeating one link many times resolves it once: the same href on the same base is the same
    // address. Embedded links are never pages, so they are told apart from anchors.
    QSet<QString> seenAnchors, seenEmbedded;
    for (const ExtractedLink& link : parsed.links) {
        const bool anchor = link.source == LinkSource::Anchor;
        QSet<QString>& seen = anchor ? seenAnchors : seenEmbedded;
        if (seen.contains(link.href))
            continue;
        seen.insert(link.href);
        const QString url = urls::resolveLink(link.href, base);
        if (isMediaLink(url, input.extensions)) {
            const QString file = urls::withoutFragment(url);
            if (urls::isRecordableAddress(file))
                appendOnce(out.fileLinks, seenFiles, file);
        } else if (anchor) {
            appendOnce(out.pageLinks, seenPages, urls::normalisePageAddress(url));
        }
    }
    return out;
}

} // namespace vorlane::crawl
