#pragma once
// Where a crawl stands: the pages found and the one-page-at-a-time order they are crawled in (segment by
// segment, level by level, queue position by queue position), and how far fetching may run ahead of it.
// A page's key is its queue position (> 0), or -(segment index + 1) for a segment's start page.

#include "crawl/crawl_plan.h"
#include "crawl/page_queue.h"

#include <QList>
#include <QString>

namespace vorlane::crawl {

class CrawlCursor {
public:
    void start(const QList<CrawlSegment>& segments); // at the first segment's start page
    void clear();

    // Moves on to the next page to crawl, passing over the levels and segments with nothing left; false
    // when the crawl is done. The page stays selected until advance().
    bool selectPage();
    void advance();
    int pageKey() const { return m_pageKey; }
    const QString& pageAddress() const { return m_pageAddress; }
    int pageLevel() const { return m_atStartPage ? 1 : m_level; }
    const CrawlSegment& segment() const { return m_segments.at(m_segment); } // while a page is selected

    // The next queue position to fetch ahead of the crawl, each given once; 0 while none the crawl will
    // reach is known.
    int nextPrefetch();

    // False when the page is queued already, or when the queue holds its limit of pages (0: none).
    bool addPage(const QString& address, int foundOnKey);
    void setQueueLimit(int pages); // after start()
    // True once a crawl, after the first page left out for the limit.
    bool takeQueueFilled();
    const QString& firstLeftOut() const { return m_firstLeftOut; } // that page's address

    int queuedPages() const { return m_queue.count(); }
    QString addressOf(int key) const;
    QString foundOnAddress(int key) const; // of the page `key` was first found on; empty for a start page

private:
    bool willCrawl(int position) const;

    QList<CrawlSegment> m_segments;
    PageQueue m_queue;
    QList<int> m_foundOn; // per queue position: the key of the page it was first found on
    int m_queueLimit = 0;
    enum class Filled { No, Unsaid, Said } m_filled = Filled::No;
    QString m_firstLeftOut;

    int m_segment = 0;
    bool m_atStartPage = true;
    int m_level = 1;
    int m_nextPosition = 1;
    int m_levelEnd = 0; // the last queue position of the level in hand
    int m_prefetchPosition = 1;

    int m_pageKey = 0;
    QString m_pageAddress;
};

} // namespace vorlane::crawl
