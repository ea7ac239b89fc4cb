#include "crawl/tree_model.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <initializer_list>
#include <vector>

namespace vorlane::crawl {

namespace {

// Deeper stacks are not worth reopening at the start of a new piece of the page.
constexpr int kMaxReplayElements = 32;

// What the tree builder's walks cost, in nanoseconds on a current machine (measured with bench_extract's
// hostile shapes).
constexpr double kScopeStep = 3;     // an element passed while checking whether another is in scope
constexpr double kSpecialStep = 7;   // an element passed while looking for a "special" one
constexpr double kFindStep = 1;      // an element passed while looking for a given element
constexpr double kTextStep = 1;      // an element passed per character, finding the last formatting one open
constexpr double kForeignStep = 16;  // an SVG or MathML element whose name is compared with an end tag's
constexpr double kCloneCost = 1000;  // a formatting element reopened or cloned, and its few hundred bytes
constexpr double kAttributePair = 8; // two attributes compared

// The tag sets of gumbo's tree builder (HTML namespace unless named otherwise).
constexpr TagSet kSpecial = {
    GUMBO_TAG_ADDRESS,    GUMBO_TAG_APPLET,   GUMBO_TAG_AREA,    GUMBO_TAG_ARTICLE,    GUMBO_TAG_ASIDE,
    GUMBO_TAG_BASE,       GUMBO_TAG_BASEFONT, GUMBO_TAG_BGSOUND, GUMBO_TAG_BLOCKQUOTE, GUMBO_TAG_BODY,
    GUMBO_TAG_BR,         GUMBO_TAG_BUTTON,   GUMBO_TAG_CAPTION, GUMBO_TAG_CENTER,     GUMBO_TAG_COL,
    GUMBO_TAG_COLGROUP,   GUMBO_TAG_MENUITEM, GUMBO_TAG_DD,      GUMBO_TAG_DETAILS,    GUMBO_TAG_DIR,
    GUMBO_TAG_DIV,        GUMBO_TAG_DL,       GUMBO_TAG_DT,      GUMBO_TAG_EMBED,      GUMBO_TAG_FIELDSET,
    GUMBO_TAG_FIGCAPTION, GUMBO_TAG_FIGURE,   GUMBO_TAG_FOOTER,  GUMBO_TAG_FORM,       GUMBO_TAG_FRAME,
    GUMBO_TAG_FRAMESET,   GUMBO_TAG_H1,       GUMBO_TAG_H2,      GUMBO_TAG_H3,         GUMBO_TAG_H4,
    GUMBO_TAG_H5,         GUMBO_TAG_H6,       GUMBO_TAG_HEAD,    GUMBO_TAG_HEADER,     GUMBO_TAG_HGROUP,
    GUMBO_TAG_HR,         GUMBO_TAG_HTML,     GUMBO_TAG_IFRAME,  GUMBO_TAG_IMG,        GUMBO_TAG_INPUT,
    GUMBO_TAG_ISINDEX,    GUMBO_TAG_LI,       GUMBO_TAG_LINK,    GUMBO_TAG_LISTING,    GUMBO_TAG_MARQUEE,
    GUMBO_TAG_MENU,       GUMBO_TAG_META,     GUMBO_TAG_NAV,     GUMBO_TAG_NOEMBED,    GUMBO_TAG_NOFRAMES,
    GUMBO_TAG_NOSCRIPT,   GUMBO_TAG_OBJECT,   GUMBO_TAG_OL,      GUMBO_TAG_P,          GUMBO_TAG_PARAM,
    GUMBO_TAG_PLAINTEXT,  GUMBO_TAG_PRE,      GUMBO_TAG_SCRIPT,  GUMBO_TAG_SECTION,    GUMBO_TAG_SELECT,
    GUMBO_TAG_STYLE,      GUMBO_TAG_SUMMARY,  GUMBO_TAG_TABLE,   GUMBO_TAG_TBODY,      GUMBO_TAG_TD,
    GUMBO_TAG_TEMPLATE,   GUMBO_TAG_TEXTAREA, GUMBO_TAG_TFOOT,   GUMBO_TAG_TH,         GUMBO_TAG_THEAD,
    GUMBO_TAG_TITLE,      GUMBO_TAG_TR,       GUMBO_TAG_UL,      GUMBO_TAG_WBR,        GUMBO_TAG_XMP};
constexpr TagSet kMathTextPoints = {GUMBO_TAG_MI, GUMBO_TAG_MO, GUMBO_TAG_MN, GUMBO_TAG_MS, GUMBO_TAG_MTEXT};
constexpr TagSet kScope = {GUMBO_TAG_APPLET,  GUMBO_TAG_CAPTION, GUMBO_TAG_HTML,
                           GUMBO_TAG_TABLE,   GUMBO_TAG_TD,      GUMBO_TAG_TH,
                           GUMBO_TAG_MARQUEE, GUMBO_TAG_OBJECT,  GUMBO_TAG_TEMPLATE};
constexpr TagSet kBlockStarts = {
    GUMBO_TAG_ADDRESS,    GUMBO_TAG_ARTICLE, GUMBO_TAG_ASIDE,  GUMBO_TAG_BLOCKQUOTE, GUMBO_TAG_CENTER,
    GUMBO_TAG_DETAILS,    GUMBO_TAG_DIR,     GUMBO_TAG_DIV,    GUMBO_TAG_DL,         GUMBO_TAG_FIELDSET,
    GUMBO_TAG_FIGCAPTION, GUMBO_TAG_FIGURE,  GUMBO_TAG_FOOTER, GUMBO_TAG_HEADER,     GUMBO_TAG_HGROUP,
    GUMBO_TAG_MENU,       GUMBO_TAG_MAIN,    GUMBO_TAG_NAV,    GUMBO_TAG_OL,         GUMBO_TAG_P,
    GUMBO_TAG_SECTION,    GUMBO_TAG_SUMMARY, GUMBO_TAG_UL};
constexpr TagSet kBlockEnds = {
    GUMBO_TAG_ADDRESS,  GUMBO_TAG_ARTICLE,    GUMBO_TAG_ASIDE,   GUMBO_TAG_BLOCKQUOTE, GUMBO_TAG_BUTTON,
    GUMBO_TAG_CENTER,   GUMBO_TAG_DETAILS,    GUMBO_TAG_DIR,     GUMBO_TAG_DIV,        GUMBO_TAG_DL,
    GUMBO_TAG_FIELDSET, GUMBO_TAG_FIGCAPTION, GUMBO_TAG_FIGURE,  GUMBO_TAG_FOOTER,     GUMBO_TAG_HEADER,
    GUMBO_TAG_HGROUP,   GUMBO_TAG_LISTING,    GUMBO_TAG_MAIN,    GUMBO_TAG_MENU,       GUMBO_TAG_NAV,
    GUMBO_TAG_OL,       GUMBO_TAG_PRE,        GUMBO_TAG_SECTION, GUMBO_TAG_SUMMARY,    GUMBO_TAG_UL};
constexpr TagSet kHeadings = {GUMBO_TAG_H1, GUMBO_TAG_H2, GUMBO_TAG_H3,
                              GUMBO_TAG_H4, GUMBO_TAG_H5, GUMBO_TAG_H6};
constexpr TagSet kFormatting = {GUMBO_TAG_A,  GUMBO_TAG_B,     GUMBO_TAG_BIG,    GUMBO_TAG_CODE,
                                GUMBO_TAG_EM, GUMBO_TAG_FONT,  GUMBO_TAG_I,      GUMBO_TAG_NOBR,
                                GUMBO_TAG_S,  GUMBO_TAG_SMALL, GUMBO_TAG_STRIKE, GUMBO_TAG_STRONG,
                                GUMBO_TAG_TT, GUMBO_TAG_U};
constexpr TagSet kImpliedEnds = {GUMBO_TAG_DD,       GUMBO_TAG_DT, GUMBO_TAG_LI, GUMBO_TAG_OPTION,
                                 GUMBO_TAG_OPTGROUP, GUMBO_TAG_P,  GUMBO_TAG_RP, GUMBO_TAG_RB,
                                 GUMBO_TAG_RT,       GUMBO_TAG_RTC};
constexpr TagSet kThoroughImpliedEnds = {
    GUMBO_TAG_CAPTION,  GUMBO_TAG_COLGROUP, GUMBO_TAG_DD, GUMBO_TAG_DT,   GUMBO_TAG_LI,  GUMBO_TAG_OPTION,
    GUMBO_TAG_OPTGROUP, GUMBO_TAG_P,        GUMBO_TAG_RP, GUMBO_TAG_RT,   GUMBO_TAG_RTC, GUMBO_TAG_TBODY,
    GUMBO_TAG_TD,       GUMBO_TAG_TFOOT,    GUMBO_TAG_TH, GUMBO_TAG_HEAD, GUMBO_TAG_TR};
constexpr TagSet kHeadStarts = {GUMBO_TAG_BASE,  GUMBO_TAG_BASEFONT, GUMBO_TAG_BGSOUND,  GUMBO_TAG_MENUITEM,
                                GUMBO_TAG_LINK,  GUMBO_TAG_META,     GUMBO_TAG_NOFRAMES, GUMBO_TAG_SCRIPT,
                                GUMBO_TAG_STYLE, GUMBO_TAG_TEMPLATE, GUMBO_TAG_TITLE};
constexpr TagSet kTableSections = {GUMBO_TAG_TBODY, GUMBO_TAG_TFOOT, GUMBO_TAG_THEAD};
constexpr TagSet kTableContexts = {GUMBO_TAG_TABLE, GUMBO_TAG_TBODY, GUMBO_TAG_TFOOT, GUMBO_TAG_THEAD,
                                   GUMBO_TAG_TR};
constexpr TagSet kCellStarts = {GUMBO_TAG_CAPTION, GUMBO_TAG_COL,   GUMBO_TAG_COLGROUP,
                                GUMBO_TAG_TBODY,   GUMBO_TAG_TD,    GUMBO_TAG_TFOOT,
                                GUMBO_TAG_TH,      GUMBO_TAG_THEAD, GUMBO_TAG_TR};
constexpr TagSet kBreakouts = {
    GUMBO_TAG_B,      GUMBO_TAG_BIG,    GUMBO_TAG_BLOCKQUOTE, GUMBO_TAG_BODY,  GUMBO_TAG_BR,
    GUMBO_TAG_CENTER, GUMBO_TAG_CODE,   GUMBO_TAG_DD,         GUMBO_TAG_DIV,   GUMBO_TAG_DL,
    GUMBO_TAG_DT,     GUMBO_TAG_EM,     GUMBO_TAG_EMBED,      GUMBO_TAG_H1,    GUMBO_TAG_H2,
    GUMBO_TAG_H3,     GUMBO_TAG_H4,     GUMBO_TAG_H5,         GUMBO_TAG_H6,    GUMBO_TAG_HEAD,
    GUMBO_TAG_HR,     GUMBO_TAG_I,      GUMBO_TAG_IMG,        GUMBO_TAG_LI,    GUMBO_TAG_LISTING,
    GUMBO_TAG_MENU,   GUMBO_TAG_META,   GUMBO_TAG_NOBR,       GUMBO_TAG_OL,    GUMBO_TAG_P,
    GUMBO_TAG_PRE,    GUMBO_TAG_RUBY,   GUMBO_TAG_S,          GUMBO_TAG_SMALL, GUMBO_TAG_SPAN,
    GUMBO_TAG_STRONG, GUMBO_TAG_STRIKE, GUMBO_TAG_SUB,        GUMBO_TAG_SUP,   GUMBO_TAG_TABLE,
    GUMBO_TAG_TT,     GUMBO_TAG_U,      GUMBO_TAG_UL,         GUMBO_TAG_VAR};
// Start tags that never leave an element open in HTML content: kept past the depth limit.
constexpr TagSet kVoid = {GUMBO_TAG_AREA,   GUMBO_TAG_BASE,   GUMBO_TAG_BASEFONT, GUMBO_TAG_BGSOUND,
                          GUMBO_TAG_BR,     GUMBO_TAG_COL,    GUMBO_TAG_EMBED,    GUMBO_TAG_FRAME,
                          GUMBO_TAG_HR,     GUMBO_TAG_IMG,    GUMBO_TAG_IMAGE,    GUMBO_TAG_INPUT,
                          GUMBO_TAG_KEYGEN, GUMBO_TAG_LINK,   GUMBO_TAG_MENUITEM, GUMBO_TAG_META,
                          GUMBO_TAG_PARAM,  GUMBO_TAG_SOURCE, GUMBO_TAG_TRACK,    GUMBO_TAG_WBR};
// Start tags the body handles by name; the others open an element and nothing else.
constexpr TagSet kBodyHandled = {
    GUMBO_TAG_HTML,      GUMBO_TAG_BODY,    GUMBO_TAG_FRAMESET, GUMBO_TAG_H1,       GUMBO_TAG_H2,
    GUMBO_TAG_H3,        GUMBO_TAG_H4,      GUMBO_TAG_H5,       GUMBO_TAG_H6,       GUMBO_TAG_PRE,
    GUMBO_TAG_LISTING,   GUMBO_TAG_FORM,    GUMBO_TAG_LI,       GUMBO_TAG_DD,       GUMBO_TAG_DT,
    GUMBO_TAG_PLAINTEXT, GUMBO_TAG_BUTTON,  GUMBO_TAG_NOBR,     GUMBO_TAG_APPLET,   GUMBO_TAG_MARQUEE,
    GUMBO_TAG_OBJECT,    GUMBO_TAG_TABLE,   GUMBO_TAG_ISINDEX,  GUMBO_TAG_TEXTAREA, GUMBO_TAG_XMP,
    GUMBO_TAG_IFRAME,    GUMBO_TAG_NOEMBED, GUMBO_TAG_SELECT,   GUMBO_TAG_OPTION,   GUMBO_TAG_OPTGROUP,
    GUMBO_TAG_RB,        GUMBO_TAG_RP,      GUMBO_TAG_RT,       GUMBO_TAG_RTC,      GUMBO_TAG_MATH,
    GUMBO_TAG_SVG,       GUMBO_TAG_CAPTION, GUMBO_TAG_COLGROUP, GUMBO_TAG_HEAD,     GUMBO_TAG_TBODY,
    GUMBO_TAG_TD,        GUMBO_TAG_TFOOT,   GUMBO_TAG_TH,       GUMBO_TAG_THEAD,    GUMBO_TAG_TR,
    GUMBO_TAG_NOSCRIPT};
// Tags by which gumbo resets its insertion mode, whatever their namespace: an SVG or MathML element of one of
// these names is taken for the HTML one, and the parser goes on in a mode its stack does not match, until one
// of its assertions aborts the program. None can give a link, so they are read as text.
constexpr TagSet kForeignMisread = {GUMBO_TAG_SELECT,   GUMBO_TAG_TD,       GUMBO_TAG_TH,
                                    GUMBO_TAG_TR,       GUMBO_TAG_TBODY,    GUMBO_TAG_THEAD,
                                    GUMBO_TAG_TFOOT,    GUMBO_TAG_CAPTION,  GUMBO_TAG_COLGROUP,
                                    GUMBO_TAG_TEMPLATE, GUMBO_TAG_FRAMESET, GUMBO_TAG_HTML};
// The public identifiers that put a document in quirks mode. Gumbo compares them whole, ignoring case (the
// standard has them as prefixes).
constexpr std::array kQuirksPublicIds = {
    "+//Silmaril//dtd html Pro v0r11 19970101//",
    "-//AdvaSoft Ltd//DTD HTML 3.0 asWedit + extensions//",
    "-//AS//DTD HTML 3.0 asWedit + extensions//",
    "-//IETF//DTD HTML 2.0 Level 1//",
    "-//IETF//DTD HTML 2.0 Level 2//",
    "-//IETF//DTD HTML 2.0 Strict Level 1//",
    "-//IETF//DTD HTML 2.0 Strict Level 2//",
    "-//IETF//DTD HTML 2.0 Strict//",
    "-//IETF//DTD HTML 2.0//",
    "-//IETF//DTD HTML 2.1E//",
    "-//IETF//DTD HTML 3.0//",
    "-//IETF//DTD HTML 3.2 Final//",
    "-//IETF//DTD HTML 3.2//",
    "-//IETF//DTD HTML 3//",
    "-//IETF//DTD HTML Level 0//",
    "-//IETF//DTD HTML Level 1//",
    "-//IETF//DTD HTML Level 2//",
    "-//IETF//DTD HTML Level 3//",
    "-//IETF//DTD HTML Strict Level 0//",
    "-//IETF//DTD HTML Strict Level 1//",
    "-//IETF//DTD HTML Strict Level 2//",
    "-//IETF//DTD HTML Strict Level 3//",
    "-//IETF//DTD HTML Strict//",
    "-//IETF//DTD HTML//",
    "-//Metrius//DTD Metrius Presentational//",
    "-//Microsoft//DTD Internet Explorer 2.0 HTML Strict//",
    "-//Microsoft//DTD Internet Explorer 2.0 HTML//",
    "-//Microsoft//DTD Internet Explorer 2.0 Tables//",
    "-//Microsoft//DTD Internet Explorer 3.0 HTML Strict//",
    "-//Microsoft//DTD Internet Explorer 3.0 HTML//",
    "-//Microsoft//DTD Internet Explorer 3.0 Tables//",
    "-//Netscape Comm. Corp.//DTD HTML//",
    "-//Netscape Comm. Corp.//DTD Strict HTML//",
    "-//O'Reilly and Associates//DTD HTML 2.0//",
    "-//O'Reilly and Associates//DTD HTML Extended 1.0//",
    "-//O'Reilly and Associates//DTD HTML Extended Relaxed 1.0//",
    "-//SoftQuad Software//DTD HoTMetaL PRO 6.0::19990601::extensions to HTML 4.0//",
    "-//SoftQuad//DTD HoTMetaL PRO 4.0::19971010::extensions to HTML 4.0//",
    "-//Spyglass//DTD HTML 2.0 Extended//",
    "-//SQ//DTD HTML 2.0 HoTMetaL + extensions//",
    "-//Sun Microsystems Corp.//DTD HotJava HTML//",
    "-//Sun Microsystems Corp.//DTD HotJava Strict HTML//",
    "-//W3C//DTD HTML 3 1995-03-24//",
    "-//W3C//DTD HTML 3.2 Draft//",
    "-//W3C//DTD HTML 3.2 Final//",
    "-//W3C//DTD HTML 3.2//",
    "-//W3C//DTD HTML 3.2S Draft//",
    "-//W3C//DTD HTML 4.0 Frameset//",
    "-//W3C//DTD HTML 4.0 Transitional//",
    "-//W3C//DTD HTML Experimental 19960712//",
    "-//W3C//DTD HTML Experimental 970421//",
    "-//W3C//DTD W3 HTML//",
    "-//W3O//DTD W3 HTML 3.0//",
    "-//WebTechs//DTD Mozilla HTML 2.0//",
    "-//WebTechs//DTD Mozilla HTML//"};

// Whether gumbo reads a page whose doctype is `text` (from "<!" to its ">") in quirks mode. Quirks mode only
// matters to a <table> in a <p>, which closes the <p> in no-quirks mode alone.
bool doctypeQuirks(const char* text, qsizetype length) {
    qsizetype i = 9; // past "<!doctype"
    const qsizetype end = length > 0 && text[length - 1] == '>' ? length - 1 : length;
    const bool cutOff = end == length;
    auto skipSpace = [&] {
        while (i < end && isMarkupSpace(text[i]))
            ++i;
    };
    skipSpace();
    const qsizetype nameBegin = i;
    while (i < end && !isMarkupSpace(text[i]))
        ++i;
    if (cutOff || i == nameBegin || !equalsIgnoringAsciiCase(text + nameBegin, i - nameBegin, "html"))
        return true;
    skipSpace();
    if (i == end)
        return false;
    auto quoted = [&](QByteArrayView& id) {
        skipSpace();
        if (i >= end || (text[i] != '"' && text[i] != '\''))
            return false;
        const char quote = text[i++];
        const qsizetype begin = i;
        while (i < end && text[i] != quote)
            ++i;
        if (i == end)
            return false; // a ">" within the quotes ends the doctype: quirks
        id = QByteArrayView(text + begin, i - begin);
        ++i;
        return true;
    };
    QByteArrayView publicId;
    QByteArrayView systemId;
    bool hasSystemId = false;
    if (end - i >= 6 && equalsIgnoringAsciiCase(text + i, 6, "public")) {
        i += 6;
        if (!quoted(publicId))
            return true;
        skipSpace();
        if (i < end && (text[i] == '"' || text[i] == '\'')) {
            if (!quoted(systemId))
                return true;
            hasSystemId = true;
        } else if (i < end) {
            return true;
        }
    } else if (end - i >= 6 && equalsIgnoringAsciiCase(text + i, 6, "system")) {
        i += 6;
        if (!quoted(systemId))
            return true;
        hasSystemId = true;
    } else {
        return true;
    }
    for (const char* id : kQuirksPublicIds) {
        if (equalsIgnoringAsciiCase(publicId.data(), publicId.size(), id))
            return true;
    }
    if (publicId == "-//W3O//DTD W3 HTML Strict 3.0//EN//" ||
        publicId == "-/W3C/DTD HTML 4.0 Transitional/EN" || publicId == "HTML" ||
        systemId == "http://www.ibm.com/data/dtd/v11/ibmxhtml1-transitional.dtd")
        return true;
    return !hasSystemId &&
           (equalsIgnoringAsciiCase(publicId.data(), publicId.size(), "-//W3C//DTD HTML 4.01 Frameset//") ||
            equalsIgnoringAsciiCase(publicId.data(), publicId.size(),
                                    "-//W3C//DTD HTML 4.01 Transitional//"));
}

enum class Ns : uint8_t { Html, Svg, Math };

struct Node {
    GumboTag tag = GUMBO_TAG_UNKNOWN;
    Ns ns = Ns::Html;
    bool integration = false; // an HTML integration point
    uint32_t uid = 0;         // in the list of active formatting elements, 0 is a marker
    qsizetype tagBegin = -1;  // its start tag in the page; -1 when the parser implied it
    qsizetype tagEnd = -1;
    qsizetype nameBegin = 0;
    int nameLength = 0;
    int attributes = 0;
    uint64_t attributeKey = 0;
};

enum class Mode {
    Initial,
    BeforeHtml,
    BeforeHead,
    InHead,
    InHeadNoscript,
    AfterHead,
    InBody,
    Text,
    InTable,
    InCaption,
    InColumnGroup,
    InTableBody,
    InRow,
    InCell,
    InSelect,
    InSelectInTable,
    InTemplate,
    AfterBody,
    InFrameset,
    AfterFrameset,
    AfterAfterBody,
    AfterAfterFrameset
};

} // namespace

// Follows gumbo's tree builder (0.10.1) token by token, keeping what decides its cost and its depth: the
// stack of open elements, the list of active formatting elements, the insertion mode and the form element.
// Each rule is gumbo's, minus the tree it builds, so the model's stack is gumbo's stack.
class TreeModel::Builder {
public:
    explicit Builder(const char* page) : m_page(page) {
        m_position.push_back(-1); // uid 0 stands for the list's markers
        m_inList.push_back(0);
    }

