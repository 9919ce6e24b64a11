#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QKeySequence>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

#include "composer/composer_window.h"
#include "composer/subject_phrases.h"
#include "program/application.h"
#include "settings/live_settings.h"
#include "settings/settings_dialog.h"
#include "settings_test_support.h"
#include "support/test_support.h"
#include "toolkit/beep.h"
#include "toolkit/byte_limited_edit.h"

using subject_phrases::PhraseMenu;

namespace {

// The main window shown and active, the mouse pointer at a known place.
class SubjectPhrases : public ::testing::Test {
  protected:
    void SetUp() override {
        form1 = program.forms().form1;
        program.show();
        ASSERT_TRUE(showActive(form1));
        QCursor::setPos(kPointer);
    }
    void TearDown() override {
        if (PhraseMenu* menu = subject_phrases::phraseMenu(*form1, *form1->Edit3);
            menu->isVisible()) {
            menu->close();
        }
    }

    PhraseMenu* pressSubjectButton() {
        QTest::mouseClick(form1->Button2, Qt::LeftButton);
        return subject_phrases::phraseMenu(*form1, *form1->Edit3);
    }

    // Alt+S presses the button without taking the focus from where it is.
    PhraseMenu* pressAccessKey() {
        QWidget* focused = QApplication::focusWidget();
        QTest::keyClick(focused ? focused : form1, Qt::Key_S, Qt::AltModifier);
        PhraseMenu* menu = subject_phrases::phraseMenu(*form1, *form1->Edit3);
        // The button clicks after its short press animation.
        EXPECT_TRUE(QTest::qWaitFor([menu] { return menu->isVisible(); }));
        return menu;
    }

    static QStringList captions(PhraseMenu* menu) {
        QStringList out;
        for (int row = 0; row < menu->count(); ++row)
            out.append(menu->model()->index(row, 0).data().toString());
        return out;
    }

    // Clicks the row of `row`, scrolled into view first.
    static void clickRow(PhraseMenu* menu, int row) {
        const QModelIndex index = menu->model()->index(row, 0);
        menu->scrollTo(index);
        const QPoint at = menu->visualRect(index).center();
        QTest::mouseMove(menu->viewport(), at);
        QTest::mouseClick(menu->viewport(), Qt::LeftButton, {}, at);
    }

    // Chooses the menu row of `phrase` with a click on it.
    void choose(const QString& phrase) {
        PhraseMenu* menu = pressSubjectButton();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
        for (int row = 0; row < menu->count(); ++row) {
            if (menu->phrase(row) == phrase) {
                clickRow(menu, row);
                EXPECT_FALSE(menu->isVisible());
                return;
            }
        }
        ADD_FAILURE() << "no menu row " << phrase.toStdString();
    }

    void setSubject(const QString& text, int caret) {
        form1->Edit3->setText(text);
        form1->Edit3->setCursorPosition(caret);
    }

    static constexpr QPoint kPointer{300, 200};
    TempProgramDir dir;
    Application program;
    TForm1* form1 = nullptr;
    toolkit::BeepRecorder beeps;
};

}  // namespace

TEST_F(SubjectPhrases, TheMenuOffersTheLivePhrasesAtThePointer) {
    PhraseMenu* menu = pressSubjectButton();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    EXPECT_EQ(menu->pos(), kPointer);
    EXPECT_EQ(captions(menu),
              (QStringList{QStringLiteral("Message from SkyMail"),
                           QStringLiteral("message from TU-KA SkyMessage"), QStringLiteral("Re:"),
                           QStringLiteral("Re:Message from SkyMail"),
                           QStringLiteral("Re:message from TU-KA SkyMessa"), QStringLiteral("Re>"),
                           QStringLiteral("Re>Message from SkyMail"),
                           QStringLiteral("Re>message from TU-KA SkyMessa")}));
    saveScreenshot(menu, QStringLiteral("subject_phrase_menu"));
    menu->close();
}

