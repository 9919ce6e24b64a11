#include "app/file_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <cstring>

#include "toolkit/file_error.h"

namespace {

constexpr char kUtf8Signature[] = "\xEF\xBB\xBF";

[[noreturn]] void fail(const QString& path, int err) {
    throw FileError(FileError::Kind::Open, path, QString::fromLocal8Bit(std::strerror(err)));
}

class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

}  // namespace

std::optional<QByteArray> readRegularFile(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    // O_NONBLOCK: a FIFO opens at once instead of waiting for a writer, and is then
    // refused by the type check below.
    const Descriptor fd(::open(native.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno == ENOENT)
            return std::nullopt;
        fail(path, errno);
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        fail(path, errno);
    if (!S_ISREG(st.st_mode))
        fail(path, S_ISDIR(st.st_mode) ? EISDIR : EINVAL);

    return readingFile(path, [&] {
        QByteArray content;
        // The size is only a hint: the file may grow or shrink while it is read.
        content.reserve(qsizetype(st.st_size) + 1);
        char buffer[65536];
        bool signatureChecked = false;
        for (;;) {
            const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                fail(path, errno);
            }
            if (n == 0)
                break;
            content.append(buffer, n);
            // A UTF-8 signature that an editor put in front is no text of ours.
            if (!signatureChecked && content.size() >= 3) {
                if (content.startsWith(kUtf8Signature))
                    content.remove(0, 3);
                signatureChecked = true;
            }
        }
        return content;
    });
}