    // Processes a token; returns the tokenizer state it leaves.
    TextState take(const MarkupToken& token) {
        m_raw = TextState::Data;
        // A token is processed again in another insertion mode a few times at most.
        for (int round = 0; round < 16 && dispatch(token); ++round) {
        }
        return m_raw;
    }

    // Whether the tree builder reads `token` as foreign content (SVG or MathML), not as HTML.
    bool readsAsForeign(const MarkupToken& token) const {
        if (m_stack.empty())
            return false;
        const Node& current = m_stack.back();
        if (current.ns == Ns::Html)
            return false;
        if (token.cdata)
            return true;
        const bool text = token.kind == MarkupToken::Text;
        const bool start = token.kind == MarkupToken::StartTag;
        if (current.ns == Ns::Math && kMathTextPoints.has(current.tag) &&
            (text || (start && token.tag != GUMBO_TAG_MGLYPH && token.tag != GUMBO_TAG_MALIGNMARK)))
            return false;
        if (current.ns == Ns::Math && current.tag == GUMBO_TAG_ANNOTATION_XML && start &&
            token.tag == GUMBO_TAG_SVG)
            return false;
        if (current.integration && (start || text))
            return false;
        return true;
    }

    bool opensElement(const MarkupToken& token) const {
        if (readsAsForeign(token) && !kBreakouts.has(token.tag) &&
            !(token.tag == GUMBO_TAG_FONT && token.fontBreakout))
            return !token.selfClosing;
        return !kVoid.has(token.tag) && token.tag != GUMBO_TAG_A;
    }