TEST_F(SubjectPhrases, TheAccessKeyOpensTheMenuAtThePointerToo) {
    form1->Memo1->setFocus();
    PhraseMenu* menu = pressAccessKey();
    EXPECT_EQ(menu->pos(), kPointer);
    EXPECT_EQ(menu->count(), 8);
    EXPECT_FALSE(menu->verticalScrollBar()->isVisible());
    menu->close();
}

TEST_F(SubjectPhrases, APhraseAddedInTheOpenDialogIsOfferedAsTyped) {
    TForm2* form2 = program.forms().form2;
    ASSERT_TRUE(showActive(form2));
    form2->LabeledEdit3->setText(QStringLiteral("Re:&x"));
    form2->SpeedButton1->click();
    ASSERT_TRUE(form2->isVisible());

    PhraseMenu* menu = pressSubjectButton();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    ASSERT_EQ(menu->count(), 9);
    // No access key is made of the "&": the caption shows the phrase as typed.
    EXPECT_EQ(captions(menu).last(), QStringLiteral("Re:&x"));
    clickRow(menu, 8);
    EXPECT_EQ(form1->Edit3->text(), QStringLiteral("Re:&x"));

    // A phrase deleted in the dialog is gone from the next menu.
    form2->ListBox1->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
    form2->SpeedButton2->click();
    menu = pressSubjectButton();
    EXPECT_EQ(menu->count(), 8);
    EXPECT_EQ(menu->phrase(0), QStringLiteral("message from TU-KA SkyMessage"));
    menu->close();
    form2->close();
}

TEST_F(SubjectPhrases, AnEmptyListGivesAnEmptyMenu) {
    TForm2* form2 = program.forms().form2;
    form2->ListBox1->clear();
    PhraseMenu* menu = pressSubjectButton();
    EXPECT_EQ(menu->count(), 0);
    // Enter on the empty menu chooses nothing.
    QTest::keyClick(menu, Qt::Key_Return);
    EXPECT_TRUE(form1->Edit3->text().isEmpty());
    menu->close();
}

TEST_F(SubjectPhrases, APhraseGoesInOnlyWhenItFitsTheThirtyBytes) {
    choose(QStringLiteral("Re:"));
    EXPECT_EQ(form1->Edit3->text(), QStringLiteral("Re:"));
    EXPECT_EQ(beeps.systemBeeps(), 0);
    choose(QStringLiteral("Re:message from TU-KA SkyMessa"));
    EXPECT_EQ(form1->Edit3->text(), QStringLiteral("Re:"));
    EXPECT_EQ(beeps.systemBeeps(), 1);

    // 27 bytes: three more fit, 23 do not.
    const QString subject27 = QStringLiteral("あいうえおかきくけこさしす") + QStringLiteral("a");
    setSubject(subject27, int(subject27.size()));
    choose(QStringLiteral("Re:Message from SkyMail"));
    EXPECT_EQ(form1->Edit3->text(), subject27);
    EXPECT_EQ(beeps.systemBeeps(), 2);
    choose(QStringLiteral("Re:"));
    EXPECT_EQ(form1->Edit3->text(), subject27 + QStringLiteral("Re:"));

    // The selection that the phrase would replace is not subtracted.
    setSubject(subject27, 0);
    form1->Edit3->setSelection(0, 10);
    choose(QStringLiteral("Re>"));
    EXPECT_EQ(form1->Edit3->text(), QStringLiteral("Re>") + subject27.mid(10));
    setSubject(subject27, 0);
    form1->Edit3->setSelection(0, 10);
    choose(QStringLiteral("Re:Message from SkyMail"));
    EXPECT_EQ(form1->Edit3->text(), subject27);
    EXPECT_EQ(beeps.systemBeeps(), 3);
}

