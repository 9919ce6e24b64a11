#include "app/ini_document.h"

#include <QFile>
#include <QFileInfo>

#include "app/atomic_save.h"
#include "app/file_read.h"
#include "toolkit/file_error.h"

namespace {

bool isLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Case-insensitive for ASCII letters only; the trail byte of a double-byte character
// is compared exactly, so "ア" (83 41) never matches "ヂ"'s neighbour 83 61.
bool sameName(QByteArrayView a, QByteArrayView b) {
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if (isLeadByte(x)) {
            if (x != y || i + 1 >= a.size() || a[i + 1] != b[i + 1])
                return false;
            ++i;
            continue;
        }
        const auto fx = (x >= 'A' && x <= 'Z') ? x + 32 : x;
        const auto fy = (y >= 'A' && y <= 'Z') ? y + 32 : y;
        if (fx != fy)
            return false;
    }
    return true;
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

// An INI line cannot hold a line break: one inside a value would split the entry and
// corrupt the file, so it is stored as a blank.
QByteArray oneLine(QByteArrayView value) {
    QByteArray v = value.toByteArray();
    for (char& c : v) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    return v;
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

IniDocument::IniDocument(QString path) : path_(std::move(path)) {
    if (const std::optional<QByteArray> content = readRegularFile(path_))
        *this = fromBytes(*content, path_);
}

IniDocument IniDocument::fromBytes(QByteArrayView content, QString path) {
    IniDocument doc;
    doc.path_ = std::move(path);
    Section* current = nullptr;
    qsizetype pos = 0;
    while (pos < content.size()) {
        qsizetype end = pos;
        while (end < content.size() && content[end] != '\r' && content[end] != '\n')
            ++end;
        const QByteArrayView line = trimmed(content.sliced(pos, end - pos));
        pos = end;
        if (pos < content.size()) {
            if (content[pos] == '\r' && pos + 1 < content.size() && content[pos + 1] == '\n')
                ++pos;
            ++pos;
        }
        if (line.isEmpty() || line[0] == ';')
            continue;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            doc.sections_.append(
                Section{trimmed(line.sliced(1, line.size() - 2)).toByteArray(), {}});
            current = &doc.sections_.last();
            continue;
        }
        if (!current)
            continue;
        const qsizetype eq = line.indexOf('=');
        Line l;
        if (eq < 0) {
            l.text = line.toByteArray();
            l.bare = true;
        } else {
            l.key = trimmed(line.first(eq)).toByteArray();
            l.text = l.key + '=' + trimmed(line.sliced(eq + 1)).toByteArray();
        }
        current->lines.append(std::move(l));
    }
    return doc;
}

QByteArray IniDocument::toBytes() const {
    QByteArray out;
    for (const Section& s : sections_) {
        out += '[' + s.name + "]\r\n";
        for (const Line& l : s.lines)
            out += l.text + "\r\n";
        out += "\r\n";
    }
    return out;
}

IniDocument::Section* IniDocument::findSection(QByteArrayView name) {
    for (Section& s : sections_) {
        if (sameName(s.name, name))
            return &s;
    }
    return nullptr;
}

const IniDocument::Section* IniDocument::findSection(QByteArrayView name) const {
    for (const Section& s : sections_) {
        if (sameName(s.name, name))
            return &s;
    }
    return nullptr;
}

const IniDocument::Line* IniDocument::findEntry(QByteArrayView section, QByteArrayView key) const {
    const Section* s = findSection(section);
    if (!s)
        return nullptr;
    for (const Line& l : s->lines) {
        if (!l.bare && sameName(l.key, key))
            return &l;
    }
    return nullptr;
}

QByteArray IniDocument::readString(QByteArrayView section, QByteArrayView key,
                                   QByteArrayView defaultValue) const {
    const Line* l = findEntry(section, key);
    if (!l)
        return defaultValue.toByteArray();
    return l->text.mid(l->key.size() + 1);
}

int IniDocument::readInteger(QByteArrayView section, QByteArrayView key, int defaultValue) const {
    const Line* l = findEntry(section, key);
    if (!l)
        return defaultValue;
    int v;
    return parseIniInteger(QByteArrayView(l->text).sliced(l->key.size() + 1), &v) ? v
                                                                                  : defaultValue;
}

bool IniDocument::readBool(QByteArrayView section, QByteArrayView key, bool defaultValue) const {
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

QByteArray IniDocument::readMultiLine(QByteArrayView section, QByteArrayView key) const {
    return readString(section, key).replace('\t', "\r\n");
}

void IniDocument::writeString(QByteArrayView section, QByteArrayView key, QByteArrayView value) {
    Section* s = findSection(section);
    if (!s) {
        sections_.append(Section{section.toByteArray(), {}});
        s = &sections_.last();
    }
    Line fresh;
    fresh.key = key.toByteArray();
    fresh.text = fresh.key + '=' + oneLine(value);
    for (Line& l : s->lines) {
        if (!l.bare && sameName(l.key, key)) {
            l = std::move(fresh);
            return;
        }
    }
    s->lines.append(std::move(fresh));
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

bool IniDocument::sectionExists(QByteArrayView section) const {
    const Section* s = findSection(section);
    return s && !s->lines.isEmpty();
}

bool IniDocument::valueExists(QByteArrayView section, QByteArrayView key) const {
    return findEntry(section, key) != nullptr;
}

void IniDocument::eraseSection(QByteArrayView section) {
    sections_.removeIf([&](const Section& s) { return sameName(s.name, section); });
}

void IniDocument::writeBack() const {
    if (path_.isEmpty())
        throw FileError(FileError::Kind::Create, path_, QStringLiteral("no path"));
    atomicSave(path_, toBytes());
}

QList<QByteArray> IniDocument::sectionNames() const {
    QList<QByteArray> names;
    for (const Section& s : sections_)
        names.append(s.name);
    return names;
}
