#include "content_disposition.h"

#include <QList>
#include <QPair>

namespace vorlane::urls {

namespace {

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

} // namespace vorlane::urls
