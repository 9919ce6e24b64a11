// The INI document: its loading rules and write-back.
//
// Input: the file's content, then optionally a zero byte, one byte choosing a write and the
// value to write. The file must come back byte for byte and value for value from its own
// write-back; the written value must read back as written (with the line breaks an entry
// cannot hold turned into blanks, and trimmed once it has been through the file); and the
// write must change no other line.

#include <QByteArray>
#include <QList>

#include <cstddef>
#include <cstdint>
#include <utility>

#include "app/ini_document.h"
#include "fuzz_check.h"

namespace {

using Key = std::pair<QByteArray, QByteArray>;  // section, key

// Sections and keys of the kind the program writes.
const char* const kSections[] = {"Window", "Setting", "Subject", "Preservation", "Address"};
const char* const kKeys[] = {"Top1",      "SMTP",  "Signature(Automatic)",
                             "j-sky",     "Body",  "AttachSubject(Items[0])",
                             "Panels[1]", "Name0", "Kana12"};

bool isBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

QByteArray trimmedValue(QByteArray v) {
    while (!v.isEmpty() && isBlank(v.front()))
        v.remove(0, 1);
    while (!v.isEmpty() && isBlank(v.back()))
        v.chop(1);
    return v;
}

bool sameAscii(const QByteArray& a, const QByteArray& b) {
    return a.toLower() == b.toLower();
}

// Every section and key the text mentions, found by splitting lines rather than by the
// document's own rules; names the document does not hold read as missing on both sides.
QList<Key> mentionedKeys(const QByteArray& text) {
    QList<Key> keys;
    QByteArray section;
    QByteArray normalized = text;
    normalized.replace('\r', '\n');
    for (const QByteArray& raw : normalized.split('\n')) {
        const QByteArray line = trimmedValue(raw);
        if (line.startsWith('[') && line.endsWith(']') && line.size() >= 2) {
            section = trimmedValue(line.mid(1, line.size() - 2));
        } else if (const qsizetype eq = line.indexOf('='); eq >= 0) {
            keys.append({section, trimmedValue(line.first(eq))});
        }
    }
    return keys;
}

struct Reading {
    bool exists;
    QByteArray value;
    int integer;
};

Reading read(const IniDocument& doc, const Key& k) {
    return {doc.valueExists(k.first, k.second), doc.readString(k.first, k.second, "\x01missing"),
            doc.readInteger(k.first, k.second, -987654)};
}

void checkSameReadings(const IniDocument& a, const IniDocument& b, const QList<Key>& keys,
                       const Key* except) {
    for (const Key& k : keys) {
        if (except && sameAscii(k.first, except->first) && sameAscii(k.second, except->second))
            continue;
        const Reading x = read(a, k);
        const Reading y = read(b, k);
        FUZZ_CHECK(x.exists == y.exists && x.value == y.value && x.integer == y.integer, "section",
                   k.first, "key", k.second, "before", x.value, "after", y.value);
        // The written section gains an entry; every other keeps whether it has one.
        if (!except || !sameAscii(k.first, except->first))
            FUZZ_CHECK(a.sectionExists(k.first) == b.sectionExists(k.first), "section", k.first);
    }
}

QList<QByteArray> lines(const QByteArray& bytes) {
    return bytes.split('\n');
}

// The write-back after the write differs from the one before by exactly the entry line:
// replaced in place, added to its section, or added with a new section at the end.
void checkOnlyLineChanged(const QByteArray& before, const QByteArray& after,
                          const QByteArray& entryLine, bool keyExisted, bool sectionExisted) {
    if (!sectionExisted) {
        FUZZ_CHECK(after.startsWith(before), "before", before, "after", after);
        const QByteArray added = after.sliced(before.size());
        FUZZ_CHECK(added.endsWith("]\r\n" + entryLine + "\r\n\r\n") && added.startsWith('['),
                   "added", added);
        return;
    }
    if (keyExisted && before == after)
        return;  // the same line written again
    const QList<QByteArray> a = lines(before);
    const QList<QByteArray> b = lines(after);
    FUZZ_CHECK(b.size() == a.size() + (keyExisted ? 0 : 1), "before", before, "after", after);
    qsizetype head = 0;
    while (head < a.size() && a[head] == b[head])
        ++head;
    FUZZ_CHECK(head < b.size() && b[head] == entryLine + '\r', "after", after, "entry", entryLine);
    for (qsizetype i = head + 1; i < b.size(); ++i) {
        const qsizetype j = keyExisted ? i : i - 1;
        FUZZ_CHECK(a[j] == b[i], "before", before, "after", after);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const qsizetype split = input.indexOf('\0');
    const QByteArray file = split < 0 ? input : input.first(split);

    const IniDocument doc = IniDocument::fromBytes(file);
    const QByteArray written = doc.toBytes();
    const IniDocument again = IniDocument::fromBytes(written);
    FUZZ_CHECK(again.toBytes() == written, "first", written, "second", again.toBytes());
    FUZZ_CHECK(again.sectionNames() == doc.sectionNames(), "file", file);
    const QList<Key> keys = mentionedKeys(file);
    checkSameReadings(doc, again, keys, nullptr);
    for (const Key& k : keys) {
        const QByteArray v = doc.readString(k.first, k.second);
        FUZZ_CHECK(v == trimmedValue(v) && !v.contains('\r') && !v.contains('\n'), "value", v);
    }

    if (split < 0 || split + 1 >= input.size())
        return 0;
    const auto choice = static_cast<unsigned char>(input[split + 1]);
    const QByteArray value = input.sliced(split + 2);
    Key target{kSections[choice % std::size(kSections)],
               kKeys[(choice / std::size(kSections)) % std::size(kKeys)]};
    if (choice & 0x80)
        target = {target.first.toUpper(), target.second.toLower()};
    const bool multiLine = choice & 0x40;

    bool sectionExisted = false;
    for (const QByteArray& name : doc.sectionNames())
        sectionExisted = sectionExisted || sameAscii(name, target.first);
    const bool keyExisted = doc.valueExists(target.first, target.second);

    IniDocument changed = doc;
    QByteArray stored;  // what the entry holds before it goes through the file
    if (multiLine) {
        changed.writeMultiLine(target.first, target.second, value);
        stored = value;
        stored.replace("\r\n", "\t").replace('\r', '\t').replace('\n', '\t');
        FUZZ_CHECK(changed.readMultiLine(target.first, target.second) ==
                       QByteArray(stored).replace('\t', "\r\n"),
                   "value", value);
    } else {
        changed.writeString(target.first, target.second, value);
        stored = value;
        stored.replace('\r', ' ').replace('\n', ' ');
        FUZZ_CHECK(changed.readString(target.first, target.second) == stored, "value", value,
                   "read", changed.readString(target.first, target.second));
    }
    checkSameReadings(doc, changed, keys, &target);
    checkOnlyLineChanged(written, changed.toBytes(), target.second + '=' + stored, keyExisted,
                         sectionExisted);

    const IniDocument reloaded = IniDocument::fromBytes(changed.toBytes());
    const QByteArray expected = trimmedValue(stored);
    FUZZ_CHECK(reloaded.readString(target.first, target.second) == expected, "value", value, "read",
               reloaded.readString(target.first, target.second), "expected", expected);
    if (multiLine) {
        FUZZ_CHECK(reloaded.readMultiLine(target.first, target.second) ==
                       QByteArray(expected).replace('\t', "\r\n"),
                   "value", value);
    }
    checkSameReadings(doc, reloaded, keys, &target);
    return 0;
}
