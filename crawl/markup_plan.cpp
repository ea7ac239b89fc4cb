#include "crawl/markup_plan.h"

#include "crawl/tree_model.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <initializer_list>

namespace vorlane::crawl {

namespace {

// A tag's first attributes are kept; past these only the first of each attribute that gives a link or steers
// the parse is. Gumbo's tokenizer compares every attribute of a tag with every other one.
constexpr int kMaxAttributes = 64;
// Every <html> and <body> after the first merges its attributes into the root or body element, comparing each
// with all gathered so far; past this many in all, later ones lose theirs.
constexpr int kMaxMergedAttributes = 64;
// What the tree builder may spend on a page beyond the linear, in nanoseconds: ordinary pages spend a
// fraction of a nanosecond per byte on it.
constexpr double kWorkFloor = 20e6;
constexpr double kWorkPerByte = 30;

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Start tags whose elements may give a link (see extractLinks), and those of them that stay open.
constexpr TagSet kLinkTags = {GUMBO_TAG_A,     GUMBO_TAG_AREA,  GUMBO_TAG_BASE,   GUMBO_TAG_IMG,
                              GUMBO_TAG_IMAGE, GUMBO_TAG_EMBED, GUMBO_TAG_SOURCE, GUMBO_TAG_TRACK,
                              GUMBO_TAG_AUDIO, GUMBO_TAG_VIDEO, GUMBO_TAG_OBJECT};
constexpr TagSet kOpenLinkTags = {GUMBO_TAG_A, GUMBO_TAG_AUDIO, GUMBO_TAG_VIDEO, GUMBO_TAG_OBJECT};

// ---------------------------------------------------------------------------------------------------------
// The scan: gumbo's tokenizer, as far as where tokens begin and end

struct Attribute {
    qsizetype nameBegin = 0;
    qsizetype nameEnd = 0;
    qsizetype valueBegin = 0;
    qsizetype valueEnd = 0;
    qsizetype end = 0;
};

// Attributes kept past kMaxAttributes, each once: those that give links and those the tree builder reads.
enum KeptAttribute { Href, Src, Data, Type, Encoding, Color, Face, Size };
constexpr std::array kKeptAttributes = {"href", "src", "data", "type", "encoding", "color", "face", "size"};

uint64_t mix(uint64_t hash) {
    hash ^= hash >> 33;
    hash *= 0xff51afd7ed558ccdULL;
    hash ^= hash >> 33;
    return hash;
}

class Planner {
public:
    Planner(MarkupPlan& plan, qsizetype chunkBytes)
        : m_plan(plan), m_data(plan.html.data()), m_size(plan.html.size()), m_chunkBytes(chunkBytes),
          m_budget(std::max(kWorkFloor, kWorkPerByte * double(plan.html.size()))), m_model(m_data),
          m_framesets(hasFrameset()) {}

    void run() {
        qsizetype textBegin = 0;
        qsizetype at = 0;
        while (at < m_size) {
            const qsizetype lt = find('<', at);
            if (lt < 0)
                break;
            MarkupToken token;
            const qsizetype after = readMarkup(lt, token);
            if (after < 0) { // not markup: the "<" is text
                at = lt + 1;
                continue;
            }
            flushText(textBegin, lt);
            textBegin = lt;
            if (token.cutOff) {
                textBegin = m_size;
                break;
            }
            if (token.kind == MarkupToken::StartTag && !m_flat &&
                ((m_model.depth() >= kMaxMarkupNesting && m_model.opensElement(token)) ||
                 m_model.misreads(token))) {
                // Read as text, together with what follows up to the next markup.
                m_data[lt] = ' ';
                at = lt + 1;
                continue;
            }
            beginToken(lt);
            const TextState raw = take(token);
            at = after;
            if (raw == TextState::Plaintext) {
                textBegin = at; // the rest is text
                break;
            }
            if (raw != TextState::Data) {
                at = skipRaw(at, raw, token);
                if (at < 0)
                    at = m_size;
            }
            textBegin = at;
        }
        flushText(textBegin, m_size);
        closeChunk(m_flat ? m_flatFrom : m_size);
    }

private:
    bool hasFrameset() const {
        for (qsizetype at = find('<', 0); at >= 0; at = find('<', at + 1)) {
            if (m_size - at > 9 && equalsIgnoringAsciiCase(m_data + at + 1, 8, "frameset"))
                return true;
        }
        return false;
    }

