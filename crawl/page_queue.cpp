#include "crawl/page_queue.h"

bool PageQueue::add(const QString& address) {
    // toCaseFolded shares the address's text when folding changes nothing (most addresses), so a key costs
    // no second copy of the text in the common case.
    const QString key = address.toCaseFolded();
    if (m_keys.contains(key))
        return false;
    m_items.append(address);
    m_keys.insert(key, int(m_items.size()));
    return true;
}

bool PageQueue::contains(const QString& address) const {
    return m_keys.contains(address.toCaseFolded());
}

void PageQueue::clear() {
    m_items.clear();
    m_keys.clear();
}
