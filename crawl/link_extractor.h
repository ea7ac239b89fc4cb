#pragma once
// Turns a page's bytes into its links, parsing once with gumbo (HTML5 rules: comments, scripts, entities
// and broken markup as a browser reads them).

#include <QByteArray>
#include <QList>
#include <QString>

namespace vorlane::crawl {

enum class LinkSource {
    Anchor,  // href of <a> and <area>: a file or a page
    Embedded // src of audio/video/source/track/embed/img, data of object: a file candidate, never a page
};

struct ExtractedLink {
    QString href; // as written, ASCII whitespace trimmed, entities decoded
    LinkSource source = LinkSource::Anchor;
};

struct ParsedPage {
    QString baseHref;           // the first <base href>, as written; empty when none
    QList<ExtractedLink> links; // in document order
};

// The encoding a browser would pick: a byte-order mark, else the charset of `contentType`, else the
// document's meta charset (either form, in its first 4 KiB), else "utf-8". Labels browsers treat as
// windows-1252 (iso-8859-1, us-ascii) come back as "windows-1252".
QByteArray pageCharset(const QByteArray& body, const QByteArray& contentType);

// Decodes by `pageCharset`; an encoding this machine cannot decode falls back to UTF-8. Invalid bytes
// become U+FFFD and never stop the parse.
QString decodePageText(const QByteArray& body, const QByteArray& contentType);

// Every link of the page. Never fails: any text gives a (possibly empty) list. Elements nested more than 512
// deep (no real page does; browsers stop there too) are read as text; their a, area, img, embed, source and
// track links are still found. A page whose markup would cost the parser more than linear time has the links
// of the rest read without their nesting once it has cost its share, so any page costs time linear in its
// size. A large page is parsed a piece at a time where its markup allows, which keeps its trees to tens of
// megabytes (see markup_plan.h).
ParsedPage extractLinks(const QString& html);
ParsedPage extractLinks(const QByteArray& body, const QByteArray& contentType);

// The same links, parsing pieces of about `chunkBytes` at a time.
ParsedPage extractLinks(const QString& html, qsizetype chunkBytes);

} // namespace vorlane::crawl