    void flushText(qsizetype begin, qsizetype end) {
        if (begin >= end || m_flat)
            return;
        MarkupToken text;
        text.kind = MarkupToken::Text;
        text.begin = begin;
        text.end = end;
        text.length = end - begin;
        for (qsizetype i = begin; i < end && !(text.characters && text.spaces && text.nuls); ++i) {
            const char c = m_data[i];
            if (c == '\0')
                text.nuls = true;
            else if (isMarkupSpace(c))
                text.spaces = true;
            else
                text.characters = true;
        }
        const double before = m_model.work();
        m_model.take(text);
        if (m_model.work() > m_budget) {
            // Text costs by the character: the tree keeps what the budget pays for.
            const double share = (m_budget - before) / (m_model.work() - before);
            m_flat = true;
            m_flatFrom = begin + qsizetype(std::clamp(share, 0.0, 1.0) * double(end - begin));
        }
    }

    void beginToken(qsizetype at) {
        if (m_flat || at - m_chunkBegin < m_chunkBytes || at == m_emptyEndTagEnd ||
            !m_model.replayable(m_framesets))
            return;
        closeChunk(at);
        m_chunkBegin = at;
        m_replay = m_model.replay();
    }

    void closeChunk(qsizetype end) {
        if (end <= m_chunkBegin && !m_plan.chunks.isEmpty())
            return;
        m_plan.chunks.append({m_chunkBegin, end, m_replay});
    }

    TextState take(const MarkupToken& token) {
        if (token.kind == MarkupToken::StartTag && kLinkTags.has(token.tag) && hasLinkAttribute(token.tag))
            ++m_plan.linkTags;
        if (m_flat)
            return takeFlat(token);
        const TextState raw = m_model.take(token);
        checkBudget(token.end);
        return raw;
    }

    // Of the tag just read.
    bool hasLinkAttribute(GumboTag tag) const {
        switch (tag) {
        case GUMBO_TAG_A:
        case GUMBO_TAG_AREA:
        case GUMBO_TAG_BASE:
            return m_attributesSeen[Href];
        case GUMBO_TAG_OBJECT:
            return m_attributesSeen[Data];
        default:
            return m_attributesSeen[Src];
        }
    }

    void checkBudget(qsizetype end) {
        if (m_flat || m_model.work() <= m_budget)
            return;
        m_flat = true;
        m_flatFrom = end;
    }

    // Past the budget: the link elements alone, closed at once, and raw text skipped as in HTML.
    TextState takeFlat(const MarkupToken& token) {
        if (token.kind != MarkupToken::StartTag)
            return TextState::Data;
        if (kLinkTags.has(token.tag)) {
            if (m_plan.flatLinks.isEmpty() || m_plan.flatLinks.last().size() >= m_chunkBytes)
                m_plan.flatLinks.append(QByteArray());
            QByteArray& links = m_plan.flatLinks.last();
            links.append(m_data + token.begin, token.end - token.begin);
            if (kOpenLinkTags.has(token.tag)) {
                links.append("</");
                links.append(gumbo_normalized_tagname(token.tag));
                links.append('>');
            }
        }
        return textStateAfter(token.tag);
    }

