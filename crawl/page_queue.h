#pragma once
// The page queue: an ordered list of addresses addressed by 1-based position, each key unique without
// letter case. Adding an existing key fails and leaves the list unchanged.

#include <QHash>
#include <QString>
#include <QStringList>

class PageQueue {
public:
    bool add(const QString& address); // false when already present (letter case ignored)
    bool contains(const QString& address) const;
    int count() const { return int(m_items.size()); }
    const QString& at(int position) const { return m_items[position - 1]; } // 1-based
    void clear();

private:
    QStringList m_items;
    QHash<QString, int> m_keys; // case-folded address -> position
};
