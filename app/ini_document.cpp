#include "app/ini_document.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "app/atomic_save.h"
#include "app/file_read.h"
#include "toolkit/file_error.h"

namespace {

bool isLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

unsigned char foldAscii(unsigned char b) {
    return (b >= 'A' && b <= 'Z') ? b + 32 : b;
}

// Case-insensitive for ASCII letters only; the trail byte of a double-byte character
// is compared exactly, so "ア" (83 41) never matches "ヂ" (83 61). A lead byte with
// no trail byte after it, at the end of a name, is compared as the byte it is.
bool sameName(QByteArrayView a, QByteArrayView b) {
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if (isLeadByte(x)) {
            if (x != y)
                return false;
            if (i + 1 < a.size()) {
                if (a[i + 1] != b[i + 1])
                    return false;
                ++i;
            }
            continue;
        }
        if (foldAscii(x) != foldAscii(y))
            return false;
    }
    return true;
}

// A hash that agrees with sameName: names that match hash alike.
std::uint64_t nameHash(QByteArrayView name) {
    std::uint64_t h = 0xcbf29ce484222325ull;
    for (qsizetype i = 0; i < name.size(); ++i) {
        auto c = static_cast<unsigned char>(name[i]);
        if (isLeadByte(c)) {
            h = (h ^ c) * 0x100000001b3ull;
            if (++i >= name.size())
                break;
            c = static_cast<unsigned char>(name[i]);
        } else {
            c = foldAscii(c);
        }
        h = (h ^ c) * 0x100000001b3ull;
    }
    // Spreads the low bits, which pick the slot.
    h ^= h >> 29;
    h *= 0xbf58476d1ce4e5b9ull;
    h ^= h >> 32;
    return h;
}

QByteArrayView trimmed(QByteArrayView s) {
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= 32)
        ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32)
        --e;
    return s.sliced(b, e - b);
}

std::uint32_t checkedLength(qsizetype n) {
    if (n > qsizetype(UINT32_MAX))
        throw std::length_error("INI line too long");
    return static_cast<std::uint32_t>(n);
}

// Calls onHeader(name) for each section header and onLine(line) for each other line
// that loading keeps (trimmed, not empty, no comment); lines before the first header
// are dropped and only counted. Returns the number of those dropped lines.
template <class OnHeader, class OnLine>
qsizetype forEachLine(QByteArrayView content, OnHeader onHeader, OnLine onLine) {
    qsizetype dropped = 0;
    const char* const begin = content.data();
    const qsizetype size = content.size();
    bool inSection = false;
    qsizetype pos = 0;
    while (pos < size) {
        qsizetype end = pos;
        while (end < size && begin[end] != '\r' && begin[end] != '\n')
            ++end;
        const QByteArrayView line = trimmed(content.sliced(pos, end - pos));
        pos = end;
        if (pos < size) {
            if (begin[pos] == '\r' && pos + 1 < size && begin[pos + 1] == '\n')
                ++pos;
            ++pos;
        }
        if (line.isEmpty() || line[0] == ';')
            continue;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            onHeader(trimmed(line.sliced(1, line.size() - 2)));
            inSection = true;
            continue;
        }
        if (inSection)
            onLine(line);
        else
            ++dropped;
    }
    return dropped;
}

}  // namespace

bool parseIniInteger(QByteArrayView text, int* value) {
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size())
        return false;
    quint64 n = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int d;
        if (c >= '0' && c <= '9') {
            d = c - '0';
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            d = c - 'a' + 10;
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            d = c - 'A' + 10;
        } else {
            return false;
        }
        n = n * base + d;
        if (n > 0xFFFFFFFFull)
            return false;
    }
    qint64 v;
    if (base == 16) {
        // Hexadecimal covers the 32 bits: $FFFFFFFF is -1.
        v = static_cast<qint32>(static_cast<quint32>(n));
    } else {
        v = static_cast<qint64>(n);
        if (v > (negative ? 2147483648LL : 2147483647LL))
            return false;
    }
    if (negative)
        v = -v;
    *value = static_cast<int>(v);
    return true;
}

// The index ------------------------------------------------------------------

template <class NameOf>
std::int64_t IniDocument::NameIndex::find(QByteArrayView name, const NameOf& nameOf) const {
    if (slots_.empty())
        return -1;
    return find(name, nameHash(name), nameOf);
}

template <class NameOf>
std::int64_t IniDocument::NameIndex::find(QByteArrayView name, std::uint64_t h,
                                          const NameOf& nameOf) const {
    if (slots_.empty())
        return -1;
    const std::uint64_t tag = h & ~std::uint64_t(0xFFFFFFFF);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = (h >> 32) & mask;; i = (i + 1) & mask) {
        const std::uint64_t slot = slots_[i];
        if (slot == 0)
            return -1;
        const auto position = std::uint32_t(slot) - 1;
        if ((slot & ~std::uint64_t(0xFFFFFFFF)) == tag && sameName(nameOf(position), name))
            return position;
    }
}