    // Reads the markup at `lt` ("<"): a tag, comment, doctype or CDATA section. Returns where it ends, or -1
    // when the "<" is text.
    qsizetype readMarkup(qsizetype lt, MarkupToken& token) {
        token.begin = lt;
        token.afterEmptyEndTag = lt == m_emptyEndTagEnd;
        if (lt + 1 >= m_size)
            return -1;
        const char c = m_data[lt + 1];
        if (isLetter(c))
            return readTag(lt + 1, MarkupToken::StartTag, token);
        if (c == '/') {
            if (lt + 2 >= m_size)
                return -1;
            if (isLetter(m_data[lt + 2]))
                return readTag(lt + 2, MarkupToken::EndTag, token);
            token.kind = MarkupToken::Comment;
            if (m_data[lt + 2] == '>') {
                m_emptyEndTagEnd = lt + 3;
                return token.end = lt + 3;
            }
            return token.end = untilAfter(lt + 2, '>');
        }
        if (c == '?') {
            token.kind = MarkupToken::Comment;
            return token.end = untilAfter(lt + 2, '>');
        }
        if (c != '!')
            return -1;
        const qsizetype from = lt + 2;
        if (from + 1 < m_size && m_data[from] == '-' && m_data[from + 1] == '-') {
            token.kind = MarkupToken::Comment;
            return token.end = commentEnd(from + 2);
        }
        if (m_size - from >= 7 && equalsIgnoringAsciiCase(m_data + from, 7, "doctype")) {
            token.kind = MarkupToken::Doctype;
            return token.end = untilAfter(from + 7, '>');
        }
        if (m_size - from >= 7 && std::memcmp(m_data + from, "[CDATA[", 7) == 0 && !m_flat &&
            m_model.currentIsForeign()) {
            const char* close =
                static_cast<const char*>(memmem(m_data + from + 7, size_t(m_size - from - 7), "]]>", 3));
            const qsizetype end = close ? close - m_data + 3 : m_size;
            if (m_model.currentIsIntegrationPoint()) {
                // Gumbo reads the section as foreign content but text after it as HTML, and in a table that
                // breaks one of its assertions. The section goes: it holds no links.
                std::memset(m_data + lt, ' ', size_t(end - lt));
                return -1;
            }
            token.kind = MarkupToken::Text;
            token.cdata = true;
            token.characters = (close ? close - m_data : m_size) > from + 7; // whitespace counts here
            return token.end = end;
        }
        token.kind = MarkupToken::Comment;
        return token.end = untilAfter(from, '>');
    }

    // The first `c` at or after `from`, or -1.
    qsizetype find(char c, qsizetype from) const {
        if (from >= m_size)
            return -1;
        const char* found = static_cast<const char*>(std::memchr(m_data + from, c, size_t(m_size - from)));
        return found ? found - m_data : -1;
    }

    qsizetype untilAfter(qsizetype from, char c) const {
        const qsizetype found = find(c, from);
        return found >= 0 ? found + 1 : m_size;
    }

    // After "<!--": "<!-->" and "<!--->" are empty comments; otherwise "-->" or "--!>" ends one.
    qsizetype commentEnd(qsizetype from) const {
        if (from < m_size && m_data[from] == '>')
            return from + 1;
        if (from + 1 < m_size && m_data[from] == '-' && m_data[from + 1] == '>')
            return from + 2;
        qsizetype i = from;
        while (i < m_size) {
            i = find('-', i);
            if (i < 0)
                return m_size;
            if (i + 1 < m_size && m_data[i + 1] == '-') {
                qsizetype j = i + 2;
                while (j < m_size && m_data[j] == '-')
                    ++j;
                if (j < m_size && m_data[j] == '>')
                    return j + 1;
                if (j + 1 < m_size && m_data[j] == '!' && m_data[j + 1] == '>')
                    return j + 2;
                i = j;
            } else {
                ++i;
            }
        }
        return m_size;
    }