    bool misreads(const MarkupToken& token) const {
        return kForeignMisread.has(token.tag) && readsAsForeign(token);
    }

    bool currentIsIntegrationPoint() const {
        return !m_stack.empty() && (m_stack.back().integration || (m_stack.back().ns == Ns::Math &&
                                                                   kMathTextPoints.has(m_stack.back().tag)));
    }

    bool currentIsForeign() const { return !m_stack.empty() && m_stack.back().ns != Ns::Html; }

    // The stack as the next text leaves it: listed formatting elements closed by now are reopened then.
    int depth() const { return int(m_stack.size()) + m_closedInList; }

    double work() const { return m_work; }

    void chargeAttributes(int attributes) { m_work += kAttributePair * attributes * (attributes - 1) / 2; }

    // Whether a document made of replay() then the rest of the page builds what this one builds from here on:
    // in the body, with what is open reopened by its start tags alone.
    // `framesets`: whether the page has a <frameset> start tag, which would drop a body that let it.
    bool replayable(bool framesets) const {
        if (m_mode != Mode::InBody || !m_templateModes.empty() || (framesets && m_framesetOk) ||
            m_formElement != 0 || m_stack.size() < 2 || m_stack.size() > size_t(kMaxReplayElements) + 2 ||
            !isHtml(m_stack[0], GUMBO_TAG_HTML) || !isHtml(m_stack[1], GUMBO_TAG_BODY))
            return false;
        size_t listed = 0;
        for (size_t i = 2; i < m_stack.size(); ++i) {
            const Node& node = m_stack[i];
            if (node.ns != Ns::Html || node.tagBegin < 0)
                return false;
            // The adoption agency moves the special element nearest above a formatting element, children and
            // all, under a new clone of it: with both reopened, their earlier children would not follow.
            if (listed > 0 && isSpecial(node))
                return false;
            if (kFormatting.has(node.tag)) {
                // Reopened, it is listed again: it must be listed now, in the same order.
                if (node.tag == GUMBO_TAG_NOBR || listed >= m_list.size() || m_list[listed].uid != node.uid)
                    return false;
                ++listed;
            } else {
                // Otherwise only elements whose start tag opens them and does nothing else: blocks (with no
                // <p> open to close) and elements the body has no rule of its own for.
                const bool block = kBlockStarts.has(node.tag) && node.tag != GUMBO_TAG_P;
                const bool plain = !kBlockStarts.has(node.tag) && !kBodyHandled.has(node.tag) &&
                                   !kHeadStarts.has(node.tag) && !kVoid.has(node.tag);
                if (!block && !plain)
                    return false;
            }
        }
        return listed == m_list.size();
    }

    QByteArray replay() const {
        QByteArray out;
        if (m_doctypeBegin >= 0)
            out.append(m_page + m_doctypeBegin, m_doctypeEnd - m_doctypeBegin);
        out.append("<body>");
        for (size_t i = 2; i < m_stack.size(); ++i)
            out.append(m_page + m_stack[i].tagBegin, m_stack[i].tagEnd - m_stack[i].tagBegin);
        return out;
    }

private:
    // -------------------------------------------------------------------------------------------------------
    // The stack of open elements and the list of active formatting elements

    static bool isHtml(const Node& node, GumboTag tag) { return node.ns == Ns::Html && node.tag == tag; }
    static bool inSet(const Node& node, const TagSet& set) {
        return node.ns == Ns::Html && set.has(node.tag);
    }

    static bool isSpecial(const Node& node) {
        switch (node.ns) {
        case Ns::Html:
            return kSpecial.has(node.tag);
        case Ns::Math:
            return kMathTextPoints.has(node.tag) || node.tag == GUMBO_TAG_ANNOTATION_XML;
        case Ns::Svg:
            return node.tag == GUMBO_TAG_FOREIGNOBJECT || node.tag == GUMBO_TAG_DESC;
        }
        return false;
    }

    enum class Scope { Default, List, Button, Table, Select };

    static bool boundsScope(const Node& node, Scope scope) {
        switch (scope) {
        case Scope::Table:
            return isHtml(node, GUMBO_TAG_HTML) || isHtml(node, GUMBO_TAG_TABLE) ||
                   isHtml(node, GUMBO_TAG_TEMPLATE);
        case Scope::Select:
            return !isHtml(node, GUMBO_TAG_OPTGROUP) && !isHtml(node, GUMBO_TAG_OPTION);
        case Scope::List:
            if (isHtml(node, GUMBO_TAG_OL) || isHtml(node, GUMBO_TAG_UL))
                return true;
            break;
        case Scope::Button:
            if (isHtml(node, GUMBO_TAG_BUTTON))
                return true;
            break;
        case Scope::Default:
            break;
        }
        switch (node.ns) {
        case Ns::Html:
            return kScope.has(node.tag);
        case Ns::Math:
            return kMathTextPoints.has(node.tag) || node.tag == GUMBO_TAG_ANNOTATION_XML;
        case Ns::Svg:
            return node.tag == GUMBO_TAG_FOREIGNOBJECT || node.tag == GUMBO_TAG_DESC ||
                   node.tag == GUMBO_TAG_TITLE;
        }
        return false;
    }

    // The index of the nearest open HTML element in `tags` within `scope`, or -1.
    int findInScope(const TagSet& tags, Scope scope) {
        for (int i = int(m_stack.size()); i-- > 0;) {
            m_work += kScopeStep;
            if (inSet(m_stack[size_t(i)], tags))
                return i;
            if (boundsScope(m_stack[size_t(i)], scope))
                return -1;
        }
        return -1;
    }

    bool inScope(GumboTag tag, Scope scope = Scope::Default) { return findInScope(TagSet{tag}, scope) >= 0; }

    bool isOpen(uint32_t uid) const { return m_position[uid] >= 0; }
    const Node& current() const { return m_stack.back(); }
    bool currentIs(GumboTag tag) const { return !m_stack.empty() && isHtml(m_stack.back(), tag); }

    uint32_t newUid() {
        m_position.push_back(-1);
        m_inList.push_back(0);
        return uint32_t(m_position.size() - 1);
    }

    void push(Node node) {
        node.uid = newUid();
        m_position[node.uid] = int32_t(m_stack.size());
        m_stack.push_back(node);
        if (m_foster && m_stack.size() > 1 && inSet(m_stack[m_stack.size() - 2], kTableContexts))
            chargeFosterParenting();
    }

    void pushImplied(GumboTag tag) {
        Node node;
        node.tag = tag;
        push(node);
    }

    void closed(uint32_t uid) {
        m_position[uid] = -1;
        if (m_inList[uid])
            ++m_closedInList;
    }

    void pop() {
        closed(m_stack.back().uid);
        m_stack.pop_back();
    }

    void popUntilSize(size_t size) {
        while (m_stack.size() > size)
            pop();
    }

    void popUntil(GumboTag tag) {
        while (!m_stack.empty()) {
            const bool found = currentIs(tag);
            pop();
            if (found)
                return;
        }
    }

    void popUntilIn(const TagSet& tags) {
        while (!m_stack.empty()) {
            const bool found = inSet(current(), tags);
            pop();
            if (found)
                return;
        }
    }

    void reindexFrom(size_t index) {
        for (size_t i = index; i < m_stack.size(); ++i)
            m_position[m_stack[i].uid] = int32_t(i);
    }

    void removeFromStack(size_t index) {
        closed(m_stack[index].uid);
        m_stack.erase(m_stack.begin() + qsizetype(index));
        reindexFrom(index);
        m_work += kFindStep * double(m_stack.size());
    }

    // Where gumbo finds the last table to foster-parent before.
    void chargeFosterParenting() { m_work += kFindStep * double(m_stack.size()); }

