// What reaches the mail from outside the program: drops, the clipboard, text from
// other programs, and the counter that shows the result.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QInputMethodEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QTabBar>
#include <QTest>
#include <QTimer>

#include "app/window_placement.h"
#include "codepage/pictograph_table.h"
#include "composer/composer_window.h"
#include "composer/pictograph_palette.h"
#include "program/application.h"
#include "support/drop_support.h"
#include "support/running_program.h"
#include "support/test_support.h"
#include "toolkit/beep.h"
#include "toolkit/byte_limited_edit.h"
#include "toolkit/clipboard.h"
#include "toolkit/contrast.h"
#include "toolkit/cp932.h"
#include "toolkit/message_box.h"
#include "toolkit/status_bar.h"

namespace {

class ComposerInput : public RunningProgram {
  protected:
    void SetUp() override {
        RunningProgram::SetUp();
        photo = dir.file(QStringLiteral("photo.jpg"));
        dir.write(QStringLiteral("photo.jpg"), QByteArray(1234, 'j'));
    }
    static QPoint middle(QWidget* w) { return w->rect().center(); }
    static QWidget* bodyViewport(TForm1* f) { return f->Memo1->viewport(); }

    QString photo;
};

}  // namespace

TEST_F(ComposerInput, AFileDroppedOnAnyFieldIsAttachedNotTyped) {
    const QString second = dir.file(QStringLiteral("second.txt"));
    dir.write(QStringLiteral("second.txt"), "x");
    form1->Edit3->setText(QString(28, QLatin1Char('s')));
    for (QWidget* target :
         {static_cast<QWidget*>(form1->Edit2), static_cast<QWidget*>(form1->Edit3),
          bodyViewport(form1), static_cast<QWidget*>(form1->PageControl1)}) {
        form1->D1Click();
        std::unique_ptr<QMimeData> data(fileManagerData({photo, second}));
        EXPECT_EQ(platformDrop(target, middle(target), data.get()), Qt::CopyAction)
            << target->objectName().toStdString();
        // Only the first file of the drop, and nothing of its URL in the mail.
        EXPECT_EQ(form1->attachmentPath(), photo);
        EXPECT_EQ(form1->StatusBar1->panelText(1), QStringLiteral("添付：photo.jpg (1234ﾊﾞｲﾄ)"));
        EXPECT_TRUE(form1->D1->isEnabled());
    }
    EXPECT_EQ(form1->Edit2->text(), QString());
    EXPECT_EQ(form1->Edit3->text(), QString(28, QLatin1Char('s')));
    EXPECT_EQ(form1->Memo1->text(), QString());

    // A URI list alone is a file drop too.
    form1->D1Click();
    QMimeData urlsOnly;
    urlsOnly.setUrls({QUrl::fromLocalFile(photo)});
    EXPECT_NE(platformDrop(form1->Edit3, middle(form1->Edit3), &urlsOnly), Qt::IgnoreAction);
    EXPECT_EQ(form1->attachmentPath(), photo);
    EXPECT_EQ(form1->Edit3->text(), QString(28, QLatin1Char('s')));
}

TEST_F(ComposerInput, ADropWithoutLocalFilesIsText) {
    QMimeData link;
    link.setUrls({QUrl(QStringLiteral("https://example.jp/a"))});
    link.setText(QStringLiteral("https://example.jp/a"));
    EXPECT_NE(platformDrop(bodyViewport(form1), {5, 5}, &link), Qt::IgnoreAction);
    EXPECT_EQ(form1->Memo1->text(), QStringLiteral("https://example.jp/a"));
    EXPECT_TRUE(form1->attachmentPath().isEmpty());
    EXPECT_EQ(form1->StatusBar1->panelText(1), QStringLiteral("添付：なし"));
}

TEST_F(ComposerInput, TheSubjectTakesTextWholeOrBeepsTheBodyTakesWhatFitsAsACopy) {
    toolkit::BeepRecorder beeps;
    // Forty characters dragged with Shift, which asks for a move, onto the Subject: as
    // with a paste, refused whole with the beep.
    QMimeData forty;
    forty.setText(QString(40, QLatin1Char('m')));
    EXPECT_EQ(platformDrop(form1->Edit3, middle(form1->Edit3), &forty,
                           Qt::CopyAction | Qt::MoveAction, Qt::ShiftModifier),
              Qt::IgnoreAction);
    EXPECT_EQ(form1->Edit3->byteLength(), 0);
    EXPECT_EQ(beeps.systemBeeps(), 1);

    // What fits whole may move.
    form1->Edit3->setText(QString(20, QLatin1Char('s')));
    QMimeData five;
    five.setText(QStringLiteral("12345"));
    EXPECT_EQ(platformDrop(form1->Edit3, middle(form1->Edit3), &five,
                           Qt::CopyAction | Qt::MoveAction, Qt::ShiftModifier),
              Qt::MoveAction);
    EXPECT_EQ(form1->Edit3->byteLength(), 25);

    // A conversion committed by the input method goes by the same rule.
    focus(form1->Edit3);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("かきくけ"));
    QApplication::sendEvent(form1->Edit3, &commit);
    EXPECT_EQ(form1->Edit3->byteLength(), 25);
    EXPECT_EQ(beeps.systemBeeps(), 2);
    QInputMethodEvent fits;
    fits.setCommitString(QStringLiteral("かき"));
    QApplication::sendEvent(form1->Edit3, &fits);
    EXPECT_EQ(form1->Edit3->byteLength(), 29);

    // The body at its limit takes what fits, as a copy: a move would delete from the
    // source what was not taken.
    form1->Memo1->setText(QString(480, QLatin1Char('b')));
    EXPECT_EQ(platformDrop(bodyViewport(form1), {5, 5}, &forty, Qt::CopyAction | Qt::MoveAction,
                           Qt::ShiftModifier),
              Qt::CopyAction);
    EXPECT_EQ(form1->Label3->text(), QStringLiteral("500"));
    EXPECT_EQ(beeps.systemBeeps(), 2);
}