    // A start or end tag, its name from `nameBegin`: attributes as gumbo's tokenizer reads them, the ones
    // past kMaxAttributes blanked. The tokenizer drops a tag cut off by the end of the page.
    qsizetype readTag(qsizetype nameBegin, MarkupToken::Kind kind, MarkupToken& token) {
        token.kind = kind;
        token.nameBegin = nameBegin;
        qsizetype i = nameBegin;
        while (i < m_size && !isMarkupSpace(m_data[i]) && m_data[i] != '/' && m_data[i] != '>')
            ++i;
        token.nameLength = int(std::min<qsizetype>(i - nameBegin, 1 << 30));
        token.tag = tagOf(nameBegin, i - nameBegin);

        m_attributesSeen = {};
        for (int index = 0;; ++index) {
            while (i < m_size && isMarkupSpace(m_data[i]))
                ++i;
            if (i >= m_size)
                return cutOff(token);
            if (m_data[i] == '>') {
                ++i;
                break;
            }
            if (m_data[i] == '/') {
                if (i + 1 < m_size && m_data[i + 1] == '>') {
                    token.selfClosing = true;
                    i += 2;
                    break;
                }
                ++i;
                continue;
            }
            Attribute attribute;
            attribute.nameBegin = i++;
            while (i < m_size && !isMarkupSpace(m_data[i]) && m_data[i] != '/' && m_data[i] != '>' &&
                   m_data[i] != '=')
                ++i;
            attribute.nameEnd = i;
            while (i < m_size && isMarkupSpace(m_data[i]))
                ++i;
            attribute.valueBegin = attribute.valueEnd = i;
            if (i < m_size && m_data[i] == '=') {
                ++i;
                while (i < m_size && isMarkupSpace(m_data[i]))
                    ++i;
                if (i >= m_size)
                    return cutOff(token);
                const char quote = m_data[i];
                if (quote == '"' || quote == '\'') {
                    const qsizetype close = find(quote, i + 1);
                    if (close < 0)
                        return cutOff(token);
                    attribute.valueBegin = i + 1;
                    attribute.valueEnd = close;
                    i = attribute.valueEnd + 1;
                } else if (quote != '>') {
                    attribute.valueBegin = i;
                    while (i < m_size && !isMarkupSpace(m_data[i]) && m_data[i] != '>')
                        ++i;
                    attribute.valueEnd = i;
                }
                attribute.end = i;
            } else {
                // No value: the attribute ends with its name (what follows the blanks is another one).
                attribute.end = attribute.nameEnd;
            }
            keepAttribute(token, attribute, index);
        }
        token.end = i;
        if (!m_flat)
            m_model.chargeAttributes(token.attributes);
        return i;
    }

    qsizetype cutOff(MarkupToken& token) {
        token.cutOff = true;
        return m_size;
    }

    GumboTag tagOf(qsizetype begin, qsizetype length) const {
        char name[16];
        if (length <= 0 || length > qsizetype(sizeof name))
            return GUMBO_TAG_UNKNOWN;
        for (qsizetype i = 0; i < length; ++i)
            name[i] = lowerAscii(m_data[begin + i]);
        return gumbo_tagn_enum(name, unsigned(length));
    }

    // Decides an attribute of the tag being read, the `index`th, as soon as it is read.
    void keepAttribute(MarkupToken& token, const Attribute& attribute, int index) {
        const bool merged = token.kind == MarkupToken::StartTag &&
                            (token.tag == GUMBO_TAG_HTML || token.tag == GUMBO_TAG_BODY);
        const char* name = m_data + attribute.nameBegin;
        const qsizetype nameLength = attribute.nameEnd - attribute.nameBegin;
        int known = -1;
        for (size_t k = 0; k < kKeptAttributes.size(); ++k) {
            if (equalsIgnoringAsciiCase(name, nameLength, kKeptAttributes[k])) {
                known = int(k);
                break;
            }
        }
        const bool first = known >= 0 && !m_attributesSeen[size_t(known)];
        if (known >= 0)
            m_attributesSeen[size_t(known)] = true;
        const bool keep =
            merged ? m_mergedAttributes < kMaxMergedAttributes : (index < kMaxAttributes || first);
        if (!keep) {
            std::memset(m_data + attribute.nameBegin, ' ', size_t(attribute.end - attribute.nameBegin));
            return;
        }
        if (merged)
            ++m_mergedAttributes;
        ++token.attributes;
        uint64_t hash = 0x9e3779b97f4a7c15ULL;
        for (qsizetype i = attribute.nameBegin; i < attribute.nameEnd; ++i)
            hash = mix(hash ^ uint8_t(lowerAscii(m_data[i])));
        hash = mix(hash ^ '=');
        for (qsizetype i = attribute.valueBegin; i < attribute.valueEnd; ++i)
            hash = mix(hash ^ uint8_t(m_data[i]));
        token.attributeKey += hash; // the tree builder compares attributes as sets
        if (!first)
            return;
        const char* value = m_data + attribute.valueBegin;
        const qsizetype valueLength = attribute.valueEnd - attribute.valueBegin;
        switch (known) {
        case Type:
            token.hiddenInput = equalsIgnoringAsciiCase(value, valueLength, "hidden");
            break;
        case Encoding:
            token.htmlEncoding = equalsIgnoringAsciiCase(value, valueLength, "text/html") ||
                                 equalsIgnoringAsciiCase(value, valueLength, "application/xhtml+xml");
            break;
        case Color:
        case Face:
        case Size:
            token.fontBreakout = true;
            break;
        default:
            break;
        }
    }

