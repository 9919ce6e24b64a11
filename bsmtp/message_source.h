#pragma once

#include "bsmtp/mime.h"

#include <QByteArray>

// The message handed to libcurl piece by piece: the head, the attachment's base64 made
// while it is read, the tail. Only one block of the file is held at a time.
namespace bsmtp {

class MessageSource {
  public:
    enum class Failure { None, ReadError, FileChanged };

    // `fd` is the open attachment (or -1 for none) of `fileSize` bytes; it stays the
    // caller's.
    MessageSource(MessageFrame frame, int fd, qint64 fileSize);

    // Bytes the whole message has: known before sending, so the server can refuse an
    // oversized mail before it is sent.
    qint64 totalSize() const;

    // Copies up to `capacity` bytes into `buffer`. Returns the count, 0 at the end, or -1
    // when the attachment cannot be read whole as it was when it was opened.
    qint64 read(char* buffer, qint64 capacity);

    // True once every byte of the message has been handed out.
    bool finished() const { return phase_ == Phase::Done && pos_ == pending_.size(); }
    Failure failure() const { return failure_; }

  private:
    enum class Phase { Head, File, Tail, Done };

    bool refill();
    bool readBlock();

    MessageFrame frame_;
    int fd_;
    qint64 fileSize_;
    qint64 fileRead_ = 0;
    Phase phase_ = Phase::Head;
    QByteArray pending_;
    qsizetype pos_ = 0;
    QByteArray block_;
    Base64Lines encoder_;
    Failure failure_ = Failure::None;
};

}  // namespace bsmtp
