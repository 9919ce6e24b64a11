#include <gtest/gtest.h>

#include <algorithm>

#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <memory>

#include "addressbook/address_book_window.h"
#include "addressbook/address_entry_dialogs.h"
#include "app/settings_file.h"
#include "app/window_placement.h"
#include "composer/composer_window.h"
#include "composer/main_layout.h"
#include "composer/pictograph_palette.h"
#include "extras/about_box.h"
#include "history/history_window.h"
#include "program/application.h"
#include "settings/settings_dialog.h"
#include "support/test_support.h"
#include "toolkit/byte_limited_edit.h"
#include "toolkit/fonts.h"
#include "toolkit/message_box.h"
#include "toolkit/status_bar.h"

namespace {

int outerWidth(const QWidget* w) {
    return window_placement::outerWidth(w);
}

}  // namespace

TEST(Startup, FirstRunOpensAtDesignPlaceAndStoresPlacementOnClose) {
    TempProgramDir dir;
    Application program;
    program.show();
    TForm1* form1 = program.forms().form1;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form1));

    EXPECT_EQ(form1->windowTitle(), QStringLiteral("Mirvane"));
    EXPECT_EQ(form1->pos(), QPoint(559, 272));
    EXPECT_EQ(outerWidth(form1), 297);
    EXPECT_EQ(window_placement::outerHeight(form1), 297);
    EXPECT_EQ(form1->bodyLimit(), 500);
    EXPECT_TRUE(form1->acceptDrops());

    const Forms& f = program.forms();
    const QList<QPair<QWidget*, QString>> others = {
        {f.form2, QStringLiteral("設定")},         {f.aboutBox, QStringLiteral("バージョン情報")},
        {f.form4, QStringLiteral("アドレス帳")},   {f.form5, QStringLiteral("新規アドレス作成")},
        {f.form6, QStringLiteral("アドレス編集")}, {f.form7, QStringLiteral("送信履歴")}};
    for (const auto& [window, caption] : others) {
        ASSERT_NE(window, nullptr);
        EXPECT_FALSE(window->isVisible()) << caption.toStdString();
        EXPECT_EQ(window->windowTitle(), caption);
    }
    // Creating the windows reads the file but writes nothing.
    EXPECT_FALSE(QFile::exists(dir.settingsPath()));

    QSignalSpy closed(form1, &TForm1::closed);
    EXPECT_TRUE(form1->close());
    EXPECT_EQ(closed.count(), 1);
    EXPECT_EQ(dir.settingsBytes(),
              QByteArray("[Window]\r\nTop1=272\r\nLeft1=559\r\nWidth1=297\r\n\r\n"));
}