void IniDocument::NameIndex::place(std::uint64_t slot) {
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = (slot >> 32) & mask;
    while (slots_[i] != 0)
        i = (i + 1) & mask;
    slots_[i] = slot;
}

void IniDocument::NameIndex::reserve(qsizetype count) {
    if (!slots_.empty() || count == 0)
        return;
    std::size_t n = 16;
    while (n < std::size_t(count) * 2)
        n *= 2;
    slots_.assign(n, 0);
}

void IniDocument::NameIndex::clear() {
    slots_.clear();
    count_ = 0;
}

template <class NameOf>
bool IniDocument::NameIndex::insert(std::uint32_t position, const NameOf& nameOf) {
    const QByteArrayView name = nameOf(position);
    const std::uint64_t h = nameHash(name);
    if (find(name, h, nameOf) >= 0)
        return false;
    // At most half full, so that probes stay short.
    if (std::size_t(count_ + 1) * 2 > slots_.size()) {
        std::vector<std::uint64_t> old = std::move(slots_);
        slots_.assign(std::max<std::size_t>(16, old.size() * 2), 0);
        for (const std::uint64_t slot : old) {
            if (slot != 0)
                place(slot);
        }
    }
    place((h & ~std::uint64_t(0xFFFFFFFF)) | (std::uint64_t(position) + 1));
    ++count_;
    return true;
}

// Loading and writing back ------------------------------------------------------

IniDocument::IniDocument(QString path) : path_(std::move(path)) {
    if (const std::optional<QByteArray> content = readRegularFile(path_))
        readingFile(path_, [&] { load(*content); });
}

IniDocument IniDocument::fromBytes(QByteArrayView content, QString path) {
    IniDocument doc;
    doc.path_ = std::move(path);
    doc.load(content.toByteArray());
    return doc;
}

void IniDocument::load(const QByteArray& content) {
    loaded_ = content;
    sections_.clear();
    // A first pass counts the lines of each section, so that a large file is held
    // in vectors of its exact size rather than in ones grown by doubling.
    std::vector<qsizetype> counts;
    linesBeforeFirstSection_ = forEachLine(
        loaded_, [&](QByteArrayView) { counts.push_back(0); },
        [&](QByteArrayView) { ++counts.back(); });
    sections_.reserve(counts.size());
    const char* const base = loaded_.constData();
    forEachLine(
        loaded_,
        [&](QByteArrayView name) {
            Section& s = sections_.emplace_back();
            s.name = name.toByteArray();
            s.lines.reserve(counts[sections_.size() - 1]);
        },
        [&](QByteArrayView line) {
            Section& s = sections_.back();
            Line l;
            const qsizetype eq = line.indexOf('=');
            if (eq < 0) {
                l.value = line.data() - base;
                l.valueLength = checkedLength(line.size());
                s.lines.push_back(l);
                return;
            }
            const QByteArrayView key = trimmed(line.first(eq));
            const QByteArrayView value = trimmed(line.sliced(eq + 1));
            l.key = key.data() - base;
            l.keyLength = checkedLength(key.size());
            l.value = value.data() - base;
            l.valueLength = checkedLength(value.size());
            s.lines.push_back(l);
        });
    rebuildSectionIndex();
}

QByteArray IniDocument::toBytes() const {
    qsizetype size = 0;
    for (const Section& s : sections_) {
        size += s.name.size() + 6;
        for (const Line& l : s.lines)
            size += (l.bare() ? 0 : l.keyLength + 1) + l.valueLength + 2;
    }
    QByteArray out;
    out.reserve(size);
    for (const Section& s : sections_) {
        out += '[';
        out += s.name;
        out += "]\r\n";
        for (const Line& l : s.lines) {
            if (!l.bare()) {
                out += keyOf(l);
                out += '=';
            }
            out += valueOf(l);
            out += "\r\n";
        }
        out += "\r\n";
    }
    return out;
}

void IniDocument::writeBack() const {
    if (path_.isEmpty())
        throw FileError(FileError::Kind::Create, path_, QStringLiteral("no path"));
    atomicSave(path_, toBytes());
}

// Lookups ----------------------------------------------------------------------

QByteArrayView IniDocument::text(std::int64_t position, std::uint32_t length) const {
    if (position >= kAdded)
        return QByteArrayView(added_.constData() + (position - kAdded), length);
    return QByteArrayView(loaded_.constData() + position, length);
}

std::int64_t IniDocument::add(QByteArrayView bytes, bool oneLine) {
    const std::int64_t position = kAdded + added_.size();
    const qsizetype start = added_.size();
    added_.append(bytes);
    if (oneLine) {
        // An INI line cannot hold a line break: one inside a value would split the
        // entry and corrupt the file, so it is stored as a blank.
        char* p = added_.data() + start;
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            if (p[i] == '\r' || p[i] == '\n')
                p[i] = ' ';
        }
    }
    return position;
}

void IniDocument::rebuildSectionIndex() {
    sectionIndex_.clear();
    for (std::size_t i = 0; i < sections_.size(); ++i) {
        sectionIndex_.insert(static_cast<std::uint32_t>(i),
                             [&](std::uint32_t j) { return QByteArrayView(sections_[j].name); });
    }
}