    int listIndex(uint32_t uid) {
        for (int i = int(m_list.size()); i-- > 0;) {
            if (m_list[size_t(i)].uid == uid) {
                m_work += kFindStep * double(m_list.size() - size_t(i));
                return i;
            }
        }
        m_work += kFindStep * double(m_list.size());
        return -1;
    }

    void removeFromList(size_t index) {
        const uint32_t uid = m_list[index].uid;
        if (uid != 0) {
            m_inList[uid] = 0;
            if (!isOpen(uid))
                --m_closedInList;
        }
        m_list.erase(m_list.begin() + qsizetype(index));
    }

    void addMarker() { m_list.push_back(Node{}); }

    void clearListToMarker() {
        while (!m_list.empty()) {
            const bool marker = m_list.back().uid == 0;
            removeFromList(m_list.size() - 1);
            if (marker)
                return;
        }
    }

    // Noah's Ark: no more than three identical formatting elements after the last marker.
    void addFormatting(const Node& node) {
        int identical = 0;
        size_t earliest = 0;
        for (size_t i = m_list.size(); i-- > 0;) {
            const Node& entry = m_list[i];
            if (entry.uid == 0)
                break;
            m_work += kFindStep;
            if (entry.tag == node.tag) {
                m_work += kAttributePair * entry.attributes * node.attributes;
                if (entry.attributeKey == node.attributeKey && entry.attributes == node.attributes) {
                    ++identical;
                    earliest = i;
                }
            }
        }
        if (identical >= 3)
            removeFromList(earliest);
        m_list.push_back(node);
        m_inList[node.uid] = 1;
    }

    void pushFormatting(const Node& node) {
        push(node);
        addFormatting(m_stack.back());
    }

    void reconstruct() {
        if (m_list.empty())
            return;
        size_t i = m_list.size() - 1;
        const Node& last = m_list[i];
        if (last.uid == 0)
            return;
        if (isOpen(last.uid)) {
            m_work += kFindStep * double(m_position[last.uid] + 1);
            return;
        }
        m_work += kFindStep * double(m_stack.size());
        while (i > 0) {
            const Node& entry = m_list[i - 1];
            if (entry.uid == 0 || isOpen(entry.uid))
                break;
            m_work += kFindStep * double(m_stack.size());
            --i;
        }
        for (; i < m_list.size(); ++i) {
            Node clone = m_list[i];
            m_inList[clone.uid] = 0;
            --m_closedInList;
            push(clone);
            m_list[i] = m_stack.back();
            m_inList[m_stack.back().uid] = 1;
            m_work += kCloneCost + kAttributePair * clone.attributes;
        }
    }

    // Text in the body: each character and whitespace reconstructs the formatting elements, which means
    // finding the last of them on the stack; NUL is ignored.
    void textInBody(const MarkupToken& token) {
        if (!token.characters && !token.spaces)
            return;
        reconstruct();
        if (!m_list.empty() && m_list.back().uid != 0)
            m_work += kTextStep * double(token.length) * double(m_position[m_list.back().uid] + 1);
        if (token.characters)
            m_framesetOk = false;
    }

    void generateImpliedEnds(GumboTag except = GUMBO_TAG_LAST) {
        while (!m_stack.empty() && inSet(current(), kImpliedEnds) && !currentIs(except))
            pop();
    }

    void closeElement(GumboTag tag) {
        generateImpliedEnds(tag);
        popUntil(tag);
    }

    void closeP() {
        if (inScope(GUMBO_TAG_P, Scope::Button))
            closeElement(GUMBO_TAG_P);
    }

    // The adoption agency algorithm, for the end tag of a formatting element: whether it ran its course.
    bool adopt(GumboTag subject) {
        if (!m_stack.empty() && currentIs(subject) && listIndex(current().uid) < 0) {
            pop();
            return false;
        }
        for (int outer = 0; outer < 8; ++outer) {
            int formatting = -1;
            for (int i = int(m_list.size()); i-- > 0;) {
                m_work += kFindStep;
                if (m_list[size_t(i)].uid == 0)
                    return false;
                if (m_list[size_t(i)].tag == subject && m_list[size_t(i)].ns == Ns::Html) {
                    formatting = i;
                    break;
                }
            }
            if (formatting < 0)
                return false;
            const Node element = m_list[size_t(formatting)];
            m_work += kFindStep * double(m_stack.size());
            if (!isOpen(element.uid)) {
                removeFromList(size_t(formatting));
                return false;
            }
            if (!inScope(element.tag))
                return false;
            const size_t elementIndex = size_t(m_position[element.uid]);
            int furthest = -1;
            for (size_t j = elementIndex; j < m_stack.size(); ++j) {
                m_work += kSpecialStep;
                if (isSpecial(m_stack[j])) {
                    furthest = int(j);
                    break;
                }
            }
            if (furthest < 0) {
                popUntilSize(elementIndex);
                removeFromList(size_t(listIndex(element.uid)));
                return false;
            }
            const uint32_t furthestUid = m_stack[size_t(furthest)].uid;
            int bookmark = listIndex(element.uid) + 1;
            uint32_t nodeUid = furthestUid;
            uint32_t lastUid = furthestUid;
            int savedIndex = m_position[furthestUid];
            for (int inner = 1;; ++inner) {
                int nodeIndex = m_position[nodeUid];
                if (nodeIndex < 0)
                    nodeIndex = savedIndex;
                savedIndex = --nodeIndex;
                if (nodeIndex <= 0)
                    break; // cannot happen: the formatting element is below
                nodeUid = m_stack[size_t(nodeIndex)].uid;
                if (nodeUid == element.uid)
                    break;
                const int entry = listIndex(nodeUid);
                if (inner > 3 && entry >= 0) {
                    removeFromList(size_t(entry));
                    if (entry < bookmark)
                        --bookmark;
                    continue;
                }
                if (entry < 0) {
                    removeFromStack(size_t(nodeIndex));
                    continue;
                }
                // The element is replaced by a clone, on the stack and in the list alike.
                Node clone = m_stack[size_t(nodeIndex)];
                m_position[clone.uid] = -1;
                m_inList[clone.uid] = 0;
                clone.uid = newUid();
                m_position[clone.uid] = nodeIndex;
                m_inList[clone.uid] = 1;
                m_stack[size_t(nodeIndex)] = clone;
                m_list[size_t(entry)] = clone;
                m_work += kCloneCost;
                if (lastUid == furthestUid)
                    bookmark = entry + 1;
                lastUid = clone.uid;
                nodeUid = clone.uid;
            }
            Node replacement = element;
            replacement.uid = newUid();
            m_work += kCloneCost;
            const int elementEntry = listIndex(element.uid);
            if (elementEntry < bookmark)
                --bookmark;
            removeFromList(size_t(elementEntry));
            bookmark = std::clamp(bookmark, 0, int(m_list.size()));
            m_list.insert(m_list.begin() + bookmark, replacement);
            m_inList[replacement.uid] = 1;
            removeFromStack(size_t(m_position[element.uid]));
            const size_t at = size_t(m_position[furthestUid]) + 1;
            m_stack.insert(m_stack.begin() + qsizetype(at), replacement);
            reindexFrom(at);
        }
        return true;
    }

    // -------------------------------------------------------------------------------------------------------
    // Tokens

    Node nodeFor(const MarkupToken& token, Ns ns = Ns::Html) const {
        Node node;
        node.tag = token.tag;
        node.ns = ns;
        node.tagBegin = token.begin;
        node.tagEnd = token.end;
        node.nameBegin = token.nameBegin;
        // The name gumbo gives a foreign element ends at C whitespace, vertical tab included. Right after
        // "</>" it reads the name from the wrong text, and no end tag matches it.
        node.nameLength = token.afterEmptyEndTag ? -1 : token.nameLength;
        if (const void* tab =
                std::memchr(m_page + token.nameBegin, '\v', size_t(std::max(node.nameLength, 0))))
            node.nameLength = int(static_cast<const char*>(tab) - (m_page + token.nameBegin));
        node.attributes = token.attributes;
        node.attributeKey = token.attributeKey;
        if (ns == Ns::Svg)
            node.integration = token.tag == GUMBO_TAG_FOREIGNOBJECT || token.tag == GUMBO_TAG_DESC ||
                               token.tag == GUMBO_TAG_TITLE;
        else if (ns == Ns::Math)
            node.integration = token.tag == GUMBO_TAG_ANNOTATION_XML && token.htmlEncoding;
        return node;
    }

    static bool isStart(const MarkupToken& token, GumboTag tag) {
        return token.kind == MarkupToken::StartTag && token.tag == tag;
    }
    static bool isEnd(const MarkupToken& token, GumboTag tag) {
        return token.kind == MarkupToken::EndTag && token.tag == tag;
    }
    static bool isStartIn(const MarkupToken& token, const TagSet& set) {
        return token.kind == MarkupToken::StartTag && set.has(token.tag);
    }
    static bool isEndIn(const MarkupToken& token, const TagSet& set) {
        return token.kind == MarkupToken::EndTag && set.has(token.tag);
    }
    static bool isSpaceText(const MarkupToken& token) {
        return token.kind == MarkupToken::Text && !token.characters && !token.nuls;
    }

    // Returns whether the token is to be processed again.
    bool dispatch(const MarkupToken& token) {
        if (m_mode == Mode::Text) {
            // The raw text's end tag (or a raw element's content, which the scanner never passes on).
            if (token.kind == MarkupToken::EndTag) {
                if (!m_stack.empty())
                    pop();
                m_mode = m_originalMode;
            }
            return false;
        }
        if (readsAsForeign(token))
            return foreign(token);
        return html(token);
    }

    bool html(const MarkupToken& token) {
        switch (m_mode) {
        case Mode::Initial:
            return initial(token);
        case Mode::BeforeHtml:
            return beforeHtml(token);
        case Mode::BeforeHead:
            return beforeHead(token);
        case Mode::InHead:
            return inHead(token);
        case Mode::InHeadNoscript:
            return inHeadNoscript(token);
        case Mode::AfterHead:
            return afterHead(token);
        case Mode::InBody:
            return inBody(token);
        case Mode::Text:
            return false;
        case Mode::InTable:
            return inTable(token);
        case Mode::InCaption:
            return inCaption(token);
        case Mode::InColumnGroup:
            return inColumnGroup(token);
        case Mode::InTableBody:
            return inTableBody(token);
        case Mode::InRow:
            return inRow(token);
        case Mode::InCell:
            return inCell(token);
        case Mode::InSelect:
            return inSelect(token);
        case Mode::InSelectInTable:
            return inSelectInTable(token);
        case Mode::InTemplate:
            return inTemplate(token);
        case Mode::AfterBody:
            return afterBody(token);
        case Mode::InFrameset:
            return inFrameset(token);
        case Mode::AfterFrameset:
            return afterFrameset(token);
        case Mode::AfterAfterBody:
            return afterAfterBody(token);
        case Mode::AfterAfterFrameset:
            return afterAfterFrameset(token);
        }
        return false;
    }

