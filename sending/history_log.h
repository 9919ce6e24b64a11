#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <optional>

// The send history "log.txt": every sent mail as an entry at the top, lines in CR LF.
namespace history_log {

struct Entry {
    QString recipientPanel;  // "宛先：" and the name chosen in the address book
    QString to;
    QString subject;
    QString attachmentPath;  // empty: no attachment
    QString body;            // CR LF line breaks
};

// The date and time as the entry shows them: the locale's short date, one blank and
// the locale's time of day with seconds and without time zone; the date alone at
// exactly midnight.
QString dateTimeText(const QDateTime& when, const QLocale& locale = QLocale::system());

// The entry's bytes, ending in its two empty lines.
QByteArray entryBytes(const Entry& entry, const QDateTime& when,
                      const QLocale& locale = QLocale::system());

// The file rewritten with `newText` on top: every line of both ends in CR LF, whatever
// line ends the old file had.
QByteArray withEntryOnTop(QByteArrayView newText, QByteArrayView oldContent);

// Writes the entry at the top of the file at `path` through the atomic save.
// Throws FileError(Open) when the old file cannot be read (or is too big to hold with
// the entry on top) and FileError(Create) when the new one cannot be written; the old
// file then stays as it was.
void append(const QString& path, const Entry& entry, const QDateTime& when);

// The whole file at `path`; nullopt when there is none. Throws FileError(Open) when
// it exists but cannot be read.
std::optional<QByteArray> readFile(const QString& path);

// The content with every line ended by CR LF, as an entry's append rewrites it.
QByteArray normalized(const QByteArray& content);

// What a window that shows the history remembers of the file it loaded, to see at
// its save whether sends have put entries on top since.
class Snapshot {
  public:
    // No file: anything found later is new.
    Snapshot() = default;
    explicit Snapshot(const QByteArray& content);

    // What `current` holds on top of the loaded content (empty when it is that
    // content); nullopt when the file changed in another way (edited, replaced).
    std::optional<QByteArray> addedOnTop(const QByteArray& current) const;

  private:
    qsizetype size_ = 0;  // of the normalized content
    size_t hash_ = 0;
};

}  // namespace history_log
