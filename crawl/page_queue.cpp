#include "crawl/page_queue.h"

#include <QHash>

#include <cstring>

namespace vorlane::crawl {

namespace {

constexpr std::size_t kBlockBytes = 1 << 20;

// 32 bits of the case-folded text's hash: where its probe starts, and what a slot is told apart by before
// its text is read.
std::uint32_t keyTag(const QString& address) {
    const auto hash = std::uint64_t(qHash(address.toCaseFolded()));
    return std::uint32_t(hash ^ (hash >> 32));
}

// A length as 7-bit groups, low first, the high bit set on all but the last.
std::size_t putLength(char* out, std::size_t length) {
    std::size_t n = 0;
    do {
        const auto low = char(length & 0x7f);
        length >>= 7;
        out[n++] = length ? char(low | 0x80) : low;
    } while (length);
    return n;
}

} // namespace

QString PageQueue::at(int position) const {
    const std::uint64_t place = m_places[std::size_t(position - 1)];
    const char* p = m_blocks[place >> 32].get() + (place & 0xffffffffu);
    std::size_t length = 0;
    for (int shift = 0;; shift += 7) {
        const auto byte = uchar(*p++);
        length |= std::size_t(byte & 0x7f) << shift;
        if (!(byte & 0x80))
            break;
    }
    return QString::fromUtf8(p, qsizetype(length));
}

std::size_t PageQueue::find(const QString& address, std::uint32_t tag) const {
    const std::size_t mask = m_index.size() - 1;
    for (std::size_t i = tag & mask;; i = (i + 1) & mask) {
        const IndexSlot& slot = m_index[i];
        if (slot.position == 0)
            return i;
        if (slot.tag == tag && at(int(slot.position)).compare(address, Qt::CaseInsensitive) == 0)
            return i;
    }
}

bool PageQueue::add(const QString& address) {
    if ((m_places.size() + 1) * 4 > m_index.size() * 3)
        grow();
    const std::uint32_t tag = keyTag(address);
    IndexSlot& slot = m_index[find(address, tag)];
    if (slot.position != 0)
        return false;
    store(address.toUtf8());
    slot = {std::uint32_t(m_places.size()), tag};
    return true;
}

bool PageQueue::contains(const QString& address) const {
    return !m_index.empty() && m_index[find(address, keyTag(address))].position != 0;
}

void PageQueue::store(const QByteArray& utf8) {
    const std::size_t size = std::size_t(utf8.size());
    const std::size_t needed = size + 10;
    if (m_blocks.empty() || m_used + needed > m_blockSizes.back()) {
        // A text longer than a block gets a block of its own.
        const std::size_t blockSize = std::max(kBlockBytes, needed);
        m_blocks.push_back(std::make_unique<char[]>(blockSize));
        m_blockSizes.push_back(blockSize);
        m_used = 0;
    }
    char* out = m_blocks.back().get() + m_used;
    const std::size_t prefix = putLength(out, size);
    std::memcpy(out + prefix, utf8.constData(), size);
    m_places.push_back(std::uint64_t(m_blocks.size() - 1) << 32 | m_used);
    m_used += prefix + size;
}

void PageQueue::grow() {
    std::vector<IndexSlot> old(std::max<std::size_t>(64, m_index.size() * 2));
    old.swap(m_index);
    const std::size_t mask = m_index.size() - 1;
    for (const IndexSlot& slot : old) {
        if (slot.position == 0)
            continue;
        std::size_t i = slot.tag & mask;
        while (m_index[i].position != 0)
            i = (i + 1) & mask;
        m_index[i] = slot;
    }
}

void PageQueue::clear() {
    *this = PageQueue();
}

} // namespace vorlane::crawl