IniDocument::Section* IniDocument::findSection(QByteArrayView name) {
    return const_cast<Section*>(std::as_const(*this).findSection(name));
}

const IniDocument::Section* IniDocument::findSection(QByteArrayView name) const {
    const std::int64_t i = sectionIndex_.find(
        name, [&](std::uint32_t j) { return QByteArrayView(sections_[j].name); });
    return i < 0 ? nullptr : &sections_[i];
}

const IniDocument::Line* IniDocument::findEntry(QByteArrayView section, QByteArrayView key) const {
    const Section* s = findSection(section);
    if (!s)
        return nullptr;
    const std::int64_t i = findLine(*s, key);
    return i < 0 ? nullptr : &s->lines[i];
}

void IniDocument::indexKeys(const Section& s) const {
    if (s.indexed)
        return;
    s.indexed = true;
    s.keys.reserve(qsizetype(s.lines.size()));
    for (std::size_t i = 0; i < s.lines.size(); ++i) {
        if (s.lines[i].bare())
            continue;
        if (!s.keys.insert(std::uint32_t(i), [&](std::uint32_t j) { return keyOf(s.lines[j]); }))
            s.duplicates = true;
    }
}

std::int64_t IniDocument::findLine(const Section& s, QByteArrayView key) const {
    indexKeys(s);
    if (!s.duplicates && s.next < s.lines.size()) {
        const Line& l = s.lines[s.next];
        if (!l.bare() && sameName(keyOf(l), key))
            return std::int64_t(s.next++);
    }
    const std::int64_t i = s.keys.find(key, [&](std::uint32_t j) { return keyOf(s.lines[j]); });
    if (i >= 0)
        s.next = std::size_t(i) + 1;
    return i;
}

QByteArray IniDocument::readString(QByteArrayView section, QByteArrayView key,
                                   QByteArrayView defaultValue) const {
    const Line* l = findEntry(section, key);
    if (!l)
        return defaultValue.toByteArray();
    return valueOf(*l).toByteArray();
}

int IniDocument::readInteger(QByteArrayView section, QByteArrayView key, int defaultValue) const {
    const Line* l = findEntry(section, key);
    if (!l)
        return defaultValue;
    int v;
    return parseIniInteger(valueOf(*l), &v) ? v : defaultValue;
}

bool IniDocument::readBool(QByteArrayView section, QByteArrayView key, bool defaultValue) const {
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

QByteArray IniDocument::readMultiLine(QByteArrayView section, QByteArrayView key) const {
    return readString(section, key).replace('\t', "\r\n");
}

bool IniDocument::sectionExists(QByteArrayView section) const {
    const Section* s = findSection(section);
    return s && !s->lines.empty();
}

bool IniDocument::valueExists(QByteArrayView section, QByteArrayView key) const {
    return findEntry(section, key) != nullptr;
}

QList<QByteArray> IniDocument::sectionNames() const {
    QList<QByteArray> names;
    for (const Section& s : sections_)
        names.append(s.name);
    return names;
}

// Changes ----------------------------------------------------------------------

void IniDocument::writeString(QByteArrayView section, QByteArrayView key, QByteArrayView value) {
    Section* s = findSection(section);
    if (!s) {
        sections_.emplace_back().name = section.toByteArray();
        sectionIndex_.insert(static_cast<std::uint32_t>(sections_.size() - 1),
                             [&](std::uint32_t j) { return QByteArrayView(sections_[j].name); });
        s = &sections_.back();
    }
    Line fresh;
    fresh.keyLength = checkedLength(key.size());
    fresh.valueLength = checkedLength(value.size());
    // The views come from the caller: this document never hands out views of its text.
    fresh.key = add(key, false);
    fresh.value = add(value, true);
    const auto nameOf = [s, this](std::uint32_t j) { return keyOf(s->lines[j]); };
    const std::int64_t i = findLine(*s, key);
    if (i >= 0) {
        s->lines[i] = fresh;
        return;
    }
    s->lines.push_back(fresh);
    s->keys.insert(static_cast<std::uint32_t>(s->lines.size() - 1), nameOf);
}

void IniDocument::writeInteger(QByteArrayView section, QByteArrayView key, int value) {
    writeString(section, key, QByteArray::number(value));
}

void IniDocument::writeBool(QByteArrayView section, QByteArrayView key, bool value) {
    writeString(section, key, value ? "1" : "0");
}

void IniDocument::writeMultiLine(QByteArrayView section, QByteArrayView key, QByteArrayView value) {
    QByteArray v = value.toByteArray();
    v.replace("\r\n", "\t");
    // A lone CR or LF is a line break too; kept raw it would split the entry.
    v.replace('\r', '\t');
    v.replace('\n', '\t');
    writeString(section, key, v);
}

void IniDocument::eraseSection(QByteArrayView section) {
    const auto before = sections_.size();
    std::erase_if(sections_, [&](const Section& s) { return sameName(s.name, section); });
    if (sections_.size() != before)
        rebuildSectionIndex();
}
