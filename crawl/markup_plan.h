#pragma once
// How a page's markup is handed to gumbo so that building its trees costs time linear in the page and bounded
// memory, whatever the markup. Gumbo's tree builder walks its stack of open elements and its list of active
// formatting elements for many tokens, so hostile nesting makes it quadratic, and a page's whole tree can
// take fifty times the page's size. A single pass follows the tree builder's stack and list as gumbo would
// build them (see tree_model.h) and decides, token by token:
// - start tags that would nest beyond the depth limit lose their "<" and are read as text;
// - attributes beyond a tag's first few dozen are blanked, but for those that give links or steer the parse;
// - where the page can be cut, the tree is built in pieces, each reopening the elements open at its start;
// - once the page's markup has cost the tree builder more than its share of work, the rest of the page
//   gives its link elements alone, each closed at once.
// Pages nested within the limit and costing ordinary work are parsed as written.

#include <QByteArray>
#include <QList>

namespace vorlane::crawl {

// Start tags nested deeper than this are read as text (no real page nests so deep; browsers stop there too).
inline constexpr int kMaxMarkupNesting = 512;

// About how much of a page one tree covers: its tree then takes tens of megabytes at most.
inline constexpr qsizetype kMarkupChunkBytes = 256 * 1024;

// A piece of MarkupPlan::html, parsed as a document of its own after `replay`: the doctype and the start tags
// that reopen what was open at `begin`. Those elements come from the piece before, whose links they gave.
struct MarkupChunk {
    qsizetype begin = 0;
    qsizetype end = 0;
    QByteArray replay;
};

struct MarkupPlan {
    // The page, changed in place as described above.
    QByteArray html;
    // Consecutive, from the start of `html` to where `flatLinks` takes over.
    QList<MarkupChunk> chunks;
    // The link elements of the rest, each closed at once, in documents of about a chunk each: none when the
    // chunks cover the page.
    QList<QByteArray> flatLinks;
    // Start tags with an attribute that may give a link.
    qsizetype linkTags = 0;
};

MarkupPlan planMarkup(QByteArray html, qsizetype chunkBytes = kMarkupChunkBytes);

} // namespace vorlane::crawl
