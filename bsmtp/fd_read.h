#pragma once

#include <QtGlobal>

#include <unistd.h>
#include <cerrno>

namespace bsmtp {

// Reads up to `size` bytes of `fd` into `buffer`, going on after interrupted reads; the
// number read, less than `size` at the end of the file or on an error.
inline qint64 readUpTo(int fd, char* buffer, qint64 size) {
    qint64 got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, buffer + got, size_t(size - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += n;
    }
    return got;
}

}  // namespace bsmtp
