#include "codepage/cp932_codec.h"

#include <array>
#include <cstdint>
#include <memory>

namespace cp932_codec {

namespace {

struct Pair {
    std::uint16_t from;
    std::uint16_t to;
};

#include "cp932_tables.inc"

bool isLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool isTrailByte(unsigned char b) {
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

// Both directions indexed by what they convert from; 0 is "none" (U+0000 and the byte
// 00 are ASCII, which never comes here).
struct Tables {
    std::array<std::uint16_t, 0x10000> toCode{};
    std::array<std::uint16_t, 0x10000> toUnicode{};
};

const Tables& tables() {
    static const std::unique_ptr<const Tables> t = [] {
        auto made = std::make_unique<Tables>();
        for (const Pair& p : kEncodePairs)
            made->toCode[p.from] = p.to;
        for (const Pair& p : kDecodePairs)
            made->toUnicode[p.from] = p.to;
        return made;
    }();
    return *t;
}

constexpr int kNoCharacter = -1;

// Decodes bytes[*pos...]: the character, or kNoCharacter when the bytes there are none;
// *pos moves past what was read (a well-formed but unassigned pair as a whole).
int decodeAt(const Tables& t, QByteArrayView bytes, qsizetype* pos) {
    const auto b = static_cast<unsigned char>(bytes[*pos]);
    if (b < 0x80) {
        ++*pos;
        return b;
    }
    int cp = 0;
    if (!isLeadByte(b)) {
        ++*pos;
        cp = t.toUnicode[b];
    } else if (*pos + 1 < bytes.size() &&
               isTrailByte(static_cast<unsigned char>(bytes[*pos + 1]))) {
        cp = t.toUnicode[b << 8 | static_cast<unsigned char>(bytes[*pos + 1])];
        *pos += 2;
    } else {
        ++*pos;
    }
    return cp == 0 ? kNoCharacter : cp;
}

}  // namespace

int charLength(char32_t cp) {
    if (cp < 0x80)
        return 1;
    if (cp >= 0x10000)
        return 0;
    const std::uint16_t code = tables().toCode[cp];
    return code == 0 ? 0 : code < 0x100 ? 1 : 2;
}

std::optional<QByteArray> encode(QStringView text) {
    const Tables& t = tables();
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    char* out = bytes.data();
    for (const QChar qc : text) {
        const char16_t c = qc.unicode();
        if (c < 0x80) {
            *out++ = static_cast<char>(c);
            continue;
        }
        const std::uint16_t code = t.toCode[c];
        if (code == 0)
            return std::nullopt;  // also every surrogate: nothing beyond the BMP is held
        if (code >= 0x100)
            *out++ = static_cast<char>(code >> 8);
        *out++ = static_cast<char>(code & 0xFF);
    }
    bytes.truncate(out - bytes.data());
    return bytes;
}

std::optional<QString> decode(QByteArrayView bytes) {
    const Tables& t = tables();
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        const int c = decodeAt(t, bytes, &pos);
        if (c == kNoCharacter)
            return std::nullopt;
        *out++ = QChar(char16_t(c));
    }
    text.truncate(out - text.constData());
    return text;
}

QString decodeLenient(QByteArrayView bytes) {
    const Tables& t = tables();
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        const int c = decodeAt(t, bytes, &pos);
        *out++ = c == kNoCharacter ? QChar(QChar::ReplacementCharacter) : QChar(char16_t(c));
    }
    text.truncate(out - text.constData());
    return text;
}

}  // namespace cp932_codec
