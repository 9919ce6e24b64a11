#include "bsmtp/message_source.h"

#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace bsmtp {

namespace {

// Whole base64 lines per block: about 64 KiB of file at a time.
constexpr qsizetype kBlockBytes = Base64Lines::kBytesPerLine * 1150;

}  // namespace

MessageSource::MessageSource(MessageFrame frame, int fd, qint64 fileSize)
    : frame_(std::move(frame)), fd_(fd), fileSize_(fd >= 0 ? fileSize : 0) {
    pending_ = frame_.head;
}

qint64 MessageSource::totalSize() const {
    return frame_.head.size() + Base64Lines::encodedSize(fileSize_) + frame_.tail.size();
}

qint64 MessageSource::read(char* buffer, qint64 capacity) {
    if (failure_ != Failure::None) {
        return -1;
    }
    qint64 copied = 0;
    while (copied < capacity) {
        if (pos_ == pending_.size() && !refill()) {
            break;
        }
        if (failure_ != Failure::None) {
            return -1;
        }
        const qint64 n = std::min<qint64>(capacity - copied, pending_.size() - pos_);
        std::memcpy(buffer + copied, pending_.constData() + pos_, n);
        copied += n;
        pos_ += n;
    }
    return failure_ != Failure::None ? -1 : copied;
}

// Moves on to the next piece; false when there is none.
bool MessageSource::refill() {
    pending_.clear();
    pos_ = 0;
    while (pending_.isEmpty()) {
        switch (phase_) {
            case Phase::Head:
                phase_ = fd_ >= 0 ? Phase::File : Phase::Done;
                break;
            case Phase::File:
                if (!readBlock()) {
                    return true;  // failure_ is set
                }
                if (fileRead_ == fileSize_ && pending_.isEmpty()) {
                    phase_ = Phase::Tail;
                }
                break;
            case Phase::Tail:
                pending_ = frame_.tail;
                phase_ = Phase::Done;
                break;
            case Phase::Done:
                return false;
        }
    }
    return true;
}

// Reads the next block of the file and encodes it into pending_. The file must hold exactly
// the size it had when it was opened: the size is already promised to the server, and a
// mail is never sent with part of its attachment.
bool MessageSource::readBlock() {
    if (fileRead_ == fileSize_) {
        // Anything beyond the size seen when opening means the file changed.
        char extra;
        const ssize_t n = ::read(fd_, &extra, 1);
        if (n != 0) {
            failure_ = n < 0 ? Failure::ReadError : Failure::FileChanged;
            return false;
        }
        return true;
    }
    const qint64 want = std::min<qint64>(kBlockBytes, fileSize_ - fileRead_);
    block_.resize(want);
    qint64 got = 0;
    while (got < want) {
        const ssize_t n = ::read(fd_, block_.data() + got, want - got);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            failure_ = Failure::ReadError;
            return false;
        }
        if (n == 0) {
            failure_ = Failure::FileChanged;
            return false;
        }
        got += n;
    }
    fileRead_ += got;
    encoder_.append(pending_, block_);
    return true;
}

}  // namespace bsmtp
