#include "bsmtp/handset.h"

#include "bsmtp/cp932_text.h"

#include <algorithm>
#include <iterator>

namespace bsmtp {

namespace {

struct PictographEntry {
    quint16 imode;     // code page 932 code as the composer inserts it
    quint16 au;        // 0: au has no such picture
    quint16 softBank;  // 0: SoftBank has none
    char32_t emoji[2];
    const char* name;  // UTF-8, CLDR's Japanese name; may be empty
};

// From Unicode's mapping of the carriers' codes, sorted by the i-mode code.
constexpr PictographEntry kPictographs[] = {
#include "carrier_table.inc"
};

constexpr char16_t kGeta = u'\u3013';

// The i-mode pictographs lie in F89F-F9FC of the user-defined area.
const PictographEntry* findPictograph(QByteArrayView text, qsizetype pos) {
    if (pos + 1 >= text.size()) {
        return nullptr;
    }
    const auto lead = static_cast<unsigned char>(text[pos]);
    const auto trail = static_cast<unsigned char>(text[pos + 1]);
    const quint16 code = static_cast<quint16>(lead << 8 | trail);
    const auto it =
        std::lower_bound(std::begin(kPictographs), std::end(kPictographs), code,
                         [](const PictographEntry& e, quint16 c) { return e.imode < c; });
    return it != std::end(kPictographs) && it->imode == code ? &*it : nullptr;
}

bool isImodeRange(QByteArrayView text, qsizetype pos) {
    if (pos + 1 >= text.size()) {
        return false;
    }
    const quint16 code = static_cast<quint16>(static_cast<unsigned char>(text[pos]) << 8 |
                                              static_cast<unsigned char>(text[pos + 1]));
    return code >= 0xF89F && code <= 0xF9FC;
}

QByteArray twoBytes(quint16 code) {
    const char pair[2] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
    return QByteArray(pair, 2);
}

QByteArray inBrackets(const PictographEntry* e) {
    if (e != nullptr && e->name[0] != '\0') {
        if (auto name = encodeCp932(u'〔' + QString::fromUtf8(e->name) + u'〕')) {
            return *name;
        }
    }
    return encodeCp932(QString(kGeta)).value_or("?");
}

}  // namespace

Reader readerOfDomain(QByteArrayView domain) {
    struct Entry {
        QByteArrayView domain;
        Reader reader;
    };
    // vodafone.ne.jp with the region's letter in front (d., h., t., c., r., k., n., s., q.)
    // still reaches SoftBank handsets; disney.ne.jp is a SoftBank handset service too.
    static constexpr Entry kDomains[] = {
        {"docomo.ne.jp", Reader::IMode},      {"ezweb.ne.jp", Reader::Au},
        {"softbank.ne.jp", Reader::SoftBank}, {"vodafone.ne.jp", Reader::SoftBank},
        {"disney.ne.jp", Reader::SoftBank},
    };
    const QByteArray lower = domain.toByteArray().toLower();
    for (const Entry& e : kDomains) {
        if (lower == e.domain ||
            (lower.endsWith(e.domain) && lower[lower.size() - e.domain.size() - 1] == '.')) {
            return e.reader;
        }
    }
    return Reader::Other;
}

Reader readerOfMail(const QList<Mailbox>& recipients) {
    if (recipients.isEmpty()) {
        return Reader::Other;
    }
    Reader first = Reader::Other;
    for (qsizetype i = 0; i < recipients.size(); ++i) {
        const QByteArray& address = recipients[i].address;
        const Reader r =
            readerOfDomain(QByteArrayView(address).sliced(address.lastIndexOf('@') + 1));
        if (r == Reader::Other || (i > 0 && r != first)) {
            return Reader::Other;
        }
        first = r;
    }
    return first;
}

QByteArray forHandset(QByteArrayView cp932, Reader carrier) {
    if (carrier != Reader::Au && carrier != Reader::SoftBank) {
        return cp932.toByteArray();
    }
    QByteArray out;
    out.reserve(cp932.size());
    for (qsizetype pos = 0; pos < cp932.size();) {
        const qsizetype length = charLengthAt(cp932, pos);
        if (length == 2 && isImodeRange(cp932, pos)) {
            const PictographEntry* e = findPictograph(cp932, pos);
            const quint16 code = e == nullptr ? 0 : carrier == Reader::Au ? e->au : e->softBank;
            out += code != 0 ? twoBytes(code) : inBrackets(e);
        } else {
            out += cp932.sliced(pos, length);
        }
        pos += length;
    }
    return out;
}

QString forUnicodeReaders(QByteArrayView cp932) {
    QString out;
    out.reserve(cp932.size());
    for (qsizetype pos = 0; pos < cp932.size();) {
        const qsizetype length = charLengthAt(cp932, pos);
        if (length == 2 && isImodeRange(cp932, pos)) {
            const PictographEntry* e = findPictograph(cp932, pos);
            if (e == nullptr) {
                out += kGeta;
            } else {
                const int n = e->emoji[1] == 0 ? 1 : 2;
                out += QString::fromUcs4(e->emoji, n);
            }
        } else {
            out += decodeCp932(cp932.sliced(pos, length)).value_or(QString(kGeta));
        }
        pos += length;
    }
    return out;
}

}  // namespace bsmtp
