#pragma once
// Whether a response that is not a page is itself a file of the search's media type: by its
// Content-Disposition file name, or by its Content-Type mapped to file extensions through the MIME database
// ("download.php?id=7" answering audio/mpeg is an .mp3).

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace vorlane::crawl {

bool servesMediaType(const QByteArray& contentType, const QString& dispositionFileName,
                     const QStringList& extensions);

} // namespace vorlane::crawl
