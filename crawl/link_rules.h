#pragma once
// Telling media links from pages, and the URL filter. Pure functions of their text arguments.

#include <QString>
#include <QStringList>

namespace vorlane::crawl {

// ".mp3,.ogg" -> {".mp3", ".ogg"}; blanks and empty items dropped.
QStringList splitExtensions(const QString& fileExt);

// The extension of the address's path with its "." (".mp3"), query and fragment left out; empty when the
// last path segment has no "." or ends in one. Works on absolute addresses and on relative hrefs.
QString pathExtension(const QString& address);

// True when the last segment of the address's path ends in one of `extensions` as a whole token (".mp3",
// ".tar.gz"), without letter case; the leading "." of an extension is optional. An empty list matches
// nothing.
bool isMediaLink(const QString& address, const QStringList& extensions);

// True when the address contains any filter word (case-sensitive substring). Empty words are ignored.
bool isFilteredUrl(const QString& address, const QStringList& filters);

} // namespace vorlane::crawl
