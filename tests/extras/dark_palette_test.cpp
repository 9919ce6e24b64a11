// The program on a desktop with a dark palette (as qt6ct's darker scheme gives it) and
// under other styles: every text stays readable and whole.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPalette>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleFactory>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <memory>

#include "composer/composer_window.h"
#include "composer/pictograph_palette.h"
#include "extras/about_box.h"
#include "program/application.h"
#include "settings/settings_dialog.h"
#include "support/test_support.h"
#include "toolkit/contrast.h"
#include "toolkit/help_viewer.h"

namespace {

QPalette darkPalette() {
    QPalette p;
    const QColor window(0x42, 0x42, 0x42), text(0xf0, 0xf0, 0xf0), base(0x2f, 0x2f, 0x2f);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, QColor(0x38, 0x38, 0x38));
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3a));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::Highlight, QColor(0x4a, 0x90, 0xd9));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, QColor(0x8a, 0xb4, 0xf8));
    p.setColor(QPalette::PlaceholderText, QColor(0xa0, 0xa0, 0xa0));
    return p;
}

// The strongest contrast of any pixel of `image` against `background`.
double strongestContrast(const QImage& image, const QColor& background) {
    double best = 1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            best = std::max(best, toolkit::contrast::ratio(image.pixelColor(x, y), background));
    }
    return best;
}

// The average colour of `image` within `r`.
QColor average(const QImage& image, const QRect& r) {
    double red = 0, green = 0, blue = 0;
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            red += c.redF();
            green += c.greenF();
            blue += c.blueF();
            ++n;
        }
    }
    return QColor::fromRgbF(float(red / n), float(green / n), float(blue / n));
}

class DarkPalette : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_ = QApplication::palette();
        // Under qt6ct the desktop's own dark scheme is used as it comes.
        if (qEnvironmentVariable("QT_QPA_PLATFORMTHEME") != QLatin1String("qt6ct"))
            QApplication::setPalette(darkPalette());
        program = std::make_unique<Application>();
        program->show();
        form1 = program->forms().form1;
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form1));
    }
    void TearDown() override {
        program.reset();
        QApplication::setPalette(saved_);
    }

    TempProgramDir dir;
    std::unique_ptr<Application> program;
    TForm1* form1 = nullptr;

  private:
    QPalette saved_;
};

}  // namespace

TEST_F(DarkPalette, EveryPictographStandsOutFromItsBackground) {
    PictographPalette* palette = form1->PageControl1;
    for (int tab = 0; tab < palette->count(); ++tab) {
        palette->setCurrentIndex(tab);
        QApplication::processEvents();
        saveScreenshot(palette, QStringLiteral("dark_palette_tab%1%2")
                                    .arg(tab + 1)
                                    .arg(qEnvironmentVariable("QT_QPA_PLATFORMTHEME")));
    }
    for (PictographButton* button : palette->buttons()) {
        const QColor background = button->palette().color(button->backgroundRole());
        EXPECT_GE(toolkit::contrast::ratio(button->shownColour(), background), 3.0)
            << std::hex << unsigned(button->codePoint());
        // And it is drawn so: thin strokes of a 12-pixel glyph come near it.
        EXPECT_GE(strongestContrast(button->grab().toImage(), background), 2.5)
            << std::hex << unsigned(button->codePoint());
    }
}

TEST_F(DarkPalette, TheVersionDialogKeepsItsDarkTextOnTheLightPicture) {
    form1->About1->trigger();
    TAboutBox* about = program->forms().aboutBox;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(about));
    saveScreenshot(about, QStringLiteral("dark_version_dialog") +
                              qEnvironmentVariable("QT_QPA_PLATFORMTHEME"));
    const QImage picture = about->Image1->pixmap().toImage();
    for (QLabel* label : {about->Version, about->Copyright, about->HPLabel, about->Link}) {
        const QColor behind = average(picture, label->geometry());
        EXPECT_GE(toolkit::contrast::ratio(label->palette().color(QPalette::WindowText), behind),
                  4.5)
            << label->objectName().toStdString();
    }
}

TEST_F(DarkPalette, HelpHeadingsAndNotesTakeThePalettesColours) {
    toolkit::showHelp(form1, QStringLiteral(MIRVANE_HELP_FILE), 1);
    toolkit::HelpViewer* viewer = toolkit::HelpViewer::instance();
    ASSERT_NE(viewer, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(viewer));
    saveScreenshot(viewer, QStringLiteral("dark_help"));
    const QColor base = viewer->browser()->palette().color(QPalette::Base);
    const QString html = viewer->browser()->toHtml();
    // Every colour the shown topic names stands out from the page.
    const QRegularExpression colour(QStringLiteral("(?<![-\\w])color:(#[0-9a-f]{6})"));
    int named = 0;
    for (const QRegularExpressionMatch& m : colour.globalMatch(html)) {
        ++named;
        EXPECT_GE(toolkit::contrast::ratio(QColor(m.captured(1)), base), 3.0)
            << m.captured(1).toStdString();
    }
    EXPECT_GT(named, 0);
    toolkit::quitHelp();
}

TEST_F(DarkPalette, SettingsTabsShowWholeCaptionsUnderEveryStyle) {
    for (const QString& name : {QStringLiteral("Fusion"), QStringLiteral("Windows")}) {
        for (const int pixels : {12, 14}) {
            // The style and the fonts in effect when the program starts.
            program.reset();
            QApplication::setStyle(QStyleFactory::create(name));
            program = std::make_unique<Application>();
            TForm2* settings = program->forms().form2;
            QTabBar* bar = settings->PageControl1->tabBar();
            QFont font = bar->font();
            font.setPixelSize(pixels);
            bar->setFont(font);
            settings->show();
            QApplication::processEvents();
            int right = 0;
            for (int i = 0; i < bar->count(); ++i) {
                const QRect r = bar->tabRect(i);
                EXPECT_GE(r.width(), bar->fontMetrics().horizontalAdvance(bar->tabText(i)) + 4)
                    << name.toStdString() << " " << pixels << " tab " << i;
                right = std::max(right, r.right());
            }
            EXPECT_LE(right, bar->width()) << name.toStdString() << " " << pixels;
            saveScreenshot(settings, QStringLiteral("settings_tabs_%1_%2%3")
                                         .arg(name)
                                         .arg(pixels)
                                         .arg(qEnvironmentVariable("QT_QPA_PLATFORMTHEME")));
        }
    }
}
