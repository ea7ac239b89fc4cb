#pragma once
// What one search crawls, as data: the start pages in order, each with its level limit and the text that
// names it in the second status panel. The URL search has one start page; the web search one per engine.

#include "store/engine_store.h"
#include <QList>
#include <QString>

namespace vorlane::crawl {

// Levels crawled after each engine's result page (the result page is level 1).
inline constexpr int kWebSearchLevels = 1000;

struct CrawlSegment {
    QString startAddress;
    QString engineName; // web search only
    int maxLevel = 1;   // the start page is level 1
    bool webSearch = false;
};

// The engine's link with the keyword, percent-encoded as a URL component, in place of every "<!KW!>".
QString engineSearchAddress(const QString& link, const QString& keyword);

CrawlSegment urlSearchSegment(const QString& startAddress, int depth);
// One segment per engine in the given order; an engine whose link is NULL or blank is left out.
QList<CrawlSegment> webSearchSegments(const QList<store::EngineLink>& engines, const QString& keyword);

// The second status panel while a page of `segment` at `level` is crawled.
QString levelText(const CrawlSegment& segment, int level);

} // namespace vorlane::crawl
