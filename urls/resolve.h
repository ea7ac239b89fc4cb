#pragma once
// Link resolution as a browser does it (RFC 3986), and the small address rules built on it. Pure functions:
// no state, no failure beyond an empty result.

#include <QString>
#include <QUrl>

namespace vorlane::urls {

// `text` as a browser's address parser takes it in: C0 controls and blanks trimmed from both ends, ASCII
// tab, LF and CR removed wherever they are, and every other control character (C0, DEL, C1)
// percent-encoded. Nothing else changes, so an address without controls comes back as it is.
QString cleanAddressText(const QString& text);

// `href` made absolute against `base` (the page's final address, or `pageBase` of it), after
// cleanAddressText. An href that is already absolute (a scheme followed by "://") comes back otherwise as
// written apart from the removal of "about:blank"; so does a link with a scheme other than http, https and
// ftp (mailto:, javascript:). Any other comes back fully percent-encoded, as a browser's link address
// reads. Empty when the href cannot be resolved. The result never holds a control character.
QString resolveLink(const QString& href, const QUrl& base);

// True when the href starts with a scheme followed by "://" (such links are never rewritten).
bool isAbsoluteLink(const QString& href);

// The base that relative links of a page resolve against: its first <base href> resolved against the page's
// final address, or that address itself when there is no usable <base> (empty, unparsable, or not
// http, https or ftp).
QUrl pageBase(const QUrl& pageAddress, const QString& baseHref);

// The text after the address's last "/" (the whole text when it has none).
QString lastSegment(const QString& address);

// The address with its fragment ("#t=30", "#section") dropped: the fragment points into the resource, it
// does not name another one.
QString withoutFragment(const QString& address);

// The address under which a page is queued: its fragment dropped, nothing else changed. Empty when the
// address is not an absolute http or https address with a host (such links are never crawled).
QString normalisePageAddress(const QString& address);

} // namespace vorlane::urls
