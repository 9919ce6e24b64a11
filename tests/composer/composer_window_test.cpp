#include <gtest/gtest.h>

#include <QApplication>
#include <QInputMethodEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include "addressbook/address_book_window.h"
#include "addressbook/address_entry_dialogs.h"
#include "composer/composer_window.h"
#include "composer/pictograph_palette.h"
#include "history/history_window.h"
#include "program/application.h"
#include "settings/settings_dialog.h"
#include "support/running_program.h"
#include "support/test_support.h"
#include "toolkit/beep.h"
#include "toolkit/byte_limited_edit.h"
#include "toolkit/clipboard.h"
#include "toolkit/cp932.h"
#include "toolkit/status_bar.h"

namespace {

// One running program with its main window shown and focused.
class Composer : public RunningProgram {
  protected:
    static void commit(QWidget* w, const QString& text) {
        QInputMethodEvent e;
        e.setCommitString(text);
        QApplication::sendEvent(w, &e);
    }
    void ctrl(QWidget* w, Qt::Key key) { QTest::keyClick(w, key, Qt::ControlModifier); }
    void look(QMenu* menu) { choose(menu, Qt::Key_Escape); }
};

}  // namespace

TEST_F(Composer, StartsEmptyWithItsMenusEnabledAsDesigned) {
    EXPECT_EQ(form1->Label3->text(), QStringLiteral("0"));
    EXPECT_EQ(form1->StatusBar1->panelText(0), QStringLiteral("宛先："));
    EXPECT_EQ(form1->StatusBar1->panelText(1), QStringLiteral("添付：なし"));
    EXPECT_EQ(form1->StatusBar1->panelText(2), QStringLiteral("メール作成中"));
    for (QAction* off : {form1->Undo1, form1->P1, form1->O1, form1->D1}) {
        EXPECT_FALSE(off->isEnabled()) << off->objectName().toStdString();
    }
    for (QAction* on : {form1->N4, form1->S1, form1->Cut1, form1->Copy1, form1->Paste1, form1->A1,
                        form1->N5, form1->S2}) {
        EXPECT_TRUE(on->isEnabled()) << on->objectName().toStdString();
    }
    saveScreenshot(form1, QStringLiteral("composer-empty"));
}

TEST_F(Composer, SubjectPasteTakesOnlyWhatFitsAsAWhole) {
    toolkit::BeepRecorder beeps;
    focus(form1->Edit3);
    form1->Edit3->setText(QString(25, QLatin1Char('s')));
    form1->Edit3->end(false);
    toolkit::clipboard::setText(QStringLiteral("12345"));
    ctrl(form1->Edit3, Qt::Key_V);
    EXPECT_EQ(form1->Edit3->byteLength(), 30);
    EXPECT_EQ(beeps.systemBeeps(), 0);

    // 25 + 6 is refused even with 10 bytes selected that the paste would replace.
    form1->Edit3->setText(QString(25, QLatin1Char('s')));
    form1->Edit3->setSelection(0, 10);
    toolkit::clipboard::setText(QStringLiteral("123456"));
    ctrl(form1->Edit3, Qt::Key_V);
    EXPECT_EQ(form1->Edit3->text(), QString(25, QLatin1Char('s')));
    EXPECT_EQ(beeps.systemBeeps(), 1);

    // Empty subject and empty clipboard text: nothing to paste, a beep.
    form1->Edit3->setText(QString());
    toolkit::clipboard::setText(QString());
    ctrl(form1->Edit3, Qt::Key_V);
    EXPECT_EQ(beeps.systemBeeps(), 2);
}

TEST_F(Composer, CutAndCopyFollowSelectionsInAnyField) {
    look(form1->Edit1);
    EXPECT_FALSE(form1->Cut1->isEnabled());
    EXPECT_FALSE(form1->Copy1->isEnabled());

    form1->Edit2->setText(QStringLiteral("taro@example.jp"));
    focus(form1->Edit2);
    form1->Edit2->setSelection(0, 4);
    focus(form1->Memo1);
    form1->Memo1->setText(QStringLiteral("body"));
    look(form1->Edit1);
    EXPECT_TRUE(form1->Cut1->isEnabled());
    EXPECT_TRUE(form1->Copy1->isEnabled());
    // Cut works on the focused body, which has nothing selected.
    toolkit::clipboard::setText(QStringLiteral("kept"));
    ctrl(form1->Memo1, Qt::Key_X);
    EXPECT_EQ(form1->Memo1->text(), QStringLiteral("body"));
    EXPECT_EQ(form1->Edit2->text(), QStringLiteral("taro@example.jp"));
    EXPECT_EQ(toolkit::clipboard::text(), QStringLiteral("kept"));
}

