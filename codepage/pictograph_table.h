#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <span>
#include <string_view>

// The 252 carrier pictographs of the palette: their Unicode private-use code points,
// their two bytes in code page 932, the palette's tabs and colours, and the standard
// emoji that stand for them.
namespace pictographs {

inline constexpr char32_t kFirst = 0xE63E;
inline constexpr char32_t kLast = 0xE757;
inline constexpr int kTabCount = 3;
inline constexpr int kColumns = 9;
inline constexpr int kCount = 252;

// Two bytes F0 40 - F9 FC for a code point of the user-defined area U+E000 - U+E757,
// empty for anything else.
QByteArray toCp932(char32_t cp);
// The code point of a two-byte user-defined code, 0 when `code` is not one.
char32_t fromCp932(QByteArrayView code);

// The code points of tab `tab` (0-2), in button order.
std::span<const char32_t> tabCodes(int tab);
// "①" to "③" followed by one pictograph of the tab.
QString tabCaption(int tab);
// Whether cp is one of the palette's 252 pictographs.
bool isPictograph(char32_t cp);

// Caption colour of a pictograph as 0xRRGGBB; black for a code not in the palette.
std::uint32_t colour(char32_t cp);

// The pictograph for a standard emoji or emoji sequence (keycaps are two code
// points), 0 when it has none. Variation selectors are not part of the key.
char32_t forEmoji(std::u32string_view emoji);
// The standard emoji of a pictograph, empty when it has none.
std::u32string_view emojiOf(char32_t pictograph);

// What a screen reader says for a pictograph: the Japanese short name of its emoji, or
// a name of what it shows; empty for a code not in the palette.
QString spokenName(char32_t pictograph);

// `text` with every standard emoji that has a pictograph replaced by it. A variation
// selector (U+FE0E, U+FE0F) after such an emoji, or inside a keycap sequence, goes
// with it. None of these emoji can be held by code page 932, so nothing the code page
// holds is touched; a digit is only taken with the keycap mark after it.
QString replaceEmoji(QStringView text);

}  // namespace pictographs
