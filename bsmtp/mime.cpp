#include "bsmtp/mime.h"

#include "bsmtp/address_list.h"
#include "bsmtp/cp932_text.h"
#include "bsmtp/media_type.h"

#include <QRandomGenerator>
#include <QTimeZone>

namespace bsmtp {

namespace {

constexpr qsizetype kMaxLine = 76;       // lines holding encoded words (RFC 2047)
constexpr qsizetype kMaxWord = 75;       // one encoded word
constexpr qsizetype kMaxTextLine = 998;  // any line of a message (RFC 5322)

constexpr char kBase64Alphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

qsizetype base64Length(qsizetype bytes) {
    return (bytes + 2) / 3 * 4;
}

void appendBase64(QByteArray& out, const unsigned char* p, qsizetype n) {
    const qsizetype start = out.size();
    out.resize(start + base64Length(n));
    char* o = out.data() + start;
    qsizetype i = 0;
    for (; i + 3 <= n; i += 3) {
        const unsigned v = (p[i] << 16) | (p[i + 1] << 8) | p[i + 2];
        *o++ = kBase64Alphabet[(v >> 18) & 63];
        *o++ = kBase64Alphabet[(v >> 12) & 63];
        *o++ = kBase64Alphabet[(v >> 6) & 63];
        *o++ = kBase64Alphabet[v & 63];
    }
    if (i < n) {
        const unsigned v = (p[i] << 16) | (i + 1 < n ? p[i + 1] << 8 : 0);
        *o++ = kBase64Alphabet[(v >> 18) & 63];
        *o++ = kBase64Alphabet[(v >> 12) & 63];
        *o++ = i + 1 < n ? kBase64Alphabet[(v >> 6) & 63] : '=';
        *o++ = '=';
    }
}

QByteArray base64(QByteArrayView data) {
    QByteArray out;
    appendBase64(out, reinterpret_cast<const unsigned char*>(data.data()), data.size());
    return out;
}

QByteArray inCharset(QByteArrayView text, Charset charset) {
    if (charset == Charset::Iso2022Jp) {
        // The caller chose ISO-2022-JP because the text fits it.
        return toIso2022Jp(text).value_or(QByteArray());
    }
    return text.toByteArray();
}

// Length of the character at `pos`: UTF-8 for Charset::Utf8, else code page 932.
qsizetype unitLength(QByteArrayView text, qsizetype pos, Charset charset) {
    if (charset != Charset::Utf8) {
        return charLengthAt(text, pos);
    }
    const auto b = static_cast<unsigned char>(text[pos]);
    const qsizetype n = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
    return std::min(n, text.size() - pos);
}

QByteArray hex(QByteArrayView bytes) {
    return bytes.toByteArray().toHex();
}

// 128 random bits from the system's source, in hex.
QByteArray randomHex128() {
    quint32 words[4];
    QRandomGenerator::system()->generate(std::begin(words), std::end(words));
    return hex(QByteArrayView(reinterpret_cast<const char*>(words), sizeof words));
}

bool isDomainChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.';
}

// The domain for the Message-ID: the sender's, when it looks like one.
QByteArray idDomain(QByteArrayView from) {
    const qsizetype at = from.lastIndexOf('@');
    QByteArrayView domain = at >= 0 ? from.sliced(at + 1) : QByteArrayView();
    while (domain.endsWith('>')) {
        domain.chop(1);
    }
    if (domain.isEmpty() || domain.size() > 200) {
        return "mirvane.invalid";
    }
    for (char c : domain) {
        if (!isDomainChar(c)) {
            return "mirvane.invalid";
        }
    }
    return domain.toByteArray();
}

bool isAttrChar(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_';
}

// The file name (in `charset`, Shift_JIS or UTF-8) as RFC 2231 parameter(s) `param`, each
// on a folded line of its own.
QByteArray rfc2231FileName(QByteArrayView name, Charset charset, QByteArrayView param) {
    const QByteArray label = QByteArray(charsetName(charset)) + "''";
    // One piece per character, so that no section ends inside a character: many readers
    // decode each section by itself.
    QList<QByteArray> pieces;
    for (qsizetype pos = 0; pos < name.size();) {
        const qsizetype length = unitLength(name, pos, charset);
        QByteArray piece;
        for (qsizetype i = pos; i < pos + length; ++i) {
            const auto c = static_cast<unsigned char>(name[i]);
            if (isAttrChar(c)) {
                piece += static_cast<char>(c);
            } else {
                piece += "%" + QByteArray::number(c, 16).toUpper().rightJustified(2, '0');
            }
        }
        pieces.append(piece);
        pos += length;
    }
    QByteArray value = pieces.join();
    const QByteArray single = " " + param.toByteArray() + "*=" + label + value;
    if (single.size() <= kMaxLine) {
        return single;
    }
    // Some PC readers (Ruby's mail gem) put sections in the order of their numbers as text,
    // so that *10* comes before *2*: a long UTF-8 name gets longer lines rather than an
    // eleventh section (about 90 characters for a name of 255 bytes). Handsets keep lines
    // within 76 characters.
    auto sections = [&](qsizetype width) {
        QList<QByteArray> lines;
        qsizetype next = 0;
        while (next < pieces.size()) {
            QByteArray line =
                " " + param.toByteArray() + "*" + QByteArray::number(lines.size()) + "*=";
            if (lines.isEmpty()) {
                line += label;
            }
            // Room for the ';' that separates this section from the next; at least one
            // character in each.
            do {
                line += pieces[next++];
            } while (next < pieces.size() && line.size() + pieces[next].size() + 1 <= width);
            lines.append(line);
        }
        return lines;
    };
    constexpr qsizetype kMaxSections = 10;
    qsizetype width = kMaxLine;
    QList<QByteArray> lines = sections(width);
    while (charset == Charset::Utf8 && lines.size() > kMaxSections && width < kMaxTextLine) {
        lines = sections(width += 4);
    }
    return lines.join(";\r\n");
}

QByteArray textPartHeaders(Charset charset, bool base64Body) {
    return QByteArray("Content-Type: text/plain; charset=") + charsetName(charset) +
           "\r\nContent-Transfer-Encoding: " + (base64Body ? "base64" : "7bit") + "\r\n";
}

struct EncodedBody {
    bool base64 = false;
    QByteArray content;
};

EncodedBody encodeBody(QByteArrayView body, Charset charset) {
    const QByteArray normalized = normalizeLineEnds(body);
    EncodedBody out;
    if (charset == Charset::Iso2022Jp) {
        out.content = inCharset(normalized, charset);
        // 7bit allows no line over 998 bytes; such a body travels in base64 instead.
        bool fits = true;
        for (qsizetype start = 0; start < out.content.size();) {
            qsizetype end = out.content.indexOf("\r\n", start);
            if (end < 0) {
                end = out.content.size();
            }
            if (end - start > kMaxTextLine) {
                fits = false;
                break;
            }
            start = end + 2;
        }
        if (fits) {
            return out;
        }
        const QByteArray jis = out.content;
        out.content.clear();
        Base64Lines().append(out.content, jis);
        out.base64 = true;
        return out;
    }
    // Shift_JIS and UTF-8 have bytes over 7F, which 7bit does not allow.
    Base64Lines().append(out.content, normalized);
    out.base64 = true;
    return out;
}

QByteArray subjectHeader(QByteArrayView subject, Charset charset) {
    static constexpr QByteArrayView kName = "Subject: ";
    const QList<QByteArray> words =
        encodedWords(subject, charset, kMaxLine - kName.size(), kMaxLine - 1);
    return kName.toByteArray() + words.join("\r\n ") + "\r\n";
}

bool isAtextOrSpace(char c) {
    return c == ' ' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           QByteArrayView("!#$%&'*+-/=?^_`{|}~").indexOf(c) >= 0;
}

bool isPlainAscii(QByteArrayView text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F) {
            return false;
        }
    }
    return true;
}

