#include "sending/history_log.h"

#include <QFile>
#include <QFileInfo>
#include <QHashFunctions>

#include "app/atomic_save.h"
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
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return std::nullopt;
    QFile file(path);
    if (info.isDir() || !file.open(QIODevice::ReadOnly))
        throw FileError(FileError::Kind::Open, path, file.errorString());
    QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw FileError(FileError::Kind::Open, path, file.errorString());
    return content;
}

QByteArray normalized(QByteArrayView content) {
    return withEntryOnTop({}, content);
}

namespace {

size_t contentHash(QByteArrayView bytes) {
    return qHash(bytes, 0);
}

}  // namespace

Snapshot::Snapshot(QByteArrayView content) {
    const QByteArray n = normalized(content);
    size_ = n.size();
    hash_ = contentHash(n);
}

std::optional<QByteArray> Snapshot::addedOnTop(QByteArrayView current) const {
    QByteArray n = normalized(current);
    if (n.size() < size_ || contentHash(QByteArrayView(n).last(size_)) != hash_)
        return std::nullopt;
    n.truncate(n.size() - size_);
    return n;
}

void append(const QString& path, const Entry& entry, const QDateTime& when) {
    const QByteArray old = readFile(path).value_or(QByteArray());
    atomicSave(path, withEntryOnTop(entryBytes(entry, when), old));
}

}  // namespace history_log