TEST_F(ComposerInput, ADropIsOneUndoStep) {
    focus(form1->Memo1);
    form1->Memo1->setText(QStringLiteral("one two"));
    QMimeData word;
    word.setText(QStringLiteral("three "));
    ASSERT_NE(platformDrop(bodyViewport(form1), {2, 5}, &word), Qt::IgnoreAction);
    EXPECT_EQ(form1->Memo1->text(), QStringLiteral("three one two"));
    QTest::keyClick(form1->Memo1, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(form1->Memo1->text(), QStringLiteral("one two"));
}

TEST_F(ComposerInput, ClipboardWithEmptyTextStillHoldsText) {
    toolkit::BeepRecorder beeps;
    focus(form1->Edit3);
    toolkit::clipboard::setText(QString());
    form1->Edit1Click();
    EXPECT_TRUE(form1->Paste1->isEnabled());
    QTest::keyClick(form1->Edit3, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(beeps.systemBeeps(), 1);

    // A list of URLs alone is no text.
    auto* urls = new QMimeData;
    urls->setUrls({QUrl::fromLocalFile(photo)});
    QGuiApplication::clipboard()->setMimeData(urls);
    form1->Edit1Click();
    EXPECT_FALSE(form1->Paste1->isEnabled());
}

TEST_F(ComposerInput, SubjectPasteCountsWhatReallyGoesInByEveryWayOfPasting) {
    toolkit::BeepRecorder beeps;
    focus(form1->Edit3);
    // "☀" becomes a two-byte pictograph: into 29 bytes it does not fit.
    form1->Edit3->setText(QString(29, QLatin1Char('s')));
    form1->Edit3->end(false);
    toolkit::clipboard::setText(QStringLiteral("☀"));
    QTest::keyClick(form1->Edit3, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(beeps.systemBeeps(), 1);
    QTest::keyClick(form1->Edit3, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(beeps.systemBeeps(), 2);
    EXPECT_EQ(form1->Edit3->byteLength(), 29);

    // Into 28 bytes it fits and counts two.
    form1->Edit3->setText(QString(28, QLatin1Char('s')));
    form1->Edit3->end(false);
    QTest::keyClick(form1->Edit3, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(form1->Edit3->byteLength(), 30);
    EXPECT_EQ(cp932::encode(form1->Edit3->text()).right(2), QByteArray("\xF8\x9F"));

    // The context menu's paste follows the rule too: 25 + 6 beeps even over a selection.
    form1->Edit3->setText(QString(25, QLatin1Char('s')));
    form1->Edit3->setSelection(0, 10);
    toolkit::clipboard::setText(QStringLiteral("123456"));
    QTimer::singleShot(0, [] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        for (QAction* a : menu->actions()) {
            if (a->text() == QStringLiteral("貼り付け(&P)"))
                a->trigger();
        }
        menu->close();
    });
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, middle(form1->Edit3),
                                form1->Edit3->mapToGlobal(middle(form1->Edit3)));
    QApplication::sendEvent(form1->Edit3, &menuEvent);
    EXPECT_EQ(beeps.systemBeeps(), 3);
    EXPECT_EQ(form1->Edit3->text(), QString(25, QLatin1Char('s')));
}

TEST_F(ComposerInput, PastedTextFromOtherProgramsIsCleanedAtInput) {
    focus(form1->Memo1);
    // A NUL would end the mail at the server while the history keeps it all.
    toolkit::clipboard::setText(QString::fromUtf16(u"before\0after", 12));
    QTest::keyClick(form1->Memo1, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(form1->Memo1->text(), QStringLiteral("beforeafter"));
    EXPECT_EQ(form1->Label3->text(), QStringLiteral("11"));

    form1->Memo1->setText(QString());
    const char32_t flag[] = {0x1F1EF, 0x1F1F5};
    const char32_t sunAndTone[] = {0x2600, 0xFE0F, 0x1F3FD};
    toolkit::clipboard::setText(QStringLiteral("か") + QChar(0x3099) + QStringLiteral("¥") +
                                QString::fromUcs4(flag, 2) + QString::fromUcs4(sunAndTone, 3));
    QTest::keyClick(form1->Memo1, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(cp932::encode(form1->Memo1->text()),
              cp932::encode(QStringLiteral("が")) + "\\?\xF8\x9F");
    EXPECT_EQ(form1->Label3->text(), QStringLiteral("6"));
}

TEST_F(ComposerInput, CounterEndsNextToItsUnitLabelForEveryTextAndWidth) {
    form1->setBodyLimit(0);
    focus(form1->Memo1);
    for (int width : {297, 400, 280}) {
        window_placement::resizeOuter(form1, width, 297);
        for (int bytes : {0, 7, 57, 500, 1234, 3}) {
            form1->Memo1->setText(QString(bytes, QLatin1Char('a')));
            for (int pass = 0; pass < 2; ++pass) {
                const QRect counter = form1->Label3->geometry();
                EXPECT_EQ(counter.right() + 1, form1->Label2->x()) << width << " " << bytes;
                EXPECT_GE(counter.width(), form1->Label3->sizeHint().width()) << bytes;
                // Laid out again with the same text.
                window_placement::resizeOuter(form1, width + 1, 297);
                window_placement::resizeOuter(form1, width, 297);
            }
        }
    }
    form1->Memo1->setText(QStringLiteral("0"));
    QTest::keyClicks(form1->Memo1, QStringLiteral("abc"));
    EXPECT_EQ(form1->Label3->geometry().right() + 1, form1->Label2->x());
    saveScreenshot(form1, QStringLiteral("counter-400"));
}

TEST_F(ComposerInput, ControlsFillTheClientAreaThereIs) {
    // Offscreen there is no frame: the body and the palette reach the status bar.
    const QWidget* client = form1->centralWidget();
    EXPECT_EQ(form1->StatusBar1->geometry().bottom(), client->height() - 1);
    EXPECT_EQ(form1->Panel2->geometry().bottom() + 1, form1->StatusBar1->y());
    EXPECT_EQ(form1->PageControl1->geometry().bottom() + 1, form1->StatusBar1->y());
    EXPECT_EQ(form1->Memo1->geometry().bottom() + 6, form1->Panel2->height() - 1);
    saveScreenshot(form1, QStringLiteral("main_window_client_area"));
}

TEST_F(ComposerInput, PaletteTabCaptionsShowTheirPictographsInColour) {
    QTabBar* bar = form1->PageControl1->findChild<QTabBar*>();
    ASSERT_NE(bar, nullptr);
    const QImage image = bar->grab().toImage();
    const char32_t shown[] = {0xE694, 0xE6F0, 0xE754};
    for (int tab = 0; tab < 3; ++tab) {
        const QColor want =
            toolkit::contrast::readable(QColor::fromRgb(pictographs::colour(shown[tab])),
                                        bar->palette().color(QPalette::Window));
        const QRect r = bar->tabRect(tab);
        int near = 0;
        for (int y = r.top(); y <= r.bottom(); ++y) {
            for (int x = r.left(); x <= r.right(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (std::abs(c.red() - want.red()) + std::abs(c.green() - want.green()) +
                        std::abs(c.blue() - want.blue()) <
                    90)
                    ++near;
            }
        }
        EXPECT_GE(near, 8) << "tab " << tab;
    }
    bar->grab().save(QStringLiteral("%1/palette-tabs.png")
                         .arg(qEnvironmentVariable("MIRVANE_SCREENSHOTS", QStringLiteral("."))));
}

TEST_F(ComposerInput, AFolderNameTheMailCannotCarryIsNamedAsTheFault) {
    toolkit::MessageBoxScript boxes;
    boxes.answer(toolkit::Answer::Ok);
    boxes.answer(toolkit::Answer::Ok);
    const QString folder = dir.file(QStringLiteral("caf\u00E9\u20AC"));
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile(folder + QStringLiteral("/a.jpg")).open(QIODevice::WriteOnly);
    std::unique_ptr<QMimeData> data(fileManagerData({folder + QStringLiteral("/a.jpg")}));
    platformDrop(form1->Memo1->viewport(), {5, 5}, data.get());
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_TRUE(boxes.shown().at(0).text.contains(QStringLiteral("フォルダ")));
    EXPECT_FALSE(boxes.shown().at(0).text.contains(QStringLiteral("ファイル名")));
    EXPECT_TRUE(form1->attachmentPath().isEmpty());

    const QString badName = dir.file(QStringLiteral("\u20AC.jpg"));
    QFile(badName).open(QIODevice::WriteOnly);
    std::unique_ptr<QMimeData> named(fileManagerData({badName}));
    platformDrop(form1->Memo1->viewport(), {5, 5}, named.get());
    ASSERT_EQ(boxes.shown().size(), 2);
    EXPECT_TRUE(boxes.shown().at(1).text.contains(QStringLiteral("ファイル名")));
}
