#pragma once
// The rules a crawl's politeness options are applied with: what counts as one site, and how long a
// server's Retry-After asks to wait.

#include "store/crawl_policy.h"
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QUrl>

namespace vorlane::crawl {

// The host that names a site: lower case, one leading "www." dropped. Scheme and port do not count, so
// http://www.a.example/ and https://a.example:8443/ are one site; b.a.example is another.
QString siteHost(const QUrl& url);
bool sameSite(const QUrl& a, const QUrl& b);

// The wait a Retry-After header value asks for, in milliseconds, capped at kMaxRetryAfterSeconds: either
// delay-seconds or an HTTP date (a date past gives 0). -1 when the value is neither.
qint64 retryAfterMs(const QByteArray& value, const QDateTime& nowUtc);

} // namespace vorlane::crawl
