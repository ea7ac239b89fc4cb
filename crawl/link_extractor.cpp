#include "crawl/link_extractor.h"

#include "crawl/markup_plan.h"

#include <QStringDecoder>

#include <gumbo.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vorlane::crawl {

namespace {

// ---------------------------------------------------------------------------------------------------------
// Text decoding

// Browsers look for a meta charset only near the top of the document; so do we.
constexpr qsizetype kMetaScanBytes = 4096;

bool isAsciiWhitespace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\f' || c == u'\r';
}

bool isAsciiWhitespace(char c) {
    return isAsciiWhitespace(char16_t(static_cast<unsigned char>(c)));
}

// The value after "charset" in `text` (attribute or content-type parameter), or empty.
QByteArray charsetAfter(const QByteArray& text, qsizetype from) {
    const QByteArray lower = text.toLower();
    for (qsizetype at = lower.indexOf("charset", from); at >= 0; at = lower.indexOf("charset", at + 1)) {
        qsizetype i = at + 7;
        while (i < text.size() && isAsciiWhitespace(text[i]))
            ++i;
        if (i >= text.size() || text[i] != '=')
            continue;
        ++i;
        while (i < text.size() && isAsciiWhitespace(text[i]))
            ++i;
        char quote = 0;
        if (i < text.size() && (text[i] == '"' || text[i] == '\''))
            quote = text[i++];
        const qsizetype start = i;
        while (i < text.size() && text[i] != quote && text[i] != ';' && text[i] != '>' && text[i] != '/' &&
               !(quote == 0 && isAsciiWhitespace(text[i])) && text[i] != '"' && text[i] != '\'')
            ++i;
        const QByteArray value = text.mid(start, i - start).trimmed();
        if (!value.isEmpty())
            return value;
    }
    return {};
}

// The charset a <meta> near the top declares, in either form: <meta charset="x"> or
// <meta http-equiv="Content-Type" content="text/html; charset=x">. Comments are skipped, as a browser's
// pre-scan does.
QByteArray metaCharset(const QByteArray& body) {
    const QByteArray head = body.left(kMetaScanBytes);
    qsizetype i = 0;
    while ((i = head.indexOf('<', i)) >= 0) {
        if (head.mid(i, 4) == "<!--") {
            const qsizetype end = head.indexOf("-->", i + 4);
            if (end < 0)
                return {};
            i = end + 3;
            continue;
        }
        const qsizetype tagEnd = head.indexOf('>', i);
        if (tagEnd < 0)
            return {};
        if (head.mid(i + 1, 4).toLower() == "meta" && i + 5 < head.size() &&
            (isAsciiWhitespace(head[i + 5]) || head[i + 5] == '/')) {
            const QByteArray charset = charsetAfter(head.mid(i, tagEnd - i + 1), 0);
            if (!charset.isEmpty())
                return charset;
        }
        i = tagEnd + 1;
    }
    return {};
}

// Labels that browsers read differently from their dictionary meaning: pages labelled Latin-1 or ASCII are
// in practice windows-1252 (curly quotes, the euro sign), and a document cannot declare UTF-16 in its own
// ASCII-readable bytes.
QByteArray browserEncodingName(QByteArray label, bool fromDocument) {
    label = label.trimmed().toLower();
    static constexpr std::array kWindows1252 = {"iso-8859-1", "iso8859-1", "latin1", "l1",
                                                "us-ascii",   "ascii",     "cp1252", "x-cp1252",
                                                "iso_8859-1", "cp819"};
    for (const char* name : kWindows1252) {
        if (label == name)
            return "windows-1252";
    }
    if (fromDocument && label.startsWith("utf-16"))
        return "utf-8";
    return label;
}