    bool initial(const MarkupToken& token) {
        if (isSpaceText(token) || token.kind == MarkupToken::Comment)
            return false;
        m_mode = Mode::BeforeHtml;
        if (token.kind != MarkupToken::Doctype)
            return true;
        m_quirks = doctypeQuirks(m_page + token.begin, token.end - token.begin);
        m_doctypeBegin = token.begin;
        m_doctypeEnd = token.end;
        return false;
    }

    bool beforeHtml(const MarkupToken& token) {
        if (token.kind == MarkupToken::Doctype || token.kind == MarkupToken::Comment || isSpaceText(token))
            return false;
        if (isStart(token, GUMBO_TAG_HTML)) {
            push(nodeFor(token));
            m_mode = Mode::BeforeHead;
            return false;
        }
        if (token.kind == MarkupToken::EndTag && token.tag != GUMBO_TAG_HEAD && token.tag != GUMBO_TAG_BODY &&
            token.tag != GUMBO_TAG_HTML && token.tag != GUMBO_TAG_BR)
            return false;
        pushImplied(GUMBO_TAG_HTML);
        m_mode = Mode::BeforeHead;
        return true;
    }

    bool beforeHead(const MarkupToken& token) {
        if (token.kind == MarkupToken::Doctype || token.kind == MarkupToken::Comment || isSpaceText(token))
            return false;
        if (isStart(token, GUMBO_TAG_HTML))
            return inBody(token);
        if (isStart(token, GUMBO_TAG_HEAD)) {
            push(nodeFor(token));
            m_headElement = true;
            m_mode = Mode::InHead;
            return false;
        }
        if (token.kind == MarkupToken::EndTag && token.tag != GUMBO_TAG_HEAD && token.tag != GUMBO_TAG_BODY &&
            token.tag != GUMBO_TAG_HTML && token.tag != GUMBO_TAG_BR)
            return false;
        pushImplied(GUMBO_TAG_HEAD);
        m_headElement = true;
        m_mode = Mode::InHead;
        return true;
    }

    void runRaw(const MarkupToken& token, TextState raw) {
        push(nodeFor(token));
        m_raw = raw;
        m_originalMode = m_mode;
        m_mode = Mode::Text;
    }

    void openTemplate(const MarkupToken& token) {
        push(nodeFor(token));
        addMarker();
        m_framesetOk = false;
        m_mode = Mode::InTemplate;
        m_templateModes.push_back(Mode::InTemplate);
    }

    void closeTemplate() {
        if (!hasOpen(GUMBO_TAG_TEMPLATE))
            return;
        while (!m_stack.empty() && inSet(current(), kThoroughImpliedEnds))
            pop();
        popUntil(GUMBO_TAG_TEMPLATE);
        clearListToMarker();
        if (!m_templateModes.empty())
            m_templateModes.pop_back();
        resetMode();
    }

    bool hasOpen(GumboTag tag) {
        for (size_t i = m_stack.size(); i-- > 0;) {
            m_work += kScopeStep;
            if (isHtml(m_stack[i], tag))
                return true;
            if (isHtml(m_stack[i], GUMBO_TAG_HTML))
                return false;
        }
        return false;
    }

    bool inHead(const MarkupToken& token) {
        if (isSpaceText(token) || token.kind == MarkupToken::Doctype || token.kind == MarkupToken::Comment)
            return false;
        if (isStart(token, GUMBO_TAG_HTML))
            return inBody(token);
        if (token.kind == MarkupToken::StartTag) {
            switch (token.tag) {
            case GUMBO_TAG_BASE:
            case GUMBO_TAG_BASEFONT:
            case GUMBO_TAG_BGSOUND:
            case GUMBO_TAG_MENUITEM:
            case GUMBO_TAG_LINK:
            case GUMBO_TAG_META:
                return false;
            case GUMBO_TAG_TITLE:
            case GUMBO_TAG_NOFRAMES:
            case GUMBO_TAG_STYLE:
            case GUMBO_TAG_SCRIPT:
                runRaw(token, textStateAfter(token.tag));
                return false;
            case GUMBO_TAG_NOSCRIPT:
                push(nodeFor(token));
                m_mode = Mode::InHeadNoscript;
                return false;
            case GUMBO_TAG_TEMPLATE:
                openTemplate(token);
                return false;
            case GUMBO_TAG_HEAD:
                return false;
            default:
                break;
            }
        }
        if (isEnd(token, GUMBO_TAG_HEAD)) {
            pop();
            m_mode = Mode::AfterHead;
            return false;
        }
        if (isEnd(token, GUMBO_TAG_BODY) || isEnd(token, GUMBO_TAG_HTML) || isEnd(token, GUMBO_TAG_BR)) {
            pop();
            m_mode = Mode::AfterHead;
            return true;
        }
        if (isEnd(token, GUMBO_TAG_TEMPLATE)) {
            closeTemplate();
            return false;
        }
        if (token.kind == MarkupToken::EndTag)
            return false;
        pop();
        m_mode = Mode::AfterHead;
        return true;
    }

    bool inHeadNoscript(const MarkupToken& token) {
        if (token.kind == MarkupToken::Doctype)
            return false;
        if (isStart(token, GUMBO_TAG_HTML))
            return inBody(token);
        if (isEnd(token, GUMBO_TAG_NOSCRIPT)) {
            pop();
            m_mode = Mode::InHead;
            return false;
        }
        if (isSpaceText(token) || token.kind == MarkupToken::Comment ||
            (token.kind == MarkupToken::StartTag &&
             (token.tag == GUMBO_TAG_BASEFONT || token.tag == GUMBO_TAG_BGSOUND ||
              token.tag == GUMBO_TAG_LINK || token.tag == GUMBO_TAG_META || token.tag == GUMBO_TAG_NOFRAMES ||
              token.tag == GUMBO_TAG_STYLE)))
            return inHead(token);
        if (isStart(token, GUMBO_TAG_HEAD) || isStart(token, GUMBO_TAG_NOSCRIPT) ||
            (token.kind == MarkupToken::EndTag && token.tag != GUMBO_TAG_BR))
            return false;
        pop();
        m_mode = Mode::InHead;
        return true;
    }

    bool afterHead(const MarkupToken& token) {
        if (isSpaceText(token) || token.kind == MarkupToken::Doctype || token.kind == MarkupToken::Comment)
            return false;
        if (isStart(token, GUMBO_TAG_HTML))
            return inBody(token);
        if (isStart(token, GUMBO_TAG_BODY)) {
            push(nodeFor(token));
            m_framesetOk = false;
            m_mode = Mode::InBody;
            return false;
        }
        if (isStart(token, GUMBO_TAG_FRAMESET)) {
            push(nodeFor(token));
            m_mode = Mode::InFrameset;
            return false;
        }
        if (isStartIn(token, kHeadStarts) && token.tag != GUMBO_TAG_MENUITEM) {
            // Handled in the head, which is put back on the stack for the purpose.
            pushImplied(GUMBO_TAG_HEAD);
            const size_t head = m_stack.size() - 1;
            inHead(token);
            if (head < m_stack.size() && isHtml(m_stack[head], GUMBO_TAG_HEAD))
                removeFromStack(head);
            return false;
        }
        if (isEnd(token, GUMBO_TAG_TEMPLATE))
            return inHead(token);
        if (isStart(token, GUMBO_TAG_HEAD) ||
            (token.kind == MarkupToken::EndTag && token.tag != GUMBO_TAG_BODY &&
             token.tag != GUMBO_TAG_HTML && token.tag != GUMBO_TAG_BR))
            return false;
        pushImplied(GUMBO_TAG_BODY);
        m_mode = Mode::InBody;
        return true;
    }

    void closeListItems(const MarkupToken& token) {
        m_framesetOk = false;
        for (size_t i = m_stack.size(); i-- > 0;) {
            m_work += kSpecialStep;
            const Node& node = m_stack[i];
            const bool item = token.tag == GUMBO_TAG_LI
                                  ? isHtml(node, GUMBO_TAG_LI)
                                  : isHtml(node, GUMBO_TAG_DD) || isHtml(node, GUMBO_TAG_DT);
            if (item) {
                closeElement(node.tag);
                return;
            }
            if (isSpecial(node) && !isHtml(node, GUMBO_TAG_ADDRESS) && !isHtml(node, GUMBO_TAG_DIV) &&
                !isHtml(node, GUMBO_TAG_P))
                return;
        }
    }

    bool lastAnchor(size_t& index) {
        for (size_t i = m_list.size(); i-- > 0;) {
            m_work += kFindStep;
            if (m_list[i].uid == 0)
                return false;
            if (isHtml(m_list[i], GUMBO_TAG_A)) {
                index = i;
                return true;
            }
        }
        return false;
    }

    bool inBody(const MarkupToken& token) {
        switch (token.kind) {
        case MarkupToken::Text:
            textInBody(token);
            return false;
        case MarkupToken::Comment:
        case MarkupToken::Doctype:
            return false;
        case MarkupToken::StartTag:
            startInBody(token);
            return m_reprocess ? (m_reprocess = false, true) : false;
        case MarkupToken::EndTag:
            return endInBody(token);
        }
        return false;
    }

