#pragma once
// How a page's markup is handed to gumbo so that building its trees costs time linear in the page and bounded
// memory, whatever the markup. Gumbo's tree builder walks its stack of open elements and its list of active
// formatting elements for many tokens, so hostile nesting makes it quadratic, and a page's whole tree can
// take fifty times the page's size. A single pass follows the tree builder's stack and list as gumbo would
// build them (see markup_plan.cpp) and decides, token by token:
// - start tags that would nest beyond the depth limit lose their "<" and are read as text;
// - attributes beyond a tag's first few dozen are blanked, but for those that give links or steer the parse;
// - where the page can be cut, the tree is built in pieces, each reopening the elements open at its start;
// - once the page's markup has cost the tree builder more than its share of work, the rest of the page gives
// its
//   link elements alone, each closed at once.
// Pages nested within the limit and costing ordinary work are parsed as written.

#include <QByteArray>
#include <QList>

// Start tags nested deeper than this are read as text (no real page nests so deep; browsers stop there too).
inline constexpr int kMaxMarkupNesting = 512;

// About how much of a page one tree covers: its tree then takes tens of megabytes at most.
inline constexpr qsizetype kMarkupChunkBytes = 256 * 1024;

struct MarkupChunk {
    qsizetype begin = 0; // this piece of MarkupPlan::html is parsed as a document of its own, after `replay`
    qsizetype end = 0;
    QByteArray replay; // the doctype and the start tags that reopen what was open at `begin`: their elements
                       // come from the piece before, and their own links were found there
};

struct MarkupPlan {
    QByteArray html;           // the page, changed in place as described above
    QList<MarkupChunk> chunks; // consecutive, from the start of `html` to where `flatLinks` takes over
    QByteArray
        flatLinks; // the rest's link elements, each closed at once: empty when the chunks cover the page
    qsizetype linkTags = 0; // start tags with an attribute that may give a link
};

MarkupPlan PlanMarkup(QByteArray html, qsizetype chunkBytes = kMarkupChunkBytes);
