// Saves as a user without root's rights: the tests run as root in CI, so the helper
// is started as uid 65534 ("nobody"), in directories made for it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "fault_helper.h"
#include "support/test_support.h"

namespace {

constexpr uid_t kNobody = 65534;

const QStringList& asNobody() {
    static const QStringList wrapper = {QStringLiteral("setpriv"), QStringLiteral("--reuid=65534"),
                                        QStringLiteral("--regid=65534"),
                                        QStringLiteral("--clear-groups")};
    return wrapper;
}

struct stat statOf(const QString& path) {
    struct stat st {};
    EXPECT_EQ(::stat(native(path).constData(), &st), 0) << path.toStdString();
    return st;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A directory inside a fresh temporary one that nobody can reach; `ownedByNobody`
// decides whether nobody may create files in it.
class NobodysDirectory {
  public:
    explicit NobodysDirectory(bool ownedByNobody) {
        EXPECT_TRUE(root_.isValid());
        EXPECT_EQ(::chmod(native(root_.path()).constData(), 0711), 0);
        path_ = root_.filePath(QStringLiteral("program"));
        EXPECT_TRUE(QDir().mkdir(path_));
        EXPECT_EQ(::chmod(native(path_).constData(), 0755), 0);
        if (ownedByNobody) {
            EXPECT_EQ(::chown(native(path_).constData(), kNobody, kNobody), 0);
        }
    }
    QString file(const QString& name) const { return path_ + u'/' + name; }
    // A file of nobody's with `mode`.
    void put(const QString& name, const QByteArray& content, mode_t mode) const {
        QFile f(file(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        ASSERT_EQ(::chown(native(file(name)).constData(), kNobody, kNobody), 0);
        ASSERT_EQ(::chmod(native(file(name)).constData(), mode), 0);
    }
    QStringList entries() const {
        return QDir(path_).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }

  private:
    QTemporaryDir root_;
    QString path_;
};

QString createError(const QString& path) {
    return QStringLiteral("ファイル %1 を作成できません.").arg(path);
}

}  // namespace

TEST(FilePermissions, AFileMadeReadOnlyIsKeptAndReported) {
    const NobodysDirectory dir(true);
    dir.put(QStringLiteral("mirvane.ini"), "[Setting]\r\nSMTP=old\r\n", 0444);
    dir.put(QStringLiteral("log.txt"), "old entry\r\n", 0444);
    const QString settings = dir.file(QStringLiteral("mirvane.ini"));
    const QString log = dir.file(QStringLiteral("log.txt"));

    const HelperRun save =
        runFileHelper({QStringLiteral("save"), settings, QStringLiteral("new")}, asNobody());
    EXPECT_EQ(save.exitCode, 3) << save.err.toStdString();
    EXPECT_EQ(QString::fromUtf8(save.out), createError(settings));
    const HelperRun append = runFileHelper({QStringLiteral("log"), log}, asNobody());
    EXPECT_EQ(append.exitCode, 3) << append.err.toStdString();
    EXPECT_EQ(QString::fromUtf8(append.out), createError(log));

    EXPECT_EQ(readAll(settings), QByteArray("[Setting]\r\nSMTP=old\r\n"));
    EXPECT_EQ(readAll(log), QByteArray("old entry\r\n"));
    EXPECT_EQ(statOf(settings).st_mode & 07777, 0444u);
    EXPECT_EQ(dir.entries(),
              (QStringList{QStringLiteral("log.txt"), QStringLiteral("mirvane.ini")}));
}

namespace {

// The syscalls of one run of the helper behind `wrapper`, as strace names them, from
// the first that touches `path` to the end; each with the number of its call of that
// name since the helper started (strace counts injections that way).
struct Call {
    QString name;
    int nth = 0;
};

QList<Call> callsFrom(const QString& path, const QStringList& args, const QStringList& wrapper) {
    const HelperRun r =
        runFileHelper(args, wrapper + QStringList{QStringLiteral("strace"), QStringLiteral("-qq")});
    QList<Call> calls;
    QHash<QString, int> seen;
    bool started = false;
    const QRegularExpression syscall(QStringLiteral("^([a-z0-9_]+)\\("));
    for (const QByteArray& line : r.err.split('\n')) {
        const QRegularExpressionMatch m = syscall.match(QString::fromUtf8(line));
        if (!m.hasMatch())
            continue;
        const QString name = m.captured(1);
        const int nth = ++seen[name];
        started = started || line.contains(native(path));
        if (started)
            calls.append({name, nth});
    }
    return calls;
}

}  // namespace

TEST(FilePermissions, AWritableFileInADirectoryClosedToNewFilesIsKeptWholeAndReported) {
    const NobodysDirectory dir(false);
    const QString settings = dir.file(QStringLiteral("mirvane.ini"));
    const QString log = dir.file(QStringLiteral("log.txt"));
    const QByteArray oldSettings = "[Setting]\r\nSignature=a much longer old value\r\n";
    dir.put(QStringLiteral("mirvane.ini"), oldSettings, 0640);
    dir.put(QStringLiteral("log.txt"), "old entry\r\n", 0600);
    const QStringList save = {QStringLiteral("save"), settings, QStringLiteral("new")};

    // A kill at any system call of the save leaves the whole old file: rewriting it in
    // place, cut off after the new bytes, would leave "new" and the old tail.
    const QList<Call> calls = callsFrom(settings, save, asNobody());
    ASSERT_GE(calls.size(), 3);
    for (const Call& call : calls) {
        dir.put(QStringLiteral("mirvane.ini"), oldSettings, 0640);
        const QString inject =
            QStringLiteral("inject=%1:signal=KILL:when=%2").arg(call.name).arg(call.nth);
        runFileHelper(save,
                      asNobody() + QStringList{QStringLiteral("strace"), QStringLiteral("-qq"),
                                               QStringLiteral("-o"), QStringLiteral("/dev/null"),
                                               QStringLiteral("-e"), inject});
        const QByteArray after = readAll(settings);
        EXPECT_TRUE(after == oldSettings) << "killed at " << call.name.toStdString() << " #"
                                          << call.nth << ": " << after.toStdString();
    }
    dir.put(QStringLiteral("mirvane.ini"), oldSettings, 0640);

    // Left alone, the save says the file cannot be written and keeps it.
    const HelperRun refused = runFileHelper(save, asNobody());
    EXPECT_EQ(refused.exitCode, 3) << refused.err.toStdString();
    EXPECT_EQ(QString::fromUtf8(refused.out), createError(settings));
    EXPECT_EQ(readAll(settings), oldSettings);
    const struct stat st = statOf(settings);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_uid, kNobody);

    const HelperRun append = runFileHelper({QStringLiteral("log"), log}, asNobody());
    EXPECT_EQ(append.exitCode, 3) << append.err.toStdString();
    EXPECT_EQ(QString::fromUtf8(append.out), createError(log));
    EXPECT_EQ(readAll(log), QByteArray("old entry\r\n"));

    // A new file cannot be made there at all.
    const QString fresh = dir.file(QStringLiteral("address.ini"));
    const HelperRun create =
        runFileHelper({QStringLiteral("save"), fresh, QStringLiteral("x")}, asNobody());
    EXPECT_EQ(create.exitCode, 3);
    EXPECT_EQ(QString::fromUtf8(create.out), createError(fresh));
    EXPECT_EQ(dir.entries(),
              (QStringList{QStringLiteral("log.txt"), QStringLiteral("mirvane.ini")}));
}
