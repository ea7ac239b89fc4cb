#pragma once
// How a download's file is named: the name the server suggests (Content-Disposition) or the address's
// last segment, made safe for every file system the program runs on, and made unique in its folder.
// Pure functions; the disk is only looked at by uniqueFileName and isInsideFolder.

#include <QByteArray>
#include <QSet>
#include <QString>

namespace vorlane::download {

// The file name a Content-Disposition header value suggests: filename* (RFC 5987, UTF-8 or ISO-8859-1)
// before filename; empty when it suggests none.
QString fileNameFromContentDisposition(const QByteArray& headerValue);
// The address's last path segment, percent-decoded (as UTF-8); empty when the path ends in "/".
QString fileNameFromAddress(const QString& address);

// A name that is safe to create in any folder: no path separators or control characters, no leading or
// trailing dots or blanks, not "." or "..", a Windows device name (CON, PRN, AUX, NUL, COM1-9, LPT1-9,
// with any extension) prefixed with "_", at most 255 bytes in UTF-8 with the extension kept. Never empty:
// a name with nothing usable left becomes "download".
QString safeFileName(const QString& proposed);

// `name` itself when neither the folder nor `taken` (compared without letter case) holds it, else the
// first free "name (1).ext", "name (2).ext", ...
QString uniqueFileName(const QString& folder, const QString& name, const QSet<QString>& taken = {});

// True when `path`, with every "." and ".." and symbolic link of its folder resolved, lies directly
// inside `folder`.
bool isInsideFolder(const QString& folder, const QString& path);

} // namespace vorlane::download
