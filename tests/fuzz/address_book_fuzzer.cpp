// The address book file.
//
// Input: an address.ini, then optionally a zero byte and entries to save, their fields
// separated by zero bytes and taken as code page 932 text. Load, save and load again must give the
// same book; a saved book of values fit to store loads back as it was, and a save keeps every other
// section.

#include <QByteArray>
#include <QList>

#include <cstddef>
#include <cstdint>

#include "addressbook/address_book.h"
#include "app/ini_document.h"
#include "fuzz_check.h"
#include "toolkit/cp932.h"

namespace {

QByteArray describe(const TAddressBook& book) {
    QByteArray out;
    for (const TAddressEntry& e : book)
        out += '[' + e.name + '|' + e.reading + '|' + e.address + ']';
    return out;
}

// The file without its "Address" section.
QByteArray otherSections(const IniDocument& doc) {
    IniDocument copy = doc;
    copy.eraseSection("Address");
    return copy.toBytes();
}

TAddressBook savedAndLoaded(const IniDocument& doc, const TAddressBook& book) {
    IniDocument saved = doc;
    address_book::write(saved, book);
    const IniDocument reloaded = IniDocument::fromBytes(saved.toBytes());
    FUZZ_CHECK(otherSections(reloaded) == otherSections(doc), "before", doc.toBytes(), "after",
               saved.toBytes());
    return address_book::read(reloaded);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const qsizetype split = input.indexOf('\0');
    const IniDocument doc = IniDocument::fromBytes(split < 0 ? input : input.first(split));

    const TAddressBook loaded = address_book::read(doc);
    const TAddressBook again = savedAndLoaded(doc, loaded);
    FUZZ_CHECK(again == loaded, "loaded", describe(loaded), "after a save", describe(again));

    if (split < 0)
        return 0;
    const QList<QByteArray> fields = input.sliced(split + 1).split('\0');
    TAddressBook book;
    // The dialogs hand over text of the code page: no stray lead byte before a control.
    const auto typed = [](const QByteArray& f) { return cp932::encode(cp932::decode(f)); };
    for (qsizetype i = 0; i + 2 < fields.size(); i += 3)
        book.append({typed(fields[i]), typed(fields[i + 1]), typed(fields[i + 2])});
    TAddressBook expected;
    for (const TAddressEntry& e : book) {
        expected.append(address_book::storable(e));
        FUZZ_CHECK(address_book::storable(expected.last()) == expected.last(), "entry",
                   describe({e}));
    }
    // What can be stored comes back as it is.
    const TAddressBook back = savedAndLoaded(doc, expected);
    FUZZ_CHECK(back == expected, "saved", describe(expected), "loaded", describe(back));
    // Anything else is changed once by the file, then kept.
    const TAddressBook raw = savedAndLoaded(doc, book);
    const TAddressBook rawAgain = savedAndLoaded(doc, raw);
    FUZZ_CHECK(rawAgain == raw, "saved", describe(book), "loaded", describe(raw), "then",
               describe(rawAgain));
    return 0;
}
