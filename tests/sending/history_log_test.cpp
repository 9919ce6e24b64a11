#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStringEncoder>

#include "sending/attachment.h"
#include "sending/history_log.h"
#include "support/test_support.h"
#include "toolkit/file_error.h"

namespace {

const QLocale kJapan(QLocale::Japanese, QLocale::Japan);
const QDateTime kWhen(QDate(2026, 12, 8), QTime(9, 5, 7));

QByteArray sjis(const char* utf8) {
    QStringEncoder e("Shift_JIS");
    return e.encode(QString::fromUtf8(utf8));
}

}  // namespace

TEST(HistoryLog, EntryLinesAsTheHistoryShowsThem) {
    history_log::Entry e;
    e.recipientPanel = QStringLiteral("宛先：山田");
    e.to = QStringLiteral("taro@example.jp");
    e.subject = QStringLiteral("件名");
    e.attachmentPath = QStringLiteral("/home/u/写真.jpg");
    e.body = QStringLiteral("一行目\r\n二行目");
    EXPECT_EQ(history_log::entryBytes(e, kWhen, kJapan),
              sjis("日付：2026/12/08 9:05:07\r\n宛先：山田[taro@example.jp]\r\n題名：件名\r\n"
                   "添付：写真.jpg\r\n本文：一行目\r\n二行目\r\n\r\n\r\n"));

    // No attachment line; empty subject and body stand alone.
    history_log::Entry empty;
    empty.recipientPanel = QStringLiteral("宛先：");
    EXPECT_EQ(history_log::entryBytes(empty, QDateTime(QDate(2026, 1, 2), QTime(0, 0, 0)), kJapan),
              sjis("日付：2026/01/02\r\n宛先：[]\r\n題名：\r\n本文：\r\n\r\n\r\n"));
    // One second past midnight keeps its time.
    EXPECT_EQ(history_log::dateTimeText(QDateTime(QDate(2026, 1, 2), QTime(0, 0, 1)), kJapan),
              QStringLiteral("2026/01/02 0:00:01"));
}

TEST(HistoryLog, NewEntryGoesOnTopAndEveryLineEndsInCrLf) {
    EXPECT_EQ(history_log::withEntryOnTop("new\r\n\r\n\r\n", "a\nb\rc\r\nlast"),
              QByteArray("new\r\n\r\n\r\na\r\nb\r\nc\r\nlast\r\n"));
    // A body ending with a line break leaves three empty lines.
    history_log::Entry e;
    e.recipientPanel = QStringLiteral("宛先：");
    e.body = QStringLiteral("x\r\n");
    EXPECT_TRUE(history_log::entryBytes(e, kWhen, kJapan).endsWith("x\r\n\r\n\r\n\r\n"));
}

TEST(HistoryLog, AppendCreatesTheFileAndKeepsTheOldOneOnFailure) {
    TempProgramDir dir;
    const QString path = dir.file(QStringLiteral("log.txt"));
    history_log::Entry e;
    e.recipientPanel = QStringLiteral("宛先：");
    e.body = QStringLiteral("one");
    history_log::append(path, e, kWhen);
    const QByteArray first = dir.read(QStringLiteral("log.txt"));
    EXPECT_TRUE(first.endsWith(sjis("本文：one\r\n\r\n\r\n")));
    e.body = QStringLiteral("two");
    history_log::append(path, e, kWhen);
    const QByteArray both = dir.read(QStringLiteral("log.txt"));
    EXPECT_TRUE(both.endsWith(first));
    EXPECT_TRUE(both.contains(sjis("本文：two")));

    // A history that is a directory cannot be read: an open error, nothing written.
    const QString odd = dir.file(QStringLiteral("d"));
    ASSERT_TRUE(QDir().mkdir(odd));
    try {
        history_log::append(odd, e, kWhen);
        ADD_FAILURE() << "no error";
    } catch (const FileError& error) {
        EXPECT_EQ(error.kind(), FileError::Kind::Open);
    }
}

TEST(Attachment, PanelTextsAndSizes) {
    const QLocale comma(QLocale::English, QLocale::UnitedStates);
    EXPECT_EQ(attachment::dialogText(QStringLiteral("/a/b.jpg"), 12345, comma),
              QStringLiteral("添付：b.jpg (12,345ﾊﾞｲﾄ)"));
    EXPECT_EQ(attachment::dialogText(QStringLiteral("/a/b.jpg"), 0, comma),
              QStringLiteral("添付：b.jpg (ﾊﾞｲﾄ)"));
    EXPECT_EQ(attachment::dropText(QStringLiteral("/a/b.jpg"), 12345),
              QStringLiteral("添付：b.jpg (12345ﾊﾞｲﾄ)"));
    EXPECT_EQ(attachment::dropText(QStringLiteral("/a/b"), 0), QStringLiteral("添付：b (0ﾊﾞｲﾄ)"));
    // Beyond 32 bits the true size shows.
    EXPECT_EQ(attachment::dialogText(QStringLiteral("big"), 5000000000LL, comma),
              QStringLiteral("添付：big (5,000,000,000ﾊﾞｲﾄ)"));

    TempProgramDir dir;
    dir.write(QStringLiteral("f.bin"), QByteArray(1000, 'x'));
    EXPECT_EQ(attachment::sizeOf(dir.file(QStringLiteral("f.bin"))), 1000);
    EXPECT_EQ(attachment::sizeOf(dir.path()), 0);
    EXPECT_EQ(attachment::sizeOf(dir.file(QStringLiteral("missing"))), 0);

    EXPECT_EQ(attachment::droppedPath(QString(300, QLatin1Char('p'))).size(), 254);
    EXPECT_EQ(attachment::droppedPath(QStringLiteral("/") + QString(200, QChar(0x3042))).size(),
              127);
    EXPECT_TRUE(attachment::nameFitsCodePage(QStringLiteral("/tmp/写真.jpg")));
    EXPECT_FALSE(attachment::nameFitsCodePage(QStringLiteral("/tmp/café.jpg")));
}
