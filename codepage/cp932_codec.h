#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

// Code page 932 (Shift_JIS with the vendor extensions, the user-defined area F040-F9FC as
// U+E000-U+E757) by ICU's table, written into this library at build time, except that
// ASCII, controls included, is always itself: ICU's table swaps 1A, 1C and 7F. Both the
// program and the SMTP library convert through here, so that the same text always
// becomes the same bytes.
namespace cp932_codec {

// Byte length of one character: 1 or 2, 0 when the code page cannot hold it.
int charLength(char32_t cp);

// Unicode to code page 932, or nothing when the code page cannot hold some character.
std::optional<QByteArray> encode(QStringView text);

// Code page 932 to Unicode, or nothing when the bytes are not valid code page 932 (an
// unassigned code, or a lead byte without its trail byte at the end).
std::optional<QString> decode(QByteArrayView bytes);

// As decode, but each byte or pair that is no character reads as U+FFFD.
QString decodeLenient(QByteArrayView bytes);

}  // namespace cp932_codec
