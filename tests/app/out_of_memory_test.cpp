// Files too big to hold in the memory the program may use: each is reported like a
// file that cannot be read, the program goes on with the mail in its window, and the
// file is never written over. Limits on the address space do not mix with the address
// sanitizer's shadow memory, so these cases run only in the plain build.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "addressbook/address_book_window.h"
#include "bsmtp/smtp_fixture.h"
#include "composer/composer_window.h"
#include "fault_helper.h"
#include "history/history_window.h"
#include "program/application.h"
#include "settings/settings_dialog.h"
#include "support/test_support.h"
#include "toolkit/byte_limited_edit.h"
#include "toolkit/message_box.h"
#include "toolkit/status_bar.h"

using bsmtp_test::SmtpServer;
using toolkit::Answer;
using toolkit::MessageBoxScript;

namespace {

constexpr qint64 kGigabyte = qint64(1) << 30;

QString openError(const QString& path) {
    return QStringLiteral("ファイル %1 は開けません.").arg(path);
}

// A file of `size` bytes that starts with `head` and is a hole after it: it takes
// no room on the disk.
void writeSparse(const QString& path, const QByteArray& head, qint64 size) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(head);
    ASSERT_TRUE(f.resize(size));
}

// What tells a file apart from one written over: the same inode, size and head.
struct Identity {
    ino_t inode = 0;
    off_t size = 0;
    QByteArray head;
    bool operator==(const Identity&) const = default;
};

Identity identityOf(const QString& path) {
    Identity id;
    struct stat st {};
    if (::stat(native(path).constData(), &st) == 0) {
        id.inode = st.st_ino;
        id.size = st.st_size;
    }
    QFile f(path);
    if (f.open(QIODevice::ReadOnly))
        id.head = f.read(64);
    return id;
}

// The process may take `headroom` bytes of address space beyond what it has now,
// as under prlimit --as with a small limit; the old limit comes back at the end.
class AddressSpaceLimit {
  public:
    explicit AddressSpaceLimit(qint64 headroom) {
        EXPECT_EQ(::getrlimit(RLIMIT_AS, &saved_), 0);
        QFile statm(QStringLiteral("/proc/self/statm"));
        EXPECT_TRUE(statm.open(QIODevice::ReadOnly));
        const qint64 pages = statm.readAll().split(' ').value(0).toLongLong();
        struct rlimit limit = saved_;
        limit.rlim_cur = rlim_t(pages * ::sysconf(_SC_PAGESIZE) + headroom);
        EXPECT_EQ(::setrlimit(RLIMIT_AS, &limit), 0);
    }
    ~AddressSpaceLimit() { ::setrlimit(RLIMIT_AS, &saved_); }
    AddressSpaceLimit(const AddressSpaceLimit&) = delete;
    AddressSpaceLimit& operator=(const AddressSpaceLimit&) = delete;

  private:
    struct rlimit saved_ {};
};

void expectOnly(const MessageBoxScript& boxes, const QString& text) {
    ASSERT_FALSE(boxes.shown().isEmpty());
    for (const toolkit::ShownBox& box : boxes.shown()) {
        EXPECT_EQ(box.caption, QStringLiteral("Mirvane"));
        EXPECT_EQ(box.text, text);
    }
}

}  // namespace

TEST(OutOfMemory, ASettingsFileTooBigToHoldIsReportedAtStartAndKept) {
    TempProgramDir dir;
    const QString settings = dir.settingsPath();
    writeSparse(settings, "[Setting]\r\nSMTP=mail.example.jp\r\n", kGigabyte);
    const Identity before = identityOf(settings);
    {
        const AddressSpaceLimit limit(512 << 20);
        MessageBoxScript boxes;
        for (int i = 0; i < 8; ++i)
            boxes.answer(Answer::Ok);
        Application program;
        program.show();
        TForm1* form1 = program.forms().form1;
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form1));
        QTest::keyClicks(form1->Memo1, QStringLiteral("kept"));

        // The settings dialog opens with its defaults and, closed, writes nothing.
        form1->N3->trigger();
        TForm2* form2 = program.forms().form2;
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form2));
        QTest::mouseClick(form2->Button1, Qt::LeftButton);
        EXPECT_FALSE(form2->isVisible());

        // Closing the main window cannot keep its place or the mail: it stays open.
        EXPECT_FALSE(form1->close());
        EXPECT_TRUE(form1->isVisible());
        EXPECT_EQ(form1->Memo1->text(), QStringLiteral("kept"));
        expectOnly(boxes, openError(settings));
        EXPECT_GE(boxes.shown().size(), 3);
    }
    EXPECT_EQ(identityOf(settings), before);
}

