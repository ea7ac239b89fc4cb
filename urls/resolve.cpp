#include "urls/resolve.h"

#include "urls/percent_encode.h"

#include <algorithm>

namespace vorlane::urls {

namespace {

const QString kAboutBlank = QStringLiteral("about:blank");

// RFC 3986 scheme: ALPHA *( ALPHA / DIGIT / "+" / "-" / "." ), followed by ":".
// Returns the length of the scheme, or -1 when the text does not start with one.
qsizetype schemeLength(QStringView text) {
    if (text.isEmpty() || !(text[0].isLetter() && text[0].unicode() < 0x80))
        return -1;
    for (qsizetype i = 1; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u':')
            return i;
        const bool ok = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
                        c == u'+' || c == u'-' || c == u'.';
        if (!ok)
            return -1;
    }
    return -1;
}

bool isAsciiTabOrNewline(char16_t c) {
    return c == u'\t' || c == u'\n' || c == u'\r';
}

bool isC0OrBlank(char16_t c) {
    return c <= u' ';
}

bool isControl(char16_t c) {
    return c < u' ' || (c >= u'\x7f' && c <= u'\x9f');
}

bool hasHttpScheme(const QUrl& url) {
    const QString scheme = url.scheme(); // QUrl keeps schemes in lower case
    return scheme == u"http" || scheme == u"https";
}

} // namespace

QString cleanAddressText(const QString& text) {
    const QStringView view(text);
    qsizetype begin = 0;
    qsizetype end = view.size();
    while (begin < end && isC0OrBlank(view[begin].unicode()))
        ++begin;
    while (end > begin && isC0OrBlank(view[end - 1].unicode()))
        --end;
    const QStringView kept = view.sliced(begin, end - begin);
    if (std::none_of(kept.begin(), kept.end(), [](QChar c) { return isControl(c.unicode()); }))
        return kept.size() == text.size() ? text : kept.toString();
    QString cleaned;
    cleaned.reserve(kept.size() + 8);
    for (const QChar c : kept) {
        if (isAsciiTabOrNewline(c.unicode()))
            continue;
        if (isControl(c.unicode()))
            appendPercentEncoded(cleaned, c.unicode());
        else
            cleaned.append(c);
    }
    return cleaned;
}

bool isAbsoluteLink(const QString& href) {
    const qsizetype length = schemeLength(href);
    return length > 0 && QStringView(href).mid(length).startsWith(u"://");
}

QString resolveLink(const QString& href, const QUrl& base) {
    QString link = href;
    link.remove(kAboutBlank);
    // Before anything else: a line break or an escape sequence in a link must never reach a stored
    // address, a list row or a printed line, and a browser would not keep them either.
    link = cleanAddressText(link);
    // An absolute link is the page author's text: kept as written so that the same file found through
    // different pages compares equal.
    if (isAbsoluteLink(link))
        return link;

    // mailto:, javascript:, data: and the like are never fetched nor recorded; they stay as written.
    if (const qsizetype length = schemeLength(link); length > 0) {
        const QStringView scheme = QStringView(link).left(length);
        if (scheme.compare(u"http", Qt::CaseInsensitive) != 0 &&
            scheme.compare(u"https", Qt::CaseInsensitive) != 0 &&
            scheme.compare(u"ftp", Qt::CaseInsensitive) != 0)
            return link;
        // "http:x.html", a web scheme without "//": browsers read it relative to a page of that scheme.
        // On a page of another scheme it names no host and stays as written.
        if (!QStringView(link).mid(length + 1).startsWith(u"//")) {
            if (scheme.compare(base.scheme(), Qt::CaseInsensitive) != 0)
                return link;
            link.remove(0, length + 1);
            // What remains is a path; one whose first segment holds ":" must not read as a scheme.
            if (schemeLength(link) > 0)
                link.prepend(u"./");
        }
    }
    if (hasHttpScheme(base)) {
        // Browsers read "\" as "/" in the path of web addresses.
        qsizetype pathEnd = 0;
        while (pathEnd < link.size() && link[pathEnd] != u'?' && link[pathEnd] != u'#')
            ++pathEnd;
        std::replace(link.begin(), link.begin() + pathEnd, u'\\', u'/');
    }
    const QUrl resolved = base.resolved(QUrl(link, QUrl::TolerantMode));
    if (!resolved.isValid() || resolved.isRelative())
        return {};
    return resolved.toString(QUrl::FullyEncoded);
}

QUrl pageBase(const QUrl& pageAddress, const QString& baseHref) {
    if (baseHref.isEmpty())
        return pageAddress;
    const QUrl base(resolveLink(baseHref, pageAddress), QUrl::TolerantMode);
    if (!base.isValid() || base.host().isEmpty())
        return pageAddress;
    const QString scheme = base.scheme();
    if (scheme != u"http" && scheme != u"https" && scheme != u"ftp")
        return pageAddress;
    return base;
}

QString lastSegment(const QString& address) {
    return address.mid(address.lastIndexOf(u'/') + 1);
}

QString withoutFragment(const QString& address) {
    const qsizetype hash = address.indexOf(u'#');
    return hash < 0 ? address : address.left(hash);
}

QString normalisePageAddress(const QString& address) {
    const QString page = withoutFragment(address);
    const QUrl url(page, QUrl::TolerantMode);
    if (!url.isValid() || !hasHttpScheme(url) || url.host().isEmpty())
        return {};
    return page;
}

} // namespace vorlane::urls