TEST_F(SubjectPhrases, APhraseGoesInAtTheCaret) {
    setSubject(QStringLiteral("abc"), 0);
    choose(QStringLiteral("Re:"));
    EXPECT_EQ(form1->Edit3->text(), QStringLiteral("Re:abc"));
    setSubject(QStringLiteral("abc"), 1);
    choose(QStringLiteral("Re>"));
    EXPECT_EQ(form1->Edit3->text(), QStringLiteral("aRe>bc"));
}

TEST_F(SubjectPhrases, TheSubjectTakesThePhraseWhileTheBodyKeepsTheFocus) {
    form1->Memo1->setFocus();
    ASSERT_TRUE(form1->Memo1->hasFocus());
    PhraseMenu* menu = pressAccessKey();
    // "Re:" is the third row: Down three times, then Enter.
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(menu, Qt::Key_Down);
    QTest::keyClick(menu, Qt::Key_Return);
    EXPECT_FALSE(menu->isVisible());
    EXPECT_EQ(form1->Edit3->text(), QStringLiteral("Re:"));
    EXPECT_TRUE(form1->Memo1->text().isEmpty());
    QTest::qWait(0);
    // The window's focus stays in the body (the pop-up held the keyboard meanwhile).
    EXPECT_EQ(form1->focusWidget(), form1->Memo1);
}

TEST_F(SubjectPhrases, AnEmptyPhraseLeavesTheSubjectAlone) {
    TForm2* form2 = program.forms().form2;
    form2->ListBox1->addItem(QString());
    setSubject(QStringLiteral("keep this"), 0);
    form1->Edit3->selectAll();
    choose(QString());
    EXPECT_EQ(form1->Edit3->text(), QStringLiteral("keep this"));
}

TEST_F(SubjectPhrases, AThousandPhrasesScrollInOneColumnAndEachIsReachable) {
    TForm2* form2 = program.forms().form2;
    form2->ListBox1->clear();
    QStringList many;
    for (int i = 0; i < 1000; ++i)
        many.append(QStringLiteral("件名%1").arg(i));
    form2->ListBox1->addItems(many);

    PhraseMenu* menu = pressSubjectButton();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    EXPECT_EQ(menu->count(), 1000);
    // One column inside the screen, with a scroll bar for the rest.
    const QRect screen = menu->screen()->availableGeometry();
    EXPECT_LE(menu->height(), screen.height());
    EXPECT_LE(menu->geometry().right(), screen.right());
    EXPECT_TRUE(menu->verticalScrollBar()->isVisible());
    EXPECT_LT(menu->width(), 300);
    saveScreenshot(menu, QStringLiteral("subject_phrase_menu_1000"));

    // By keyboard: End goes to the last phrase, Enter chooses it.
    QTest::keyClick(menu, Qt::Key_End);
    EXPECT_EQ(menu->currentIndex().row(), 999);
    QTest::keyClick(menu, Qt::Key_Return);
    EXPECT_FALSE(menu->isVisible());
    EXPECT_EQ(form1->Edit3->text(), QStringLiteral("件名999"));

    // By mouse: the wheel down to the end, then a click on the last row.
    form1->Edit3->clear();
    menu = pressSubjectButton();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    QScrollBar* bar = menu->verticalScrollBar();
    const QPoint inside = menu->viewport()->rect().center();
    for (int i = 0; i < 1000 && bar->value() < bar->maximum(); ++i) {
        QWheelEvent wheel(inside, menu->viewport()->mapToGlobal(inside), QPoint(), QPoint(0, -120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(menu->viewport(), &wheel);
    }
    ASSERT_EQ(bar->value(), bar->maximum());
    const QRect last = menu->visualRect(menu->model()->index(999, 0));
    ASSERT_TRUE(menu->viewport()->rect().contains(last.center()));
    QTest::mouseMove(menu->viewport(), last.center());
    QTest::mouseClick(menu->viewport(), Qt::LeftButton, {}, last.center());
    EXPECT_EQ(form1->Edit3->text(), QStringLiteral("件名999"));
}