TEST_F(Composer, UndoFollowsTheModifiedFlags) {
    focus(form1->Memo1);
    ctrl(form1->Memo1, Qt::Key_Z);  // nothing modified: nothing happens
    EXPECT_EQ(form1->Memo1->text(), QString());
    look(form1->Edit1);
    EXPECT_FALSE(form1->Undo1->isEnabled());

    QTest::keyClicks(form1->Memo1, QStringLiteral("hello"));
    EXPECT_EQ(form1->Label3->text(), QStringLiteral("5"));
    ctrl(form1->Memo1, Qt::Key_Z);
    EXPECT_EQ(form1->Memo1->text(), QString());
    EXPECT_EQ(form1->Label3->text(), QStringLiteral("0"));
    look(form1->Edit1);
    EXPECT_FALSE(form1->Undo1->isEnabled());
}

TEST_F(Composer, PasteWithoutClipboardTextDoesNothing) {
    toolkit::clipboard::clear();
    focus(form1->Memo1);
    ctrl(form1->Memo1, Qt::Key_V);
    EXPECT_FALSE(form1->Paste1->isEnabled());
    EXPECT_EQ(form1->Memo1->text(), QString());
    // The key did not reach the field as a typed "v" either.
    EXPECT_FALSE(form1->Memo1->isModified());
}

TEST_F(Composer, ASpaceAloneMakesTheMailWorthSaving) {
    look(form1->N1);
    EXPECT_FALSE(form1->P1->isEnabled());
    focus(form1->Memo1);
    QTest::keyClick(form1->Memo1, Qt::Key_Space);
    look(form1->N1);
    EXPECT_TRUE(form1->P1->isEnabled());
    // A saved draft, also one from an earlier run, enables O1.
    dir.write(QStringLiteral("mirvane.ini"), "[Preservation]\r\nTo=a\r\n");
    look(form1->N1);
    EXPECT_TRUE(form1->O1->isEnabled());
}

TEST_F(Composer, CounterShowsTheBodysBytes) {
    struct Case {
        QString body;
        const char* shown;
    };
    form1->setBodyLimit(0);
    const QList<Case> cases = {{QString(), "0"},
                               {QStringLiteral("abc"), "3"},
                               {QStringLiteral("あ"), "2"},
                               {QStringLiteral("a\r\nb"), "4"},
                               {QStringLiteral("ﾊﾞｲﾄ"), "4"},
                               {QStringLiteral("end\r\n"), "5"},
                               {QString(1234, QLatin1Char('x')), "1234"}};
    for (const Case& c : cases) {
        form1->Memo1->setText(c.body);
        EXPECT_EQ(form1->Label3->text(), QLatin1String(c.shown));
    }
    // The counter stays right-aligned next to its unit label.
    form1->Memo1->setText(QStringLiteral("abc"));
    const int right = form1->Label3->geometry().right();
    form1->Memo1->setText(QStringLiteral("a"));
    EXPECT_EQ(form1->Label3->geometry().right(), right);
}

TEST_F(Composer, BodyLimitRefusesWhatDoesNotFitWhole) {
    ASSERT_EQ(form1->bodyLimit(), 500);
    focus(form1->Memo1);
    form1->Memo1->setText(QString(499, QLatin1Char('a')));
    form1->Memo1->moveCursor(QTextCursor::End);
    commit(form1->Memo1, QStringLiteral("あ"));
    EXPECT_EQ(form1->Label3->text(), QStringLiteral("499"));
    QTest::keyClicks(form1->Memo1, QStringLiteral("a"));
    EXPECT_EQ(form1->Label3->text(), QStringLiteral("500"));

    form1->Memo1->setText(QString());
    toolkit::clipboard::setText(QString(600, QLatin1Char('p')));
    ctrl(form1->Memo1, Qt::Key_V);
    EXPECT_EQ(form1->Label3->text(), QStringLiteral("500"));

    // Text the program sets is never cut.
    form1->Memo1->setText(QString(700, QLatin1Char('d')));
    EXPECT_EQ(form1->Label3->text(), QStringLiteral("700"));
}

TEST_F(Composer, WindowCommandsShowTheOtherWindowsModeless) {
    const Forms& f = program->forms();
    QTest::mouseClick(form1->Button1, Qt::LeftButton);
    choose(form1->N2, Qt::Key_N);
    choose(form1->N2, Qt::Key_L);
    choose(form1->N2, Qt::Key_S);
    for (QWidget* w : std::initializer_list<QWidget*>{f.form4, f.form5, f.form7, f.form2}) {
        EXPECT_TRUE(w->isVisible()) << w->objectName().toStdString();
        EXPECT_FALSE(w->isModal());
    }
    // Showing a visible window again only brings it to the front.
    const QPoint at = f.form4->pos();
    QTest::mouseClick(form1->Button1, Qt::LeftButton);
    EXPECT_EQ(f.form4->pos(), at);
    for (QWidget* w : std::initializer_list<QWidget*>{f.form4, f.form5, f.form7, f.form2}) {
        w->hide();
    }
}

