#include <gtest/gtest.h>

#include <qpa/qwindowsysteminterface.h>
#include <QApplication>
#include <QDir>
#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>

#include "app/ini_document.h"
#include "app/window_placement.h"
#include "bsmtp/smtp_fixture.h"
#include "composer/composer_window.h"
#include "history/history_window.h"
#include "program/application.h"
#include "support/test_support.h"
#include "toolkit/byte_limited_edit.h"
#include "toolkit/clipboard.h"
#include "toolkit/cp932.h"
#include "toolkit/message_box.h"

using bsmtp_test::sjis;
using toolkit::Answer;
using toolkit::Button;

namespace {

// Two entries in the layout the send command writes.
QByteArray twoEntries() {
    return sjis(
        QStringLiteral("日付：2026/12/01 10:00:00\r\n宛先：花子[hanako@example.jp]\r\n"
                       "題名：こんにちは\r\n本文：元気？\r\n\r\n\r\n"
                       "日付：2026/11/30 9:15:02\r\n宛先：[taro@example.jp]\r\n"
                       "題名：\r\n添付：photo.jpg\r\n本文：一行目\r\n二行目\r\n\r\n\r\n"));
}

class History : public ::testing::Test {
  protected:
    void SetUp() override {
        program = std::make_unique<Application>();
        program->show();
        form1 = program->forms().form1;
        form7 = program->forms().form7;
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form1));
    }
    void TearDown() override {
        toolkit::clipboard::clear();
        program.reset();
    }

    // Shows the window from the main window's Tools menu.
    void showHistory() {
        form1->L1->trigger();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form7));
        QApplication::setActiveWindow(form7);
    }
    void type(const QString& text) {
        form7->Memo1->setFocus();
        QTest::keyClicks(form7->Memo1, text);
    }
    QByteArray log() const { return dir.read(QStringLiteral("log.txt")); }
    QSize outer() const {
        return {window_placement::outerWidth(form7), window_placement::outerHeight(form7)};
    }
    void expectLayout(int memoWidth, int memoHeight) {
        EXPECT_EQ(form7->Memo1->geometry(), QRect(0, 0, memoWidth, memoHeight));
        const int top = memoHeight + 2;
        EXPECT_EQ(form7->Button2->geometry(), QRect(8, top, 73, 25));
        EXPECT_EQ(form7->Button3->geometry(), QRect(memoWidth - 217, top, 65, 25));
        EXPECT_EQ(form7->Button1->geometry(), QRect(memoWidth - 145, top, 65, 25));
        EXPECT_EQ(form7->Button4->geometry(), QRect(memoWidth - 73, top, 67, 25));
    }

    TempProgramDir dir;
    toolkit::MessageBoxScript boxes;
    std::unique_ptr<Application> program;
    TForm1* form1 = nullptr;
    TForm7* form7 = nullptr;
};

}  // namespace

