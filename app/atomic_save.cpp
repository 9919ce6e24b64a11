#include "app/atomic_save.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>

#include "toolkit/file_error.h"

namespace {

[[noreturn]] void fail(const QString& path, int err) {
    throw FileError(FileError::Kind::Create, path, QString::fromLocal8Bit(std::strerror(err)));
}

// Writes all of `data`, going on after short writes; false with errno set on failure.
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

}  // namespace

void atomicSave(const QString& path, QByteArrayView data) {
    // Through a symbolic link the file it points at is replaced, not the link.
    QString target = path;
    const QFileInfo link(path);
    if (link.isSymLink())
        target = link.symLinkTarget();
    const QFileInfo info(target);
    const QByteArray nativeTarget = QFile::encodeName(target);
    const QByteArray dir = QFile::encodeName(info.absolutePath());

    struct stat old {};
    const bool hadOld = ::stat(nativeTarget.constData(), &old) == 0;
    if (hadOld && !S_ISREG(old.st_mode))
        fail(path, S_ISDIR(old.st_mode) ? EISDIR : EINVAL);

    QByteArray temp;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temp = dir + '/' + '.' + QFile::encodeName(info.fileName()) + '.' +
               QByteArray::number(QRandomGenerator::global()->generate64(), 36) + ".tmp";
        fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            fail(path, errno);
    }
    if (fd < 0)
        fail(path, EEXIST);

    auto abandon = [&](int err) {
        ::close(fd);
        ::unlink(temp.constData());
        fail(path, err);
    };
    if (hadOld && ::fchmod(fd, old.st_mode & 07777) != 0)
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
    if (::rename(temp.constData(), nativeTarget.constData()) != 0) {
        const int err = errno;
        ::unlink(temp.constData());
        fail(path, err);
    }
    // The rename itself must reach the disk too.
    const int dfd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        const int rc = ::fsync(dfd);
        const int err = errno;
        ::close(dfd);
        if (rc != 0 && err != EINVAL && err != EROFS)
            fail(path, err);
    }
}
