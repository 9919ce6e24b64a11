// Saves as a user without root's rights: the tests run as root in CI, so the helper
// is started as uid 65534 ("nobody"), in directories made for it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "fault_helper.h"

namespace {

constexpr uid_t kNobody = 65534;

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

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

TEST(FilePermissions, AWritableFileInADirectoryClosedToNewFilesIsRewrittenInPlace) {
    const NobodysDirectory dir(false);
    const QString settings = dir.file(QStringLiteral("mirvane.ini"));
    const QString log = dir.file(QStringLiteral("log.txt"));
    dir.put(QStringLiteral("mirvane.ini"), "[Setting]\r\nSignature=a much longer old value\r\n",
            0640);
    dir.put(QStringLiteral("log.txt"), "old entry\r\n", 0600);

    const HelperRun save =
        runFileHelper({QStringLiteral("save"), settings, QStringLiteral("new")}, asNobody());
    EXPECT_EQ(save.exitCode, 0) << save.out.toStdString() << save.err.toStdString();
    // Cut to the new length, not the new bytes over the old tail.
    EXPECT_EQ(readAll(settings), QByteArray("new"));
    const struct stat st = statOf(settings);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_uid, kNobody);

    const HelperRun append = runFileHelper({QStringLiteral("log"), log}, asNobody());
    EXPECT_EQ(append.exitCode, 0) << append.out.toStdString() << append.err.toStdString();
    const QByteArray history = readAll(log);
    EXPECT_TRUE(history.contains("[friend@example.jp]")) << history.toStdString();
    EXPECT_TRUE(history.endsWith("\r\n\r\n\r\nold entry\r\n")) << history.toStdString();

    // A new file cannot be made there at all.
    const QString fresh = dir.file(QStringLiteral("address.ini"));
    const HelperRun create =
        runFileHelper({QStringLiteral("save"), fresh, QStringLiteral("x")}, asNobody());
    EXPECT_EQ(create.exitCode, 3);
    EXPECT_EQ(QString::fromUtf8(create.out), createError(fresh));
    EXPECT_EQ(dir.entries(),
              (QStringList{QStringLiteral("log.txt"), QStringLiteral("mirvane.ini")}));
}
