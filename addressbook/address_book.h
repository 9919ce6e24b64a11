#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class IniDocument;

// One entry of the address book. Texts are bytes of code page 932; any may be empty.
struct TAddressEntry {
    QByteArray name;
    QByteArray reading;
    QByteArray address;

    bool operator==(const TAddressEntry&) const = default;
};

// The whole book, in list order; entry numbers exist only in the file.
using TAddressBook = QList<TAddressEntry>;

// The entry an edit dialog was filled from: the row's identity in the book window, the
// load of the book it belongs to and its texts at that time.
struct TAddressEntryRef {
    quint64 id = 0;
    quint64 generation = 0;
    TAddressEntry original;
};

// Every byte combined with the key byte 0x0B; its own inverse.
QByteArray ScrambleValue(QByteArrayView value);

namespace address_book {

// "address.ini" where the program keeps its files, computed afresh at every call.
QString path();

// The entries of section "Address" up to the first missing "Name" key.
TAddressBook read(const IniDocument& doc);
// Replaces section "Address" by `book`; an empty book leaves no section.
void write(IniDocument& doc, const TAddressBook& book);

// Loads the book from `filePath`; a missing file gives an empty book. Throws
// FileError(Open) when the file exists but cannot be read: not a regular file (reading
// a pipe would never end), too big to hold, or text without any section header.
TAddressBook load(const QString& filePath);
// Rewrites `filePath` with `book` in place of its "Address" section, keeping the other
// sections. Throws FileError and leaves the file as it was on failure, also when the
// file is no longer one that load would read.
void save(const QString& filePath, const TAddressBook& book);

// `value` as a load would give it back after a save. Loading trims bytes 0 to 32 off
// both ends of a stored value, so a scrambled value must not begin or end with one:
// those are the control characters and "+" of the plain text. Control characters
// are dropped everywhere (they cannot be typed and some would scramble into a line
// break), "+" only at the ends.
QByteArray storable(QByteArrayView value);
TAddressEntry storable(const TAddressEntry& entry);

}  // namespace address_book