TEST_F(History, DesignSizeLaysOutTheTextAndButtonsAndStretchesWithTheWindow) {
    dir.write(QStringLiteral("log.txt"), twoEntries());
    showHistory();
    EXPECT_EQ(form7->windowTitle(), QStringLiteral("送信履歴"));
    EXPECT_EQ(form7->pos(), QPoint(273, 152));
    EXPECT_EQ(outer(), QSize(338, 308));
    expectLayout(330, 245);
    EXPECT_EQ(form7->Button2->text(), QStringLiteral("履歴削除(&D)"));
    EXPECT_EQ(form7->Button3->text(), QStringLiteral("更新(&R)"));
    EXPECT_EQ(form7->Button1->text(), QStringLiteral("保存(&S)"));
    EXPECT_EQ(form7->Button4->text(), QStringLiteral("閉じる(&C)"));
    EXPECT_EQ(form7->Button3->toolTip(),
              QStringLiteral(
                  "送信履歴を最新の状態にします。\r\n(注)編集中の履歴は編集前の状態に戻ります。"));
    EXPECT_EQ(form7->Button4->toolTip(), QStringLiteral("変更した場合は保存をお忘れなく！"));
    // Fixed pitch: the columns of the entries line up.
    const QFontMetrics metrics(form7->Memo1->font());
    EXPECT_EQ(metrics.horizontalAdvance(u'i'), metrics.horizontalAdvance(u'W'));
    EXPECT_TRUE(form7->Memo1->verticalScrollBar()->isVisible());
    EXPECT_EQ(form7->Memo1->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_FALSE(form7->Button1->isEnabled());
    EXPECT_EQ(form7->text(), cp932::decode(twoEntries()));
    saveScreenshot(form7, QStringLiteral("history-design-size"));

    // Focus order: text, refresh, save (once enabled), delete, close.
    type(QStringLiteral("x"));
    QWidget* expected[] = {form7->Button3, form7->Button1, form7->Button2, form7->Button4,
                           form7->Memo1};
    for (QWidget* next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
    }

    window_placement::resizeOuter(form7, 600, 400);
    EXPECT_EQ(outer(), QSize(600, 400));
    expectLayout(592, 337);
    saveScreenshot(form7, QStringLiteral("history-600x400"));
}

TEST_F(History, TooSmallSizesAreRefusedAsAWhole) {
    showHistory();
    // The size the window system reports after a drag, whether the window manager
    // kept to the minimum or not.
    const auto dragTo = [this](int w, int h) {
        QWindowSystemInterface::handleGeometryChange<QWindowSystemInterface::SynchronousDelivery>(
            form7->windowHandle(),
            QRect(form7->geometry().topLeft(), QSize(w, h) - window_placement::frameExtra(form7)));
        QCoreApplication::processEvents();
    };
    dragTo(315, 300);
    EXPECT_EQ(outer(), QSize(338, 308));
    dragTo(400, 61);
    EXPECT_EQ(outer(), QSize(338, 308));
    // At the minimum the text area has no height left; the buttons stay in reach.
    dragTo(316, 62);
    EXPECT_EQ(outer(), QSize(316, 62));
    expectLayout(308, 0);
    form7->close();
    const IniDocument doc = dir.settings();
    EXPECT_EQ(doc.readInteger("Window", "Width7", 0), 316);
    EXPECT_EQ(doc.readInteger("Window", "Height7", 0), 62);

    dir.write(QStringLiteral("mirvane.ini"), "[Window]\r\nWidth7=200\r\n");
    showHistory();
    EXPECT_EQ(outer(), QSize(316, 62));
}

TEST_F(History, LfOnlyFileIsShownInLinesAndSavedBackWithCrLf) {
    showHistory();
    EXPECT_EQ(form7->text(), QString());
    EXPECT_FALSE(form7->Button1->isEnabled());
    form7->close();

    dir.write(QStringLiteral("log.txt"), "one\ntwo\rthree\n");
    showHistory();
    EXPECT_EQ(form7->text(), QStringLiteral("one\r\ntwo\r\nthree\r\n"));
    type(QStringLiteral("+"));
    EXPECT_TRUE(form7->Button1->isEnabled());
    QTest::mouseClick(form7->Button1, Qt::LeftButton);
    EXPECT_EQ(log(), "+one\r\ntwo\r\nthree\r\n");
    EXPECT_FALSE(form7->Button1->isEnabled());
    // Saved: closing asks nothing and stores the placement.
    form7->Button4->click();
    EXPECT_FALSE(form7->isVisible());
    EXPECT_TRUE(boxes.shown().isEmpty());
    EXPECT_TRUE(dir.settings().valueExists("Window", "Height7"));
}

TEST_F(History, CloseWithUnsavedEditsAsksAndOnlyYesCloses) {
    dir.write(QStringLiteral("log.txt"), twoEntries());
    showHistory();
    type(QStringLiteral("edit"));
    for (const Answer answer : {Answer::No, Answer::Cancel, Answer::Closed}) {
        boxes.answer(answer);
        form7->close();
        EXPECT_TRUE(form7->isVisible());
        EXPECT_TRUE(form7->text().startsWith(QStringLiteral("edit")));
    }
    ASSERT_EQ(boxes.shown().size(), 3);
    EXPECT_EQ(boxes.shown()[0].text,
              QStringLiteral(
                  "送信履歴の内容が変更されているようです。\r\n保存せずに閉じてよろしいですか？"));
    EXPECT_EQ(boxes.shown()[0].buttons, (QList<Button>{Button::Yes, Button::No, Button::Cancel}));
    EXPECT_FALSE(dir.settings().valueExists("Window", "Top7"));

    boxes.answer(Answer::Yes);
    form7->Button4->click();
    EXPECT_FALSE(form7->isVisible());
    EXPECT_TRUE(dir.settings().valueExists("Window", "Top7"));
    EXPECT_EQ(log(), twoEntries());
    showHistory();
    EXPECT_EQ(form7->text(), cp932::decode(twoEntries()));
    EXPECT_FALSE(form7->Button1->isEnabled());
}

TEST_F(History, RefreshRestoresTheFileOnlyWhenThereIsOne) {
    showHistory();
    type(QStringLiteral("kept"));
    form7->Button3->click();
    EXPECT_EQ(form7->text(), QStringLiteral("kept"));
    EXPECT_TRUE(form7->Button1->isEnabled());

    dir.write(QStringLiteral("log.txt"), twoEntries());
    QTest::mouseClick(form7->Button3, Qt::LeftButton);
    EXPECT_EQ(form7->text(), cp932::decode(twoEntries()));
    EXPECT_FALSE(form7->Button1->isEnabled());

    // Shown again while visible: only brought to the front, nothing reloaded.
    dir.write(QStringLiteral("log.txt"), "other\r\n");
    form1->L1->trigger();
    EXPECT_EQ(form7->text(), cp932::decode(twoEntries()));
}

TEST_F(History, DeleteAfterEditsEmptiesTheTextAndLeavesSaveEnabled) {
    showHistory();
    boxes.answer(Answer::Ok);
    form7->Button2->click();
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(boxes.shown()[0].caption, QStringLiteral("エラー"));
    EXPECT_EQ(boxes.shown()[0].text, QStringLiteral("\r\nlog.txtが存在しません。"));
    boxes.clear();

    dir.write(QStringLiteral("log.txt"), twoEntries());
    form7->Button3->click();
    type(QStringLiteral("x"));
    boxes.answer(Answer::No);
    form7->Button2->click();
    EXPECT_EQ(log(), twoEntries());
    EXPECT_TRUE(form7->text().startsWith(u'x'));

    boxes.answer(Answer::Yes);
    form7->Button2->click();
    EXPECT_EQ(boxes.shown().last().text,
              QStringLiteral("送信履歴を削除します。\r\nよろしいですか？"));
    EXPECT_EQ(boxes.shown().last().buttons, (QList<Button>{Button::Yes, Button::No}));
    EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("log.txt"))));
    EXPECT_EQ(form7->text(), QString());
    EXPECT_TRUE(form7->Button1->isEnabled());
    form7->Button1->click();
    EXPECT_TRUE(QFile::exists(dir.file(QStringLiteral("log.txt"))));
    EXPECT_EQ(log(), QByteArray());

    // Deleted from elsewhere while hidden: the last text stays, not modified.
    form7->close();
    dir.write(QStringLiteral("log.txt"), "seen\r\n");
    showHistory();
    form7->close();
    QFile::remove(dir.file(QStringLiteral("log.txt")));
    showHistory();
    EXPECT_EQ(form7->text(), QStringLiteral("seen\r\n"));
    EXPECT_FALSE(form7->Button1->isEnabled());
}

