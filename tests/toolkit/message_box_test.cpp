#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QPushButton>
#include <algorithm>

#include "support/test_support.h"
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

namespace {

// The real box's buttons as the user sees them, left to right, and its default.
struct SeenButtons {
    QStringList texts;
    QString byDefault;
};

SeenButtons seen(QWidget* box) {
    QList<QPushButton*> buttons = box->findChildren<QPushButton*>();
    std::sort(buttons.begin(), buttons.end(), [&](QPushButton* a, QPushButton* b) {
        return a->mapTo(box, QPoint()).x() < b->mapTo(box, QPoint()).x();
    });
    SeenButtons out;
    for (QPushButton* b : buttons) {
        if (!b->isVisible())
            continue;
        out.texts.append(b->text());
        if (b->isDefault())
            out.byDefault = b->text();
    }
    return out;
}

}  // namespace

TEST(MessageBoxes, TheRealBoxAnswersEnterEscapeAccessKeysAndTheTitleBarClose) {
    toolkit::MessageBoxScript boxes;
    const QString yes = QStringLiteral("はい(&Y)"), no = QStringLiteral("いいえ(&N)"),
                  cancel = QStringLiteral("キャンセル");
    const QList<Button> all{Button::Cancel, Button::No, Button::Yes};
    const QList<Button> yesNo{Button::No, Button::Yes};
    auto ask = [](const QList<Button>& buttons) {
        return toolkit::confirmBox(nullptr, QStringLiteral("保存しますか"), buttons);
    };

    // Fixed order whatever the caller's; Enter takes the first.
    SeenButtons three;
    boxes.drive([&](QWidget* box) {
        three = seen(box);
        pressOnBox(box, Qt::Key_Return);
    });
    EXPECT_EQ(ask(all), Answer::Yes);
    EXPECT_EQ(three.texts, (QStringList{yes, no, cancel}));
    EXPECT_EQ(three.byDefault, yes);

    // Escape: キャンセル when the box has it, otherwise いいえ.
    boxes.drive([](QWidget* box) { pressOnBox(box, Qt::Key_Escape); });
    EXPECT_EQ(ask(all), Answer::Cancel);
    SeenButtons two;
    boxes.drive([&](QWidget* box) {
        two = seen(box);
        pressOnBox(box, Qt::Key_Escape);
    });
    EXPECT_EQ(ask(yesNo), Answer::No);
    EXPECT_EQ(two.texts, (QStringList{yes, no}));
    EXPECT_EQ(two.byDefault, yes);

    // The access key of いいえ.
    boxes.drive([](QWidget* box) { pressOnBox(box, Qt::Key_N); });
    EXPECT_EQ(ask(all), Answer::No);

    // The title bar's close is neither yes nor no, with or without キャンセル.
    boxes.drive(closeBoxByFrame);
    EXPECT_EQ(ask(yesNo), Answer::Closed);
    boxes.drive(closeBoxByFrame);
    EXPECT_EQ(ask(all), Answer::Closed);

    // The error box: one OK, which Enter, Escape and the close all answer.
    SeenButtons error;
    boxes.drive([&](QWidget* box) {
        error = seen(box);
        EXPECT_EQ(box->windowTitle(), QStringLiteral("エラー"));
        pressOnBox(box, Qt::Key_Return);
    });
    EXPECT_EQ(toolkit::errorBox(nullptr, QStringLiteral("だめ")), Answer::Ok);
    EXPECT_EQ(error.texts, QStringList{QStringLiteral("OK")});
    boxes.drive([](QWidget* box) { pressOnBox(box, Qt::Key_Escape); });
    EXPECT_EQ(toolkit::errorBox(nullptr, QStringLiteral("だめ")), Answer::Ok);
    boxes.drive(closeBoxByFrame);
    EXPECT_EQ(toolkit::errorBox(nullptr, QStringLiteral("だめ")), Answer::Ok);

    EXPECT_EQ(boxes.shown().size(), 9);
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

    // The desktop's clipboard holds LF; our side sees CR LF both ways.
    QClipboard* desktop = QGuiApplication::clipboard();
    toolkit::clipboard::setText(QStringLiteral("a\r\nb"));
    EXPECT_EQ(desktop->text(), QStringLiteral("a\nb"));
    EXPECT_TRUE(toolkit::clipboard::hasText());
    desktop->setText(QStringLiteral("c\nd\r\ne"));
    EXPECT_EQ(toolkit::clipboard::text(), QStringLiteral("c\r\nd\r\ne"));
    // Empty text is text; a clipboard cleared by another program holds none.
    desktop->setText(QString());
    EXPECT_TRUE(toolkit::clipboard::hasText());
    toolkit::clipboard::clear();
    EXPECT_FALSE(toolkit::clipboard::hasText());
    EXPECT_TRUE(desktop->text().isEmpty());
}
