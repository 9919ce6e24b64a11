#include "sending/history_log.h"

#include <QHashFunctions>
#include <cstring>

#include "app/atomic_save.h"
#include "app/file_read.h"
#include "sending/attachment.h"
#include "toolkit/cp932.h"
#include "toolkit/file_error.h"

namespace history_log {
namespace {

// The locale's time of day with seconds and without a time zone: its short format,
// which is plain digits in most locales, with the seconds added after the minutes.
QString timeFormat(const QLocale& locale) {
    QString format = locale.timeFormat(QLocale::ShortFormat);
    format.remove(QLatin1Char('t'));
    format = format.trimmed();
    if (!format.contains(QLatin1Char('s'))) {
        const qsizetype minutes = format.indexOf(QLatin1String("mm"));
        if (minutes < 0)
            return QStringLiteral("H:mm:ss");
        format.insert(minutes + 2, QLatin1String(":ss"));
    }
    return format;
}

}  // namespace

QString dateTimeText(const QDateTime& when, const QLocale& locale) {
    const QString date = locale.toString(when.date(), QLocale::ShortFormat);
    const QTime t = when.time();
    if (t.hour() == 0 && t.minute() == 0 && t.second() == 0)
        return date;
    return date + QLatin1Char(' ') + locale.toString(t, timeFormat(locale));
}

QByteArray entryBytes(const Entry& entry, const QDateTime& when, const QLocale& locale) {
    QByteArray out;
    out += cp932::encode(QStringLiteral("日付：") + dateTimeText(when, locale)) + "\r\n";
    out += cp932::encode(entry.recipientPanel + QLatin1Char('[') + entry.to + QLatin1Char(']')) +
           "\r\n";
    out += cp932::encode(QStringLiteral("題名：") + entry.subject) + "\r\n";
    if (!entry.attachmentPath.isEmpty()) {
        out +=
            cp932::encode(QStringLiteral("添付：") + attachment::fileName(entry.attachmentPath)) +
            "\r\n";
    }
    out += cp932::encode(QStringLiteral("本文：") + entry.body) + "\r\n\r\n\r\n";
    return out;
}

QByteArray withEntryOnTop(QByteArrayView newText, QByteArrayView oldContent) {
    QByteArray out;
    out.reserve(newText.size() + oldContent.size() + 64);
    // Each line, ended by CR LF, a lone CR or a lone LF, is written with CR LF; a last
    // line without an end gains one.
    auto addLines = [&out](QByteArrayView text) {
        qsizetype pos = 0;
        while (pos < text.size()) {
            qsizetype end = pos;
            while (end < text.size() && text[end] != '\r' && text[end] != '\n')
                ++end;
            out += text.sliced(pos, end - pos);
            out += "\r\n";
            pos = end;
            if (pos < text.size()) {
                if (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n')
                    ++pos;
                ++pos;
            }
        }
    };
    addLines(newText);
    addLines(oldContent);
    return out;
}

std::optional<QByteArray> readFile(const QString& path) {
    return readRegularFile(path);
}

namespace {

// Whether every line of `content` already ends in CR LF, the last one included.
bool isNormalized(QByteArrayView content) {
    if (content.isEmpty())
        return true;
    if (!content.endsWith("\r\n"))
        return false;
    const char* begin = content.data();
    const char* end = begin + content.size();
    for (const char* p = begin; (p = static_cast<const char*>(std::memchr(p, '\n', end - p)));
         ++p) {
        if (p == begin || p[-1] != '\r')
            return false;
    }
    for (const char* p = begin; (p = static_cast<const char*>(std::memchr(p, '\r', end - p)));
         ++p) {
        if (p + 1 == end || p[1] != '\n')
            return false;
    }
    return true;
}

}  // namespace

QByteArray normalized(const QByteArray& content) {
    // Most histories are written by the program and need no rewriting.
    if (isNormalized(content))
        return content;
    return withEntryOnTop({}, content);
}

namespace {

size_t contentHash(QByteArrayView bytes) {
    return qHash(bytes, 0);
}

}  // namespace

Snapshot::Snapshot(const QByteArray& content) {
    const QByteArray n = normalized(content);
    size_ = n.size();
    hash_ = contentHash(n);
}

std::optional<QByteArray> Snapshot::addedOnTop(const QByteArray& current) const {
    QByteArray n = normalized(current);
    if (n.size() < size_ || contentHash(QByteArrayView(n).last(size_)) != hash_)
        return std::nullopt;
    n.truncate(n.size() - size_);
    return n;
}

void append(const QString& path, const Entry& entry, const QDateTime& when) {
    // The new file is made whole in memory beside the old one: a history too big for
    // that is reported as unreadable and stays as it is.
    const QByteArray content = readingFile(path, [&] {
        return withEntryOnTop(entryBytes(entry, when), readFile(path).value_or(QByteArray()));
    });
    atomicSave(path, content);
}

}  // namespace history_log
