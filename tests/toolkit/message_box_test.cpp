#include <gtest/gtest.h>

#include "toolkit/beep.h"
#include "toolkit/clipboard.h"
#include "toolkit/error_report.h"
#include "toolkit/message_box.h"

using toolkit::Answer;
using toolkit::Button;
using toolkit::Icon;

TEST(MessageBoxes, ShowTheirCaptionIconAndButtonsAndTakeScriptedAnswers) {
    toolkit::MessageBoxScript boxes;
    boxes.answer(Answer::Ok);
    boxes.answer(Answer::No);
    EXPECT_EQ(toolkit::errorBox(nullptr, QStringLiteral("だめ")), Answer::Ok);
    // Buttons come in their fixed order whatever order the caller names them.
    EXPECT_EQ(
        toolkit::confirmBox(nullptr, QStringLiteral("消しますか"), {Button::Cancel, Button::Yes}),
        Answer::No);
    ASSERT_EQ(boxes.shown().size(), 2);
    EXPECT_EQ(boxes.shown()[0].caption, QStringLiteral("エラー"));
    EXPECT_EQ(boxes.shown()[0].icon, Icon::Error);
    EXPECT_EQ(boxes.shown()[0].buttons, QList<Button>{Button::Ok});
    EXPECT_EQ(boxes.shown()[1].caption, QStringLiteral("確認"));
    EXPECT_EQ(boxes.shown()[1].icon, Icon::Question);
    EXPECT_EQ(boxes.shown()[1].buttons, (QList<Button>{Button::Yes, Button::Cancel}));
    EXPECT_EQ(boxes.pending(), 0);
}

TEST(MessageBoxes, AnUnansweredBoxIsReportedAndAnswersClosed) {
    QList<toolkit::ShownBox> unanswered;
    toolkit::MessageBoxScript::setUnansweredHandler(
        [&](const toolkit::ShownBox& box) { unanswered.append(box); });
    {
        toolkit::MessageBoxScript boxes;
        EXPECT_EQ(toolkit::confirmBox(nullptr, QStringLiteral("?"), {Button::Yes, Button::No}),
                  Answer::Closed);
    }
    toolkit::MessageBoxScript::setUnansweredHandler([](const toolkit::ShownBox& box) {
        ADD_FAILURE() << "unanswered message box: " << box.text.toStdString();
    });
    ASSERT_EQ(unanswered.size(), 1);
    EXPECT_EQ(unanswered[0].text, QStringLiteral("?"));
}

TEST(MessageBoxes, GenericErrorReportSkipsTheRestOfTheHandler) {
    toolkit::MessageBoxScript boxes;
    boxes.answer(Answer::Ok);
    bool rest = false;
    const bool ok = toolkit::guarded(nullptr, [&] {
        throw FileError(FileError::Kind::Create, QStringLiteral("/x/mirvane.ini"));
        rest = true;
    });
    EXPECT_FALSE(ok);
    EXPECT_FALSE(rest);
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(boxes.shown()[0].caption, QStringLiteral("Mirvane"));
    EXPECT_EQ(boxes.shown()[0].text, QStringLiteral("ファイル /x/mirvane.ini を作成できません."));
    EXPECT_EQ(boxes.shown()[0].icon, Icon::Error);
    EXPECT_EQ(FileError(FileError::Kind::Open, QStringLiteral("a.ini")).message(),
              QStringLiteral("ファイル a.ini は開けません."));
}

TEST(Platform, BeepsAreRecordedAndClipboardUsesCrLf) {
    toolkit::BeepRecorder beeps;
    toolkit::systemBeep();
    toolkit::messageBeep(0);
    EXPECT_EQ(beeps.systemBeeps(), 1);
    EXPECT_EQ(beeps.messageBeeps(), QList<unsigned>{0});

    toolkit::clipboard::setText(QStringLiteral("a\r\nb"));
    EXPECT_TRUE(toolkit::clipboard::hasText());
    EXPECT_EQ(toolkit::clipboard::text(), QStringLiteral("a\r\nb"));
    toolkit::clipboard::clear();
    EXPECT_FALSE(toolkit::clipboard::hasText());
}
