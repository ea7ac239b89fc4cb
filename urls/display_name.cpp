#include "urls/display_name.h"

#include "urls/percent_encode.h"
#include "urls/resolve.h"

#include <QStringDecoder>

namespace vorlane::urls {

namespace {

bool isHidden(char32_t c) {
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

// The code point starting at `i`, and how many UTF-16 units it takes. A lone surrogate stands for itself.
char32_t codePointAt(QStringView text, qsizetype i, qsizetype& units) {
    const QChar c = text[i];
    if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
        units = 2;
        return QChar::surrogateToUcs4(c, text[i + 1]);
    }
    units = 1;
    return c.unicode();
}

int hexValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// Runs of "%XX" decoded as UTF-8; a run that is not whole UTF-8 stays as written.
QString percentDecoded(const QString& text) {
    if (!text.contains(u'%'))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        QByteArray bytes;
        qsizetype end = i;
        while (end + 2 < text.size() && text[end] == u'%' && hexValue(text[end + 1]) >= 0 &&
               hexValue(text[end + 2]) >= 0) {
            bytes.append(char(hexValue(text[end + 1]) * 16 + hexValue(text[end + 2])));
            end += 3;
        }
        if (bytes.isEmpty()) {
            out.append(text[i++]);
            continue;
        }
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString decoded = utf8.decode(bytes);
        out.append(utf8.hasError() ? QStringView(text).sliced(i, end - i) : QStringView(decoded));
        i = end;
    }
    return out;
}

} // namespace

QString shownText(const QString& text) {
    qsizetype units = 1;
    qsizetype first = 0;
    while (first < text.size() && !isHidden(codePointAt(text, first, units)))
        first += units;
    if (first == text.size())
        return text;
    QString shown = text.left(first);
    shown.reserve(text.size() + 16);
    for (qsizetype i = first; i < text.size(); i += units) {
        const char32_t c = codePointAt(text, i, units);
        if (isHidden(c))
            appendPercentEncoded(shown, c);
        else
            shown.append(QStringView(text).sliced(i, units));
    }
    return shown;
}

QString shownAddress(const QString& address) {
    return shownText(cleanAddressText(address));
}

QString displayName(const QString& address) {
    return shownText(percentDecoded(lastSegment(cleanAddressText(address))));
}

} // namespace vorlane::urls
