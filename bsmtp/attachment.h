#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The attached file, opened before any connection is made.
namespace bsmtp {

// An open file descriptor, closed with its owner.
class FileHandle {
  public:
    FileHandle() = default;
    explicit FileHandle(int fd) : fd_(fd) {}
    FileHandle(FileHandle&& other) noexcept : fd_(other.release()) {}
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle();

    int fd() const { return fd_; }
    bool isOpen() const { return fd_ >= 0; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

  private:
    int fd_ = -1;
};

struct Attachment {
    enum class Problem {
        None,
        BadName,     // the path is not valid code page 932
        NotFound,    // nothing at that path (any more)
        NotRegular,  // a directory, FIFO, device or socket
        Unreadable,  // exists but cannot be opened
    };

    Problem problem = Problem::None;
    FileHandle file;
    qint64 size = 0;
    QByteArray name;  // code page 932: the part of the path after its last '/'
};

// The file's name as shown and sent: the part of `cp932Path` after its last '/'.
QByteArray attachmentName(QByteArrayView cp932Path);

// Opens the file at `cp932Path` (code page 932, turned into the file system's own name) for
// reading. Only a regular file is opened, and the type is checked again on the open file, so
// that a FIFO put in its place is never waited on.
Attachment openAttachment(QByteArrayView cp932Path);

}  // namespace bsmtp
