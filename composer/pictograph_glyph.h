#pragma once

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainterPath>
#include <QPointF>

class QFontMetricsF;
class QPainter;

// A pictograph as the palette draws it: its outline from the embedded font, filled and
// outlined in its colour. Shared by the palette and by the build's tool that draws the
// palette's pictures ahead (pictograph_pictures.h).
namespace pictograph_glyph {

// The size of a palette button, in pixels.
inline constexpr int kButtonSize = 14;

// A pictograph's outline at the baseline origin, and its advance.
struct Glyph {
    QPainterPath outline;
    qreal advance = 0;
};

// The outline of `cp` at `font`'s pixel size, read from the registered pictograph font's
// face as `font`'s text uses it; whatever the system draws `cp` with if that font has none.
Glyph glyphFor(char32_t cp, const QFont& font);

// Where a button of kButtonSize draws the glyph: centred like a caption of `metrics`.
QPointF buttonOrigin(const QFontMetricsF& metrics, qreal advance);

// Fills and outlines `outline` at `origin` in `colour`.
void draw(QPainter* p, const QPainterPath& outline, const QPointF& origin, const QColor& colour);

// `cp` drawn in white as on a button of `font`, on a transparent kButtonSize square: its
// alpha is the coverage of each pixel.
QImage buttonPicture(char32_t cp, const QFont& font, const QFontMetricsF& metrics);

}  // namespace pictograph_glyph
