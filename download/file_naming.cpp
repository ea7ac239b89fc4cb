#include "file_naming.h"

#include "urls/resolve.h"
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace vorlane::download {

namespace {

constexpr qsizetype kMaxNameBytes = 255;
// A longer "extension" is taken as part of the name: it is not what makes the file open in the right
// program.
constexpr qsizetype kMaxExtensionChars = 16;

bool isBlankOrDot(QChar c) {
    return c == u'.' || c.isSpace();
}

QString trimmedOfDotsAndBlanks(QString name) {
    qsizetype from = 0;
    qsizetype to = name.size();
    while (from < to && isBlankOrDot(name.at(from)))
        ++from;
    while (to > from && isBlankOrDot(name.at(to - 1)))
        --to;
    return name.mid(from, to - from);
}

bool isForbidden(QChar c) {
    const char16_t u = c.unicode();
    return u < 0x20 || (u >= 0x7f && u <= 0x9f) || QStringView(u"/\\<>:\"|?*").contains(c) ||
           c.category() == QChar::Separator_Line || c.category() == QChar::Separator_Paragraph;
}

bool isDeviceName(const QString& name) {
    const QString base = name.section(u'.', 0, 0).trimmed().toUpper();
    static const QStringList plain = {"CON", "PRN", "AUX", "NUL"};
    if (plain.contains(base))
        return true;
    return base.size() == 4 && (base.startsWith(u"COM") || base.startsWith(u"LPT")) && base.at(3) >= u'1' &&
           base.at(3) <= u'9';
}

// The name split before its extension's dot; the extension is empty when there is none worth keeping.
QPair<QString, QString> splitExtension(const QString& name) {
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot <= 0 || name.size() - dot > kMaxExtensionChars)
        return {name, {}};
    return {name.left(dot), name.mid(dot)};
}

// stem + suffix, the stem cut (never inside a character) so that the whole fits in kMaxNameBytes.
QString fitted(QString stem, const QString& suffix) {
    const qsizetype suffixBytes = suffix.toUtf8().size();
    while (!stem.isEmpty() && stem.toUtf8().size() + suffixBytes > kMaxNameBytes) {
        stem.chop(1);
        if (!stem.isEmpty() && stem.back().isHighSurrogate())
            stem.chop(1);
    }
    return stem + suffix;
}

} // namespace

QString fileNameFromAddress(const QString& address) {
    const QUrl url(address);
    const QString path = url.isValid() ? url.path(QUrl::FullyEncoded) : address.section(u'?', 0, 0);
    return QString::fromUtf8(QByteArray::fromPercentEncoding(urls::lastSegment(path).toUtf8()));
}

QString safeFileName(const QString& proposed) {
    QString name;
    name.reserve(proposed.size());
    for (const QChar c : proposed)
        name += isForbidden(c) ? u'_' : c;
    name = trimmedOfDotsAndBlanks(name);
    if (name.isEmpty())
        name = QStringLiteral("download");
    if (isDeviceName(name))
        name.prepend(u'_');
    const auto [stem, extension] = splitExtension(name);
    name = trimmedOfDotsAndBlanks(fitted(stem, extension));
    return name.isEmpty() ? QStringLiteral("download") : name;
}

QString uniqueFileName(const QString& folder, const QString& name, const QSet<QString>& taken) {
    const QDir dir(folder);
    auto isFree = [&](const QString& candidate) {
        return !taken.contains(candidate.toLower()) && !QFileInfo::exists(dir.filePath(candidate)) &&
               !QFileInfo::exists(dir.filePath(candidate + QStringLiteral(".aria2")));
    };
    if (isFree(name))
        return name;
    const auto [stem, extension] = splitExtension(name);
    for (int n = 1;; ++n) {
        const QString candidate = fitted(stem, QStringLiteral(" (%1)%2").arg(n).arg(extension));
        if (isFree(candidate))
            return candidate;
    }
}

bool isInsideFolder(const QString& folder, const QString& path) {
    const QString canonicalFolder = QFileInfo(folder).canonicalFilePath();
    const QFileInfo file(path);
    const QString parent = QFileInfo(file.absolutePath()).canonicalFilePath();
    return !canonicalFolder.isEmpty() && parent == canonicalFolder && file.fileName() != u"." &&
           file.fileName() != u".." && !file.fileName().isEmpty();
}

} // namespace vorlane::download