    void startInBody(const MarkupToken& token) {
        const GumboTag tag = token.tag;
        if (tag == GUMBO_TAG_HTML)
            return;
        if (kHeadStarts.has(tag)) {
            inHead(token);
            return;
        }
        if (kBlockStarts.has(tag)) {
            closeP();
            push(nodeFor(token));
            return;
        }
        if (kHeadings.has(tag)) {
            closeP();
            if (!m_stack.empty() && inSet(current(), kHeadings))
                pop();
            push(nodeFor(token));
            return;
        }
        if (kFormatting.has(tag) && tag != GUMBO_TAG_A && tag != GUMBO_TAG_NOBR) {
            reconstruct();
            pushFormatting(nodeFor(token));
            return;
        }
        switch (tag) {
        case GUMBO_TAG_BODY:
            if (m_stack.size() >= 2 && isHtml(m_stack[1], GUMBO_TAG_BODY) && !hasOpen(GUMBO_TAG_TEMPLATE))
                m_framesetOk = false;
            return;
        case GUMBO_TAG_FRAMESET:
            if (m_stack.size() >= 2 && isHtml(m_stack[1], GUMBO_TAG_BODY) && m_framesetOk) {
                popUntilSize(1);
                while (!m_list.empty())
                    removeFromList(m_list.size() - 1);
                push(nodeFor(token));
                m_mode = Mode::InFrameset;
            }
            return;
        case GUMBO_TAG_PRE:
        case GUMBO_TAG_LISTING:
            closeP();
            push(nodeFor(token));
            m_framesetOk = false;
            return;
        case GUMBO_TAG_FORM: {
            const bool inTemplate = hasOpen(GUMBO_TAG_TEMPLATE);
            if (m_formElement != 0 && !inTemplate)
                return;
            closeP();
            push(nodeFor(token));
            if (!inTemplate)
                m_formElement = current().uid;
            return;
        }
        case GUMBO_TAG_LI:
        case GUMBO_TAG_DD:
        case GUMBO_TAG_DT:
            closeListItems(token);
            closeP();
            push(nodeFor(token));
            return;
        case GUMBO_TAG_PLAINTEXT:
            closeP();
            push(nodeFor(token));
            m_raw = TextState::Plaintext;
            return;
        case GUMBO_TAG_BUTTON:
            if (inScope(GUMBO_TAG_BUTTON)) {
                closeElement(GUMBO_TAG_BUTTON);
                m_reprocess = true;
                return;
            }
            reconstruct();
            push(nodeFor(token));
            m_framesetOk = false;
            return;
        case GUMBO_TAG_A: {
            size_t anchor = 0;
            if (lastAnchor(anchor)) {
                adopt(GUMBO_TAG_A);
                if (lastAnchor(anchor)) {
                    const uint32_t uid = m_list[anchor].uid;
                    removeFromList(anchor);
                    if (isOpen(uid))
                        removeFromStack(size_t(m_position[uid]));
                }
            }
            reconstruct();
            pushFormatting(nodeFor(token));
            return;
        }
        case GUMBO_TAG_NOBR:
            reconstruct();
            if (inScope(GUMBO_TAG_NOBR)) {
                adopt(GUMBO_TAG_NOBR);
                reconstruct();
            }
            pushFormatting(nodeFor(token));
            return;
        case GUMBO_TAG_APPLET:
        case GUMBO_TAG_MARQUEE:
        case GUMBO_TAG_OBJECT:
            reconstruct();
            push(nodeFor(token));
            addMarker();
            m_framesetOk = false;
            return;
        case GUMBO_TAG_TABLE:
            if (!m_quirks)
                closeP();
            push(nodeFor(token));
            m_framesetOk = false;
            m_mode = Mode::InTable;
            return;
        case GUMBO_TAG_AREA:
        case GUMBO_TAG_BR:
        case GUMBO_TAG_EMBED:
        case GUMBO_TAG_IMG:
        case GUMBO_TAG_IMAGE:
        case GUMBO_TAG_KEYGEN:
        case GUMBO_TAG_WBR:
            reconstruct();
            m_framesetOk = false;
            return;
        case GUMBO_TAG_INPUT:
            reconstruct();
            if (!token.hiddenInput)
                m_framesetOk = false;
            return;
        case GUMBO_TAG_PARAM:
        case GUMBO_TAG_SOURCE:
        case GUMBO_TAG_TRACK:
            return;
        case GUMBO_TAG_HR:
            closeP();
            m_framesetOk = false;
            return;
        case GUMBO_TAG_ISINDEX:
            if (m_formElement != 0 && !hasOpen(GUMBO_TAG_TEMPLATE))
                return;
            closeP();
            m_framesetOk = false;
            return;
        case GUMBO_TAG_TEXTAREA:
            runRaw(token, TextState::RcData);
            m_framesetOk = false;
            return;
        case GUMBO_TAG_XMP:
            closeP();
            reconstruct();
            m_framesetOk = false;
            runRaw(token, TextState::RawText);
            return;
        case GUMBO_TAG_IFRAME:
            m_framesetOk = false;
            runRaw(token, TextState::RawText);
            return;
        case GUMBO_TAG_NOEMBED:
            runRaw(token, TextState::RawText);
            return;
        case GUMBO_TAG_SELECT:
            reconstruct();
            push(nodeFor(token));
            m_framesetOk = false;
            m_mode = (m_mode == Mode::InTable || m_mode == Mode::InCaption || m_mode == Mode::InTableBody ||
                      m_mode == Mode::InRow || m_mode == Mode::InCell)
                         ? Mode::InSelectInTable
                         : Mode::InSelect;
            return;
        case GUMBO_TAG_OPTION:
        case GUMBO_TAG_OPTGROUP:
            if (currentIs(GUMBO_TAG_OPTION))
                pop();
            reconstruct();
            push(nodeFor(token));
            return;
        case GUMBO_TAG_RB:
        case GUMBO_TAG_RP:
        case GUMBO_TAG_RT:
        case GUMBO_TAG_RTC:
            if (inScope(GUMBO_TAG_RUBY))
                generateImpliedEnds(tag == GUMBO_TAG_RT || tag == GUMBO_TAG_RP ? GUMBO_TAG_RTC
                                                                               : GUMBO_TAG_LAST);
            push(nodeFor(token));
            return;
        case GUMBO_TAG_MATH:
        case GUMBO_TAG_SVG:
            reconstruct();
            push(nodeFor(token, tag == GUMBO_TAG_MATH ? Ns::Math : Ns::Svg));
            if (token.selfClosing)
                pop();
            return;
        case GUMBO_TAG_CAPTION:
        case GUMBO_TAG_COL:
        case GUMBO_TAG_COLGROUP:
        case GUMBO_TAG_FRAME:
        case GUMBO_TAG_HEAD:
        case GUMBO_TAG_TBODY:
        case GUMBO_TAG_TD:
        case GUMBO_TAG_TFOOT:
        case GUMBO_TAG_TH:
        case GUMBO_TAG_THEAD:
        case GUMBO_TAG_TR:
            return;
        default:
            reconstruct();
            push(nodeFor(token));
            return;
        }
    }

    bool endInBody(const MarkupToken& token) {
        const GumboTag tag = token.tag;
        if (tag == GUMBO_TAG_BODY || tag == GUMBO_TAG_HTML) {
            if (!inScope(GUMBO_TAG_BODY))
                return false;
            m_mode = Mode::AfterBody;
            return tag == GUMBO_TAG_HTML;
        }
        if (tag == GUMBO_TAG_TEMPLATE) {
            closeTemplate();
            return false;
        }
        if (kBlockEnds.has(tag)) {
            if (inScope(tag))
                closeElement(tag);
            return false;
        }
        if (kHeadings.has(tag)) {
            if (findInScope(kHeadings, Scope::Default) >= 0) {
                generateImpliedEnds();
                popUntilIn(kHeadings);
            }
            return false;
        }
        if (kFormatting.has(tag)) {
            adopt(tag);
            return false;
        }
        switch (tag) {
        case GUMBO_TAG_FORM:
            if (hasOpen(GUMBO_TAG_TEMPLATE)) {
                if (!inScope(GUMBO_TAG_FORM))
                    return false;
                generateImpliedEnds();
                if (currentIs(GUMBO_TAG_FORM))
                    popUntil(GUMBO_TAG_FORM);
                return false;
            } else {
                const uint32_t form = m_formElement;
                m_formElement = 0;
                if (form == 0 || !isOpen(form) || !nodeInScope(form))
                    return false;
                generateImpliedEnds();
                removeFromStack(size_t(m_position[form]));
                return false;
            }
        case GUMBO_TAG_P:
            if (!inScope(GUMBO_TAG_P, Scope::Button))
                return false; // an empty <p> opened and closed at once
            closeElement(GUMBO_TAG_P);
            return false;
        case GUMBO_TAG_LI:
            if (inScope(GUMBO_TAG_LI, Scope::List))
                closeElement(GUMBO_TAG_LI);
            return false;
        case GUMBO_TAG_DD:
        case GUMBO_TAG_DT:
            if (inScope(tag))
                closeElement(tag);
            return false;
        case GUMBO_TAG_APPLET:
        case GUMBO_TAG_MARQUEE:
        case GUMBO_TAG_OBJECT:
            if (inScope(tag, Scope::Table)) {
                closeElement(tag);
                clearListToMarker();
            }
            return false;
        case GUMBO_TAG_BR:
            reconstruct();
            return false;
        default:
            break;
        }
        for (size_t i = m_stack.size(); i-- > 0;) {
            m_work += kSpecialStep;
            const Node& node = m_stack[i];
            if (isHtml(node, tag)) {
                generateImpliedEnds(tag);
                popUntilSize(std::min(i, m_stack.size()));
                return false;
            }
            if (isSpecial(node))
                return false;
        }
        return false;
    }

    bool nodeInScope(uint32_t uid) {
        for (size_t i = m_stack.size(); i-- > 0;) {
            m_work += kScopeStep;
            if (m_stack[i].uid == uid)
                return true;
            if (boundsScope(m_stack[i], Scope::Default))
                return false;
        }
        return false;
    }

    void clearStackTo(const TagSet& tags) {
        while (!m_stack.empty() && !inSet(current(), tags) && !currentIs(GUMBO_TAG_HTML) &&
               !currentIs(GUMBO_TAG_TEMPLATE))
            pop();
    }

    bool closeTable() {
        if (!inScope(GUMBO_TAG_TABLE, Scope::Table))
            return false;
        popUntil(GUMBO_TAG_TABLE);
        resetMode();
        return true;
    }

    // Gumbo's version goes by tag alone, whatever the namespace.
    void resetMode() {
        for (size_t i = m_stack.size(); i-- > 0;) {
            m_work += kFindStep;
            const bool last = i == 0;
            switch (m_stack[i].tag) {
            case GUMBO_TAG_SELECT:
                m_mode = Mode::InSelect;
                for (size_t j = i; !last && j > 0; --j) {
                    m_work += kFindStep;
                    if (isHtml(m_stack[j], GUMBO_TAG_TEMPLATE))
                        break;
                    if (isHtml(m_stack[j], GUMBO_TAG_TABLE)) {
                        m_mode = Mode::InSelectInTable;
                        break;
                    }
                }
                return;
            case GUMBO_TAG_TD:
            case GUMBO_TAG_TH:
                if (!last) {
                    m_mode = Mode::InCell;
                    return;
                }
                break;
            case GUMBO_TAG_TR:
                m_mode = Mode::InRow;
                return;
            case GUMBO_TAG_TBODY:
            case GUMBO_TAG_THEAD:
            case GUMBO_TAG_TFOOT:
                m_mode = Mode::InTableBody;
                return;
            case GUMBO_TAG_CAPTION:
                m_mode = Mode::InCaption;
                return;
            case GUMBO_TAG_COLGROUP:
                m_mode = Mode::InColumnGroup;
                return;
            case GUMBO_TAG_TABLE:
                m_mode = Mode::InTable;
                return;
            case GUMBO_TAG_TEMPLATE:
                if (!m_templateModes.empty()) {
                    m_mode = m_templateModes.back();
                    return;
                }
                break;
            case GUMBO_TAG_HEAD:
                if (!last) {
                    m_mode = Mode::InHead;
                    return;
                }
                break;
            case GUMBO_TAG_BODY:
                m_mode = Mode::InBody;
                return;
            case GUMBO_TAG_FRAMESET:
                m_mode = Mode::InFrameset;
                return;
            case GUMBO_TAG_HTML:
                m_mode = m_headElement ? Mode::AfterHead : Mode::BeforeHead;
                return;
            default:
                break;
            }
            if (last) {
                m_mode = Mode::InBody;
                return;
            }
        }
        m_mode = Mode::InBody;
    }

