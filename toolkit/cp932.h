#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// Text in code page 932 (Shift_JIS with the vendor extensions; the user-defined
// area F040-F9FC is U+E000-U+E757). Every size and limit in the program counts
// bytes of this encoding.
namespace cp932 {

// Bytes of `text` in code page 932. Characters the code page cannot hold must not
// reach this point (see normalizeForInput); they are encoded as '?'.
QByteArray encode(QStringView text);
QString decode(QByteArrayView bytes);

// Byte length of one character (a code point): 1 or 2, 0 when the code page cannot hold it.
int charLength(char32_t cp);
// Byte length of `text` in code page 932. A lone '\n' (not after '\r') counts 2,
// since inside the program every line break is CR LF.
qsizetype byteLength(QStringView text);

bool canEncode(char32_t cp);

// Maps what the user types or pastes to text the code page can hold: the usual
// look-alikes to their code page 932 forms (U+301C -> U+FF5E and so on), any other
// unmappable character to "?". Line breaks and surrogate pairs are kept whole.
QString normalizeForInput(QStringView text);

// The longest prefix of `text`, in whole characters (a CR LF pair is never split),
// whose byteLength is at most maxBytes.
QString fitPrefix(QStringView text, qsizetype maxBytes);

// Line break conversions between the program's CR LF and a widget's '\n'.
QString toLf(QStringView crlfText);
QString toCrLf(QStringView lfText);

}  // namespace cp932
