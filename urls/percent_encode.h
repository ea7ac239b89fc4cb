#pragma once
// Percent-encoding of single characters, shared by the address rules and the shown text.

#include <QString>

namespace vorlane::urls {

// Appends the character's UTF-8 bytes as "%XX" each, in upper-case hex as browsers write them.
inline void appendPercentEncoded(QString& out, char32_t codePoint) {
    static constexpr char16_t kHex[] = u"0123456789ABCDEF";
    const QByteArray bytes = QString::fromUcs4(&codePoint, 1).toUtf8();
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        out.append(u'%').append(QChar(kHex[b >> 4])).append(QChar(kHex[b & 0xF]));
    }
}

} // namespace vorlane::urls
