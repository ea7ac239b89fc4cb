#pragma once
// Telling media links from pages, and the URL filter.

#include <QString>
#include <QStringList>

// ".mp3,.ogg" -> {".mp3", ".ogg"}; blanks and empty items dropped.
QStringList SplitExtensions(const QString& fileExt);

// True when the extension of the address's path (query and fragment left out) equals one of
// `extensions` as a whole token, without letter case. An empty list matches nothing.
bool IsMediaLink(const QString& address, const QStringList& extensions);

// True when the address contains any filter word (case-sensitive substring).
bool IsFilteredUrl(const QString& address, const QStringList& filters);

// Only http and https addresses are fetched as pages.
bool IsCrawlableAddress(const QString& address);
// Only http, https and ftp addresses are recorded as files and handed to the system's "open" action.
bool IsRecordableAddress(const QString& address);
