#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <chrono>
#include <csignal>
#include <thread>

#include "app/atomic_save.h"
#include "app/ini_document.h"
#include "fault_helper.h"
#include "sending/history_log.h"
#include "toolkit/file_error.h"

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList leftovers(const QString& dir) {
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

unsigned modeOf(const QString& path) {
    struct stat st {};
    return ::stat(native(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

bool isLink(const QString& path) {
    struct stat st {};
    return ::lstat(native(path).constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

void touch(const QString& path) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write("stale copy of a mail body");
}

class Umask {
  public:
    explicit Umask(mode_t mask) : saved_(::umask(mask)) {}
    ~Umask() { ::umask(saved_); }

  private:
    mode_t saved_;
};

}  // namespace

TEST(AtomicSave, ReplacesTheFileAndKeepsItsPermissionBits) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.ini"));
    atomicSave(path, "old");
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);
    atomicSave(path, "new");
    EXPECT_EQ(readAll(path), QByteArray("new"));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(leftovers(dir.path()), QStringList{QStringLiteral("a.ini")});
}

TEST(AtomicSave, AFailedWriteLeavesTheOldFileAndNoTemporary) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.ini"));
    atomicSave(path, "old");

    // A file size limit makes the write come up short, as a full disk does.
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    bool threw = false;
    try {
        atomicSave(path, QByteArray(10000, 'x'));
    } catch (const FileError& e) {
        threw = true;
        EXPECT_EQ(e.kind(), FileError::Kind::Create);
        EXPECT_EQ(e.path(), path);
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_TRUE(threw);
    EXPECT_EQ(readAll(path), QByteArray("old"));
    EXPECT_EQ(leftovers(dir.path()), QStringList{QStringLiteral("a.ini")});
}

TEST(AtomicSave, ReportsADirectoryOrAMissingFolder) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("d.ini")));
    EXPECT_THROW(atomicSave(dir.filePath(QStringLiteral("d.ini")), "x"), FileError);
    EXPECT_THROW(atomicSave(dir.filePath(QStringLiteral("no/such/a.ini")), "x"), FileError);
    // A document on such a path reports at write-back; reading it is an open error.
    EXPECT_THROW(IniDocument(dir.filePath(QStringLiteral("d.ini"))), FileError);
}

TEST(AtomicSave, NewFilesArePrivateAndAnExistingFileKeepsItsMode) {
    const Umask usual(022);
    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("mirvane.ini"));
    const QString log = dir.filePath(QStringLiteral("log.txt"));
    atomicSave(settings, "[Setting]\r\n");
    history_log::append(log, history_log::Entry{}, QDateTime(QDate(2024, 5, 1), QTime(9, 0)));
    EXPECT_EQ(modeOf(settings), 0600u);
    EXPECT_EQ(modeOf(log), 0600u);

    // A mode the user chose stays, wider or narrower.
    ASSERT_EQ(::chmod(native(settings).constData(), 0644), 0);
    atomicSave(settings, "again");
    EXPECT_EQ(modeOf(settings), 0644u);
    ASSERT_EQ(::chmod(native(log).constData(), 0640), 0);
    history_log::append(log, history_log::Entry{}, QDateTime(QDate(2024, 5, 2), QTime(9, 0)));
    EXPECT_EQ(modeOf(log), 0640u);
}

TEST(AtomicSave, FollowsAChainOfLinksToItsEndAndKeepsTheLinks) {
    QTemporaryDir dir;
    QTemporaryDir elsewhere;
    const QString final = elsewhere.filePath(QStringLiteral("final.ini"));
    atomicSave(final, "old");
    const QString mid = dir.filePath(QStringLiteral("mid.ini"));
    const QString settings = dir.filePath(QStringLiteral("mirvane.ini"));
    ASSERT_EQ(::symlink(native(final).constData(), native(mid).constData()), 0);
    ASSERT_EQ(::symlink("mid.ini", native(settings).constData()), 0);
    ASSERT_EQ(::chmod(native(final).constData(), 0640), 0);

    atomicSave(settings, "new");
    EXPECT_EQ(readAll(final), QByteArray("new"));
    EXPECT_TRUE(isLink(settings));
    EXPECT_TRUE(isLink(mid));
    EXPECT_EQ(modeOf(final), 0640u);
    // The temporary lived beside the final file, and went.
    EXPECT_EQ(leftovers(elsewhere.path()), QStringList{QStringLiteral("final.ini")});

    // A dangling link: its target is created and the link stays.
    const QString dangling = dir.filePath(QStringLiteral("address.ini"));
    ASSERT_EQ(::symlink("books/address-target.ini", native(dangling).constData()), 0);
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("books")));
    atomicSave(dangling, "book");
    EXPECT_TRUE(isLink(dangling));
    EXPECT_EQ(readAll(dir.filePath(QStringLiteral("books/address-target.ini"))), "book");

    // A loop of links is no file.
    const QString loop = dir.filePath(QStringLiteral("loop.ini"));
    ASSERT_EQ(::symlink("loop.ini", native(loop).constData()), 0);
    EXPECT_THROW(atomicSave(loop, "x"), FileError);
    EXPECT_TRUE(isLink(loop));
}