TEST(OutOfMemory, ABookAndAHistoryTooBigToHoldAreReportedAndTheMailStays) {
    // HOME elsewhere: no user's netrc is read for the send.
    const QTemporaryDir home;
    const QByteArray savedHome = qgetenv("HOME");
    qputenv("HOME", home.path().toLocal8Bit());
    SmtpServer server({}, bsmtp_test::ServerCert::None);
    TempProgramDir dir;
    dir.write(QStringLiteral("mirvane.ini"),
              "[Setting]\r\nSMTP=" + server.url("smtp") + "\r\nFrom=me@example.jp\r\n");
    const QString book = dir.file(QStringLiteral("address.ini"));
    const QString log = dir.file(QStringLiteral("log.txt"));
    writeSparse(book, "[Address]\r\nName0=x\r\n", kGigabyte);
    writeSparse(log, "old entry\r\n", kGigabyte);
    const Identity bookBefore = identityOf(book);
    const Identity logBefore = identityOf(log);

    Application program;
    program.show();
    TForm1* form1 = program.forms().form1;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form1));
    QTest::keyClicks(form1->Edit2, QStringLiteral("a@example.jp"));
    QTest::keyClicks(form1->Memo1, QStringLiteral("kept"));
    {
        const AddressSpaceLimit limit(512 << 20);
        TForm4* form4 = program.forms().form4;
        {
            MessageBoxScript boxes;
            boxes.answer(Answer::Ok);
            QTest::mouseClick(form1->Button1, Qt::LeftButton);
            ASSERT_TRUE(QTest::qWaitForWindowExposed(form4));
            expectOnly(boxes, openError(book));
            EXPECT_EQ(boxes.shown().size(), 1);
        }
        EXPECT_EQ(form4->Label1->text(), QStringLiteral("アドレス帳を開けません"));
        QTest::mouseClick(form4->ToolButton3, Qt::LeftButton);
        EXPECT_FALSE(form4->isVisible());

        // The mail goes out; the history entry cannot be put on top.
        MessageBoxScript boxes;
        boxes.answer(Answer::Ok);
        QTest::mouseClick(form1->SpeedButton181, Qt::LeftButton);
        EXPECT_EQ(server.messageCount(), 1);
        expectOnly(boxes, openError(log));
        EXPECT_EQ(boxes.shown().size(), 1);
        EXPECT_EQ(form1->StatusBar1->panelText(2), QStringLiteral("送信完了"));
        EXPECT_EQ(form1->Edit2->text(), QStringLiteral("a@example.jp"));
        EXPECT_EQ(form1->Memo1->text(), QStringLiteral("kept"));
    }
    EXPECT_EQ(identityOf(book), bookBefore);
    EXPECT_EQ(identityOf(log), logBefore);
    qputenv("HOME", savedHome);
}

TEST(OutOfMemory, ALinkToAnEndlessDeviceIsRefused) {
    TempProgramDir dir;
    const QString link = dir.file(QStringLiteral("mirvane.ini"));
    ASSERT_EQ(::symlink("/dev/zero", native(link).constData()), 0);
    // Reading /dev/zero to its end would take all the memory there is; with 512 MB of
    // address space the helper runs out of it long before the time limit.
    const QStringList limit = {QStringLiteral("prlimit"), QStringLiteral("--as=536870912")};
    for (const char* command : {"read", "log"}) {
        const HelperRun r = runFileHelper({QString::fromLatin1(command), link}, limit);
        EXPECT_TRUE(r.finished) << command << ": " << r.err.toStdString();
        EXPECT_EQ(r.exitCode, 3) << command;
        EXPECT_EQ(QString::fromUtf8(r.out), openError(link)) << command;
    }
    struct stat st {};
    EXPECT_TRUE(::lstat(native(link).constData(), &st) == 0 && S_ISLNK(st.st_mode));
}

TEST(OutOfMemory, ARefreshOfAHistoryTooBigKeepsTheTextAndWhatWasTyped) {
    TempProgramDir dir;
    dir.write(QStringLiteral("log.txt"), "small\r\n");
    Application program;
    program.show();
    TForm1* form1 = program.forms().form1;
    TForm7* form7 = program.forms().form7;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form1));
    form1->L1->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form7));
    QApplication::setActiveWindow(form7);
    form7->Memo1->setFocus();
    QTest::keyClicks(form7->Memo1, QStringLiteral("mine"));
    ASSERT_EQ(form7->text(), QStringLiteral("minesmall\r\n"));
    const QString log = dir.file(QStringLiteral("log.txt"));
    writeSparse(log, "big\r\n", kGigabyte);
    {
        const AddressSpaceLimit limit(512 << 20);
        MessageBoxScript boxes;
        boxes.answer(Answer::Ok);
        QTest::mouseClick(form7->Button3, Qt::LeftButton);
        expectOnly(boxes, openError(log));
        EXPECT_EQ(boxes.shown().size(), 1);
    }
    EXPECT_EQ(form7->text(), QStringLiteral("minesmall\r\n"));
    EXPECT_TRUE(form7->Button1->isEnabled());
    EXPECT_FALSE(form7->isLoading());
}
