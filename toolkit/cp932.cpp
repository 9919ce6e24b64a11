#include "toolkit/cp932.h"

#include <QList>
#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>

namespace cp932 {
namespace {

constexpr char kEncoding[] = "Shift_JIS";

// Byte length of every BMP code point (0: not in the code page). The build writes it
// from the converter itself (cp932_lengths_gen), so that counting and encoding never
// disagree and no start pays for asking the converter.
struct Run {
    char16_t first;
    std::uint8_t length;
};
constexpr Run kRuns[] = {
#include "cp932_lengths.inc"
};

const std::array<std::uint8_t, 0x10000>& lengths() {
    static const std::unique_ptr<std::array<std::uint8_t, 0x10000>> table = [] {
        auto t = std::make_unique<std::array<std::uint8_t, 0x10000>>();
        const std::size_t runs = sizeof kRuns / sizeof kRuns[0];
        for (std::size_t i = 0; i < runs; ++i) {
            const std::size_t end = i + 1 < runs ? kRuns[i + 1].first : 0x10000;
            std::fill(t->begin() + kRuns[i].first, t->begin() + end, kRuns[i].length);
        }
        return t;
    }();
    return *table;
}

// The look-alikes that other systems type for characters of the code page.
char32_t lookAlike(char32_t cp) {
    switch (cp) {
        case 0x301C:
            return 0xFF5E;  // WAVE DASH -> FULLWIDTH TILDE
        case 0x2016:
            return 0x2225;  // DOUBLE VERTICAL LINE -> PARALLEL TO
        case 0x2212:
            return 0xFF0D;  // MINUS SIGN -> FULLWIDTH HYPHEN-MINUS
        case 0x00A2:
            return 0xFFE0;  // CENT SIGN
        case 0x00A3:
            return 0xFFE1;  // POUND SIGN
        case 0x00AC:
            return 0xFFE2;  // NOT SIGN
        case 0x2014:
            return 0x2015;  // EM DASH -> HORIZONTAL BAR
        default:
            return 0;
    }
}

}  // namespace

int charLength(char32_t cp) {
    if (cp >= 0x10000)
        return 0;
    return lengths()[cp];
}

bool canEncode(char32_t cp) {
    return charLength(cp) != 0;
}

qsizetype byteLength(QStringView text) {
    const auto& len = lengths();
    qsizetype total = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'\n') {
            total += (i > 0 && text[i - 1] == u'\r') ? 1 : 2;
        } else if (QChar::isHighSurrogate(c)) {
            // Never encodable; counts as the '?' it becomes.
            if (i + 1 < text.size() && text[i + 1].isLowSurrogate())
                ++i;
            total += 1;
        } else {
            const int n = len[c];
            total += n == 0 ? 1 : n;
        }
    }
    return total;
}

QByteArray encode(QStringView text) {
    QString safe;
    safe.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            safe.append(u'?');
            ++i;
        } else if (c.isSurrogate() || lengths()[c.unicode()] == 0) {
            safe.append(u'?');
        } else {
            safe.append(c);
        }
    }
    QStringEncoder encoder(kEncoding, QStringConverter::Flag::Stateless);
    return encoder.encode(safe);
}

namespace {

bool isLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool isTrailByte(unsigned char b) {
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

// True when the last byte is a lead byte that no trail byte follows.
bool endsInLoneLeadByte(QByteArrayView bytes) {
    qsizetype i = 0;
    const qsizetype n = bytes.size();
    while (i < n) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (isLeadByte(b)) {
            if (i + 1 == n)
                return true;
            i += isTrailByte(static_cast<unsigned char>(bytes[i + 1])) ? 2 : 1;
        } else {
            ++i;
        }
    }
    return false;
}

}  // namespace

QString decode(QByteArrayView bytes) {
    // Opening the converter costs more than decoding a short value; the program reads
    // thousands of them at start-up.
    thread_local QStringDecoder decoder(kEncoding, QStringConverter::Flag::Stateless);
    // The converter drops a lead byte at the very end without a trace; the user must
    // see that something is there.
    const bool loneLead = endsInLoneLeadByte(bytes);
    QString text = decoder.decode(loneLead ? bytes.first(bytes.size() - 1) : bytes);
    decoder.resetState();
    if (loneLead)
        text.append(QChar::ReplacementCharacter);
    return text;
}

namespace {

char32_t codePointAt(QStringView text, qsizetype i, qsizetype* units) {
    const QChar c = text[i];
    if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
        *units = 2;
        return QChar::surrogateToUcs4(c, text[i + 1]);
    }
    *units = 1;
    return c.unicode();
}

// Marks that only change how the character before them is drawn: variation
// selectors, skin tones, the keycap mark and tag characters.
bool isEmojiExtender(char32_t cp) {
    return (cp >= 0xFE00 && cp <= 0xFE0F) || (cp >= 0x1F3FB && cp <= 0x1F3FF) || cp == 0x20E3 ||
           (cp >= 0xE0020 && cp <= 0xE007F) || (cp >= 0xE0100 && cp <= 0xE01EF);
}

bool isRegionalIndicator(char32_t cp) {
    return cp >= 0x1F1E6 && cp <= 0x1F1FF;
}

// The carrier pictographs of the user-defined area, which stand in for emoji.
bool isPictograph(char32_t cp) {
    return cp >= 0xE63E && cp <= 0xE757;
}

