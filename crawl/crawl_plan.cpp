#include "crawl_plan.h"

#include <QUrl>
#include <algorithm>

QString EngineSearchAddress(const QString& link, const QString& keyword) {
    const QString encoded = QString::fromLatin1(QUrl::toPercentEncoding(keyword.trimmed()));
    QString address = link;
    address.replace(QLatin1String(vorlane::store::kKeywordPlaceholder), encoded, Qt::CaseSensitive);
    return address.trimmed();
}

CrawlSegment UrlSearchSegment(const QString& startAddress, int depth) {
    return {startAddress.trimmed(), QString(), std::max(1, depth), false};
}

QList<CrawlSegment> WebSearchSegments(const QList<vorlane::store::EngineLink>& engines,
                                      const QString& keyword) {
    QList<CrawlSegment> segments;
    for (const vorlane::store::EngineLink& engine : engines) {
        if (engine.startPage.trimmed().isEmpty())
            continue;
        segments.append(
            {EngineSearchAddress(engine.startPage, keyword), engine.name.trimmed(), kWebSearchLevels, true});
    }
    return segments;
}

QString LevelText(const CrawlSegment& segment, int level) {
    if (!segment.webSearch)
        return QStringLiteral("level ") + QString::number(level);
    return QStringLiteral("Engine: ") + segment.engineName;
}
