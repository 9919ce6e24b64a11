#include "bsmtp/attachment.h"

#include "bsmtp/cp932_text.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace bsmtp {

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = other.release();
    }
    return *this;
}

FileHandle::~FileHandle() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

QByteArray attachmentName(QByteArrayView cp932Path) {
    return cp932Path.sliced(cp932Path.lastIndexOf('/') + 1).toByteArray();
}

namespace {

Attachment::Problem problemFor(int error) {
    return (error == ENOENT || error == ENOTDIR) ? Attachment::Problem::NotFound
                                                 : Attachment::Problem::Unreadable;
}

}  // namespace

Attachment openAttachment(QByteArrayView cp932Path) {
    Attachment result;
    result.name = attachmentName(cp932Path);
    const std::optional<QString> path = decodeCp932(cp932Path);
    if (!path || path->isEmpty()) {
        result.problem = Attachment::Problem::BadName;
        return result;
    }
    const QByteArray localPath = QFile::encodeName(*path);

    struct stat st {};
    if (::stat(localPath.constData(), &st) != 0) {
        result.problem = problemFor(errno);
        return result;
    }
    if (!S_ISREG(st.st_mode)) {
        result.problem = Attachment::Problem::NotRegular;
        return result;
    }
    // O_NONBLOCK: should a FIFO have taken the file's place since the check, opening it
    // must not wait for a writer.
    FileHandle file(::open(localPath.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!file.isOpen()) {
        result.problem = problemFor(errno);
        return result;
    }
    if (::fstat(file.fd(), &st) != 0) {
        result.problem = Attachment::Problem::Unreadable;
        return result;
    }
    if (!S_ISREG(st.st_mode)) {
        result.problem = Attachment::Problem::NotRegular;
        return result;
    }
    const int flags = ::fcntl(file.fd(), F_GETFL);
    if (flags == -1 || ::fcntl(file.fd(), F_SETFL, flags & ~O_NONBLOCK) == -1) {
        result.problem = Attachment::Problem::Unreadable;
        return result;
    }
    result.file = std::move(file);
    result.size = st.st_size;
    return result;
}

}  // namespace bsmtp
