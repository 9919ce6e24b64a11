#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

// Code page 932 byte strings as the library receives them, and their conversions.
namespace bsmtp {

// A lead byte of a double-byte character (81-9F, E0-FC).
inline bool isLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Length in bytes of the character starting at `pos`: 2 for a lead byte with a byte after
// it, otherwise 1. Trail bytes never fall in 00-3F, so '/', CR and LF are always whole
// characters of their own.
inline qsizetype charLengthAt(QByteArrayView text, qsizetype pos) {
    return (isLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size()) ? 2 : 1;
}

// The longest prefix of `text` of at most `maxBytes` bytes that ends on a character boundary.
qsizetype fitCharacters(QByteArrayView text, qsizetype maxBytes);

// Every CR, LF and CR LF becomes CR LF.
QByteArray normalizeLineEnds(QByteArrayView text);

// True when every character is ASCII (without ESC, SO and SI) or a character of JIS X 0208:
// no half-width katakana, no NEC or IBM extensions, no user-defined area (pictographs).
bool fitsIso2022Jp(QByteArrayView cp932);

// `cp932` in ISO-2022-JP, or nothing when it does not fit. Each CR and LF and the end of the
// text stand in ASCII mode.
std::optional<QByteArray> toIso2022Jp(QByteArrayView cp932);

// Code page 932 to Unicode, or nothing when the bytes are not valid code page 932 (through
// the program's one conversion, codepage/cp932_codec.h).
std::optional<QString> decodeCp932(QByteArrayView cp932);

// Unicode to code page 932, or nothing when the code page cannot hold some character.
std::optional<QByteArray> encodeCp932(const QString& text);

}  // namespace bsmtp
