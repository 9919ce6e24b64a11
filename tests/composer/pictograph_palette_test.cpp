#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetricsF>
#include <QImage>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>
#include <QVBoxLayout>
#include <cmath>

#include "codepage/pictograph_table.h"
#include "composer/pictograph_font.h"
#include "composer/pictograph_glyph.h"
#include "composer/pictograph_palette.h"
#include "composer/pictograph_pictures.h"
#include "support/test_support.h"
#include "toolkit/contrast.h"
#include "toolkit/fonts.h"

namespace {

// How fully the strongest pixel of `image` shows `rgb` over the background (the
// corner pixel): 1 is the pure colour, 0 the background; a pixel off the line between
// the two (another hue) counts for nothing.
double strongestShareOf(const QImage& image, QRgb rgb) {
    const QRgb bg = image.pixel(0, 0);
    const double cx = qRed(rgb) - qRed(bg), cy = qGreen(rgb) - qGreen(bg),
                 cz = qBlue(rgb) - qBlue(bg);
    const double norm2 = cx * cx + cy * cy + cz * cz;
    double best = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            const double px = qRed(p) - qRed(bg), py = qGreen(p) - qGreen(bg),
                         pz = qBlue(p) - qBlue(bg);
            const double share = (px * cx + py * cy + pz * cz) / norm2;
            const double ox = px - share * cx, oy = py - share * cy, oz = pz - share * cz;
            const double off = std::sqrt((ox * ox + oy * oy + oz * oz) / norm2);
            if (off < 0.15)
                best = std::max(best, share);
        }
    }
    return best;
}

// A window with a field to type in beside the palette.
struct Window {
    QWidget top;
    QLineEdit* field;
    PictographPalette* palette;

    Window() {
        auto* layout = new QVBoxLayout(&top);
        field = new QLineEdit(&top);
        palette = new PictographPalette(&top);
        palette->setFixedSize(136, 175);
        layout->addWidget(field);
        layout->addWidget(palette);
        top.show();
        top.activateWindow();
        field->setFocus();
        field->setText(QStringLiteral("abcdef"));
        field->setSelection(1, 3);
        QApplication::processEvents();
    }
};

}  // namespace

TEST(PictographPalette, TabsAndTheirCaptions) {
    PictographPalette palette;
    EXPECT_EQ(palette.objectName(), QStringLiteral("PageControl1"));
    EXPECT_EQ(palette.size(), QSize(136, 175));
    ASSERT_EQ(palette.count(), 3);
    EXPECT_EQ(palette.currentIndex(), 0);
    const QWidget* sheets[] = {palette.TabSheet1, palette.TabSheet2, palette.TabSheet3};
    const int counts[] = {90, 86, 76};
    // The pages not shown get their buttons when one of them is first shown.
    palette.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&palette));
    EXPECT_EQ(sheets[0]->findChildren<PictographButton*>().size(), counts[0]);
    EXPECT_TRUE(sheets[1]->findChildren<PictographButton*>().isEmpty());
    EXPECT_TRUE(sheets[2]->findChildren<PictographButton*>().isEmpty());
    QTest::mouseClick(palette.tabBar(), Qt::LeftButton, {}, palette.tabBar()->tabRect(2).center());
    EXPECT_EQ(palette.currentIndex(), 2);
    for (int tab = 0; tab < 3; ++tab) {
        EXPECT_EQ(palette.widget(tab), sheets[tab]);
        EXPECT_EQ(sheets[tab]->objectName(), QStringLiteral("TabSheet%1").arg(tab + 1));
        EXPECT_EQ(palette.tabText(tab), pictographs::tabCaption(tab));
        EXPECT_EQ(sheets[tab]->findChildren<PictographButton*>().size(), counts[tab]);
    }
}

