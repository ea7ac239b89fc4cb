#pragma once
// The page queue: an ordered list of addresses addressed by 1-based position, each key unique without
// letter case. Adding an existing key fails and leaves the list unchanged.
//
// Kept compact, since a crawl may queue millions: the texts as UTF-8 one after another in large blocks
// (each behind its length), one 8-byte place per position, and an open-addressing index of positions
// tagged with part of their key's hash. No text is kept twice and no address has a heap block of its own.

#include <QString>

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

namespace vorlane::crawl {

class PageQueue {
public:
    bool add(const QString& address); // false when already present (letter case ignored)
    bool contains(const QString& address) const;
    int count() const { return int(m_places.size()); }
    QString at(int position) const; // 1-based
    void clear();

private:
    struct IndexSlot {
        std::uint32_t position = 0; // 0: empty
        std::uint32_t tag = 0;      // of the key: where its probe starts; other keys mostly differ in it
    };
    // The index slot that holds the address's key, or the empty one where it would go.
    std::size_t find(const QString& address, std::uint32_t tag) const;
    void store(const QByteArray& utf8);
    void grow();

    std::vector<std::unique_ptr<char[]>> m_blocks;
    std::vector<std::size_t> m_blockSizes;
    std::size_t m_used = 0;             // bytes used in the last block
    std::deque<std::uint64_t> m_places; // per position: block index << 32 | offset in the block
    std::vector<IndexSlot> m_index;     // a power of two in size, at most three quarters full
};

} // namespace vorlane::crawl
