#include "composer/pictograph_glyph.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QList>
#include <QPainter>
#include <QPen>
#include <QRawFont>
#include <QTextLayout>

#include "toolkit/fonts.h"

namespace pictograph_glyph {
namespace {

// A thin outline around each glyph: at 12 pixels the line-art pictographs would
// otherwise fade to a pale tint of their colour.
constexpr qreal kGlyphOutline = 0.6;

}  // namespace

Glyph glyphFor(char32_t cp, const QFont& font) {
    static QHash<int, QRawFont> faces;
    const QString text = QString::fromUcs4(&cp, 1);
    const int pixelSize = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
    QRawFont face = faces.value(pixelSize);
    if (!face.isValid()) {
        // The registered font's face as the text of `font` uses it: the face the tab
        // captions' text has already loaded, not a second one of the same file.
        const QString family = toolkit::fonts::pictographFamily();
        if (!family.isEmpty()) {
            QFont sized(font);
            sized.setPixelSize(pixelSize);
            QTextLayout layout(text, sized);
            layout.beginLayout();
            layout.createLine();
            layout.endLayout();
            for (const QGlyphRun& run : layout.glyphRuns()) {
                if (run.rawFont().familyName() == family)
                    face = run.rawFont();
            }
        }
        // Kept only once found: a character of another font finds none.
        if (face.isValid())
            faces.insert(pixelSize, face);
    }
    Glyph glyph;
    const QList<quint32> indexes =
        face.isValid() ? face.glyphIndexesForString(text) : QList<quint32>();
    if (indexes.size() == 1 && indexes.front() != 0) {
        glyph.outline = face.pathForGlyph(indexes.front());
        glyph.advance = face.advancesForGlyphIndexes(indexes).front().x();
    } else {
        // Not in the embedded font: whatever the system draws it with.
        glyph.outline.addText(QPointF(), font, text);
        glyph.advance = QFontMetricsF(font).horizontalAdvance(text);
    }
    return glyph;
}

QPointF buttonOrigin(const QFontMetricsF& metrics, qreal advance) {
    return {(kButtonSize - advance) / 2, (kButtonSize - metrics.height()) / 2 + metrics.ascent()};
}

void draw(QPainter* p, const QPainterPath& outline, const QPointF& origin, const QColor& colour) {
    const QPainterPath glyph = outline.translated(origin);
    p->save();
    p->setRenderHint(QPainter::Antialiasing);
    p->fillPath(glyph, colour);
    p->strokePath(glyph, QPen(colour, kGlyphOutline));
    p->restore();
}

QImage buttonPicture(char32_t cp, const QFont& font, const QFontMetricsF& metrics) {
    const Glyph glyph = glyphFor(cp, font);
    QImage image(kButtonSize, kButtonSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    draw(&p, glyph.outline, buttonOrigin(metrics, glyph.advance), Qt::white);
    return image;
}

}  // namespace pictograph_glyph