TEST(PictographPalette, ButtonsInTheirGridCellsWithTheirPictographs) {
    PictographPalette palette;
    palette.show();
    const auto& buttons = palette.buttons();
    ASSERT_EQ(buttons.size(), 252);
    int index = 0;
    for (int tab = 0; tab < 3; ++tab) {
        palette.setCurrentIndex(tab);
        QApplication::processEvents();
        const auto codes = pictographs::tabCodes(tab);
        for (std::size_t k = 0; k < codes.size(); ++k, ++index) {
            PictographButton* b = buttons[index];
            EXPECT_EQ(b->objectName(), QStringLiteral("SpeedButton%1").arg(index + 1));
            EXPECT_EQ(b->parentWidget(), palette.widget(tab));
            EXPECT_EQ(b->codePoint(), codes[k]);
            EXPECT_EQ(b->text(), QString(QChar(char16_t(codes[k]))));
            EXPECT_EQ(b->geometry(), QRect(14 * int(k % 9), 4 + 14 * int(k / 9), 14, 14));
            // Nothing cut off by the page.
            EXPECT_TRUE(b->parentWidget()->rect().contains(b->geometry()))
                << b->objectName().toStdString();
            EXPECT_EQ(b->focusPolicy(), Qt::NoFocus);
        }
    }
}

TEST(PictographPalette, AClickReportsTheButtonAndLeavesFocusAndSelectionInTheField) {
    Window w;
    ASSERT_TRUE(w.field->hasFocus());
    QSignalSpy clicked(w.palette, &PictographPalette::buttonClicked);

    PictographButton* first = w.palette->buttons().front();
    QTest::mouseClick(first, Qt::LeftButton);
    ASSERT_EQ(clicked.size(), 1);
    EXPECT_EQ(clicked[0][0].value<QAbstractButton*>(), first);
    EXPECT_EQ(first->text(), QString(QChar(char16_t(0xE63E))));
    EXPECT_TRUE(w.field->hasFocus());
    EXPECT_EQ(w.field->selectedText(), QStringLiteral("bcd"));

    // Changing tabs with the mouse leaves the focus where it was too.
    QTabBar* bar = w.palette->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(2).center());
    EXPECT_EQ(w.palette->currentIndex(), 2);
    EXPECT_TRUE(w.field->hasFocus());
    PictographButton* last = w.palette->buttons().back();
    QTest::mouseClick(last, Qt::LeftButton);
    ASSERT_EQ(clicked.size(), 2);
    EXPECT_EQ(clicked[1][0].value<QAbstractButton*>(), last);
    EXPECT_TRUE(w.field->hasFocus());
    EXPECT_EQ(w.field->selectedText(), QStringLiteral("bcd"));
}

TEST(PictographPalette, TheTabStripIsReachedWithTheTabKey) {
    Window w;
    QTest::keyClick(w.field, Qt::Key_Tab);
    EXPECT_TRUE(w.palette->tabBar()->hasFocus());
}

TEST(PictographPalette, ButtonsDrawTheirGlyphInTheirColour) {
    PictographPalette palette;
    palette.show();
    QApplication::processEvents();
    // Red sun, blue cloud, orange thunder, green gemini, fuchsia ballet, black baseball.
    for (char32_t cp : {0xE63E, 0xE63F, 0xE642, 0xE648, 0xE652, 0xE653}) {
        const auto codes = pictographs::tabCodes(0);
        const auto k = std::size_t(std::find(codes.begin(), codes.end(), cp) - codes.begin());
        PictographButton* button = palette.buttons()[qsizetype(k)];
        const QImage image = button->grab().toImage();
        // The design colour, made just dark enough for 3:1 where the background is too
        // close to it (orange and fuchsia on a light grey).
        const QRgb rgb =
            toolkit::contrast::readable(QColor::fromRgb(pictographs::colour(cp)),
                                        button->palette().color(button->backgroundRole()))
                .rgb();
        EXPECT_GE(strongestShareOf(image, rgb), 0.8) << std::hex << unsigned(cp);
    }
}

// Pixels of `image` inside `area` that differ clearly from the area's corner pixel.
int inkIn(const QImage& image, const QRect& area) {
    const QRgb bg = image.pixel(area.topLeft());
    int ink = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (std::abs(qRed(p) - qRed(bg)) + std::abs(qGreen(p) - qGreen(bg)) +
                    std::abs(qBlue(p) - qBlue(bg)) >
                96)
                ++ink;
        }
    }
    return ink;
}

