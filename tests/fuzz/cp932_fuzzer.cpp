// Code page 932: counting, input normalization, prefixes and the encoder.
//
// Input: two bytes of byte limit, then the text as UTF-16 code units (any, lone surrogates
// included); the same bytes also go through the decoder as code page 932.

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

#include "fuzz_check.h"
#include "toolkit/cp932.h"

namespace {

qsizetype loneLineFeeds(const QString& text) {
    qsizetype n = 0;
    for (qsizetype i = 0; i < text.size(); ++i)
        n += text[i] == u'\n' && (i == 0 || text[i - 1] != u'\r');
    return n;
}

// The encoder's mark for a character it cannot hold; it has to stay out of every text.
bool holdsUnmappableMark(const QByteArray& bytes) {
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        if (lead && i + 1 < bytes.size()) {
            if (b == 0xFC && static_cast<unsigned char>(bytes[i + 1]) == 0xFC)
                return true;
            ++i;
        }
    }
    return false;
}

void checkCount(const QString& text) {
    const QByteArray bytes = cp932::encode(text);
    FUZZ_CHECK(cp932::byteLength(text) == bytes.size() + loneLineFeeds(text), "text", text,
               "encoded", bytes, "counted", static_cast<long long>(cp932::byteLength(text)));
}

void checkStable(const QString& text) {
    const QByteArray first = cp932::encode(text);
    const QString decoded = cp932::decode(first);
    const QByteArray second = cp932::encode(decoded);
    FUZZ_CHECK(first == second, "text", text, "first", first, "decoded", decoded, "second", second);
}

void checkNormalized(const QString& text) {
    const QString n = cp932::normalizeForInput(text);
    for (qsizetype i = 0; i < n.size(); ++i) {
        const QChar c = n[i];
        FUZZ_CHECK(!c.isSurrogate() && (c == u'\r' || c == u'\n' || cp932::canEncode(c.unicode())),
                   "text", text, "normalized", n, "at", static_cast<long long>(i));
    }
    FUZZ_CHECK(cp932::normalizeForInput(n) == n, "text", text, "normalized", n);
    const QByteArray bytes = cp932::encode(n);
    // Nothing left for the encoder to replace.
    FUZZ_CHECK(bytes.count('?') == n.count(u'?') && !holdsUnmappableMark(bytes), "normalized", n,
               "encoded", bytes);
    checkCount(n);
    checkStable(n);
}

bool isPairAt(const QString& text, qsizetype i) {
    return i + 1 < text.size() && text[i].isHighSurrogate() && text[i + 1].isLowSurrogate();
}

bool isCrLfAt(const QString& text, qsizetype i) {
    return i + 1 < text.size() && text[i] == u'\r' && text[i + 1] == u'\n';
}

void checkPrefix(const QString& text, qsizetype maxBytes) {
    const QString p = cp932::fitPrefix(text, maxBytes);
    FUZZ_CHECK(text.startsWith(p), "text", text, "prefix", p);
    FUZZ_CHECK(cp932::byteLength(p) <= maxBytes, "text", text, "prefix", p, "limit",
               static_cast<long long>(maxBytes));
    const qsizetype end = p.size();
    if (end == text.size())
        return;
    if (end > 0)
        FUZZ_CHECK(!isCrLfAt(text, end - 1) && !isPairAt(text, end - 1), "text", text, "prefix", p);
    // The longest: the next whole character would not fit.
    const qsizetype step = isCrLfAt(text, end) || isPairAt(text, end) ? 2 : 1;
    FUZZ_CHECK(cp932::byteLength(QStringView(text).first(end + step)) > maxBytes, "text", text,
               "prefix", p, "limit", static_cast<long long>(maxBytes));
}

void checkLineBreaks(const QString& text) {
    const QString lf = cp932::toLf(text);
    FUZZ_CHECK(!lf.contains(u'\r'), "text", text);
    const QString crlf = cp932::toCrLf(lf);
    for (qsizetype i = 0; i < crlf.size(); ++i) {
        FUZZ_CHECK(crlf[i] != u'\n' || (i > 0 && crlf[i - 1] == u'\r'), "crlf", crlf);
        FUZZ_CHECK(crlf[i] != u'\r' || isCrLfAt(crlf, i), "crlf", crlf);
    }
    // A field's LF text counts what its CR LF form will be.
    if (!lf.contains(QChar::LineSeparator) && !lf.contains(QChar::ParagraphSeparator))
        FUZZ_CHECK(cp932::byteLength(lf) == cp932::encode(crlf).size(), "lf", lf);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const qsizetype maxBytes = (data[0] | (data[1] << 8)) & 0x3FF;
    const auto* rest = data + 2;
    const qsizetype restSize = static_cast<qsizetype>(size - 2);

    QString text;
    for (qsizetype i = 0; i + 1 < restSize; i += 2)
        text.append(QChar(char16_t(rest[i] | (rest[i + 1] << 8))));

    checkCount(text);
    checkStable(text);
    checkNormalized(text);
    checkPrefix(text, maxBytes);
    checkPrefix(cp932::normalizeForInput(text), maxBytes);
    checkLineBreaks(text);

    const QString decoded =
        cp932::decode(QByteArrayView(reinterpret_cast<const char*>(rest), restSize));
    checkCount(decoded);
    checkStable(decoded);
    checkNormalized(decoded);
    return 0;
}
