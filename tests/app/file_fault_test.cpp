// Files that are not what they should be: a FIFO or a device where a file of ours
// belongs, and symbolic links, through the reads and through the program's start.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QFile>
#include <QTest>
#include <atomic>
#include <chrono>
#include <thread>

#include "app/ini_document.h"
#include "composer/composer_window.h"
#include "fault_helper.h"
#include "program/application.h"
#include "sending/history_log.h"
#include "support/test_support.h"
#include "toolkit/file_error.h"
#include "toolkit/message_box.h"

namespace {

QString openError(const QString& path) {
    return QStringLiteral("ファイル %1 は開けません.").arg(path);
}

bool isFifo(const QString& path) {
    struct stat st {};
    return ::lstat(native(path).constData(), &st) == 0 && S_ISFIFO(st.st_mode);
}

bool isLink(const QString& path) {
    struct stat st {};
    return ::lstat(native(path).constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

// A reader stuck in open() on a FIFO waits for a writer for ever. After a grace time
// this opens and closes the writing end again and again, so that such a reader comes
// free with an empty file and the test fails instead of hanging.
class FifoWatchdog {
  public:
    explicit FifoWatchdog(const QString& fifo) : path_(native(fifo)) {
        thread_ = std::thread([this] {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            while (!done_) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                if (std::chrono::steady_clock::now() < deadline)
                    continue;
                const int fd = ::open(path_.constData(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0) {
                    fired_ = true;
                    ::close(fd);
                }
            }
        });
    }
    ~FifoWatchdog() {
        done_ = true;
        thread_.join();
    }
    bool fired() const { return fired_; }

  private:
    QByteArray path_;
    std::atomic<bool> done_{false};
    std::atomic<bool> fired_{false};
    std::thread thread_;
};

template <class F>
void expectOpenError(const QString& path, F&& read) {
    try {
        read();
        ADD_FAILURE() << "read " << path.toStdString() << " without an error";
    } catch (const FileError& e) {
        EXPECT_EQ(e.kind(), FileError::Kind::Open);
        EXPECT_EQ(e.message(), openError(path));
    }
}

history_log::Entry entry() {
    history_log::Entry e;
    e.to = QStringLiteral("friend@example.jp");
    e.body = QStringLiteral("body");
    return e;
}

}  // namespace

TEST(SpecialFiles, AFifoIsReportedAtOnceInsteadOfWaitingForAWriter) {
    TempProgramDir dir;
    for (const QString& name : {QStringLiteral("mirvane.ini"), QStringLiteral("address.ini"),
                                QStringLiteral("log.txt")}) {
        const QString fifo = dir.file(name);
        ASSERT_EQ(::mkfifo(native(fifo).constData(), 0600), 0);
        FifoWatchdog watchdog(fifo);
        if (name == QStringLiteral("log.txt")) {
            expectOpenError(fifo, [&] { history_log::append(fifo, entry(), QDateTime()); });
        } else {
            expectOpenError(fifo, [&] { IniDocument doc(fifo); });
        }
        EXPECT_FALSE(watchdog.fired()) << name.toStdString() << ": blocked in open";
        EXPECT_TRUE(isFifo(fifo)) << name.toStdString();
    }
    // A directory is no file either.
    ASSERT_EQ(::mkdir(native(dir.file(QStringLiteral("d.ini"))).constData(), 0700), 0);
    expectOpenError(dir.file(QStringLiteral("d.ini")),
                    [&] { IniDocument doc(dir.file(QStringLiteral("d.ini"))); });
}

TEST(SpecialFiles, TheProgramStartsWithAFifoSettingsFileAndReportsIt) {
    TempProgramDir dir;
    const QString fifo = dir.settingsPath();
    ASSERT_EQ(::mkfifo(native(fifo).constData(), 0600), 0);
    FifoWatchdog watchdog(fifo);
    toolkit::MessageBoxScript boxes;
    for (int i = 0; i < 8; ++i)
        boxes.answer(toolkit::Answer::Ok);
    {
        Application program;
        program.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(program.forms().form1));
    }
    EXPECT_FALSE(watchdog.fired()) << "the start waited for a writer";
    ASSERT_FALSE(boxes.shown().isEmpty());
    for (const toolkit::ShownBox& box : boxes.shown()) {
        EXPECT_EQ(box.caption, QStringLiteral("Mirvane"));
        EXPECT_EQ(box.text, openError(fifo));
    }
    EXPECT_TRUE(isFifo(fifo));
}

TEST(SettingsLinks, AChainOfLinksIsReadAndWrittenThroughToItsEnd) {
    TempProgramDir dir;
    dir.write(QStringLiteral("final.ini"), "[Setting]\r\nBiteLimit=1\r\n");
    ASSERT_EQ(::symlink("final.ini", native(dir.file(QStringLiteral("mid.ini"))).constData()), 0);
    ASSERT_EQ(::symlink("mid.ini", native(dir.settingsPath()).constData()), 0);
    {
        Application program;
        program.show();
        TForm1* form1 = program.forms().form1;
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form1));
        EXPECT_EQ(form1->bodyLimit(), 0);
        EXPECT_TRUE(form1->close());
    }
    EXPECT_TRUE(isLink(dir.settingsPath()));
    EXPECT_TRUE(isLink(dir.file(QStringLiteral("mid.ini"))));
    const QByteArray stored = dir.read(QStringLiteral("final.ini"));
    EXPECT_TRUE(stored.startsWith("[Setting]\r\nBiteLimit=1\r\n\r\n[Window]\r\nTop1=272\r\n"))
        << stored.toStdString();
}

TEST(SettingsLinks, ADanglingLinkIsAMissingFileUntilTheFirstWriteCreatesItsTarget) {
    TempProgramDir dir;
    ASSERT_EQ(::symlink("kept/settings.ini", native(dir.settingsPath()).constData()), 0);
    ASSERT_EQ(::mkdir(native(dir.file(QStringLiteral("kept"))).constData(), 0700), 0);
    {
        // No box at start: the unexpected-box handler would fail the test.
        Application program;
        program.show();
        TForm1* form1 = program.forms().form1;
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form1));
        EXPECT_EQ(form1->bodyLimit(), 500);
        EXPECT_TRUE(form1->close());
    }
    EXPECT_TRUE(isLink(dir.settingsPath()));
    EXPECT_EQ(dir.read(QStringLiteral("kept/settings.ini")),
              QByteArray("[Window]\r\nTop1=272\r\nLeft1=559\r\nWidth1=297\r\n\r\n"));
}