// Only the main window is made before its first paint; the six others follow right
// after it, and before the user's first click or key is handled. What they show and
// what the program stores is the same as when all seven are made at once.
TEST(Startup, HiddenWindowsFollowTheFirstPaintAndComeBeforeAnyInput) {
    const QStringList hidden = {QStringLiteral("Form2"), QStringLiteral("AboutBox"),
                                QStringLiteral("Form4"), QStringLiteral("Form5"),
                                QStringLiteral("Form6"), QStringLiteral("Form7")};
    auto made = [] {
        QMap<QString, QWidget*> windows;
        for (QWidget* w : QApplication::topLevelWidgets())
            windows.insert(w->objectName(), w);
        return windows;
    };
    const QByteArray stored =
        "[Window]\r\nTop2=11\r\nLeft2=22\r\nTop4=40\r\nLeft4=50\r\n"
        "[Setting]\r\nSMTP=mail.example.jp\r\nFrom=taro@example.jp\r\nBeep=0\r\n"
        "Signature(Automatic)=1\r\nBiteLimit=1\r\n";
    struct Seen {
        QString title;
        QRect geometry;
        QImage picture;
    };
    auto look = [](QWidget* w) {
        return Seen{w->windowTitle(), w->geometry(), w->grab().toImage()};
    };

    // All seven at once, as forms() makes them.
    QMap<QString, Seen> atOnce;
    QByteArray storedAtOnce;
    {
        TempProgramDir dir;
        dir.write(QStringLiteral("mirvane.ini"), stored);
        Application program;
        program.forms();
        program.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(program.mainWindow()));
        for (const QString& name : hidden)
            atOnce.insert(name, look(made().value(name)));
        program.mainWindow()->close();
        storedAtOnce = dir.read(QStringLiteral("mirvane.ini"));
    }
    // After the first paint, with no input at all.
    {
        TempProgramDir dir;
        dir.write(QStringLiteral("mirvane.ini"), stored);
        Application program;
        program.show();
        EXPECT_FALSE(made().contains(QStringLiteral("Form2")));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(program.mainWindow()));
        ASSERT_TRUE(QTest::qWaitFor([&] { return made().contains(QStringLiteral("Form7")); }));
        for (const QString& name : hidden) {
            QWidget* w = made().value(name);
            ASSERT_NE(w, nullptr) << name.toStdString();
            EXPECT_FALSE(w->isVisible()) << name.toStdString();
            const Seen seen = look(w);
            EXPECT_EQ(seen.title, atOnce[name].title);
            EXPECT_EQ(seen.geometry, atOnce[name].geometry) << name.toStdString();
            EXPECT_EQ(seen.picture, atOnce[name].picture) << name.toStdString();
        }
        EXPECT_EQ(dir.read(QStringLiteral("mirvane.ini")), stored);
        program.mainWindow()->close();
        EXPECT_EQ(dir.read(QStringLiteral("mirvane.ini")), storedAtOnce);
    }
    // A click on 宛先 before the window was ever painted opens the address book.
    {
        TempProgramDir dir;
        Application program;
        program.show();
        EXPECT_FALSE(made().contains(QStringLiteral("Form4")));
        QTest::mouseClick(program.mainWindow()->Button1, Qt::LeftButton);
        EXPECT_TRUE(program.forms().form4->isVisible());
        program.forms().form4->close();
    }
}

// The start's shortcuts leave nothing different: the menus keep the desktop's font, and the
// menu bar's overflow button still has the style's picture when it is drawn.
TEST(Startup, MenusKeepTheDesktopsFontAndTheOverflowButtonItsPicture) {
    TempProgramDir dir;
    const QFont desktopFont = QApplication::font();
    const QString styleName = QApplication::style()->name();
    Application program;
    program.show();
    TForm1* form1 = program.mainWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form1));
    EXPECT_EQ(QApplication::font(), desktopFont);
    for (QAction* title : form1->menuBar()->actions())
        EXPECT_EQ(title->menu()->font().families(), desktopFont.families());
    EXPECT_EQ(form1->Edit2->font().families(), toolkit::fonts::fieldFont().families());

    auto* overflow = form1->menuBar()->findChild<QToolButton*>();
    ASSERT_NE(overflow, nullptr);
    std::unique_ptr<QStyle> plain(QStyleFactory::create(styleName));
    const QIcon expected = plain->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton);
    for (int side : {8, 16, 32}) {
        const QImage shown = overflow->icon().pixmap(side).toImage();
        ASSERT_FALSE(shown.isNull()) << side;
        EXPECT_EQ(shown, expected.pixmap(side).toImage()) << side;
    }
    form1->close();
}

TEST(Startup, StoredMainPlacementIsAppliedWithTheSizeCheck) {
    struct Case {
        QByteArray width;
        int expected;
    };
    for (const Case& c : {Case{"250", 297}, Case{"279", 297}, Case{"280", 280}, Case{"800", 800},
                          Case{"wide", 297}, Case{"$190", 400}}) {
        TempProgramDir dir;
        dir.write(QStringLiteral("mirvane.ini"),
                  "[window]\r\ntop1=10\r\nLEFT1=20\r\nWidth1=" + c.width + "\r\n");
        TForm1* form1 = nullptr;
        Application program;
        form1 = program.forms().form1;
        EXPECT_EQ(outerWidth(form1), c.expected) << c.width.toStdString();
        EXPECT_EQ(window_placement::outerHeight(form1), 297);
        EXPECT_EQ(form1->pos(), QPoint(20, 10));
        EXPECT_EQ(form1->Edit2->width(), c.expected - 110);
    }
}