    bool fosterInBody(const MarkupToken& token) {
        m_foster = true;
        const bool again = inBody(token);
        m_foster = false;
        return again;
    }

    bool inTable(const MarkupToken& token) {
        if (token.kind == MarkupToken::Text) {
            // Gathered as table text: a run with more than whitespace is foster-parented, reopening the
            // formatting elements first.
            if (token.characters) {
                m_foster = true;
                reconstruct();
                m_foster = false;
                m_framesetOk = false;
            }
            return false;
        }
        if (token.kind == MarkupToken::Comment || token.kind == MarkupToken::Doctype)
            return false;
        if (token.kind == MarkupToken::StartTag) {
            switch (token.tag) {
            case GUMBO_TAG_CAPTION:
                clearStackTo(TagSet{GUMBO_TAG_TABLE});
                addMarker();
                push(nodeFor(token));
                m_mode = Mode::InCaption;
                return false;
            case GUMBO_TAG_COLGROUP:
                clearStackTo(TagSet{GUMBO_TAG_TABLE});
                push(nodeFor(token));
                m_mode = Mode::InColumnGroup;
                return false;
            case GUMBO_TAG_COL:
                clearStackTo(TagSet{GUMBO_TAG_TABLE});
                pushImplied(GUMBO_TAG_COLGROUP);
                m_mode = Mode::InColumnGroup;
                return true;
            case GUMBO_TAG_TBODY:
            case GUMBO_TAG_TFOOT:
            case GUMBO_TAG_THEAD:
                clearStackTo(TagSet{GUMBO_TAG_TABLE});
                m_mode = Mode::InTableBody;
                push(nodeFor(token));
                return false;
            case GUMBO_TAG_TD:
            case GUMBO_TAG_TH:
            case GUMBO_TAG_TR:
                clearStackTo(TagSet{GUMBO_TAG_TABLE});
                m_mode = Mode::InTableBody;
                pushImplied(GUMBO_TAG_TBODY);
                return true;
            case GUMBO_TAG_TABLE:
                return closeTable();
            case GUMBO_TAG_STYLE:
            case GUMBO_TAG_SCRIPT:
            case GUMBO_TAG_TEMPLATE:
                return inHead(token);
            case GUMBO_TAG_INPUT:
                if (token.hiddenInput)
                    return false;
                break;
            case GUMBO_TAG_FORM:
                if (m_formElement == 0 && !hasOpen(GUMBO_TAG_TEMPLATE)) {
                    // Inserted and popped at once, yet it stays the form element.
                    m_formElement = newUid();
                }
                return false;
            default:
                break;
            }
        } else if (token.kind == MarkupToken::EndTag) {
            switch (token.tag) {
            case GUMBO_TAG_TABLE:
                closeTable();
                return false;
            case GUMBO_TAG_BODY:
            case GUMBO_TAG_CAPTION:
            case GUMBO_TAG_COL:
            case GUMBO_TAG_COLGROUP:
            case GUMBO_TAG_HTML:
            case GUMBO_TAG_TBODY:
            case GUMBO_TAG_TD:
            case GUMBO_TAG_TFOOT:
            case GUMBO_TAG_TH:
            case GUMBO_TAG_THEAD:
            case GUMBO_TAG_TR:
                return false;
            case GUMBO_TAG_TEMPLATE:
                return inHead(token);
            default:
                break;
            }
        }
        return fosterInBody(token);
    }

    bool inCaption(const MarkupToken& token) {
        if (isEnd(token, GUMBO_TAG_CAPTION)) {
            if (inScope(GUMBO_TAG_CAPTION, Scope::Table)) {
                generateImpliedEnds();
                popUntil(GUMBO_TAG_CAPTION);
                clearListToMarker();
                m_mode = Mode::InTable;
            }
            return false;
        }
        if (isStartIn(token, kCellStarts) || isEnd(token, GUMBO_TAG_TABLE)) {
            if (!inScope(GUMBO_TAG_CAPTION, Scope::Table))
                return false;
            popUntil(GUMBO_TAG_CAPTION);
            clearListToMarker();
            m_mode = Mode::InTable;
            return true;
        }
        if (token.kind == MarkupToken::EndTag &&
            (token.tag == GUMBO_TAG_BODY || token.tag == GUMBO_TAG_HTML ||
             (kCellStarts.has(token.tag) && token.tag != GUMBO_TAG_CAPTION)))
            return false;
        return inBody(token);
    }

    bool inColumnGroup(const MarkupToken& token) {
        if (isSpaceText(token) || token.kind == MarkupToken::Comment || token.kind == MarkupToken::Doctype)
            return false;
        if (isStart(token, GUMBO_TAG_HTML))
            return inBody(token);
        if (isStart(token, GUMBO_TAG_COL) || isEnd(token, GUMBO_TAG_COL))
            return false;
        if (isEnd(token, GUMBO_TAG_COLGROUP)) {
            if (currentIs(GUMBO_TAG_COLGROUP)) {
                pop();
                m_mode = Mode::InTable;
            }
            return false;
        }
        if (isStart(token, GUMBO_TAG_TEMPLATE) || isEnd(token, GUMBO_TAG_TEMPLATE))
            return inHead(token);
        if (!currentIs(GUMBO_TAG_COLGROUP))
            return false;
        pop();
        m_mode = Mode::InTable;
        return true;
    }

    bool inTableBody(const MarkupToken& token) {
        const TagSet bodyContext = kTableSections;
        if (isStart(token, GUMBO_TAG_TR)) {
            clearStackTo(bodyContext);
            push(nodeFor(token));
            m_mode = Mode::InRow;
            return false;
        }
        if (isStart(token, GUMBO_TAG_TD) || isStart(token, GUMBO_TAG_TH)) {
            clearStackTo(bodyContext);
            pushImplied(GUMBO_TAG_TR);
            m_mode = Mode::InRow;
            return true;
        }
        if (isEndIn(token, kTableSections)) {
            if (inScope(token.tag, Scope::Table)) {
                clearStackTo(bodyContext);
                pop();
                m_mode = Mode::InTable;
            }
            return false;
        }
        if ((token.kind == MarkupToken::StartTag &&
             (token.tag == GUMBO_TAG_CAPTION || token.tag == GUMBO_TAG_COL ||
              token.tag == GUMBO_TAG_COLGROUP || kTableSections.has(token.tag))) ||
            isEnd(token, GUMBO_TAG_TABLE)) {
            if (!inScope(GUMBO_TAG_TBODY, Scope::Table) && !inScope(GUMBO_TAG_THEAD, Scope::Table) &&
                !inScope(GUMBO_TAG_TFOOT, Scope::Table))
                return false;
            clearStackTo(bodyContext);
            pop();
            m_mode = Mode::InTable;
            return true;
        }
        if (token.kind == MarkupToken::EndTag &&
            (token.tag == GUMBO_TAG_BODY || token.tag == GUMBO_TAG_CAPTION || token.tag == GUMBO_TAG_COL ||
             token.tag == GUMBO_TAG_TR || token.tag == GUMBO_TAG_COLGROUP || token.tag == GUMBO_TAG_HTML ||
             token.tag == GUMBO_TAG_TD || token.tag == GUMBO_TAG_TH))
            return false;
        return inTable(token);
    }

    bool inRow(const MarkupToken& token) {
        const TagSet rowContext = {GUMBO_TAG_TR};
        if (isStart(token, GUMBO_TAG_TD) || isStart(token, GUMBO_TAG_TH)) {
            clearStackTo(rowContext);
            push(nodeFor(token));
            m_mode = Mode::InCell;
            addMarker();
            return false;
        }
        if (isEnd(token, GUMBO_TAG_TR)) {
            if (inScope(GUMBO_TAG_TR, Scope::Table)) {
                clearStackTo(rowContext);
                pop();
                m_mode = Mode::InTableBody;
            }
            return false;
        }
        if ((token.kind == MarkupToken::StartTag &&
             (token.tag == GUMBO_TAG_CAPTION || token.tag == GUMBO_TAG_COL ||
              token.tag == GUMBO_TAG_COLGROUP || kTableSections.has(token.tag) ||
              token.tag == GUMBO_TAG_TR)) ||
            isEnd(token, GUMBO_TAG_TABLE)) {
            if (!inScope(GUMBO_TAG_TR, Scope::Table))
                return false;
            clearStackTo(rowContext);
            pop();
            m_mode = Mode::InTableBody;
            return true;
        }
        if (isEndIn(token, kTableSections)) {
            if (!inScope(token.tag, Scope::Table) || !inScope(GUMBO_TAG_TR, Scope::Table))
                return false;
            clearStackTo(rowContext);
            pop();
            m_mode = Mode::InTableBody;
            return true;
        }
        if (token.kind == MarkupToken::EndTag &&
            (token.tag == GUMBO_TAG_BODY || token.tag == GUMBO_TAG_CAPTION || token.tag == GUMBO_TAG_COL ||
             token.tag == GUMBO_TAG_COLGROUP || token.tag == GUMBO_TAG_HTML || token.tag == GUMBO_TAG_TD ||
             token.tag == GUMBO_TAG_TH))
            return false;
        return inTable(token);
    }

    void closeCell(GumboTag cell) {
        generateImpliedEnds();
        popUntil(cell);
        clearListToMarker();
        m_mode = Mode::InRow;
    }

    bool inCell(const MarkupToken& token) {
        if (isEnd(token, GUMBO_TAG_TD) || isEnd(token, GUMBO_TAG_TH)) {
            if (inScope(token.tag, Scope::Table))
                closeCell(token.tag);
            return false;
        }
        if (isStartIn(token, kCellStarts)) {
            if (!inScope(GUMBO_TAG_TH, Scope::Table) && !inScope(GUMBO_TAG_TD, Scope::Table))
                return false;
            closeCell(inScope(GUMBO_TAG_TD, Scope::Table) ? GUMBO_TAG_TD : GUMBO_TAG_TH);
            return true;
        }
        if (token.kind == MarkupToken::EndTag &&
            (token.tag == GUMBO_TAG_BODY || token.tag == GUMBO_TAG_CAPTION || token.tag == GUMBO_TAG_COL ||
             token.tag == GUMBO_TAG_COLGROUP || token.tag == GUMBO_TAG_HTML))
            return false;
        if (token.kind == MarkupToken::EndTag &&
            (token.tag == GUMBO_TAG_TABLE || kTableSections.has(token.tag) || token.tag == GUMBO_TAG_TR)) {
            if (!inScope(token.tag, Scope::Table))
                return false;
            closeCell(inScope(GUMBO_TAG_TD, Scope::Table) ? GUMBO_TAG_TD : GUMBO_TAG_TH);
            return true;
        }
        return inBody(token);
    }

