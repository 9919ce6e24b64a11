#include "app/atomic_save.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "toolkit/file_error.h"

namespace {

[[noreturn]] void fail(const QString& path, int err) {
    throw FileError(FileError::Kind::Create, path, QString::fromLocal8Bit(std::strerror(err)));
}

// Writes all of `data` from the current offset, going on after short writes; false
// with errno set on failure.
bool writeAll(int fd, QByteArrayView data) {
    const char* p = data.data();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

// The file a save replaces: every symbolic link of the chain followed, so that the
// links stay links. A dangling link gives the path its last link names.
QByteArray finalTarget(const QString& path) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (!canonical.isEmpty())
        return QFile::encodeName(canonical);
    QByteArray current = QFile::encodeName(QFileInfo(path).absoluteFilePath());
    for (int hops = 0; hops < 40; ++hops) {
        char buffer[4096];
        const ssize_t n = ::readlink(current.constData(), buffer, sizeof buffer);
        if (n < 0)
            return current;  // not a link (or nothing there): this is the file
        if (size_t(n) == sizeof buffer)
            fail(path, ENAMETOOLONG);
        QByteArray next(buffer, n);
        if (!next.startsWith('/'))
            next = current.left(current.lastIndexOf('/') + 1) + next;
        current = next;
    }
    fail(path, ELOOP);
}

QByteArray directoryOf(const QByteArray& file) {
    const qsizetype slash = file.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : file.left(slash);
}

// Temporary names are ".<name>.<pid>.<random>.tmp": the pid tells a later save
// whether the copy that made the file can still be writing it.
QByteArray temporaryPrefix(const QByteArray& fileName) {
    return '.' + fileName + '.';
}

// Removes the temporaries of `fileName` that a killed save left in `dir`. Only those
// whose process is gone: a second running copy may be in the middle of its own save.
void sweepStaleTemporaries(const QByteArray& dir, const QByteArray& fileName) {
    DIR* d = ::opendir(dir.constData());
    if (!d)
        return;
    const QByteArray prefix = temporaryPrefix(fileName);
    const pid_t self = ::getpid();
    while (const dirent* entry = ::readdir(d)) {
        const QByteArrayView name(entry->d_name);
        if (!name.startsWith(prefix) || !name.endsWith(".tmp"))
            continue;
        const QByteArrayView middle = name.sliced(prefix.size(), name.size() - prefix.size() - 4);
        const qsizetype dot = middle.indexOf('.');
        if (dot <= 0)
            continue;
        bool ok = false;
        const qint64 pid = middle.first(dot).toLongLong(&ok);
        if (!ok || pid <= 0 || pid == self)
            continue;
        if (::kill(pid_t(pid), 0) == 0 || errno != ESRCH)
            continue;  // still running, or someone else's process
        struct stat st {};
        if (::fstatat(::dirfd(d), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(st.st_mode))
            ::unlinkat(::dirfd(d), entry->d_name, 0);
    }
    ::closedir(d);
}

class Descriptor {
  public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    void reset(int fd = -1) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }

  private:
    int fd_;
};

}  // namespace

void atomicSave(const QString& path, QByteArrayView data) {
    const QByteArray target = finalTarget(path);
    const QByteArray dir = directoryOf(target);
    const QByteArray fileName = target.mid(dir.size() + 1);

    // The existing file, opened for writing: that fails when the user made it
    // read-only, even though renaming over it would succeed.
    Descriptor old;
    struct stat oldStat {};
    const bool hadOld = ::lstat(target.constData(), &oldStat) == 0;
    if (hadOld) {
        if (!S_ISREG(oldStat.st_mode))
            fail(path, S_ISDIR(oldStat.st_mode) ? EISDIR : EINVAL);
        old.reset(::open(target.constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        if (old.get() < 0)
            fail(path, errno);
        if (::fstat(old.get(), &oldStat) != 0)
            fail(path, errno);
        if (!S_ISREG(oldStat.st_mode))
            fail(path, EINVAL);
    } else if (errno != ENOENT) {
        fail(path, errno);
    }

    sweepStaleTemporaries(dir, fileName);

    QByteArray temp;
    int fd = -1;
    const QByteArray prefix =
        dir + '/' + temporaryPrefix(fileName) + QByteArray::number(qint64(::getpid())) + '.';
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temp = prefix + QByteArray::number(QRandomGenerator::global()->generate64(), 36) + ".tmp";
        // 0600: the files hold mail and addresses, private to their owner.
        fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        // A directory that refuses new files refuses the save, even when the file
        // itself is writable: rewriting it in place could be cut off half-way and
        // leave old and new bytes mixed.
        if (fd < 0 && errno != EEXIST)
            fail(path, errno);
    }
    if (fd < 0)
        fail(path, EEXIST);
    old.reset();

    auto abandon = [&](int err) {
        ::close(fd);
        ::unlink(temp.constData());
        fail(path, err);
    };
    if (hadOld && ::fchmod(fd, oldStat.st_mode & 07777) != 0)
        abandon(errno);
    if (!writeAll(fd, data))
        abandon(errno);
    if (::fdatasync(fd) != 0)
        abandon(errno);
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(temp.constData());
        fail(path, err);
    }
    if (::rename(temp.constData(), target.constData()) != 0) {
        const int err = errno;
        ::unlink(temp.constData());
        fail(path, err);
    }
    // The rename must reach the disk too. When that cannot be confirmed the new file is
    // still the file: reporting it as not written would invite the user to repeat a
    // send that is already in the history.
    const Descriptor dfd(::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    int err = dfd.get() < 0 ? errno : 0;
    if (dfd.get() >= 0 && ::fsync(dfd.get()) != 0)
        err = errno;
    if (err != 0 && err != EINVAL && err != EROFS) {
        std::fprintf(stderr,
                     "mirvane: %s was saved, but its durability could not be confirmed "
                     "(directory sync: %s)\n",
                     target.constData(), std::strerror(err));
    }
}
