#include "bsmtp/media_type.h"

#include "bsmtp/fd_read.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace bsmtp {

namespace {

constexpr qint64 kMaxTableSize = 4 << 20;

// RFC 2045 token characters.
bool isTokenChar(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (u <= 0x20 || u >= 0x7F) {
        return false;
    }
    return QByteArrayView("()<>@,;:\\\"/[]?=").indexOf(c) < 0;
}

bool isToken(QByteArrayView text) {
    if (text.isEmpty()) {
        return false;
    }
    for (char c : text) {
        if (!isTokenChar(c)) {
            return false;
        }
    }
    return true;
}

bool isMediaType(QByteArrayView type) {
    const qsizetype slash = type.indexOf('/');
    return slash > 0 && isToken(type.first(slash)) && isToken(type.sliced(slash + 1));
}

// Reads a regular file of modest size without ever waiting on a FIFO or a device.
QByteArray readTable(const char* path) {
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return {};
    }
    QByteArray text;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= kMaxTableSize) {
        text.resize(st.st_size);
        const qint64 got = readUpTo(fd, text.data(), text.size());
        text.truncate(got);
    }
    ::close(fd);
    return text;
}

// What handsets show inline, for systems without a table or whose table lacks them.
const MediaTypes& handsetTypes() {
    static const MediaTypes table = {
        {"jpg", "image/jpeg"},  {"jpeg", "image/jpeg"}, {"jpe", "image/jpeg"},
        {"png", "image/png"},   {"gif", "image/gif"},   {"bmp", "image/bmp"},
        {"3gp", "video/3gpp"},  {"3g2", "video/3gpp2"}, {"mp4", "video/mp4"},
        {"m4a", "audio/mp4"},   {"amr", "audio/amr"},   {"mid", "audio/midi"},
        {"midi", "audio/midi"}, {"mp3", "audio/mpeg"},  {"txt", "text/plain"},
    };
    return table;
}

}  // namespace

MediaTypes parseMimeTypes(QByteArrayView text) {
    MediaTypes table;
    for (const QByteArrayView line :
         QByteArray::fromRawData(text.data(), text.size()).split('\n')) {
        QByteArrayView content = line;
        const qsizetype hash = content.indexOf('#');
        if (hash >= 0) {
            content = content.first(hash);
        }
        const QList<QByteArray> fields = content.toByteArray().simplified().split(' ');
        if (fields.size() < 2 || !isMediaType(fields[0])) {
            continue;
        }
        const QByteArray type = fields[0].toLower();
        for (qsizetype i = 1; i < fields.size(); ++i) {
            // The first line naming an extension wins, as in the usual readers.
            const QByteArray ext = fields[i].toLower();
            if (!table.contains(ext)) {
                table.insert(ext, type);
            }
        }
    }
    return table;
}

const MediaTypes& systemMediaTypes() {
    static const MediaTypes table = parseMimeTypes(readTable("/etc/mime.types"));
    return table;
}

QByteArray mediaTypeFor(QByteArrayView fileName, const MediaTypes& table) {
    const qsizetype dot = fileName.lastIndexOf('.');
    if (dot >= 0 && dot + 1 < fileName.size()) {
        const QByteArray ext = fileName.sliced(dot + 1).toByteArray().toLower();
        if (const auto it = table.constFind(ext); it != table.constEnd()) {
            return *it;
        }
        if (const auto it = handsetTypes().constFind(ext); it != handsetTypes().constEnd()) {
            return *it;
        }
    }
    return "application/octet-stream";
}

}  // namespace bsmtp