TEST_F(Composer, PaletteInsertsIntoTheFieldBeingTypedIn) {
    toolkit::BeepRecorder beeps;
    const QList<PictographButton*>& buttons = form1->PageControl1->buttons();
    ASSERT_EQ(buttons.size(), 252);
    PictographButton* first = buttons.first();

    // Subject: 28 bytes take one more, 30 then beep; 29 with a selection beeps too.
    focus(form1->Edit3);
    form1->Edit3->setText(QString(28, QLatin1Char('s')));
    form1->Edit3->end(false);
    QTest::mouseClick(first, Qt::LeftButton);
    EXPECT_EQ(form1->Edit3->byteLength(), 30);
    EXPECT_EQ(cp932::encode(form1->Edit3->text()).right(2), QByteArray("\xF8\x9F"));
    EXPECT_TRUE(form1->Edit3->hasFocus());
    QTest::mouseClick(first, Qt::LeftButton);
    EXPECT_EQ(beeps.systemBeeps(), 1);
    form1->Edit3->setText(QString(29, QLatin1Char('s')));
    form1->Edit3->setSelection(0, 4);
    QTest::mouseClick(first, Qt::LeftButton);
    EXPECT_EQ(beeps.systemBeeps(), 2);
    EXPECT_EQ(form1->Edit3->selectedText(), QStringLiteral("ssss"));

    // Body: 499 bytes refuse it silently, 498 take it.
    focus(form1->Memo1);
    form1->Memo1->setText(QString(499, QLatin1Char('b')));
    form1->Memo1->moveCursor(QTextCursor::End);
    QTest::mouseClick(first, Qt::LeftButton);
    EXPECT_EQ(form1->Label3->text(), QStringLiteral("499"));
    form1->Memo1->setText(QString(498, QLatin1Char('b')));
    form1->Memo1->moveCursor(QTextCursor::End);
    QTest::mouseClick(first, Qt::LeftButton);
    EXPECT_EQ(form1->Label3->text(), QStringLiteral("500"));
    EXPECT_EQ(beeps.systemBeeps(), 2);

    // Three clicks in a row go in one after the other at the caret.
    form1->Memo1->setText(QStringLiteral("ab"));
    QTextCursor c = form1->Memo1->textCursor();
    c.setPosition(1);
    form1->Memo1->setTextCursor(c);
    QTest::mouseClick(buttons[0], Qt::LeftButton);
    QTest::mouseClick(buttons[90], Qt::LeftButton);   // first of tab 2
    QTest::mouseClick(buttons[251], Qt::LeftButton);  // last of tab 3
    EXPECT_EQ(cp932::encode(form1->Memo1->text()), QByteArray("a\xF8\x9F\xF8\xF9\xF9\xFC"
                                                              "b"));
    EXPECT_EQ(form1->Label3->text(), QStringLiteral("8"));

    // The To field focused: nothing at all.
    focus(form1->Edit2);
    QTest::mouseClick(first, Qt::LeftButton);
    EXPECT_TRUE(form1->Edit2->text().isEmpty());
    EXPECT_EQ(beeps.systemBeeps(), 2);
}

TEST_F(Composer, EmojiBecomeTheirPictographs) {
    focus(form1->Memo1);
    commit(form1->Memo1, QStringLiteral("晴れ") + QString::fromUcs4(U"\u2600\uFE0F") +
                             QString::fromUcs4(U"\U0001F9FF"));
    // The sun is a pictograph; an emoji without one is a "?".
    EXPECT_EQ(cp932::encode(form1->Memo1->text()),
              cp932::encode(QStringLiteral("晴れ")) + "\xF8\x9F?");
}

TEST_F(Composer, PicturesOfThePaletteTabsAndAMailWithPictographs) {
    form1->Edit2->setText(QStringLiteral("taro@docomo.ne.jp"));
    form1->Edit3->setText(QStringLiteral("今日の予定") + QChar(0xE63E));
    form1->Memo1->setText(QStringLiteral("こんにちは") + QChar(0xE63E) + QChar(0xE6F0) +
                          QStringLiteral("\r\n明日は晴れ") + QChar(0xE63F) +
                          QStringLiteral("かな？\r\nabc ﾊﾞｲﾄ") + QChar(0xE72E));
    for (int tab = 0; tab < 3; ++tab) {
        form1->PageControl1->setCurrentIndex(tab);
        saveScreenshot(form1, QStringLiteral("composer-tab%1").arg(tab + 1));
    }
    // A line with pictographs is no taller than one without.
    const QFontMetrics fm(form1->Memo1->font());
    EXPECT_LE(fm.boundingRect(QString(QChar(0xE63E))).height(), fm.height());
}
