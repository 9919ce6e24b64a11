#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QTest>

#include "composer/composer_window.h"
#include "program/application.h"
#include "settings/live_settings.h"
#include "settings/settings_dialog.h"
#include "support/test_support.h"
#include "toolkit/byte_limited_edit.h"
#include "toolkit/message_box.h"

using toolkit::Answer;
using toolkit::MessageBoxScript;

namespace {

const QString kAutomaticIsOn = QStringLiteral(
    "署名設定の\r\n「署名を自動的にメールに添付して送信する。」\r\nにチェックが入っています。");
const QString kNoSignature = QStringLiteral("\r\n署名が設定されていません。");

class Signature : public ::testing::Test {
  protected:
    void SetUp() override {
        form1 = program.forms().form1;
        form2 = program.forms().form2;
    }

    // The Edit menu's "署名挿入(&S)".
    void insertSignature() {
        ASSERT_EQ(form1->S2->text(), QStringLiteral("署名挿入(&S)"));
        form1->S2->trigger();
    }

    // Runs the command expecting one error box with `text`; the body must not change.
    void expectRefused(const QString& text) {
        const QString before = form1->Memo1->text();
        MessageBoxScript boxes;
        boxes.answer(Answer::Ok);
        insertSignature();
        ASSERT_EQ(boxes.shown().size(), 1);
        EXPECT_EQ(boxes.shown()[0].caption, QStringLiteral("エラー"));
        EXPECT_EQ(boxes.shown()[0].icon, toolkit::Icon::Error);
        EXPECT_EQ(boxes.shown()[0].buttons, QList{toolkit::Button::Ok});
        EXPECT_EQ(boxes.shown()[0].text, text);
        EXPECT_EQ(form1->Memo1->text(), before);
    }

    TempProgramDir dir;
    Application program;
    TForm1* form1 = nullptr;
    TForm2* form2 = nullptr;
};

}  // namespace

TEST_F(Signature, RefusedWhileTheAutomaticSignatureIsOnEvenWhenEmpty) {
    form2->CheckBox1->setChecked(true);
    expectRefused(kAutomaticIsOn);
    form2->Memo1->setText(QStringLiteral("Taro"));
    form1->Memo1->setText(QStringLiteral("body"));
    expectRefused(kAutomaticIsOn);
}

TEST_F(Signature, RefusedWithoutASignature) {
    form1->Memo1->setText(QStringLiteral("body"));
    expectRefused(kNoSignature);
}

TEST_F(Signature, AnEmptyBodyBecomesALineBreakAndTheSignature) {
    form2->Memo1->setText(QStringLiteral("Taro\r\nTokyo"));
    insertSignature();
    EXPECT_EQ(form1->Memo1->text(), QStringLiteral("\r\nTaro\r\nTokyo"));
    EXPECT_EQ(form1->Label3->text(), QStringLiteral("13"));
}

TEST_F(Signature, GoesToTheEndWhereverTheCaretIsAndTwiceMeansTwice) {
    form2->Memo1->setText(QStringLiteral("--\r\nTaro"));
    form1->Memo1->setText(QStringLiteral("Hello\r\nsee you"));
    QTextCursor caret = form1->Memo1->textCursor();
    caret.setPosition(2);
    form1->Memo1->setTextCursor(caret);
    insertSignature();
    insertSignature();
    EXPECT_EQ(form1->Memo1->text(), QStringLiteral("Hello\r\nsee you\r\n--\r\nTaro\r\n--\r\nTaro"));
}

TEST_F(Signature, ASignatureOfLineBreaksOnlyCountsAsSet) {
    form2->Memo1->setText(QStringLiteral("\r\n\r\n"));
    form1->Memo1->setText(QStringLiteral("x"));
    insertSignature();
    EXPECT_EQ(form1->Memo1->text(), QStringLiteral("x\r\n\r\n\r\n"));
}

TEST_F(Signature, TheBodyLimitDoesNotCutIt) {
    ASSERT_EQ(form1->bodyLimit(), 500);
    form1->Memo1->setText(QString(500, QLatin1Char('a')));
    form2->Memo1->setText(QStringLiteral("山田太郎"));
    insertSignature();
    EXPECT_EQ(form1->bodySize(), 510);
    EXPECT_EQ(form1->Memo1->text(),
              QString(500, QLatin1Char('a')) + QStringLiteral("\r\n山田太郎"));
    EXPECT_EQ(form1->Label3->text(), QStringLiteral("510"));
}

TEST_F(Signature, TheSignatureIsReadFromTheDialogNotTheFile) {
    dir.write(QStringLiteral("mirvane.ini"), "[Setting]\r\nSignature=from the file\r\n");
    form2->Memo1->setText(QStringLiteral("typed"));
    insertSignature();
    EXPECT_EQ(form1->Memo1->text(), QStringLiteral("\r\ntyped"));
}
