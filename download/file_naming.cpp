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

QString unquoted(QString value) {
    value = value.trimmed();
    if (value.size() < 2 || !value.startsWith(u'"') || !value.endsWith(u'"'))
        return value;
    QString text;
    for (qsizetype i = 1; i + 1 < value.size(); ++i) {
        if (value.at(i) == u'\\' && i + 2 < value.size())
            ++i;
        text += value.at(i);
    }
    return text;
}

// The parameters of a header value, split at the semicolons outside quotes: name (lower case) to value.
QList<QPair<QString, QString>> headerParameters(const QString& value) {
    QList<QPair<QString, QString>> parameters;
    QString part;
    bool quoted = false;
    auto flush = [&] {
        const qsizetype equals = part.indexOf(u'=');
        if (equals > 0)
            parameters.append({part.left(equals).trimmed().toLower(), part.mid(equals + 1).trimmed()});
        part.clear();
    };
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == u'"')
            quoted = !quoted;
        else if (c == u'\\' && quoted && i + 1 < value.size()) {
            part += c;
            part += value.at(++i);
            continue;
        }
        if (c == u';' && !quoted)
            flush();
        else
            part += c;
    }
    flush();
    return parameters;
}

// charset'language'percent-encoded-bytes
QString extendedValue(const QString& value) {
    const QStringList parts = value.split(u'\'');
    if (parts.size() != 3)
        return {};
    const QByteArray bytes = QByteArray::fromPercentEncoding(parts.at(2).toLatin1());
    const QString charset = parts.at(0).trimmed().toLower();
    if (charset == u"utf-8")
        return QString::fromUtf8(bytes);
    if (charset == u"iso-8859-1")
        return QString::fromLatin1(bytes);
    return {};
}

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

QString fileNameFromContentDisposition(const QByteArray& headerValue) {
    QString plain;
    for (const auto& [name, value] : headerParameters(QString::fromUtf8(headerValue))) {
        if (name == u"filename*") {
            const QString extended = extendedValue(unquoted(value));
            if (!extended.isEmpty())
                return extended;
        } else if (name == u"filename" && plain.isEmpty()) {
            plain = unquoted(value);
        }
    }
    return plain;
}

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
