#include "crawl/page_queue.h"

namespace vorlane::crawl {

std::pair<int, size_t> PageQueue::find(const QString& address) const {
    size_t probe = qHash(address.toCaseFolded());
    for (;;) {
        const auto slot = m_positions.constFind(probe);
        if (slot == m_positions.cend())
            return {0, probe};
        if (m_items[*slot - 1].compare(address, Qt::CaseInsensitive) == 0)
            return {*slot, probe};
        probe = probe * 0x9E3779B97F4A7C15ull + 1; // a collision: try the next slot of this address
    }
}

bool PageQueue::add(const QString& address) {
    const auto [position, probe] = find(address);
    if (position != 0)
        return false;
    m_items.append(address);
    m_positions.insert(probe, int(m_items.size()));
    return true;
}

bool PageQueue::contains(const QString& address) const {
    return find(address).first != 0;
}

void PageQueue::clear() {
    m_items.clear();
    m_positions.clear();
}

} // namespace vorlane::crawl
