#pragma once
// What an aria2 error code means, in words a user reads in the download list.

#include <QString>

namespace vorlane::download {

// The text of aria2's error `code`; a disk-full code in a folder without space left reads as the system's
// own text for a full disk.
QString transferErrorText(int code, const QString& folder);

} // namespace vorlane::download
