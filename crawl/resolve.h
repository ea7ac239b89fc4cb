#pragma once
// Link resolution as a browser does it (RFC 3986), and the small address rules built on it.

#include <QString>
#include <QUrl>

// `href` made absolute against `base` (the page's final address, or its <base href> resolved against that).
// An href that already holds "://" comes back byte for byte apart from the removal of "about:blank".
QString ResolveLink(const QString& href, const QUrl& base);

// The text after the address's last "/" (the whole text when it has none).
QString LastSegment(const QString& address);

// The address under which a page is queued: its fragment dropped. Empty when the address is not an
// absolute http or https address (such links are never crawled).
QString NormalisePageAddress(const QString& address);
