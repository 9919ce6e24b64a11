#pragma once

#include <QtGlobal>

class QFont;
class QFontMetricsF;

// The palette's pictographs drawn ahead by the build (tools/draw_palette.cpp) with the
// palette's own drawing (pictograph_glyph.h), as the coverage of each button's pixels:
// the first paint of the palette then only colours 90 small pictures instead of filling
// and outlining 90 vector shapes. They hold only where the build drew them: at scale 1,
// in a 12-pixel window font with the same metrics; elsewhere the palette draws vectors.
namespace pictograph_pictures {

// The file the build writes and the program embeds: "MVPP", a format number, the window
// font's ascent and height (doubles) and pixel size, the number of pictures, then for
// each its code point (32 bits, little-endian) and kButtonSize² coverage bytes, row by row.
inline constexpr char kMagic[4] = {'M', 'V', 'P', 'P'};
inline constexpr quint32 kFormat = 1;

// The coverage of `cp`'s button, kButtonSize² bytes; null when there is no picture for
// it or `font` is not the one the pictures were drawn for.
const uchar* coverage(char32_t cp, const QFont& font, const QFontMetricsF& metrics);

}  // namespace pictograph_pictures