// An ASCII display name as a phrase: as it is when it is atoms and spaces, else quoted.
QByteArray asciiPhrase(QByteArrayView name) {
    bool plain = !name.startsWith(' ') && !name.endsWith(' ') && !name.contains("  ");
    for (char c : name) {
        plain = plain && isAtextOrSpace(c);
    }
    if (plain) {
        return name.toByteArray();
    }
    QByteArray out = "\"";
    for (char c : name) {
        if (c == '"' || c == '\\') {
            out += '\\';
        }
        out += c;
    }
    return out + '"';
}

// The field value when it cannot be read as addresses (never the case for a mail the
// library sends, which checks first): printable ASCII only, so it stays one header line.
QByteArray printableField(QByteArrayView text) {
    QByteArray out;
    for (char c : text.first(std::min<qsizetype>(text.size(), kMaxTextLine - 10))) {
        const auto u = static_cast<unsigned char>(c);
        out += (u >= 0x20 && u < 0x7F) ? c : '?';
    }
    return out;
}

// The texts of one mail in the form and charset of its reader.
struct WireTexts {
    Charset charset = Charset::Iso2022Jp;
    QByteArray subject;
    QByteArray body;
    QList<Mailbox> from;  // display names in the wire form
    QList<Mailbox> to;
    bool fromOk = false;  // the fields could be read as addresses
    bool toOk = false;
    Charset nameCharset = Charset::ShiftJis;
    QByteArray attachmentName;
};