QString decodeWith(const QByteArray& name, QByteArrayView bytes) {
    QStringDecoder decoder(name.constData());
    if (!decoder.isValid())
        decoder = QStringDecoder(QStringDecoder::Utf8);
    QString text = decoder(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

// ---------------------------------------------------------------------------------------------------------
// Parsing

// gumbo's allocations go to this arena: freeing the whole tree at once is fast and, unlike gumbo's own
// recursive teardown, survives pages nested a million elements deep. Freed blocks are reused by size class,
// so the arena stays near the parser's peak use.
class GumboArena {
public:
    GumboArena() = default;
    GumboArena(const GumboArena&) = delete;
    GumboArena& operator=(const GumboArena&) = delete;
    ~GumboArena() {
        for (void* chunk : m_chunks)
            std::free(chunk);
    }

    void* allocate(size_t size) {
        const int sizeClass = classFor(size + kHeader);
        if (sizeClass < 0)
            return nullptr;
        std::byte* block = nullptr;
        if (void* reused = m_free[size_t(sizeClass)]) {
            m_free[size_t(sizeClass)] = *static_cast<void**>(reused);
            block = static_cast<std::byte*>(reused) - kHeader;
        } else {
            block = carve(kMinBlock << sizeClass);
            if (!block)
                return nullptr;
        }
        std::memcpy(block, &sizeClass, sizeof sizeClass);
        return block + kHeader;
    }

    void release(void* pointer) {
        if (!pointer)
            return;
        int sizeClass = 0;
        std::memcpy(&sizeClass, static_cast<std::byte*>(pointer) - kHeader, sizeof sizeClass);
        *static_cast<void**>(pointer) = m_free[size_t(sizeClass)];
        m_free[size_t(sizeClass)] = pointer;
    }

    static void* allocateFor(void* arena, size_t size) {
        return static_cast<GumboArena*>(arena)->allocate(size);
    }
    static void releaseFor(void* arena, void* pointer) { static_cast<GumboArena*>(arena)->release(pointer); }

private:
    static constexpr size_t kHeader = 16; // keeps every block 16-byte aligned, as malloc's are
    static constexpr size_t kMinBlock = 32;
    static constexpr size_t kChunk = 64 * 1024; // below malloc's mmap threshold: no page faults per parse
    static constexpr int kClasses = 40;

    static int classFor(size_t bytes) {
        int sizeClass = 0;
        while ((kMinBlock << sizeClass) < bytes) {
            if (++sizeClass >= kClasses)
                return -1;
        }
        return sizeClass;
    }

    std::byte* carve(size_t bytes) {
        if (bytes > kChunk / 4) {
            // Large blocks (long text runs) get their own chunk rather than wasting the rest of one.
            auto* chunk = static_cast<std::byte*>(std::malloc(bytes));
            if (chunk)
                m_chunks.push_back(chunk);
            return chunk;
        }
        if (m_left < bytes) {
            m_next = static_cast<std::byte*>(std::malloc(kChunk));
            if (!m_next) {
                m_left = 0;
                return nullptr;
            }
            m_chunks.push_back(m_next);
            m_left = kChunk;
        }
        std::byte* block = m_next;
        m_next += bytes;
        m_left -= bytes;
        return block;
    }

    std::vector<void*> m_chunks;
    std::array<void*, kClasses> m_free{};
    std::byte* m_next = nullptr;
    size_t m_left = 0;
};

QString trimmedAscii(const char* utf8) {
    qsizetype begin = 0;
    qsizetype end = qsizetype(std::strlen(utf8));
    while (begin < end && isAsciiWhitespace(utf8[begin]))
        ++begin;
    while (end > begin && isAsciiWhitespace(utf8[end - 1]))
        --end;
    // QString::fromUtf8 would drop a byte-order mark at the start; inside an address it is a character like
    // any other, and dropping it would uncover the blanks before it.
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decoder(QByteArrayView(utf8 + begin, end - begin));
}

const char* attributeValue(const GumboElement& element, const char* name) {
    const GumboAttribute* attribute = gumbo_get_attribute(&element.attributes, name);
    return attribute ? attribute->value : nullptr;
}

// Gathers a page's links from the trees of its chunks. Links to the same address share one string: a page may
// hold hundreds of thousands of links to a handful of addresses.
class LinkCollector {
public:
    explicit LinkCollector(ParsedPage& page) : m_page(page) {}

    // Every link under `document`, in document order; elements whose start tag lies in [replayBegin,
    // replayEnd) reopen those of the chunk before, whose links are gathered already (clones of them are new
    // elements).
    void walk(const GumboNode* document, const char* replayBegin = nullptr, const char* replayEnd = nullptr) {
        // Depth-first with an explicit stack: real pages nest deeper than a thread's stack.
        std::vector<const GumboNode*> pending{document};
        while (!pending.empty()) {
            const GumboNode* node = pending.back();
            pending.pop_back();
            const GumboVector* children = nullptr;
            if (node->type == GUMBO_NODE_DOCUMENT) {
                children = &node->v.document.children;
            } else if (node->type == GUMBO_NODE_ELEMENT) {
                const char* tag = node->v.element.original_tag.data;
                const bool replayed =
                    tag && tag >= replayBegin && tag < replayEnd &&
                    !(node->parse_flags & (GUMBO_INSERTION_RECONSTRUCTED_FORMATTING_ELEMENT |
                                           GUMBO_INSERTION_ADOPTION_AGENCY_CLONED));
                if (!replayed)
                    visit(node->v.element);
                children = &node->v.element.children;
            } else {
                continue; // text, comments, and <template> contents, which a browser keeps inert
            }
            for (unsigned int i = children->length; i-- > 0;)
                pending.push_back(static_cast<const GumboNode*>(children->data[i]));
        }
    }

private:
    // Enough to share the addresses a page repeats, small enough to cost nothing on a page that repeats none.
    static constexpr qsizetype kSharedAddresses = 4096;

    // The address an attribute value gives, shared with the links that gave it before.
    QString address(const char* value) {
        const auto known = m_addresses.find(std::string_view(value));
        if (known != m_addresses.end())
            return known->second;
        if (m_addresses.size() >= kSharedAddresses)
            m_addresses.clear();
        return m_addresses.emplace(value, trimmedAscii(value)).first->second;
    }

    void visit(const GumboElement& element) {
        if (element.tag_namespace != GUMBO_NAMESPACE_HTML)
            return;
        const char* embeddedAttribute = "src";
        switch (element.tag) {
        case GUMBO_TAG_A:
        case GUMBO_TAG_AREA:
            if (const char* href = attributeValue(element, "href"))
                m_page.links.append({address(href), LinkSource::Anchor});
            return;
        case GUMBO_TAG_BASE:
            // Only the first <base> with an href counts, as in a browser.
            if (const char* href = attributeValue(element, "href"); href && !m_baseSeen) {
                m_page.baseHref = trimmedAscii(href);
                m_baseSeen = true;
            }
            return;
        case GUMBO_TAG_OBJECT:
            embeddedAttribute = "data";
            break;
        case GUMBO_TAG_AUDIO:
        case GUMBO_TAG_VIDEO:
        case GUMBO_TAG_SOURCE:
        case GUMBO_TAG_TRACK:
        case GUMBO_TAG_EMBED:
        case GUMBO_TAG_IMG:
            break;
        default:
            return;
        }
        if (const char* value = attributeValue(element, embeddedAttribute)) {
            // An empty src names no file (a browser fetches nothing for it).
            if (QString file = address(value); !file.isEmpty())
                m_page.links.append({std::move(file), LinkSource::Embedded});
        }
    }

    // Keyed by the attribute's bytes: a repeated address costs neither decoding nor a new string.
    struct BytesHash {
        using is_transparent = void;
        size_t operator()(std::string_view bytes) const { return std::hash<std::string_view>{}(bytes); }
    };

    ParsedPage& m_page;
    std::unordered_map<std::string, QString, BytesHash, std::equal_to<>> m_addresses;
    bool m_baseSeen = false;
};

// Parses one document into an arena of its own, which the tree goes with once walked.
void collectLinks(LinkCollector& collector, const char* html, qsizetype size, qsizetype replaySize = 0) {
    GumboArena arena;
    GumboOptions options = kGumboDefaultOptions;
    options.allocator = &GumboArena::allocateFor;
    options.deallocator = &GumboArena::releaseFor;
    options.userdata = &arena;
    options.max_errors = 0; // the parse errors are of no use here and cost time and memory
    // No gumbo_destroy_output: the arena's destructor frees it all.
    const GumboOutput* output = gumbo_parse_with_options(&options, html, size_t(size));
    if (output && output->document)
        collector.walk(output->document, html, html + replaySize);
}

ParsedPage extractLinks(QByteArray utf8, qsizetype chunkBytes) {
    const MarkupPlan plan = planMarkup(std::move(utf8), chunkBytes);
    ParsedPage page;
    page.links.reserve(plan.linkTags);
    LinkCollector collector(page);
    for (const MarkupChunk& chunk : plan.chunks) {
        if (chunk.replay.isEmpty()) {
            collectLinks(collector, plan.html.constData() + chunk.begin, chunk.end - chunk.begin);
        } else {
            QByteArray document;
            document.reserve(chunk.replay.size() + chunk.end - chunk.begin);
            document.append(chunk.replay)
                .append(plan.html.constData() + chunk.begin, chunk.end - chunk.begin);
            collectLinks(collector, document.constData(), document.size(), chunk.replay.size());
        }
    }
    for (const QByteArray& links : plan.flatLinks)
        collectLinks(collector, links.constData(), links.size());
    if (page.links.capacity() > 2 * page.links.size())
        page.links.squeeze();
    return page;
}

} // namespace

QByteArray pageCharset(const QByteArray& body, const QByteArray& contentType) {
    if (body.startsWith("\xEF\xBB\xBF"))
        return "utf-8";
    if (body.startsWith("\xFE\xFF"))
        return "utf-16be";
    if (body.startsWith("\xFF\xFE"))
        return "utf-16le";
    if (const QByteArray declared = charsetAfter(contentType, 0); !declared.isEmpty())
        return browserEncodingName(declared, false);
    if (const QByteArray declared = metaCharset(body); !declared.isEmpty())
        return browserEncodingName(declared, true);
    return "utf-8";
}

QString decodePageText(const QByteArray& body, const QByteArray& contentType) {
    return decodeWith(pageCharset(body, contentType), body);
}

ParsedPage extractLinks(const QString& html) {
    return extractLinks(html.toUtf8(), kMarkupChunkBytes);
}

ParsedPage extractLinks(const QString& html, qsizetype chunkBytes) {
    return extractLinks(html.toUtf8(), chunkBytes);
}

ParsedPage extractLinks(const QByteArray& body, const QByteArray& contentType) {
    // The decoded text goes before parsing: a page's UTF-16 is twice its size.
    QByteArray utf8 = decodePageText(body, contentType).toUtf8();
    return extractLinks(std::move(utf8), kMarkupChunkBytes);
}

} // namespace vorlane::crawl
