#include "served_media.h"

#include <QMimeDatabase>

namespace vorlane::crawl {

namespace {

bool hasExtension(const QString& fileName, const QStringList& extensions) {
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || dot == fileName.size() - 1)
        return false;
    return extensions.contains(fileName.mid(dot).trimmed(), Qt::CaseInsensitive);
}

} // namespace

bool servesMediaType(const QByteArray& contentType, const QString& dispositionFileName,
                     const QStringList& extensions) {
    if (extensions.isEmpty())
        return false;
    if (hasExtension(dispositionFileName, extensions))
        return true;
    const QString name = QString::fromLatin1(contentType.split(';').first().trimmed().toLower());
    if (name.isEmpty())
        return false;
    const QMimeType type = QMimeDatabase().mimeTypeForName(name);
    if (!type.isValid())
        return false;
    const QStringList suffixes = type.suffixes();
    for (const QString& suffix : suffixes) {
        if (extensions.contains(QLatin1Char('.') + suffix, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

} // namespace vorlane::crawl