    void closeSelect() {
        popUntil(GUMBO_TAG_SELECT);
        resetMode();
    }

    bool inSelect(const MarkupToken& token) {
        if (token.kind == MarkupToken::Text || token.kind == MarkupToken::Comment ||
            token.kind == MarkupToken::Doctype)
            return false;
        if (token.kind == MarkupToken::StartTag) {
            switch (token.tag) {
            case GUMBO_TAG_HTML:
                return inBody(token);
            case GUMBO_TAG_OPTION:
                if (currentIs(GUMBO_TAG_OPTION))
                    pop();
                push(nodeFor(token));
                return false;
            case GUMBO_TAG_OPTGROUP:
                if (currentIs(GUMBO_TAG_OPTION))
                    pop();
                if (currentIs(GUMBO_TAG_OPTGROUP))
                    pop();
                push(nodeFor(token));
                return false;
            case GUMBO_TAG_SELECT:
                if (inScope(GUMBO_TAG_SELECT, Scope::Select))
                    closeSelect();
                return false;
            case GUMBO_TAG_INPUT:
            case GUMBO_TAG_KEYGEN:
            case GUMBO_TAG_TEXTAREA:
                if (!inScope(GUMBO_TAG_SELECT, Scope::Select))
                    return false;
                closeSelect();
                return true;
            case GUMBO_TAG_SCRIPT:
            case GUMBO_TAG_TEMPLATE:
                return inHead(token);
            default:
                return false;
            }
        }
        switch (token.tag) {
        case GUMBO_TAG_OPTGROUP:
            if (currentIs(GUMBO_TAG_OPTION) && m_stack.size() >= 2 &&
                isHtml(m_stack[m_stack.size() - 2], GUMBO_TAG_OPTGROUP))
                pop();
            if (currentIs(GUMBO_TAG_OPTGROUP))
                pop();
            return false;
        case GUMBO_TAG_OPTION:
            if (currentIs(GUMBO_TAG_OPTION))
                pop();
            return false;
        case GUMBO_TAG_SELECT:
            if (inScope(GUMBO_TAG_SELECT, Scope::Select))
                closeSelect();
            return false;
        case GUMBO_TAG_TEMPLATE:
            return inHead(token);
        default:
            return false;
        }
    }

    bool inSelectInTable(const MarkupToken& token) {
        constexpr TagSet kTableParts = {GUMBO_TAG_CAPTION, GUMBO_TAG_TABLE, GUMBO_TAG_TBODY, GUMBO_TAG_TFOOT,
                                        GUMBO_TAG_THEAD,   GUMBO_TAG_TR,    GUMBO_TAG_TD,    GUMBO_TAG_TH};
        if (isStartIn(token, kTableParts)) {
            closeSelect();
            return true;
        }
        if (isEndIn(token, kTableParts)) {
            if (!inScope(token.tag, Scope::Table))
                return false;
            closeSelect();
            return true;
        }
        return inSelect(token);
    }

    bool inTemplate(const MarkupToken& token) {
        if (token.kind == MarkupToken::Text || token.kind == MarkupToken::Comment ||
            token.kind == MarkupToken::Doctype)
            return inBody(token);
        if (isStartIn(token, kHeadStarts) || isEnd(token, GUMBO_TAG_TEMPLATE))
            return inHead(token);
        if (token.kind == MarkupToken::EndTag)
            return false;
        Mode mode = Mode::InBody;
        switch (token.tag) {
        case GUMBO_TAG_CAPTION:
        case GUMBO_TAG_COLGROUP:
        case GUMBO_TAG_TBODY:
        case GUMBO_TAG_TFOOT:
        case GUMBO_TAG_THEAD:
            mode = Mode::InTable;
            break;
        case GUMBO_TAG_COL:
            mode = Mode::InColumnGroup;
            break;
        case GUMBO_TAG_TR:
            mode = Mode::InTableBody;
            break;
        case GUMBO_TAG_TD:
        case GUMBO_TAG_TH:
            mode = Mode::InRow;
            break;
        default:
            break;
        }
        if (!m_templateModes.empty())
            m_templateModes.back() = mode;
        m_mode = mode;
        return true;
    }

    bool afterBody(const MarkupToken& token) {
        if (isSpaceText(token) || isStart(token, GUMBO_TAG_HTML))
            return inBody(token);
        if (token.kind == MarkupToken::Comment || token.kind == MarkupToken::Doctype)
            return false;
        if (isEnd(token, GUMBO_TAG_HTML)) {
            m_mode = Mode::AfterAfterBody;
            return false;
        }
        m_mode = Mode::InBody;
        return true;
    }

    bool inFrameset(const MarkupToken& token) {
        if (isStart(token, GUMBO_TAG_HTML))
            return inBody(token);
        if (isStart(token, GUMBO_TAG_FRAMESET)) {
            push(nodeFor(token));
            return false;
        }
        if (isEnd(token, GUMBO_TAG_FRAMESET)) {
            if (!currentIs(GUMBO_TAG_HTML)) {
                pop();
                if (!currentIs(GUMBO_TAG_FRAMESET))
                    m_mode = Mode::AfterFrameset;
            }
            return false;
        }
        if (isStart(token, GUMBO_TAG_NOFRAMES))
            return inHead(token);
        return false;
    }

    bool afterFrameset(const MarkupToken& token) {
        if (isStart(token, GUMBO_TAG_HTML))
            return inBody(token);
        if (isEnd(token, GUMBO_TAG_HTML)) {
            m_mode = Mode::AfterAfterFrameset;
            return false;
        }
        if (isStart(token, GUMBO_TAG_NOFRAMES))
            return inHead(token);
        return false;
    }

    bool afterAfterBody(const MarkupToken& token) {
        if (token.kind == MarkupToken::Comment)
            return false;
        if (token.kind == MarkupToken::Doctype || isSpaceText(token) || isStart(token, GUMBO_TAG_HTML))
            return inBody(token);
        m_mode = Mode::InBody;
        return true;
    }

    bool afterAfterFrameset(const MarkupToken& token) {
        if (token.kind == MarkupToken::Doctype || isSpaceText(token) || isStart(token, GUMBO_TAG_HTML))
            return inBody(token);
        if (isStart(token, GUMBO_TAG_NOFRAMES))
            return inHead(token);
        return false;
    }

    bool foreign(const MarkupToken& token) {
        if (token.kind != MarkupToken::StartTag && token.kind != MarkupToken::EndTag) {
            if (token.kind == MarkupToken::Text && token.characters)
                m_framesetOk = false;
            return false;
        }
        if (token.kind == MarkupToken::StartTag) {
            if (kBreakouts.has(token.tag) || (token.tag == GUMBO_TAG_FONT && token.fontBreakout)) {
                do {
                    pop();
                } while (!m_stack.empty() && current().ns != Ns::Html && !current().integration &&
                         !(current().ns == Ns::Math && kMathTextPoints.has(current().tag)));
                return true;
            }
            push(nodeFor(token, current().ns));
            if (token.selfClosing)
                pop();
            return false;
        }
        // Gumbo names an end tag by all between "</" and ">": "</g >" closes no <g>, and right after "</>"
        // none closes anything.
        const qsizetype nameLength = token.afterEmptyEndTag ? -2 : token.end - 1 - token.nameBegin;
        for (size_t i = m_stack.size() - 1; i > 0;) {
            m_work += kForeignStep;
            const Node& node = m_stack[i];
            if (equalsIgnoringAsciiCase(m_page + node.nameBegin, node.nameLength, m_page + token.nameBegin,
                                        nameLength)) {
                popUntilSize(i);
                return false;
            }
            --i;
            if (m_stack[i].ns == Ns::Html)
                break;
        }
        return html(token);
    }

    const char* m_page;
    std::vector<Node> m_stack;
    std::vector<Node> m_list;
    std::vector<int32_t> m_position; // by uid: index in the stack, -1 when closed
    std::vector<uint8_t> m_inList;   // by uid
    int m_closedInList = 0;          // listed formatting elements no longer open
    std::vector<Mode> m_templateModes;
    Mode m_mode = Mode::Initial;
    Mode m_originalMode = Mode::InBody;
    uint32_t m_formElement = 0;
    bool m_headElement = false;
    bool m_quirks = true; // without a doctype
    bool m_framesetOk = true;
    bool m_foster = false;
    bool m_reprocess = false;
    TextState m_raw = TextState::Data;
    double m_work = 0;
    qsizetype m_doctypeBegin = -1;
    qsizetype m_doctypeEnd = -1;
};

bool equalsIgnoringAsciiCase(const char* a, qsizetype aLength, const char* b, qsizetype bLength) {
    if (aLength != bLength)
        return false;
    for (qsizetype i = 0; i < aLength; ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    }
    return true;
}

bool equalsIgnoringAsciiCase(const char* a, qsizetype aLength, const char* literal) {
    return equalsIgnoringAsciiCase(a, aLength, literal, qsizetype(std::strlen(literal)));
}

TextState textStateAfter(GumboTag tag) {
    switch (tag) {
    case GUMBO_TAG_TITLE:
    case GUMBO_TAG_TEXTAREA:
        return TextState::RcData;
    case GUMBO_TAG_STYLE:
    case GUMBO_TAG_XMP:
    case GUMBO_TAG_IFRAME:
    case GUMBO_TAG_NOEMBED:
    case GUMBO_TAG_NOFRAMES:
        return TextState::RawText;
    case GUMBO_TAG_SCRIPT:
        return TextState::Script;
    case GUMBO_TAG_PLAINTEXT:
        return TextState::Plaintext;
    default:
        return TextState::Data;
    }
}

TreeModel::TreeModel(const char* page) : m_builder(std::make_unique<Builder>(page)) {}

TreeModel::~TreeModel() = default;

TextState TreeModel::take(const MarkupToken& token) {
    return m_builder->take(token);
}

bool TreeModel::readsAsForeign(const MarkupToken& token) const {
    return m_builder->readsAsForeign(token);
}

bool TreeModel::currentIsForeign() const {
    return m_builder->currentIsForeign();
}

bool TreeModel::currentIsIntegrationPoint() const {
    return m_builder->currentIsIntegrationPoint();
}

bool TreeModel::opensElement(const MarkupToken& token) const {
    return m_builder->opensElement(token);
}

bool TreeModel::misreads(const MarkupToken& token) const {
    return m_builder->misreads(token);
}

int TreeModel::depth() const {
    return m_builder->depth();
}

double TreeModel::work() const {
    return m_builder->work();
}

void TreeModel::chargeAttributes(int attributes) {
    m_builder->chargeAttributes(attributes);
}

bool TreeModel::replayable(bool framesets) const {
    return m_builder->replayable(framesets);
}

QByteArray TreeModel::replay() const {
    return m_builder->replay();
}

} // namespace vorlane::crawl
