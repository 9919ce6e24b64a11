#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QKeySequence>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "app/application.h"
#include "composer/composer_window.h"
#include "composer/subject_phrases.h"
#include "settings/live_settings.h"
#include "settings/settings_dialog.h"
#include "settings_test_support.h"
#include "support/test_support.h"
#include "toolkit/beep.h"
#include "toolkit/byte_limited_edit.h"

using settings_test::showActive;

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
        if (QMenu* menu = subject_phrases::phraseMenu(*form1); menu->isVisible()) {
            menu->close();
        }
    }

    QMenu* pressSubjectButton() {
        QTest::mouseClick(form1->Button2, Qt::LeftButton);
        return subject_phrases::phraseMenu(*form1);
    }

    // Alt+S presses the button without taking the focus from where it is.
    QMenu* pressAccessKey() {
        QWidget* focused = QApplication::focusWidget();
        QTest::keyClick(focused ? focused : form1, Qt::Key_S, Qt::AltModifier);
        QMenu* menu = subject_phrases::phraseMenu(*form1);
        // The button clicks after its short press animation.
        EXPECT_TRUE(QTest::qWaitFor([menu] { return menu->isVisible(); }));
        return menu;
    }

    QAction* itemOf(QMenu* menu, const QString& phrase) {
        for (QAction* item : menu->actions()) {
            if (item->data().toString() == phrase) {
                return item;
            }
        }
        ADD_FAILURE() << "no menu item " << phrase.toStdString();
        return nullptr;
    }

    // Chooses the menu item of `phrase`, as a click on it would.
    void choose(const QString& phrase) {
        QMenu* menu = pressSubjectButton();
        if (QAction* item = itemOf(menu, phrase)) {
            item->trigger();
        }
        menu->close();
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
    QMenu* menu = pressSubjectButton();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    EXPECT_EQ(menu->pos(), kPointer);
    QStringList captions;
    for (QAction* item : menu->actions()) {
        captions.append(item->text());
    }
    EXPECT_EQ(captions,
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
    QMenu* menu = pressAccessKey();
    EXPECT_EQ(menu->pos(), kPointer);
    EXPECT_EQ(menu->actions().size(), 8);
    menu->close();
}

TEST_F(SubjectPhrases, APhraseAddedInTheOpenDialogIsOfferedAsTyped) {
    TForm2* form2 = program.forms().form2;
    ASSERT_TRUE(showActive(form2));
    form2->LabeledEdit3->setText(QStringLiteral("Re:&x"));
    form2->SpeedButton1->click();
    ASSERT_TRUE(form2->isVisible());

    QMenu* menu = pressSubjectButton();
    ASSERT_EQ(menu->actions().size(), 9);
    QAction* added = menu->actions().last();
    // No access key is made of the "&": the caption shows the phrase as typed.
    EXPECT_TRUE(QKeySequence::mnemonic(added->text()).isEmpty());
    added->trigger();
    menu->close();
    EXPECT_EQ(form1->Edit3->text(), QStringLiteral("Re:&x"));

    // A phrase deleted in the dialog is gone from the next menu.
    form2->ListBox1->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
    form2->SpeedButton2->click();
    menu = pressSubjectButton();
    EXPECT_EQ(menu->actions().size(), 8);
    EXPECT_EQ(menu->actions().first()->data().toString(),
              QStringLiteral("message from TU-KA SkyMessage"));
    menu->close();
    form2->close();
}

TEST_F(SubjectPhrases, AnEmptyListGivesAnEmptyMenu) {
    TForm2* form2 = program.forms().form2;
    form2->ListBox1->clear();
    QMenu* menu = pressSubjectButton();
    EXPECT_TRUE(menu->actions().isEmpty());
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
    QMenu* menu = pressAccessKey();
    QAction* item = itemOf(menu, QStringLiteral("Re:"));
    ASSERT_NE(item, nullptr);
    item->trigger();
    menu->close();
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
