// Where the program keeps its files, and what a user meets when the settings file
// cannot be written. CI runs as root: the user without rights is uid 65534 ("nobody"),
// switched to with setpriv.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "addressbook/address_book.h"
#include "app/ini_document.h"
#include "app/settings_file.h"
#include "fault_helper.h"

namespace {

constexpr uid_t kNobody = 65534;

const QStringList& asNobody() {
    static const QStringList wrapper = {QStringLiteral("setpriv"), QStringLiteral("--reuid=65534"),
                                        QStringLiteral("--regid=65534"),
                                        QStringLiteral("--clear-groups")};
    return wrapper;
}

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

void putFile(const QString& path, const QByteArray& content) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Sets an environment variable for one scope.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const QByteArray& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
        qputenv(name, value);
    }
    ~ScopedEnv() {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }

  private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

}  // namespace

TEST(UserFiles, OnlyTheUsersOwnUnmarkedProgramDirectoryHoldsTheirFiles) {
    using settings_file::Place;
    QTemporaryDir dir;
    // A build tree or an install into a prefix of one's own.
    EXPECT_EQ(settings_file::placeFor(dir.path()), Place::ProgramDirectory);

    // Another user's directory, even one this user could write (root can write every
    // one): its owner would meet this user's private files there.
    ASSERT_EQ(::chown(native(dir.path()).constData(), kNobody, kNobody), 0);
    EXPECT_EQ(settings_file::placeFor(dir.path()), Place::UserFolders);
    ASSERT_EQ(::chown(native(dir.path()).constData(), ::geteuid(), ::getegid()), 0);

    // One's own directory made read-only, as its owner finds it (root may write any).
    ASSERT_EQ(::chown(native(dir.path()).constData(), kNobody, kNobody), 0);
    const auto placeForNobody = [&] {
        return runFileHelper({QStringLiteral("place"), dir.path()}, asNobody()).out;
    };
    EXPECT_EQ(placeForNobody(), QByteArray("program directory"));
    ASSERT_EQ(::chmod(native(dir.path()).constData(), 0555), 0);
    EXPECT_EQ(placeForNobody(), QByteArray("user folders"));
    ASSERT_EQ(::chmod(native(dir.path()).constData(), 0755), 0);
    ASSERT_EQ(::chown(native(dir.path()).constData(), ::geteuid(), ::getegid()), 0);

    // A package or an install made by root: the marker decides, also for root.
    putFile(dir.filePath(QLatin1String(settings_file::kSystemInstallMarker)), "");
    EXPECT_EQ(settings_file::placeFor(dir.path()), Place::UserFolders);

    // The user's folders follow the XDG variables; empty or relative ones mean the
    // defaults.
    const ScopedEnv home("HOME", "/home/someone");
    {
        const ScopedEnv config("XDG_CONFIG_HOME", "/elsewhere/config");
        const ScopedEnv data("XDG_DATA_HOME", "/elsewhere/data");
        EXPECT_EQ(settings_file::userConfigDirectory(),
                  QStringLiteral("/elsewhere/config/mirvane"));
        EXPECT_EQ(settings_file::userDataDirectory(), QStringLiteral("/elsewhere/data/mirvane"));
    }
    const ScopedEnv config("XDG_CONFIG_HOME", "");
    const ScopedEnv data("XDG_DATA_HOME", "relative/data");
    EXPECT_EQ(settings_file::userConfigDirectory(),
              QStringLiteral("/home/someone/.config/mirvane"));
    EXPECT_EQ(settings_file::userDataDirectory(),
              QStringLiteral("/home/someone/.local/share/mirvane"));
}

// A user whose settings file is read-only walks through the registration of an
// address, its edit, the address book, the version dialog and the history: every
// close reports that the place cannot be stored, and every window closes all the same;
// the address book is saved.
TEST(UserFiles, AReadOnlySettingsFileTrapsNoWindowAndCostsNoAddress) {
    QTemporaryDir root;
    ASSERT_EQ(::chmod(native(root.path()).constData(), 0711), 0);
    const QString dir = root.filePath(QStringLiteral("program"));
    ASSERT_TRUE(QDir().mkdir(dir));
    const QString settings = dir + QStringLiteral("/mirvane.ini");
    const QByteArray stored = "[Window]\r\nTop4=100\r\nLeft4=120\r\n\r\n";
    putFile(settings, stored);
    putFile(dir + QStringLiteral("/log.txt"), "");
    for (const QString& path : {dir, settings, dir + QStringLiteral("/log.txt")}) {
        ASSERT_EQ(::chown(native(path).constData(), kNobody, kNobody), 0);
    }
    ASSERT_EQ(::chmod(native(settings).constData(), 0444), 0);

    QProcess helper;
    helper.start(asNobody().first(), asNobody().mid(1) << QStringLiteral(CLOSING_HELPER) << dir);
    ASSERT_TRUE(helper.waitForFinished(60000));
    const QString out = QString::fromUtf8(helper.readAllStandardOutput());
    ASSERT_EQ(helper.exitCode(), 0) << out.toStdString() << helper.readAllStandardError().data();

    const QString report =
        QStringLiteral("box Mirvane: ファイル %1 を作成できません.").arg(settings);
    QStringList expected = {QStringLiteral("new-address closed"),
                            QStringLiteral("edit-address closed"),
                            QStringLiteral("address-book closed"), QStringLiteral("version closed"),
                            QStringLiteral("history closed")};
    // The entry dialogs, the book, the version dialog and the history each report once.
    for (int i = 0; i < 5; ++i)
        expected.append(report);
    EXPECT_EQ(out.trimmed().toStdString(), expected.join(u'\n').toStdString());

    EXPECT_EQ(readAll(settings), stored);
    const IniDocument book(dir + QStringLiteral("/address.ini"));
    const TAddressBook entries = address_book::read(book);
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries[0].name, QByteArray("Satoko"));
    EXPECT_EQ(entries[0].address, QByteArray("sato@example.jp"));
}
