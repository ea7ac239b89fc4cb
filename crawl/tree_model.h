#pragma once
// A model of gumbo's HTML tree builder (0.10.1, as Debian ships it): its stack of open elements, its list of
// active formatting elements and its insertion mode, token by token, with what its walks over them cost. It
// builds no tree. markup_plan.cpp scans a page and feeds it the tokens gumbo's tokenizer would emit.

#include <QByteArray>

#include <gumbo.h>

#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>

namespace vorlane::crawl {

// A set of gumbo tags, tested in constant time.
class TagSet {
public:
    constexpr TagSet(std::initializer_list<GumboTag> tags) {
        for (GumboTag tag : tags)
            m_bits[size_t(tag) / 64] |= uint64_t(1) << (size_t(tag) % 64);
    }
    constexpr bool has(GumboTag tag) const { return (m_bits[size_t(tag) / 64] >> (size_t(tag) % 64)) & 1; }

private:
    std::array<uint64_t, (GUMBO_TAG_LAST + 64) / 64> m_bits{};
};

// Where the tokenizer goes on after a start tag whose element the tree builder inserts as HTML.
enum class TextState { Data, RcData, RawText, Script, Plaintext };
TextState textStateAfter(GumboTag tag);

// ASCII whitespace, as the tokenizer knows it.
inline bool isMarkupSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

inline char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool equalsIgnoringAsciiCase(const char* a, qsizetype aLength, const char* b, qsizetype bLength);
bool equalsIgnoringAsciiCase(const char* a, qsizetype aLength, const char* literal);

// A token of the page, as far as the tree builder goes by it. Positions are bytes of the page.
struct MarkupToken {
    enum Kind { StartTag, EndTag, Text, Comment, Doctype } kind = Text;
    GumboTag tag = GUMBO_TAG_UNKNOWN;
    qsizetype begin = 0;
    qsizetype end = 0;
    qsizetype nameBegin = 0;
    int nameLength = 0;
    bool selfClosing = false;
    int attributes = 0;
    uint64_t attributeKey = 0;
    bool hiddenInput = false;      // type=hidden
    bool fontBreakout = false;     // color, face or size: a <font> that leaves foreign content
    bool htmlEncoding = false;     // an annotation-xml holding HTML
    bool cdata = false;            // text of a CDATA section, which the tree builder reads as foreign content
    bool afterEmptyEndTag = false; // right after "</>", whose text gumbo gives this token too
    bool characters = false;       // text: holds characters other than ASCII whitespace and NUL
    bool spaces = false;           // text: holds ASCII whitespace
    bool nuls = false;             // text: holds NUL, which the tree builder mostly ignores
    qsizetype length = 0;          // text: bytes
    bool cutOff = false;           // a tag the page ends in: no token, and the end of the page
};

class TreeModel {
public:
    explicit TreeModel(const char* page); // the page the tokens' positions are in
    ~TreeModel();
    TreeModel(const TreeModel&) = delete;
    TreeModel& operator=(const TreeModel&) = delete;

    // Processes a token; returns where the tokenizer goes on.
    TextState take(const MarkupToken& token);

    // Whether the tree builder reads `token` as foreign content (SVG or MathML), not as HTML.
    bool readsAsForeign(const MarkupToken& token) const;
    // Whether the current node is foreign, where "<![CDATA[" opens a CDATA section.
    bool currentIsForeign() const;
    // Whether the current node is an SVG or MathML element whose content is read as HTML.
    bool currentIsIntegrationPoint() const;
    // Whether a start tag could leave an element open.
    bool opensElement(const MarkupToken& token) const;
    // Whether a start tag would give a foreign element that gumbo takes for an HTML one.
    bool misreads(const MarkupToken& token) const;

    // The stack as the next text leaves it: formatting elements closed but still listed are reopened then.
    int depth() const;
    // The tree builder's work so far beyond the linear, in nanoseconds on a current machine.
    double work() const;
    // Gumbo's tokenizer compares each attribute of a tag with each other one.
    void chargeAttributes(int attributes);

    // Whether a document made of replay() then the rest of the page builds what this one builds from here on:
    // in the body, with what is open reopened by its start tags alone. `framesets`: whether the page has a
    // <frameset> start tag, which would replace a body that let it.
    bool replayable(bool framesets) const;
    QByteArray replay() const;

private:
    class Builder;
    std::unique_ptr<Builder> m_builder;
};

} // namespace vorlane::crawl