constexpr char32_t kZeroWidthJoiner = 0x200D;
constexpr char32_t kVoicedMark = 0x3099;
constexpr char32_t kSemiVoicedMark = 0x309A;

// Other systems write U+00A5 and U+203E where the code page has 5C and 7E, and a
// no-break space where it has a plain one.
char32_t asciiAlike(char32_t cp) {
    switch (cp) {
        case 0x00A5:
            return U'\\';
        case 0x203E:
            return U'~';
        case 0x00A0:
            return U' ';
        default:
            return 0;
    }
}

void appendCodePoint(QString& out, char32_t cp) {
    if (cp >= 0x10000) {
        out.append(QChar::highSurrogate(cp));
        out.append(QChar::lowSurrogate(cp));
    } else {
        out.append(QChar(char16_t(cp)));
    }
}

}  // namespace

QString normalizeForInput(QStringView text) {
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        qsizetype units = 1;
        char32_t cp = codePointAt(text, i, &units);
        qsizetype next = i + units;
        if (QChar::isSurrogate(cp)) {
            out.append(u'?');
            i = next;
            continue;
        }
        // Control characters would cut the mail short at the server; only TAB and the
        // line breaks are text.
        if (cp < 0x20 && cp != U'\t' && cp != U'\r' && cp != U'\n') {
            i = next;
            continue;
        }
        if (cp == kVoicedMark || cp == kSemiVoicedMark) {
            // Composed with the kana before it where the code page holds the result;
            // alone it is the spacing mark.
            if (!out.isEmpty() && !out.back().isSurrogate()) {
                const QString pair = QString(out.back()) + QChar(char16_t(cp));
                const QString composed = pair.normalized(QString::NormalizationForm_C);
                if (composed.size() == 1 && canEncode(composed[0].unicode())) {
                    out.back() = composed[0];
                    i = next;
                    continue;
                }
            }
            const bool halfWidth =
                !out.isEmpty() && out.back().unicode() >= 0xFF66 && out.back().unicode() <= 0xFF9D;
            const char16_t spacing =
                cp == kVoicedMark ? (halfWidth ? 0xFF9E : 0x309B) : (halfWidth ? 0xFF9F : 0x309C);
            out.append(QChar(spacing));
            i = next;
            continue;
        }
        const bool emojiBase = !canEncode(cp) && cp != U'\r' && cp != U'\n' && !asciiAlike(cp) &&
                               !lookAlike(cp) && !isEmojiExtender(cp) && cp != kZeroWidthJoiner;
        if (emojiBase || isPictograph(cp) || isEmojiExtender(cp) || cp == kZeroWidthJoiner) {
            // One emoji sequence: a flag is two regional indicators; any base takes its
            // extenders and whatever zero-width joiners join to it. The sequence is the
            // pictograph it starts with, or one '?'.
            if (isRegionalIndicator(cp) && next < text.size()) {
                qsizetype u2 = 1;
                if (isRegionalIndicator(codePointAt(text, next, &u2)))
                    next += u2;
            }
            bool joined = emojiBase || isPictograph(cp);
            while (next < text.size()) {
                qsizetype u2 = 1;
                const char32_t after = codePointAt(text, next, &u2);
                if (isEmojiExtender(after)) {
                    next += u2;
                } else if (after == kZeroWidthJoiner) {
                    next += u2;
                    if (joined && next < text.size()) {
                        qsizetype u3 = 1;
                        codePointAt(text, next, &u3);
                        next += u3;
                    }
                } else {
                    break;
                }
            }
            if (isPictograph(cp)) {
                appendCodePoint(out, cp);
            } else if (emojiBase) {
                out.append(u'?');
            }
            // A stray extender or joiner after ordinary text is dropped.
            i = next;
            continue;
        }
        if (const char32_t ascii = asciiAlike(cp)) {
            appendCodePoint(out, ascii);
        } else if (cp == U'\r' || cp == U'\n' || canEncode(cp)) {
            appendCodePoint(out, cp);
        } else {
            appendCodePoint(out, lookAlike(cp));
        }
        i = next;
    }
    return out;
}

QString fitPrefix(QStringView text, qsizetype maxBytes) {
    qsizetype used = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        qsizetype step = 1;
        qsizetype cost;
        const QChar c = text[i];
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            step = 2;
            cost = 2;
        } else if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            step = 2;
            cost = 1;
        } else {
            cost = byteLength(text.sliced(i, 1));
        }
        if (used + cost > maxBytes)
            break;
        used += cost;
        i += step;
    }
    return text.first(i).toString();
}

QString toLf(QStringView crlfText) {
    QString out;
    out.reserve(crlfText.size());
    for (qsizetype i = 0; i < crlfText.size(); ++i) {
        const QChar c = crlfText[i];
        if (c == u'\r') {
            out.append(u'\n');
            if (i + 1 < crlfText.size() && crlfText[i + 1] == u'\n')
                ++i;
        } else {
            out.append(c);
        }
    }
    return out;
}

QString toCrLf(QStringView lfText) {
    QString out;
    out.reserve(lfText.size() + lfText.size() / 16);
    for (const QChar c : lfText) {
        if (c == u'\n' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator) {
            out.append(u"\r\n");
        } else {
            out.append(c);
        }
    }
    return out;
}

}  // namespace cp932