TEST_F(History, HiddenEditMenuWorksOnTheText) {
    dir.write(QStringLiteral("log.txt"), "line1\r\nline2\r\n");
    showHistory();
    form7->Memo1->setFocus();
    QTest::keyClick(form7->Memo1, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(form7->Memo1, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(toolkit::clipboard::text(), QStringLiteral("line1\r\nline2\r\n"));
    EXPECT_FALSE(form7->Button1->isEnabled());
    QTest::keyClick(form7->Memo1, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(form7->text(), QString());
    EXPECT_TRUE(form7->Button1->isEnabled());
    QTest::keyClick(form7->Memo1, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(form7->Memo1, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(form7->text(), QStringLiteral("line1\r\nline2\r\nline1\r\nline2\r\n"));
    QTest::keyClick(form7->Memo1, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(form7->text(), QStringLiteral("line1\r\nline2\r\n"));
}

TEST_F(History, UnreadableHistoryIsReportedAndTheTextKept) {
    showHistory();
    type(QStringLiteral("mine"));
    // A directory where the file should be: it can be neither read nor replaced.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("log.txt")));
    boxes.answer(Answer::Ok);
    form7->Button3->click();
    boxes.answer(Answer::Ok);
    form7->Button1->click();
    ASSERT_EQ(boxes.shown().size(), 2);
    for (const toolkit::ShownBox& box : boxes.shown()) {
        EXPECT_EQ(box.caption, QStringLiteral("Mirvane"));
        EXPECT_EQ(
            box.text,
            QStringLiteral("ファイル %1 は開けません.").arg(dir.file(QStringLiteral("log.txt"))));
    }
    EXPECT_EQ(form7->text(), QStringLiteral("mine"));
    EXPECT_TRUE(form7->Button1->isEnabled());

    // "履歴削除(&D)" on that directory: it cannot be deleted, and the text stays.
    boxes.clear();
    boxes.answer(Answer::Yes);
    boxes.answer(Answer::Ok);
    QTest::mouseClick(form7->Button2, Qt::LeftButton);
    ASSERT_EQ(boxes.shown().size(), 2);
    EXPECT_EQ(boxes.shown()[1].caption, QStringLiteral("Mirvane"));
    EXPECT_EQ(
        boxes.shown()[1].text,
        QStringLiteral("ファイル %1 を削除できません.").arg(dir.file(QStringLiteral("log.txt"))));
    EXPECT_EQ(form7->text(), QStringLiteral("mine"));
}

TEST_F(History, ChangedByOtherMeansTheFileIsReplacedOnlyWhenTheUserSaysSo) {
    dir.write(QStringLiteral("log.txt"), twoEntries());
    showHistory();
    type(QStringLiteral("mine "));
    dir.write(QStringLiteral("log.txt"), "written by hand\r\n");
    boxes.answer(Answer::No);
    form7->Button1->click();
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(boxes.shown()[0].buttons, (QList<Button>{Button::Yes, Button::No}));
    EXPECT_EQ(log(), "written by hand\r\n");
    EXPECT_TRUE(form7->Button1->isEnabled());

    boxes.answer(Answer::Yes);
    form7->Button1->click();
    EXPECT_EQ(log(), sjis(QStringLiteral("mine ")) + twoEntries());
    EXPECT_FALSE(form7->Button1->isEnabled());
}

TEST_F(History, ABigHistoryGoesInWholeAndIsNoEditToUndo) {
    QByteArray big;
    while (big.size() < 4 * 1024 * 1024)
        big += twoEntries();
    dir.write(QStringLiteral("log.txt"), big);
    showHistory();
    // Closed before the text is all in: hidden, it still takes the whole file.
    form7->close();
    EXPECT_FALSE(form7->isVisible());
    EXPECT_EQ(sjis(form7->text()), big);

    showHistory();
    for (int i = 0; i < 2000 && form7->isLoading(); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_FALSE(form7->isLoading());
    form7->Memo1->setFocus();
    QTest::keyClick(form7->Memo1, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_FALSE(form7->Button1->isEnabled());
    type(QStringLiteral("#"));
    form7->Button1->click();
    EXPECT_EQ(log(), "#" + big);
}

TEST_F(History, BytesThatAreNoCharacterComeBackOnLinesTheUserLeftAlone) {
    // 80, A0, FD-FF, a lone lead byte at a line end, EF 40 and a second code for one
    // character (NEC's row 13 and IBM's extension), among lines of text.
    const QByteArray odd =
        "first line\r\n"
        "a\x80"
        "b\r\n"
        "\xA0\r\n"
        "\xFD\xFE\xFF\r\n"
        "lead \x82\r\n"
        "\xEF\x40 ok\r\n"
        "\xED\x40\xFA\x5C\r\n"
        "last line\r\n";
    dir.write(QStringLiteral("log.txt"), odd);
    showHistory();
    // Typed at the start of the first line, and at the start of the fourth line.
    type(QStringLiteral("#"));
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(form7->Memo1, Qt::Key_Down);
    QTest::keyClick(form7->Memo1, Qt::Key_Home);
    QTest::keyClicks(form7->Memo1, QStringLiteral("x"));
    QTest::mouseClick(form7->Button1, Qt::LeftButton);
    EXPECT_EQ(log(),
              "#first line\r\n"
              "a\x80"
              "b\r\n"
              "\xA0\r\n"
              "x???\r\n"
              "lead \x82\r\n"
              "\xEF\x40 ok\r\n"
              "\xED\x40\xFA\x5C\r\n"
              "last line\r\n");

    // A history written in UTF-8: typed at its end, every line before comes back.
    const QByteArray utf8 =
        QStringLiteral("日付：2026/12/01 10:00:00\r\n本文：こんにちは\r\n\r\n\r\n").toUtf8();
    dir.write(QStringLiteral("log.txt"), utf8);
    QTest::mouseClick(form7->Button3, Qt::LeftButton);
    form7->Memo1->setFocus();
    QTest::keyClick(form7->Memo1, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(form7->Memo1, QStringLiteral("end"));
    QTest::mouseClick(form7->Button1, Qt::LeftButton);
    EXPECT_EQ(log(), utf8 + "end");
}

TEST_F(History, LongLinesLoadWithoutHoldingTheWindowAndKeysTypedMeanwhileGoIn) {
    // One line of 8 MB (its line break across the 8 MB mark), then 1 MB of NUL bytes,
    // then an entry.
    const QByteArray content =
        QByteArray((8 << 20) - 1, 'a') + "\r\n" + QByteArray(1 << 20, '\0') + "\r\n" + twoEntries();
    dir.write(QStringLiteral("log.txt"), content);
    showHistory();
    ASSERT_TRUE(form7->isLoading());
    // Typed at once, while the text goes in: held, then put in at the caret.
    type(QStringLiteral("typed"));
    QTest::keyClick(form7->Memo1, Qt::Key_Backspace);
    for (int i = 0; i < 2000 && form7->isLoading(); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_FALSE(form7->isLoading());
    EXPECT_TRUE(form7->Button1->isEnabled());
    // No text block grows with the line.
    for (QTextBlock b = form7->Memo1->document()->begin(); b.isValid(); b = b.next())
        ASSERT_LE(b.length(), 4096 + 6);
    QTest::mouseClick(form7->Button1, Qt::LeftButton);
    EXPECT_EQ(log(), "type" + content);
    // The line broken and joined again by the user.
    QTextCursor c = form7->Memo1->textCursor();
    c.setPosition(2000);
    form7->Memo1->setTextCursor(c);
    QTest::keyClick(form7->Memo1, Qt::Key_Return);
    EXPECT_EQ(sjis(form7->text()).left(2003), "type" + QByteArray(1996, 'a') + "\r\na");
    QTest::keyClick(form7->Memo1, Qt::Key_Backspace);
    QTest::mouseClick(form7->Button1, Qt::LeftButton);
    EXPECT_EQ(log(), "type" + content);

    // Closed while loading, with keys typed: asked, and "はい" drops them.
    QTest::mouseClick(form7->Button3, Qt::LeftButton);
    ASSERT_TRUE(form7->isLoading());
    type(QStringLiteral("dropped"));
    boxes.answer(Answer::Yes);
    form7->Button4->click();
    EXPECT_FALSE(form7->isVisible());
    EXPECT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(sjis(form7->text()), "type" + content);
}

TEST_F(History, EndingTheProgramRunsNoCloseCheckOfTheHistoryWindow) {
    showHistory();
    type(QStringLiteral("unsaved"));
    QTimer::singleShot(0, form1, [this] { form1->close(); });
    QTimer::singleShot(10000, qApp, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_TRUE(boxes.shown().isEmpty());
    const IniDocument doc = dir.settings();
    EXPECT_TRUE(doc.valueExists("Window", "Top1"));
    EXPECT_FALSE(doc.valueExists("Window", "Top7"));
}

// A real send while the window is open: the program's path from the send button to
// the history file, against a real SMTP server.
class HistoryAndSending : public History {
  protected:
    void SetUp() override {
        savedHome_ = qgetenv("HOME");
        qputenv("HOME", home_.path().toLocal8Bit());
        dir.write(QStringLiteral("mirvane.ini"),
                  "[Setting]\r\nSMTP=" + server.url("smtp") + "\r\nFrom=me@example.jp\r\n");
        History::SetUp();
    }
    void TearDown() override {
        History::TearDown();
        qputenv("HOME", savedHome_);
    }
    bsmtp_test::SmtpServer server{{}, bsmtp_test::ServerCert::None};

  private:
    QTemporaryDir home_;
    QByteArray savedHome_;
};

TEST_F(HistoryAndSending, ASendWhileTheWindowIsOpenIsNotLostByALaterSave) {
    dir.write(QStringLiteral("log.txt"), twoEntries());
    showHistory();
    // The user deletes the oldest entry.
    const QString shown = form7->Memo1->toPlainText();
    const qsizetype second = shown.indexOf(QStringLiteral("日付："), 1);
    QTextCursor cursor = form7->Memo1->textCursor();
    cursor.setPosition(int(second));
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    form7->Memo1->setTextCursor(cursor);
    form7->Memo1->setFocus();
    QTest::keyClick(form7->Memo1, Qt::Key_Delete);
    ASSERT_TRUE(form7->Button1->isEnabled());

    form1->Edit2->setText(QStringLiteral("jiro@example.jp"));
    form1->Edit3->setText(QStringLiteral("new"));
    form1->Memo1->setText(QStringLiteral("sent meanwhile"));
    form1->SpeedButton181Click();
    ASSERT_EQ(server.messageCount(), 1);
    const QByteArray afterSend = log();
    ASSERT_TRUE(afterSend.endsWith(twoEntries()));
    const QByteArray sentEntry = afterSend.left(afterSend.size() - twoEntries().size());
    EXPECT_TRUE(sentEntry.contains("[jiro@example.jp]"));
    // The window does not notice the send by itself.
    EXPECT_FALSE(form7->text().contains(QStringLiteral("jiro")));

    form7->Button1->click();
    EXPECT_TRUE(boxes.shown().isEmpty());
    const QByteArray edited = sjis(cp932::toCrLf(shown.left(second)));
    EXPECT_EQ(log(), sentEntry + edited);
    // The window shows what the file now holds, and a second save keeps it so.
    EXPECT_EQ(sjis(form7->text()), sentEntry + edited);
    EXPECT_FALSE(form7->Button1->isEnabled());
    form7->Memo1->moveCursor(QTextCursor::Start);
    type(QStringLiteral("!"));
    form7->Button1->click();
    EXPECT_EQ(log(), "!" + sentEntry + edited);
}