TEST(Startup, BodyLimitFollowsBiteLimit) {
    struct Case {
        const char* stored;
        int limit;
    };
    for (const Case& c : {Case{nullptr, 500}, Case{"0", 500}, Case{"1", 0}, Case{"7", 0},
                          Case{"-3", 0}, Case{"x", 500}}) {
        TempProgramDir dir;
        if (c.stored) {
            dir.write(QStringLiteral("mirvane.ini"),
                      QByteArray("[Setting]\r\nBiteLimit=") + c.stored + "\r\n");
        }
        Application program;
        EXPECT_EQ(program.forms().form1->bodyLimit(), c.limit) << (c.stored ? c.stored : "none");
    }
}

TEST(MainLayout, ValuesFollowTheWidth) {
    const main_layout::Values at297 = main_layout::forWidth(297, 1);
    EXPECT_EQ(at297.panel1Width, 255);
    EXPECT_EQ(at297.panel3Left, 255);
    EXPECT_EQ(at297.fieldWidth, 187);
    EXPECT_EQ(at297.panel2Width, 153);
    EXPECT_EQ(at297.memoWidth, 142);
    EXPECT_EQ(at297.counterLeft, 112);
    EXPECT_EQ(at297.unitLabelLeft, 118);
    EXPECT_EQ(at297.paletteLeft, 153);
    EXPECT_EQ(at297.attachmentPanelWidth, 109);
    EXPECT_EQ(main_layout::forWidth(400, 2).counterLeft, 210);
    EXPECT_EQ(main_layout::forWidth(400, 3).counterLeft, 205);
    EXPECT_FALSE(main_layout::forWidth(400, 4).counterLeft.has_value());
    EXPECT_FALSE(main_layout::forWidth(400, 0).counterLeft.has_value());

    EXPECT_TRUE(main_layout::canResize(280, 297));
    EXPECT_FALSE(main_layout::canResize(279, 297));
    EXPECT_FALSE(main_layout::canResize(400, 296));
    EXPECT_FALSE(main_layout::canResize(279, 300));
}

TEST(MainWindow, ControlsStretchAndMoveWithTheWidth) {
    TempProgramDir dir;
    Application program;
    program.show();
    TForm1* form1 = program.forms().form1;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form1));
    saveScreenshot(form1, QStringLiteral("main_window_297"));

    window_placement::resizeOuter(form1, 400, 297);
    EXPECT_EQ(outerWidth(form1), 400);
    EXPECT_EQ(form1->Edit2->width(), 290);
    EXPECT_EQ(form1->Edit3->width(), 290);
    EXPECT_EQ(form1->Memo1->width(), 245);
    EXPECT_EQ(form1->Panel1->width(), 358);
    EXPECT_EQ(form1->Panel3->x(), 358);
    EXPECT_EQ(form1->Panel2->width(), 256);
    EXPECT_EQ(form1->PageControl1->x(), 256);
    EXPECT_EQ(form1->Label2->x(), 221);
    // The counter ends next to the unit label; it starts at 215 or, where the digit of
    // our font is wider, further left.
    EXPECT_LE(form1->Label3->x(), 215);
    EXPECT_EQ(form1->Label3->geometry().right(), 220);
    EXPECT_EQ(form1->StatusBar1->panelWidth(1), 212 - 2);
    saveScreenshot(form1, QStringLiteral("main_window_400"));

    // The height is fixed, and a width under 280 is never taken.
    form1->resize(form1->width(), 350);
    EXPECT_EQ(window_placement::outerHeight(form1), 297);
    form1->resize(200, form1->height());
    EXPECT_GE(outerWidth(form1), 280);
}

