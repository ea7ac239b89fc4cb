#pragma once
// The page queue: an ordered list of addresses addressed by 1-based position, each key unique without
// letter case. Adding an existing key fails and leaves the list unchanged.

#include <QHash>
#include <QString>
#include <QStringList>

#include <utility>

namespace vorlane::crawl {

class PageQueue {
public:
    bool add(const QString& address); // false when already present (letter case ignored)
    bool contains(const QString& address) const;
    int count() const { return int(m_items.size()); }
    const QString& at(int position) const { return m_items[position - 1]; } // 1-based
    void clear();

private:
    // The slot of the address's key: the position holding it (0 when absent) and the hash to store it under.
    std::pair<int, size_t> find(const QString& address) const;

    QStringList m_items;
    // Hash of the case-folded address -> position. Keeping hashes rather than folded copies saves a second
    // text per address; two addresses whose hashes meet are told apart by comparing the texts, and the
    // later one moves on to the next probe.
    QHash<size_t, int> m_positions;
};

} // namespace vorlane::crawl
