#pragma once
// Addresses and file names as the user sees them: in the result lists, in exports, on the command line
// and wherever a file is named.

#include <QString>

namespace vorlane::urls {

// `text` with every character that is invisible or changes the layout of what surrounds it percent-encoded
// (as UTF-8): controls, format characters such as bidirectional overrides and zero-width marks, and line
// and paragraph separators. Idempotent; text without such characters comes back as it is.
QString shownText(const QString& text);

// An address as shown or printed: as a browser reads it (cleanAddressText), then through shownText. One
// line, and it reads in the order it is written.
QString shownAddress(const QString& address);

// The name a file link is shown under: the last segment of its address, percent-decoded as UTF-8 ("caf%C3%A9"
// shows as "café"; a run that is not UTF-8 stays as written), then through shownText, so "x\u202Egnp.mp3"
// cannot pose as a ".png".
QString displayName(const QString& address);

} // namespace vorlane::urls