TEST(MainWindow, CounterIsPlacedByDigitCountAtLayout) {
    TempProgramDir dir;
    Application program;
    TForm1* form1 = program.forms().form1;
    program.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form1));
    form1->setBodyLimit(0);
    struct Case {
        int bytes;
        int left;  // -1: where it was
    };
    for (const Case& c :
         {Case{0, 400 - 185}, Case{57, 400 - 190}, Case{500, 400 - 195}, Case{1234, -1}}) {
        form1->Memo1->setText(QString(c.bytes, QLatin1Char('a')));
        const int before = form1->Label3->x();
        window_placement::resizeOuter(form1, 400, 297);
        window_placement::resizeOuter(form1, 401, 297);
        window_placement::resizeOuter(form1, 400, 297);
        EXPECT_EQ(form1->Label3->text(), QString::number(c.bytes));
        // The rule's left, or further left where our font's digits need the room; its
        // right edge always next to the unit label.
        const int left = c.left < 0 ? before : c.left;
        const int needed = form1->Label2->x() - form1->Label3->sizeHint().width();
        EXPECT_EQ(form1->Label3->x(), std::min(left, needed)) << c.bytes;
        EXPECT_EQ(form1->Label3->geometry().right() + 1, form1->Label2->x()) << c.bytes;
    }
}

TEST(MainWindow, UnwritableSettingsFileIsReportedAndTheWindowStillCloses) {
    TempProgramDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("mirvane.ini")));
    toolkit::MessageBoxScript boxes;
    for (int i = 0; i < 3; ++i) {
        boxes.answer(toolkit::Answer::Ok);
    }
    Application program;
    TForm1* form1 = program.forms().form1;
    // Reading a directory as the settings file fails at creation of the main window
    // and of the settings dialog; both are reported and the program goes on.
    EXPECT_EQ(boxes.shown().size(), 2);
    program.show();
    EXPECT_TRUE(form1->close());
    ASSERT_EQ(boxes.shown().size(), 3);
    for (const toolkit::ShownBox& box : boxes.shown()) {
        EXPECT_EQ(box.caption, QStringLiteral("Mirvane"));
        EXPECT_EQ(box.icon, toolkit::Icon::Error);
        EXPECT_EQ(box.buttons, QList<toolkit::Button>{toolkit::Button::Ok});
    }
    EXPECT_EQ(boxes.shown().at(0).text,
              QStringLiteral("ファイル %1 は開けません.").arg(dir.settingsPath()));
}

TEST(SecondaryWindows, PlacementIsReadAtShowAndWrittenAtClose) {
    TempProgramDir dir;
    dir.write(QStringLiteral("mirvane.ini"),
              "[Window]\r\nTop4=40\r\nLeft4=50\r\nTop5=bad\r\nLeft5=60\r\n");
    Application program;
    TForm4* form4 = program.forms().form4;
    TForm5* form5 = program.forms().form5;
    EXPECT_EQ(form4->pos(), QPoint(190, 207));
    form4->showWindow();
    EXPECT_EQ(form4->pos(), QPoint(50, 40));
    form5->showWindow();
    EXPECT_EQ(form5->pos(), QPoint(60, 152));
    form4->move(70, 80);
    form4->close();
    EXPECT_FALSE(form4->isVisible());
    const IniDocument doc = dir.settings();
    EXPECT_EQ(doc.readInteger("Window", "Top4", 0), 80);
    EXPECT_EQ(doc.readInteger("Window", "Left4", 0), 70);
    // A stored place is read anew at every showing.
    dir.write(QStringLiteral("mirvane.ini"), "[Window]\r\nTop4=5\r\nLeft4=6\r\n");
    form4->showWindow();
    EXPECT_EQ(form4->pos(), QPoint(6, 5));
}

TEST(SecondaryWindows, SettingsDialogIsPlacedOnceAtCreation) {
    TempProgramDir dir;
    dir.write(QStringLiteral("mirvane.ini"), "[Window]\r\nTop2=11\r\nLeft2=22\r\n");
    Application program;
    TForm2* form2 = program.forms().form2;
    EXPECT_EQ(form2->pos(), QPoint(22, 11));
    dir.write(QStringLiteral("mirvane.ini"), "[Window]\r\nTop2=33\r\nLeft2=44\r\n");
    form2->showWindow();
    EXPECT_EQ(form2->pos(), QPoint(22, 11));
    form2->close();
    const IniDocument doc = dir.settings();
    EXPECT_EQ(doc.readInteger("Window", "Top2", 0), 11);
    EXPECT_EQ(doc.readInteger("Window", "Left2", 0), 22);
}

