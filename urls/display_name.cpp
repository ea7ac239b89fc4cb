#include "urls/display_name.h"

#include "urls/percent_encode.h"
#include "urls/resolve.h"

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
    return shownText(lastSegment(cleanAddressText(address)));
}

} // namespace vorlane::urls
