#pragma once
// The file name a server suggests in a Content-Disposition header.

#include <QByteArray>
#include <QString>

namespace vorlane::urls {

// The file name a Content-Disposition header value suggests: filename* (RFC 5987, UTF-8 or ISO-8859-1)
// before filename (quoted or a bare token); empty when it suggests none.
QString fileNameFromContentDisposition(const QByteArray& headerValue);

} // namespace vorlane::urls
