#include <gtest/gtest.h>

#include <QApplication>
#include <QInputMethodEvent>
#include <QSignalSpy>
#include <QTest>

#include "toolkit/byte_limited_edit.h"
#include "toolkit/clipboard.h"
#include "toolkit/cp932.h"

using toolkit::ByteLimitedLineEdit;
using toolkit::ByteLimitedMemo;

namespace {

void commit(QWidget* w, const QString& text) {
    QInputMethodEvent e;
    e.setCommitString(text);
    QApplication::sendEvent(w, &e);
}

QString cp(char32_t c) {
    return QString::fromUcs4(&c, 1);
}

}  // namespace

TEST(ByteLimitedLineEdit, TypingCommitAndPasteStopAtTheLimitInWholeCharacters) {
    ByteLimitedLineEdit edit;
    edit.setByteLimit(5);
    edit.show();
    QTest::keyClicks(&edit, QStringLiteral("abcd"));
    commit(&edit, QStringLiteral("あ"));  // 2 bytes into 1 free: refused whole
    EXPECT_EQ(edit.text(), QStringLiteral("abcd"));
    commit(&edit, QStringLiteral("ｱい"));
    EXPECT_EQ(edit.text(), QStringLiteral("abcdｱ"));
    QTest::keyClicks(&edit, QStringLiteral("z"));
    EXPECT_EQ(edit.byteLength(), 5);

    edit.selectAll();
    toolkit::clipboard::setText(QStringLiteral("漢字かな"));
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), QStringLiteral("漢字"));
    // A multi-line paste keeps its first line only.
    edit.selectAll();
    toolkit::clipboard::setText(QStringLiteral("ab\r\ncd"));
    edit.pasteLimited();
    EXPECT_EQ(edit.text(), QStringLiteral("ab"));
}

TEST(ByteLimitedLineEdit, ProgramTextIsNeverCutButFurtherInputIsRefused) {
    ByteLimitedLineEdit edit;
    edit.setByteLimit(4);
    edit.show();
    QSignalSpy changed(&edit, &QLineEdit::textChanged);
    edit.setText(QStringLiteral("abcdef"));
    EXPECT_EQ(changed.count(), 1);
    EXPECT_FALSE(edit.isModified());
    edit.end(false);
    QTest::keyClicks(&edit, QStringLiteral("g"));
    EXPECT_EQ(edit.text(), QStringLiteral("abcdef"));
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.text(), QStringLiteral("abc"));
    QTest::keyClicks(&edit, QStringLiteral("xy"));
    EXPECT_EQ(edit.text(), QStringLiteral("abcx"));
    EXPECT_TRUE(edit.isModified());
    // Replacing a selection frees its bytes first.
    edit.setSelection(0, 2);
    EXPECT_TRUE(edit.replaceSelection(QStringLiteral("あ")));
    EXPECT_EQ(edit.text(), QStringLiteral("あcx"));
    edit.setSelection(0, 0);
    EXPECT_FALSE(edit.replaceSelection(QStringLiteral("q")));
}

TEST(ByteLimitedLineEdit, LongValuesAreNeverCutByTheWidgetsOwnCap) {
    ByteLimitedLineEdit edit;
    edit.show();
    // A stored server or a long list of addresses set by the program stays whole.
    const QString stored(40000, QLatin1Char('s'));
    edit.setText(stored);
    EXPECT_EQ(edit.text().size(), 40000);
    // Without a byte limit, typing and pasting go on past 32767 characters too.
    edit.end(false);
    QTest::keyClicks(&edit, QStringLiteral("ab"));
    toolkit::clipboard::setText(QString(30000, QLatin1Char('p')));
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.text().size(), 70002);
}

TEST(ByteLimitedLineEdit, UnmappableInputBecomesCodePageText) {
    ByteLimitedLineEdit edit;
    edit.show();
    commit(&edit, QStringLiteral("〜") + cp(0x1F600) + QStringLiteral("€"));
    EXPECT_EQ(edit.text(), QStringLiteral("～??"));
    EXPECT_FALSE(cp932::encode(edit.text()).contains("\xFC\xFC"));
}