TEST(PictographPalette, Screenshots) {
    PictographPalette palette;
    palette.show();
    int index = 0;
    for (int tab = 0; tab < 3; ++tab) {
        palette.setCurrentIndex(tab);
        QApplication::processEvents();
        const QImage saved(
            saveScreenshot(&palette, QStringLiteral("pictograph_palette_tab%1").arg(tab + 1)));
        ASSERT_EQ(saved.size(), palette.size());
        // Every cell of the page shows its pictograph in its colour.
        for (std::size_t k = 0; k < pictographs::tabCodes(tab).size(); ++k, ++index) {
            PictographButton* b = palette.buttons()[index];
            const QRect cell(b->mapTo(&palette, QPoint()), b->size());
            const QImage picture = saved.copy(cell);
            const QRgb rgb =
                toolkit::contrast::readable(QColor::fromRgb(pictographs::colour(b->codePoint())),
                                            b->palette().color(b->backgroundRole()))
                    .rgb();
            EXPECT_GE(strongestShareOf(picture, rgb), 0.5) << b->objectName().toStdString();
            EXPECT_GE(inkIn(picture, picture.rect()), 8) << b->objectName().toStdString();
        }
    }
    // The same pictographs as text in a field.
    struct Field : QLineEdit {
        using QLineEdit::cursorRect;
    } field;
    field.setFont(toolkit::fonts::fieldFont());
    field.resize(187, 20);
    const QString words = QStringLiteral("晴れ") + QChar(char16_t(0xE63E)) +
                          QStringLiteral("のち") + QChar(char16_t(0xE63F)) +
                          QChar(char16_t(0xE6E2)) + QStringLiteral("abc");
    field.setText(words + QChar(char16_t(0xE757)));
    field.show();
    QApplication::processEvents();
    const QImage text(saveScreenshot(&field, QStringLiteral("pictograph_field")));
    ASSERT_EQ(text.size(), field.size());
    // The words and the last pictograph after them are drawn: ink where each stands.
    field.setCursorPosition(int(words.size()));
    const int start = field.cursorRect().center().x();
    field.end(false);
    const int end = field.cursorRect().center().x();
    ASSERT_GT(end - start, 4);
    EXPECT_GE(inkIn(text, QRect(start + 1, 3, end - start - 2, field.height() - 6)), 10);
    EXPECT_GE(inkIn(text, QRect(2, 2, start, field.height() - 4)), 60);
}

// The pictures the build drew ahead are the palette's own drawing of each pictograph,
// and the palette in the window font uses them.
TEST(PictographPalette, PicturesDrawnAheadAreItsOwnDrawing) {
    const QFont font = toolkit::fonts::windowFont();
    const QFontMetricsF metrics(font);
    constexpr int side = pictograph_glyph::kButtonSize;
    int compared = 0;
    for (int tab = 0; tab < 3; ++tab) {
        for (char32_t cp : pictographs::tabCodes(tab)) {
            const uchar* cover = pictograph_pictures::coverage(cp, font, metrics);
            ASSERT_NE(cover, nullptr) << std::hex << unsigned(cp);
            const QImage drawn = pictograph_glyph::buttonPicture(cp, font, metrics);
            int ink = 0;
            for (int y = 0; y < side; ++y) {
                for (int x = 0; x < side; ++x) {
                    const int alpha = qAlpha(drawn.pixel(x, y));
                    ASSERT_EQ(cover[y * side + x], alpha) << std::hex << unsigned(cp);
                    ink += alpha > 0;
                }
            }
            EXPECT_GE(ink, 8) << std::hex << unsigned(cp);
            ++compared;
        }
    }
    EXPECT_EQ(compared, 252);
    // Another font, or another size, is drawn from the outlines.
    QFont other = font;
    other.setPixelSize(16);
    EXPECT_EQ(pictograph_pictures::coverage(0xE63E, other, QFontMetricsF(other)), nullptr);
}
