#include "crawl_plan.h"

#include <QUrl>
#include <algorithm>

namespace vorlane::crawl {

QString engineSearchAddress(const QString& link, const QString& keyword) {
    const QString encoded = QString::fromLatin1(QUrl::toPercentEncoding(keyword.trimmed()));
    QString address = link;
    address.replace(QLatin1String(store::kKeywordPlaceholder), encoded, Qt::CaseSensitive);
    return address.trimmed();
}

CrawlSegment urlSearchSegment(const QString& startAddress, int depth) {
    return {startAddress.trimmed(), QString(), std::max(1, depth), false};
}

QList<CrawlSegment> webSearchSegments(const QList<store::EngineLink>& engines, const QString& keyword) {
    QList<CrawlSegment> segments;
    for (const store::EngineLink& engine : engines) {
        if (engine.startPage.trimmed().isEmpty())
            continue;
        segments.append(
            {engineSearchAddress(engine.startPage, keyword), engine.name.trimmed(), kWebSearchLevels, true});
    }
    return segments;
}

QString levelText(const CrawlSegment& segment, int level) {
    if (!segment.webSearch)
        return QStringLiteral("level ") + QString::number(level);
    return QStringLiteral("Engine: ") + segment.engineName;
}

} // namespace vorlane::crawl