    // Past a raw text element's start tag: where its end tag begins (which is then read as a token), or -1.
    qsizetype skipRaw(qsizetype from, TextState raw, const MarkupToken& start) {
        const char* name = m_data + start.nameBegin;
        const qsizetype length = start.nameLength;
        if (raw == TextState::Script)
            return skipScript(from, name, length);
        for (qsizetype i = find('<', from); i >= 0; i = find('<', i + 1)) {
            if (endTagAt(i, name, length))
                return i;
        }
        return -1;
    }

    // "</name" followed by whitespace, "/" or ">": the element's end tag.
    bool endTagAt(qsizetype i, const char* name, qsizetype length) const {
        if (i + 2 + length >= m_size || m_data[i + 1] != '/' ||
            !equalsIgnoringAsciiCase(m_data + i + 2, length, name, length))
            return false;
        const char after = m_data[i + 2 + length];
        return isMarkupSpace(after) || after == '/' || after == '>';
    }

    // Script data, with its escaped ("<!--") and double-escaped ("<!--<script>") states.
    qsizetype skipScript(qsizetype from, const char* name, qsizetype length) const {
        enum { Data, Escaped, DoubleEscaped } state = Data;
        int dashes = 0; // just before, in the escaped states
        for (qsizetype i = from; i < m_size; ++i) {
            const char c = m_data[i];
            if (state == Data) {
                i = find('<', i);
                if (i < 0)
                    return -1;
                if (endTagAt(i, name, length))
                    return i;
                if (i + 3 < m_size && m_data[i + 1] == '!' && m_data[i + 2] == '-' && m_data[i + 3] == '-') {
                    state = Escaped;
                    dashes = 2;
                    i += 3;
                }
                continue;
            }
            if (c == '-') {
                ++dashes;
                continue;
            }
            if (c == '>' && dashes >= 2) {
                state = Data;
            } else if (c == '<') {
                if (state == Escaped) {
                    if (endTagAt(i, name, length))
                        return i;
                    if (scriptTagAt(i + 1))
                        state = DoubleEscaped;
                } else if (i + 1 < m_size && m_data[i + 1] == '/' && scriptTagAt(i + 2)) {
                    state = Escaped;
                }
            }
            dashes = 0;
        }
        return -1;
    }

    // "script" followed by whitespace, "/" or ">".
    bool scriptTagAt(qsizetype i) const {
        if (i + 6 >= m_size || !equalsIgnoringAsciiCase(m_data + i, 6, "script"))
            return false;
        const char after = m_data[i + 6];
        return isMarkupSpace(after) || after == '/' || after == '>';
    }

    MarkupPlan& m_plan;
    char* m_data;
    qsizetype m_size;
    qsizetype m_chunkBytes;
    double m_budget;
    TreeModel m_model;
    bool m_framesets;
    std::array<bool, kKeptAttributes.size()> m_attributesSeen{};
    int m_mergedAttributes = 0;
    qsizetype m_chunkBegin = 0;
    QByteArray m_replay;
    bool m_flat = false;
    qsizetype m_flatFrom = 0;
    qsizetype m_emptyEndTagEnd = -1; // just after the last "</>"
};

} // namespace

MarkupPlan planMarkup(QByteArray html, qsizetype chunkBytes) {
    MarkupPlan plan;
    plan.html = std::move(html);
    plan.html.detach();
    Planner(plan, std::max<qsizetype>(chunkBytes, 1)).run();
    return plan;
}

} // namespace vorlane::crawl
