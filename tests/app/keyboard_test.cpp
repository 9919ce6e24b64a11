// A user without a mouse: pictographs from the keyboard, the version dialog's link, and
// Escape in every window that has a cancel or close button.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "addressbook/address_book_window.h"
#include "addressbook/address_entry_dialogs.h"
#include "composer/composer_window.h"
#include "extras/about_box.h"
#include "history/history_window.h"
#include "settings/settings_dialog.h"
#include "support/running_program.h"
#include "toolkit/beep.h"
#include "toolkit/byte_limited_edit.h"
#include "toolkit/url_opener.h"

namespace {

class KeyboardOnly : public RunningProgram {
  protected:
    // Ctrl+P in `field`, then in the menu: the tab's digit and `downs` times Down,
    // then Enter.
    void choosePictograph(QWidget* field, int tab, int downs) {
        bool chosen = false;
        QTimer::singleShot(0, [&] {
            QWidget* menu = QApplication::activePopupWidget();
            ASSERT_NE(menu, nullptr);
            QTest::keyClick(menu, Qt::Key(Qt::Key_0 + tab));
            QTimer::singleShot(0, [&] {
                QWidget* page = QApplication::activePopupWidget();
                ASSERT_NE(page, nullptr);
                for (int i = 0; i < downs; ++i)
                    QTest::keyClick(page, Qt::Key_Down);
                QTest::keyClick(page, Qt::Key_Return);
                chosen = true;
            });
        });
        QTest::keyClick(field, Qt::Key_P, Qt::ControlModifier);
        EXPECT_TRUE(chosen);
    }
};

}  // namespace

TEST_F(KeyboardOnly, PictographsGoInAtTheCaretAndTheCaretStaysInTheField) {
    toolkit::BeepRecorder beeps;
    form1->Memo1->setFocus();
    QTest::keyClicks(form1->Memo1, QStringLiteral("ab"));
    QTest::keyClick(form1->Memo1, Qt::Key_Left);
    // The second tab's first pictograph, then the first tab's third.
    choosePictograph(form1->Memo1, 2, 0);
    choosePictograph(form1->Memo1, 1, 2);
    EXPECT_EQ(form1->Memo1->text(), QStringLiteral("a\uE698\uE640b"));
    EXPECT_TRUE(form1->Memo1->hasFocus());
    EXPECT_EQ(form1->Memo1->textCursor().position(), 3);
    EXPECT_EQ(form1->Label3->text(), QStringLiteral("6"));

    // The Subject by the palette's own rule: at 29 bytes the beep and nothing.
    form1->Edit3->setFocus();
    QTest::keyClicks(form1->Edit3, QString(27, QLatin1Char('s')));
    choosePictograph(form1->Edit3, 3, 0);
    EXPECT_EQ(form1->Edit3->byteLength(), 29);
    EXPECT_TRUE(form1->Edit3->hasFocus());
    choosePictograph(form1->Edit3, 3, 0);
    EXPECT_EQ(form1->Edit3->byteLength(), 29);
    EXPECT_EQ(beeps.systemBeeps(), 1);
}

TEST_F(KeyboardOnly, TheHomePageLinkIsReachedWithTabAndOpenedWithEnterOrSpace) {
    toolkit::UrlOpenRecorder urls;
    form1->About1->trigger();
    TAboutBox* about = program->forms().aboutBox;
    ASSERT_TRUE(QTest::qWaitForWindowActive(about));
    ASSERT_TRUE(about->OKButton->hasFocus());
    QTest::keyClick(about->OKButton, Qt::Key_Tab);
    ASSERT_TRUE(about->Link->hasFocus());
    QTest::keyClick(about->Link, Qt::Key_Return);
    QTest::keyClick(about->Link, Qt::Key_Space);
    ASSERT_EQ(urls.opened().size(), 2);
    EXPECT_EQ(urls.opened().front(), QUrl(TAboutBox::homePage()));
    EXPECT_TRUE(about->isVisible());
    // Escape closes the dialog as its close button does.
    QTest::keyClick(about->Link, Qt::Key_Escape);
    EXPECT_FALSE(about->isVisible());
}

TEST_F(KeyboardOnly, EscapeClosesAsTheCancelOrCloseButtonWouldButNotTheSettings) {
    const Forms& forms = program->forms();
    // The new-address dialog, as its "やめる": it keeps its fields and opens the book.
    form1->N15->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(forms.form5));
    forms.form5->LabeledEdit1->setFocus();
    QTest::keyClicks(forms.form5->LabeledEdit1, QStringLiteral("kept"));
    QTest::keyClick(forms.form5->LabeledEdit1, Qt::Key_Escape);
    EXPECT_FALSE(forms.form5->isVisible());
    EXPECT_EQ(forms.form5->LabeledEdit1->text(), QStringLiteral("kept"));
    ASSERT_TRUE(forms.form4->isVisible());

    // The address book, as its "閉じる(&C)": it saves the book.
    forms.form4->LabeledEdit1->setFocus();
    QTest::keyClick(forms.form4->LabeledEdit1, Qt::Key_Escape);
    EXPECT_FALSE(forms.form4->isVisible());
    EXPECT_TRUE(QFile::exists(dir.file(QStringLiteral("address.ini"))));

    // The history window through its close check.
    form1->L1->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(forms.form7));
    QTest::keyClick(forms.form7, Qt::Key_Escape);
    EXPECT_FALSE(forms.form7->isVisible());

    // The settings dialog has no cancel button: Escape does nothing.
    form1->N3->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(forms.form2));
    QTest::keyClick(forms.form2, Qt::Key_Escape);
    EXPECT_TRUE(forms.form2->isVisible());
}
