#include "urls/scheme_rules.h"

#include <QUrl>

namespace vorlane::urls {

namespace {

// The scheme of an absolute address in lower case, or empty. Only addresses with an authority ("://")
// and a host count: "http:foo" is not a web address.
QString schemeOf(const QString& address) {
    const QUrl url(address, QUrl::TolerantMode);
    if (!url.isValid() || url.host().isEmpty())
        return {};
    return url.scheme();
}

} // namespace

bool isCrawlableAddress(const QString& address) {
    const QString scheme = schemeOf(address);
    return scheme == u"http" || scheme == u"https";
}

bool isRecordableAddress(const QString& address) {
    const QString scheme = schemeOf(address);
    return scheme == u"http" || scheme == u"https" || scheme == u"ftp";
}

} // namespace vorlane::urls