TEST(AtomicSave, AFailedDirectorySyncAfterTheRenameIsNoFailedSave) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("log.txt"));
    atomicSave(path, "old");
    // The file itself is synced with fdatasync, so every fsync is the directory's.
    const HelperRun r =
        runFileHelper({QStringLiteral("save"), path, QStringLiteral("new")},
                      {QStringLiteral("strace"), QStringLiteral("-f"), QStringLiteral("-qq"),
                       QStringLiteral("-o"), QStringLiteral("/dev/null"), QStringLiteral("-e"),
                       QStringLiteral("trace=fsync"), QStringLiteral("-e"),
                       QStringLiteral("inject=fsync:error=EIO")});
    ASSERT_TRUE(r.finished) << r.err.toStdString();
    EXPECT_EQ(r.exitCode, 0) << r.out.toStdString();
    EXPECT_EQ(r.out, QByteArray("ok"));
    EXPECT_TRUE(r.err.contains("durability could not be confirmed")) << r.err.toStdString();
    EXPECT_EQ(readAll(path), QByteArray("new"));

    // The same seam on the file's own sync does fail the save and keeps the old file.
    const HelperRun d =
        runFileHelper({QStringLiteral("save"), path, QStringLiteral("newer")},
                      {QStringLiteral("strace"), QStringLiteral("-f"), QStringLiteral("-qq"),
                       QStringLiteral("-o"), QStringLiteral("/dev/null"), QStringLiteral("-e"),
                       QStringLiteral("trace=fdatasync"), QStringLiteral("-e"),
                       QStringLiteral("inject=fdatasync:error=EIO")});
    EXPECT_EQ(d.exitCode, 3);
    EXPECT_EQ(QString::fromUtf8(d.out), QStringLiteral("ファイル %1 を作成できません.").arg(path));
    EXPECT_EQ(readAll(path), QByteArray("new"));
    EXPECT_EQ(leftovers(dir.path()), QStringList{QStringLiteral("log.txt")});
}

TEST(AtomicSave, SweepsOnlyTheTemporariesOfProcessesThatAreGone) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.ini"));
    QProcess gone;
    gone.start(QStringLiteral("true"));
    ASSERT_TRUE(gone.waitForStarted());
    const QString deadPid = QString::number(gone.processId());
    ASSERT_TRUE(gone.waitForFinished());
    QProcess running;  // a second copy of the program in the middle of its save
    running.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    ASSERT_TRUE(running.waitForStarted());
    const QString livePid = QString::number(running.processId());

    const QStringList stale = {QStringLiteral(".a.ini.%1.k3v9.tmp").arg(deadPid),
                               QStringLiteral(".a.ini.%1.zz.tmp").arg(deadPid)};
    const QStringList kept = {QStringLiteral(".a.ini.%1.q1.tmp").arg(livePid),
                              QStringLiteral(".b.ini.%1.q1.tmp").arg(deadPid),
                              QStringLiteral(".a.ini.notes.tmp"), QStringLiteral("a.ini.bak")};
    for (const QString& name : stale + kept)
        touch(dir.filePath(name));
    atomicSave(path, "new");
    QStringList expected = kept;
    expected.append(QStringLiteral("a.ini"));
    expected.sort();
    EXPECT_EQ(leftovers(dir.path()), expected);
    running.kill();
    running.waitForFinished();
}

TEST(AtomicSave, KillsAtRandomMomentsLeaveNeitherTornFilesNorTemporaries) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.ini"));
    constexpr int kRounds = 120;
    int killedMidSave = 0;
    for (int round = 0; round < kRounds; ++round) {
        QProcess writer;
        writer.start(QStringLiteral(ATOMIC_SAVE_WRITER), {path});
        ASSERT_TRUE(writer.waitForStarted());
        ASSERT_TRUE(writer.waitForReadyRead(10000));  // it has saved at least once
        std::this_thread::sleep_for(
            std::chrono::microseconds(QRandomGenerator::global()->bounded(3000)));
        writer.kill();
        writer.waitForFinished();
        const QByteArray content = readAll(path);
        ASSERT_EQ(content.size(), 64 * 1024) << "round " << round;
        ASSERT_EQ(content.count(content.at(0)), content.size()) << "round " << round;
        // The killed writer may leave its own temporary; the next save sweeps it, so
        // they never pile up.
        const qsizetype temporaries = leftovers(dir.path()).size() - 1;
        ASSERT_LE(temporaries, 1) << "round " << round;
        killedMidSave += int(temporaries);
    }
    EXPECT_GT(killedMidSave, 0) << "no kill landed inside a save";
    atomicSave(path, "last");
    EXPECT_EQ(leftovers(dir.path()), QStringList{QStringLiteral("a.ini")});
}
