#include "crawl/crawl_policy.h"

#include <QLocale>
#include <algorithm>

namespace vorlane::crawl {

QString siteHost(const QUrl& url) {
    QString host = url.host().toLower();
    if (host.startsWith(QLatin1String("www.")) && host.size() > 4)
        host.remove(0, 4);
    return host;
}

bool sameSite(const QUrl& a, const QUrl& b) {
    const QString host = siteHost(a);
    return !host.isEmpty() && host == siteHost(b);
}

qint64 retryAfterMs(const QByteArray& value, const QDateTime& nowUtc) {
    constexpr qint64 cap = qint64(store::kMaxRetryAfterSeconds) * 1000;
    const QByteArray text = value.trimmed();
    if (text.isEmpty())
        return -1;
    if (std::all_of(text.cbegin(), text.cend(), [](char c) { return c >= '0' && c <= '9'; })) {
        // Digits beyond what fits are a very long wait, not an error.
        const qint64 seconds = text.size() > 9 ? cap : text.toLongLong();
        return std::min(cap, seconds * 1000);
    }
    // IMF-fixdate, the form servers send ("Sun, 06 Nov 1994 08:49:37 GMT"); the obsolete forms are rare
    // enough to be read as no Retry-After at all.
    const QString date = QString::fromLatin1(text);
    QDateTime when = QLocale::c().toDateTime(date, QStringLiteral("ddd, dd MMM yyyy hh:mm:ss 'GMT'"));
    if (!when.isValid())
        return -1;
    when.setTimeSpec(Qt::UTC);
    return std::clamp<qint64>(nowUtc.msecsTo(when), 0, cap);
}

} // namespace vorlane::crawl
