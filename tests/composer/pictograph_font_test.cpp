#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QGlyphRun>
#include <QLineEdit>
#include <QPainterPath>
#include <QRawFont>
#include <QTextLayout>

#include "codepage/pictograph_table.h"
#include "composer/pictograph_font.h"
#include "toolkit/fonts.h"

// Readable failure messages.
static void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

QString pictograph(char32_t cp) {
    return QString(QChar(char16_t(cp)));
}

// The families that draw `text` when it is laid out in `font`, in order.
QStringList familiesDrawing(const QString& text, const QFont& font) {
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    QStringList families;
    for (const QGlyphRun& run : layout.glyphRuns())
        families.append(run.rawFont().familyName());
    return families;
}

struct LineBox {
    qreal ascent;
    qreal descent;
    qreal height;
};

LineBox lineOf(const QString& text, const QFont& font) {
    QTextLayout layout(text, font);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    return {line.ascent(), line.descent(), line.height()};
}

}  // namespace

TEST(PictographFont, LoadsOnceUnderItsOwnFamily) {
    const QString family = pictograph_font::load();
    EXPECT_EQ(family, QStringLiteral("Mirvane Pictographs"));
    EXPECT_EQ(pictograph_font::load(), family);
    EXPECT_EQ(toolkit::fonts::pictographFamily(), family);
    EXPECT_TRUE(QFontDatabase::families().contains(family));
}

TEST(PictographFont, CoversExactlyThePalettesCodePointsWithRealGlyphs) {
    const QRawFont raw(pictograph_font::data(), 12);
    ASSERT_TRUE(raw.isValid());
    EXPECT_EQ(raw.familyName(), QStringLiteral("Mirvane Pictographs"));
    // The line box of the field font: a glyph that leaves it would be cut off.
    const qreal top = raw.ascent() + 0.5;
    const qreal bottom = raw.descent() + 0.5;
    for (char32_t cp = 0xE000; cp <= 0xF8FF; ++cp) {
        const bool wanted = pictographs::isPictograph(cp);
        ASSERT_EQ(raw.supportsCharacter(cp), wanted) << std::hex << unsigned(cp);
        if (!wanted)
            continue;
        const QList<quint32> glyphs = raw.glyphIndexesForString(pictograph(cp));
        ASSERT_EQ(glyphs.size(), 1);
        const QRectF box = raw.pathForGlyph(glyphs[0]).boundingRect();
        EXPECT_FALSE(box.isEmpty()) << std::hex << unsigned(cp);
        // Paths are y-down, baseline at 0.
        EXPECT_GE(box.top(), -top) << std::hex << unsigned(cp);
        EXPECT_LE(box.bottom(), bottom) << std::hex << unsigned(cp);
        EXPECT_GE(box.left(), 0) << std::hex << unsigned(cp);
        EXPECT_LE(box.right(), 12.0) << std::hex << unsigned(cp);
    }
    EXPECT_FALSE(raw.supportsCharacter(U'A'));
}

TEST(PictographFont, GlyphsDifferFromOneAnother) {
    // A generator bug that drew one outline everywhere would still cover every code.
    const QRawFont raw(pictograph_font::data(), 64);
    QSet<QString> seen;
    for (int tab = 0; tab < pictographs::kTabCount; ++tab) {
        for (char32_t cp : pictographs::tabCodes(tab)) {
            const QPainterPath path =
                raw.pathForGlyph(raw.glyphIndexesForString(pictograph(cp))[0]);
            QString key;
            for (int i = 0; i < path.elementCount(); i += std::max(1, path.elementCount() / 16)) {
                key += QStringLiteral("%1,%2;")
                           .arg(path.elementAt(i).x, 0, 'f', 1)
                           .arg(path.elementAt(i).y, 0, 'f', 1);
            }
            key += QString::number(path.elementCount());
            EXPECT_FALSE(seen.contains(key)) << std::hex << unsigned(cp);
            seen.insert(key);
        }
    }
}

TEST(PictographFont, FieldsDrawPictographsWithItAheadOfSystemFonts) {
    // Debian's Unifont CSUR claims U+E000-U+F8FF too and would win the fallback.
    const QString family = pictograph_font::load();
    QLineEdit field;
    field.setFont(toolkit::fonts::fieldFont());
    field.setText(QStringLiteral("件名") + pictograph(0xE63E));
    EXPECT_EQ(familiesDrawing(pictograph(0xE63E), field.font()), QStringList{family});
    EXPECT_EQ(familiesDrawing(pictograph(0xE757), toolkit::fonts::windowFont()),
              QStringList{family});
    // So does NUL in a damaged history: a system font's glyph would cost a search of
    // every installed font at each one.
    EXPECT_EQ(familiesDrawing(QString(QChar(0)), field.font()), QStringList{family});
    // Ordinary text stays in the Japanese font. Runs come in no set order.
    const QStringList mixed =
        familiesDrawing(QStringLiteral("あ") + pictograph(0xE63E), field.font());
    ASSERT_EQ(mixed.size(), 2);
    EXPECT_EQ(mixed.count(family), 1);
}

TEST(PictographFont, ALineWithAPictographIsNoTallerThanOneWithout) {
    for (const QFont& font : {toolkit::fonts::fieldFont(), toolkit::fonts::windowFont()}) {
        const LineBox text = lineOf(QStringLiteral("本文あいう"), font);
        const LineBox mixed = lineOf(QStringLiteral("本文") + pictograph(0xE63E) +
                                         pictograph(0xE6E2) + QStringLiteral("あいう"),
                                     font);
        EXPECT_LE(mixed.ascent, text.ascent) << font.families().join(u',').toStdString();
        EXPECT_LE(mixed.descent, text.descent);
        EXPECT_LE(mixed.height, text.height);
        const LineBox alone = lineOf(pictograph(0xE63E), font);
        EXPECT_LE(alone.height, text.height);
    }
}