TEST(ByteLimitedLineEdit, UndoIsOneStepThatToggles) {
    ByteLimitedLineEdit edit;
    edit.show();
    edit.setText(QStringLiteral("x"));
    QTest::keyClick(&edit, Qt::Key_Z, Qt::ControlModifier);  // nothing to undo yet
    EXPECT_EQ(edit.text(), QStringLiteral("x"));
    edit.end(false);
    QTest::keyClicks(&edit, QStringLiteral("yz"));
    QTest::keyClick(&edit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), QStringLiteral("x"));
    QTest::keyClick(&edit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), QStringLiteral("xyz"));
}

TEST(ByteLimitedLineEdit, SelectionSurvivesLosingTheFocus) {
    QWidget window;
    auto* a = new ByteLimitedLineEdit(&window);
    auto* b = new ByteLimitedLineEdit(&window);
    b->move(0, 40);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    a->setText(QStringLiteral("hello"));
    a->setFocus();
    a->setSelection(1, 3);
    b->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(a->selectedText(), QStringLiteral("ell"));
    EXPECT_EQ(a->selectionByteLength(), 3);
}

TEST(ByteLimitedMemo, LineBreaksCountTwoAndTheLimitHolds) {
    ByteLimitedMemo memo;
    memo.setByteLimit(6);
    memo.show();
    QTest::keyClicks(&memo, QStringLiteral("ab"));
    QTest::keyClick(&memo, Qt::Key_Return);
    QTest::keyClicks(&memo, QStringLiteral("c"));
    commit(&memo, QStringLiteral("あ"));
    QTest::keyClicks(&memo, QStringLiteral("d"));
    // "あ" did not fit into the one byte left; "d" did.
    EXPECT_EQ(memo.text(), QStringLiteral("ab\r\ncd"));
    EXPECT_EQ(memo.byteLength(), 6);
    QTest::keyClick(&memo, Qt::Key_Return);  // a line break no longer fits
    EXPECT_EQ(memo.byteLength(), 6);

    memo.setText(QString());
    toolkit::clipboard::setText(QString(600, QLatin1Char('a')));
    memo.setByteLimit(500);
    QTest::keyClick(&memo, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(memo.byteLength(), 500);
    EXPECT_TRUE(memo.isModified());
}

TEST(ByteLimitedMemo, ProgramTextIsKeptWholeAndDeletingStillWorks) {
    ByteLimitedMemo memo;
    memo.setByteLimit(4);
    memo.show();
    QSignalSpy changed(&memo, &QPlainTextEdit::textChanged);
    memo.setText(QStringLiteral("12\r\n345"));
    EXPECT_GE(changed.count(), 1);
    EXPECT_EQ(memo.text(), QStringLiteral("12\r\n345"));
    EXPECT_EQ(memo.byteLength(), 7);
    EXPECT_FALSE(memo.isModified());
    memo.moveCursor(QTextCursor::End);
    QTest::keyClicks(&memo, QStringLiteral("6"));
    EXPECT_EQ(memo.text(), QStringLiteral("12\r\n345"));
    QTest::keyClick(&memo, Qt::Key_Backspace);
    EXPECT_EQ(memo.text(), QStringLiteral("12\r\n34"));
    EXPECT_TRUE(memo.isModified());
    EXPECT_FALSE(memo.replaceSelection(QStringLiteral("x")));
}

TEST(ByteLimitedMemo, UndoTakesBackTheTypingAndSelectionCountsCrLf) {
    ByteLimitedMemo memo;
    memo.show();
    memo.setText(QStringLiteral("a"));
    memo.moveCursor(QTextCursor::End);
    QTest::keyClicks(&memo, QStringLiteral("bc"));
    memo.undo();
    EXPECT_EQ(memo.text(), QStringLiteral("a"));
    memo.undo();
    EXPECT_EQ(memo.text(), QStringLiteral("abc"));
    memo.setText(QStringLiteral("x\r\ny"));
    EXPECT_FALSE(memo.canUndo());
    memo.selectAll();
    EXPECT_EQ(memo.selectedText(), QStringLiteral("x\r\ny"));
    EXPECT_EQ(memo.selectionByteLength(), 4);
}