WireTexts wireTexts(const MailText& mail, QByteArrayView attachmentName) {
    WireTexts w;
    const AddressList from = parseAddressList(mail.from);
    const AddressList to = parseAddressList(mail.to);
    w.fromOk = from.ok && !from.mailboxes.isEmpty();
    w.toOk = to.ok && !to.mailboxes.isEmpty();
    w.from = from.mailboxes;
    w.to = to.mailboxes;

    const bool handset = mail.reader != Reader::Other;
    auto convert = [&](QByteArrayView cp932) {
        return handset ? forHandset(cp932, mail.reader) : cp932.toByteArray();
    };
    w.subject = convert(mail.subject);
    w.body = convert(mail.body);
    bool fits = fitsIso2022Jp(w.subject) && fitsIso2022Jp(w.body);
    for (QList<Mailbox>* list : {&w.from, &w.to}) {
        for (Mailbox& m : *list) {
            m.displayName = convert(m.displayName);
            fits = fits && fitsIso2022Jp(m.displayName);
        }
    }
    w.charset = fits ? Charset::Iso2022Jp : handset ? Charset::ShiftJis : Charset::Utf8;
    if (w.charset == Charset::Utf8) {
        auto utf8 = [](QByteArrayView cp932) { return forUnicodeReaders(cp932).toUtf8(); };
        w.subject = utf8(w.subject);
        w.body = utf8(w.body);
        for (QList<Mailbox>* list : {&w.from, &w.to}) {
            for (Mailbox& m : *list) {
                m.displayName = utf8(m.displayName);
            }
        }
    }
    w.nameCharset = handset ? Charset::ShiftJis : Charset::Utf8;
    w.attachmentName = handset ? forHandset(attachmentName, mail.reader)
                               : forUnicodeReaders(attachmentName).toUtf8();
    return w;
}

QByteArray addressField(QByteArrayView fieldStart, QByteArrayView field, bool ok,
                        const QList<Mailbox>& mailboxes, Charset charset) {
    if (!ok) {
        return fieldStart.toByteArray() + printableField(field) + "\r\n";
    }
    return addressHeader(fieldStart, mailboxes, charset);
}

}  // namespace

QByteArray addressHeader(QByteArrayView fieldStart, const QList<Mailbox>& mailboxes,
                         Charset charset) {
    QByteArray out = fieldStart.toByteArray();
    for (qsizetype i = 0; i < mailboxes.size(); ++i) {
        const Mailbox& m = mailboxes[i];
        const QByteArray angle = "<" + m.address + ">";
        if (i > 0) {
            out += ",\r\n ";
        }
        const qsizetype lineStart = i == 0 ? fieldStart.size() : 1;
        if (m.displayName.isEmpty()) {
            out += m.address;
            continue;
        }
        if (isPlainAscii(m.displayName) && m.displayName.size() < 200) {
            out += asciiPhrase(m.displayName) + " " + angle;
            continue;
        }
        const QList<QByteArray> words =
            encodedWords(m.displayName, charset, static_cast<int>(kMaxLine - lineStart),
                         static_cast<int>(kMaxLine - 1));
        const QByteArray lastLine = words.size() == 1 ? words.back() : " " + words.back();
        out += words.join("\r\n ");
        const qsizetype lastLength = (words.size() == 1 ? lineStart : 0) + lastLine.size();
        out += lastLength + 1 + angle.size() <= kMaxLine ? " " + angle : "\r\n " + angle;
    }
    return out + "\r\n";
}

const char* charsetName(Charset charset) {
    switch (charset) {
        case Charset::Iso2022Jp:
            return "ISO-2022-JP";
        case Charset::ShiftJis:
            return "Shift_JIS";
        case Charset::Utf8:
            return "UTF-8";
    }
    return "";
}

QList<QByteArray> encodedWords(QByteArrayView text, Charset charset, int firstRoom, int nextRoom) {
    const QByteArray prefix = QByteArray("=?") + charsetName(charset) + "?B?";
    const qsizetype overhead = prefix.size() + 2;
    QList<QByteArray> words;
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype room =
            std::min<qsizetype>(kMaxWord, words.isEmpty() ? firstRoom : nextRoom) - overhead;
        // Grow the word by whole characters while its encoding still fits.
        qsizetype end = start + unitLength(text, start, charset);
        while (end < text.size()) {
            const qsizetype longer = end + unitLength(text, end, charset);
            if (base64Length(inCharset(text.sliced(start, longer - start), charset).size()) >
                room) {
                break;
            }
            end = longer;
        }
        words.append(prefix + base64(inCharset(text.sliced(start, end - start), charset)) + "?=");
        start = end;
    }
    return words;
}

