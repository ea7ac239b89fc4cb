#include "crawl/crawl_cursor.h"

#include <algorithm>

namespace vorlane::crawl {

void CrawlCursor::start(const QList<CrawlSegment>& segments) {
    clear();
    m_segments = segments;
}

void CrawlCursor::clear() {
    *this = CrawlCursor();
}

bool CrawlCursor::selectPage() {
    for (;;) {
        if (m_segment >= m_segments.size())
            return false;
        const CrawlSegment& segment = m_segments.at(m_segment);
        if (m_atStartPage) {
            m_pageKey = -(m_segment + 1);
            m_pageAddress = segment.startAddress;
            return true;
        }
        if (m_level <= segment.maxLevel && m_nextPosition <= m_levelEnd) {
            m_pageKey = m_nextPosition;
            m_pageAddress = m_queue.at(m_nextPosition);
            return true;
        }
        if (m_level < segment.maxLevel && m_queue.count() > m_levelEnd) {
            // The level is done; the pages found on it make the next one.
            m_levelEnd = m_queue.count();
            ++m_level;
            continue;
        }
        // The last level is done, or a level found nothing: the levels left pass without work.
        ++m_segment;
        m_atStartPage = true;
    }
}

void CrawlCursor::advance() {
    if (m_atStartPage) {
        m_atStartPage = false;
        m_level = 2;
        m_levelEnd = m_queue.count();
    } else {
        ++m_nextPosition;
    }
    m_prefetchPosition = std::max(m_prefetchPosition, m_nextPosition);
}

int CrawlCursor::nextPrefetch() {
    const int position = std::max(m_prefetchPosition, m_nextPosition);
    if (!willCrawl(position))
        return 0;
    m_prefetchPosition = position + 1;
    return position;
}

// Positions up to the level's end belong to the level in hand, later ones to the next.
bool CrawlCursor::willCrawl(int position) const {
    if (m_segment >= m_segments.size() || position < m_nextPosition || position > m_queue.count())
        return false;
    const int maxLevel = m_segments.at(m_segment).maxLevel;
    if (m_atStartPage)
        return maxLevel >= 2;
    return position <= m_levelEnd ? m_level <= maxLevel : m_level + 1 <= maxLevel;
}

bool CrawlCursor::addPage(const QString& address, int foundOnKey) {
    if (m_queueLimit > 0 && m_queue.count() >= m_queueLimit) {
        if (m_filled == Filled::No && !m_queue.contains(address)) {
            m_filled = Filled::Unsaid;
            m_firstLeftOut = address;
        }
        return false;
    }
    if (!m_queue.add(address))
        return false;
    m_foundOn.append(foundOnKey);
    return true;
}

void CrawlCursor::setQueueLimit(int pages) {
    m_queueLimit = std::max(0, pages);
}

bool CrawlCursor::takeQueueFilled() {
    if (m_filled != Filled::Unsaid)
        return false;
    m_filled = Filled::Said;
    return true;
}

QString CrawlCursor::addressOf(int key) const {
    return key > 0 ? m_queue.at(key) : m_segments.at(-key - 1).startAddress;
}

QString CrawlCursor::foundOnAddress(int key) const {
    return key > 0 ? addressOf(m_foundOn.at(key - 1)) : QString();
}

} // namespace vorlane::crawl