TEST(SecondaryWindows, VersionDialogIsCentredOnlyAtItsFirstShowing) {
    TempProgramDir dir;
    dir.write(QStringLiteral("mirvane.ini"), "[Window]\r\nTop3=1\r\nLeft3=2\r\n");
    Application program;
    TAboutBox* about = program.forms().aboutBox;
    about->showWindow();
    const QPoint centre = QGuiApplication::primaryScreen()->geometry().center();
    EXPECT_LE(std::abs(about->frameGeometry().center().x() - centre.x()), 1);
    EXPECT_LE(std::abs(about->frameGeometry().center().y() - centre.y()), 1);
    about->move(30, 40);
    about->close();
    about->showWindow();
    EXPECT_EQ(about->pos(), QPoint(30, 40));
}

TEST(SecondaryWindows, HistoryWindowStoresItsSizeAndChecksWidthAndHeightEachOnItsOwn) {
    TempProgramDir dir;
    dir.write(QStringLiteral("mirvane.ini"),
              "[Window]\r\nTop7=10\r\nLeft7=20\r\nWidth7=500\r\nHeight7=400\r\n");
    Application program;
    TForm7* form7 = program.forms().form7;
    const auto outer = [form7] {
        return QSize(outerWidth(form7), window_placement::outerHeight(form7));
    };
    EXPECT_EQ(outer(), QSize(338, 308));
    form7->showWindow();
    EXPECT_EQ(form7->pos(), QPoint(20, 10));
    EXPECT_EQ(outer(), QSize(500, 400));
    form7->close();

    // Width and height are applied one after the other, each under the size check:
    // a refused width does not take the height with it, nor the other way round.
    const QList<QPair<QByteArray, QSize>> cases = {
        {"Width7=315\r\nHeight7=100", QSize(500, 100)},
        {"Width7=250\r\nHeight7=400", QSize(500, 400)},
        {"Width7=800\r\nHeight7=50", QSize(800, 400)},
        {"Width7=200\r\nHeight7=61", QSize(800, 400)},
        {"Width7=316\r\nHeight7=62", QSize(316, 62)},
    };
    for (const auto& [stored, expected] : cases) {
        dir.write(QStringLiteral("mirvane.ini"),
                  "[Window]\r\nTop7=10\r\nLeft7=20\r\n" + stored + "\r\n");
        form7->showWindow();
        EXPECT_EQ(outer(), expected) << stored.constData();
        form7->close();
    }
    EXPECT_EQ(dir.read(QStringLiteral("mirvane.ini")),
              QByteArray("[Window]\r\nTop7=10\r\nLeft7=20\r\nWidth7=316\r\nHeight7=62\r\n\r\n"));
}

TEST(SecondaryWindows, HistoryWindowFromItsDesignSizeTakesAStoredWidthOrHeightAlone) {
    const QList<QPair<QByteArray, QSize>> cases = {
        {"Width7=250\r\nHeight7=400", QSize(338, 400)},
        {"Width7=800\r\nHeight7=50", QSize(800, 308)},
    };
    for (const auto& [stored, expected] : cases) {
        TempProgramDir dir;
        dir.write(QStringLiteral("mirvane.ini"), "[Window]\r\n" + stored + "\r\n");
        Application program;
        TForm7* form7 = program.forms().form7;
        form7->showWindow();
        EXPECT_EQ(QSize(outerWidth(form7), window_placement::outerHeight(form7)), expected)
            << stored.constData();
    }
}

TEST(SecondaryWindows, WindowsOpenAtTheEndWriteNothing) {
    TempProgramDir dir;
    {
        Application program;
        program.show();
        program.forms().form4->showWindow();
        program.forms().form4->move(3, 4);
        program.forms().form1->close();
    }
    const IniDocument doc = dir.settings();
    EXPECT_TRUE(doc.valueExists("Window", "Top1"));
    EXPECT_FALSE(doc.valueExists("Window", "Top4"));
}