void Base64Lines::append(QByteArray& out, QByteArrayView data) {
    const auto* p = reinterpret_cast<const unsigned char*>(data.data());
    const qsizetype lines = (data.size() + kBytesPerLine - 1) / kBytesPerLine;
    out.reserve(out.size() + base64Length(data.size()) + 2 * lines);
    for (qsizetype done = 0; done < data.size(); done += kBytesPerLine) {
        if (!firstLine_) {
            out += "\r\n";
        }
        firstLine_ = false;
        appendBase64(out, p + done, std::min(kBytesPerLine, data.size() - done));
    }
}

qint64 Base64Lines::encodedSize(qint64 size) {
    if (size <= 0) {
        return 0;
    }
    const qint64 lines = (size + kBytesPerLine - 1) / kBytesPerLine;
    return (size + 2) / 3 * 4 + 2 * (lines - 1);
}

MessageIds freshIds(QByteArrayView from) {
    MessageIds ids;
    ids.date = QDateTime::currentDateTime();
    ids.messageId = "<" + ids.date.toUTC().toString("yyyyMMddhhmmss").toLatin1() + "." +
                    randomHex128() + "@" + idDomain(from) + ">";
    ids.boundary = "=_mirvane_" + randomHex128();
    return ids;
}

QByteArray rfc5322Date(const QDateTime& when) {
    static constexpr const char* kDays[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const QDate d = when.date();
    const QTime t = when.time();
    const int offsetMinutes = when.offsetFromUtc() / 60;
    const int absOffset = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
    return QString::asprintf("%s, %02d %s %04d %02d:%02d:%02d %c%02d%02d", kDays[d.dayOfWeek() - 1],
                             d.day(), kMonths[d.month() - 1], d.year(), t.hour(), t.minute(),
                             t.second(), offsetMinutes < 0 ? '-' : '+', absOffset / 60,
                             absOffset % 60)
        .toLatin1();
}

QByteArray contentTypeFor(QByteArrayView fileName) {
    return mediaTypeFor(fileName, systemMediaTypes());
}

MessageFrame composeMessage(const MailText& mail, QByteArrayView attachmentName,
                            const MessageIds& ids) {
    const WireTexts w = wireTexts(mail, attachmentName);
    const Charset charset = w.charset;
    const EncodedBody body = encodeBody(w.body, charset);

    QByteArray head;
    head += "Date: " + rfc5322Date(ids.date) + "\r\n";
    head += addressField("From: ", mail.from, w.fromOk, w.from, charset);
    head += addressField("To: ", mail.to, w.toOk, w.to, charset);
    head += subjectHeader(w.subject, charset);
    head += "Message-ID: " + ids.messageId + "\r\n";
    head += "MIME-Version: 1.0\r\n";

    MessageFrame frame;
    if (attachmentName.isEmpty()) {
        head += textPartHeaders(charset, body.base64);
        head += "\r\n";
        head += body.content;
        if (!head.endsWith("\r\n")) {
            head += "\r\n";
        }
        frame.head = head;
        return frame;
    }

    const QByteArray delimiter = "--" + ids.boundary;
    head += "Content-Type: multipart/mixed;\r\n boundary=\"" + ids.boundary + "\"\r\n";
    head += "\r\n";
    head += delimiter + "\r\n";
    head += textPartHeaders(charset, body.base64);
    head += "\r\n";
    head += body.content;
    head += "\r\n" + delimiter + "\r\n";

    head += "Content-Type: " + contentTypeFor(attachmentName) + ";\r\n";
    if (w.nameCharset == Charset::ShiftJis) {
        // Handsets read the name only as encoded words in quotes (against RFC 2047, but what
        // they and older readers know); the disposition carries it by RFC 2231 for the rest.
        static constexpr QByteArrayView kNameStart = " name=\"";
        const QList<QByteArray> nameWords = encodedWords(
            w.attachmentName, w.nameCharset, kMaxLine - kNameStart.size() - 1, kMaxLine - 2);
        head += kNameStart.toByteArray() + nameWords.join("\r\n ") + "\"\r\n";
    } else {
        head += rfc2231FileName(w.attachmentName, w.nameCharset, "name") + "\r\n";
    }
    head += "Content-Transfer-Encoding: base64\r\n";
    head += "Content-Disposition: attachment;\r\n" +
            rfc2231FileName(w.attachmentName, w.nameCharset, "filename") + "\r\n";
    head += "\r\n";

    frame.head = head;
    frame.tail = "\r\n" + delimiter + "--\r\n";
    return frame;
}

}  // namespace bsmtp
