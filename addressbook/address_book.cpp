#include "addressbook/address_book.h"

#include "app/ini_document.h"
#include "app/settings_file.h"
#include "toolkit/file_error.h"

namespace {

constexpr char kKey = 0x0B;
const QByteArray kSection = "Address";

QByteArray numbered(const char* key, qsizetype i) {
    return QByteArray(key) + QByteArray::number(i);
}

bool isTrailByte(char c) {
    const auto b = static_cast<unsigned char>(c);
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

bool isLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// The file as a document. Text without a single section header is no address book (a
// file of another kind, or one an editor mangled): it is refused like an unreadable
// file, so that nobody takes it for an empty book and saves over it.
IniDocument openBook(const QString& filePath) {
    IniDocument doc(filePath);
    if (doc.linesBeforeFirstSection() > 0 && doc.sectionNames().isEmpty()) {
        throw FileError(FileError::Kind::Open, filePath,
                        QStringLiteral("no section header: not an address book"));
    }
    return doc;
}

}  // namespace

QByteArray ScrambleValue(QByteArrayView value) {
    QByteArray out(value.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < value.size(); ++i) {
        out[i] = static_cast<char>(value[i] ^ kKey);
    }
    return out;
}

namespace address_book {

QString path() {
    return settings_file::dataFile(QStringLiteral("address.ini"));
}

TAddressBook read(const IniDocument& doc) {
    TAddressBook book;
    for (qsizetype i = 0;; ++i) {
        const QByteArray nameKey = numbered("Name", i);
        if (!doc.valueExists(kSection, nameKey)) {
            break;
        }
        book.append({ScrambleValue(doc.readString(kSection, nameKey)),
                     ScrambleValue(doc.readString(kSection, numbered("Kana", i))),
                     ScrambleValue(doc.readString(kSection, numbered("Address", i)))});
    }
    return book;
}

void write(IniDocument& doc, const TAddressBook& book) {
    doc.eraseSection(kSection);
    for (qsizetype i = 0; i < book.size(); ++i) {
        const TAddressEntry& e = book[i];
        doc.writeString(kSection, numbered("Name", i), ScrambleValue(e.name));
        doc.writeString(kSection, numbered("Kana", i), ScrambleValue(e.reading));
        doc.writeString(kSection, numbered("Address", i), ScrambleValue(e.address));
    }
}

// The document refuses anything but a regular file (a directory, a pipe) as unreadable.
TAddressBook load(const QString& filePath) {
    return readingFile(filePath, [&] { return read(openBook(filePath)); });
}

void save(const QString& filePath, const TAddressBook& book) {
    IniDocument doc = openBook(filePath);
    write(doc, book);
    doc.writeBack();
}

QByteArray storable(QByteArrayView value) {
    QByteArray out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const auto b = static_cast<unsigned char>(value[i]);
        // Only a lead byte with a real trail byte is one character; a control or "+"
        // after a stray lead byte is a character of its own, and is trimmed like one.
        if (isLeadByte(b) && i + 1 < value.size() && isTrailByte(value[i + 1])) {
            out.append(value.sliced(i, 2));
            ++i;
        } else if (b >= 0x20) {
            out.append(char(b));
        }
    }
    // A trail byte is never below 0x40, so only single-byte "+" can stand at the ends.
    qsizetype begin = 0;
    qsizetype end = out.size();
    while (begin < end && out[begin] == '+') {
        ++begin;
    }
    while (end > begin && out[end - 1] == '+') {
        --end;
    }
    return out.sliced(begin, end - begin);
}

TAddressEntry storable(const TAddressEntry& entry) {
    return {storable(entry.name), storable(entry.reading), storable(entry.address)};
}

}  // namespace address_book
