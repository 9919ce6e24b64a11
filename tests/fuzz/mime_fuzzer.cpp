// The mail as the SMTP library puts it on the wire.
//
// Input: body, subject, attached file name and recipients, separated by zero bytes (the library
// takes C strings). The message is read back the way a mail reader would and must give back what
// was put in: the subject and file name from their encoded words (and the file name from
// its RFC 2231 parameter too), the body from its charset and transfer encoding.

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QTime>
#include <QTimeZone>

#include <cstddef>
#include <cstdint>
#include <optional>

#include "bsmtp/address_list.h"
#include "bsmtp/mime.h"
#include "fuzz_check.h"

namespace {

constexpr char kBoundary[] = "=_mirvane_00112233445566778899aabbccddeeff";

bool isLead(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

QByteArray crLfLines(QByteArray text) {
    text.replace("\r\n", "\n").replace('\r', '\n');
    return text.replace("\n", "\r\n");
}

// ISO-2022-JP back to code page 932 (JIS X 0208 rows to Shift_JIS by arithmetic). Nothing
// for a malformed text: a line break or the end outside ASCII, an odd byte in JIS mode.
std::optional<QByteArray> fromIso2022Jp(QByteArrayView jis) {
    QByteArray out;
    bool twoByte = false;
    for (qsizetype i = 0; i < jis.size();) {
        const auto b = static_cast<unsigned char>(jis[i]);
        if (b == 0x1B) {
            const QByteArrayView esc = jis.sliced(i, std::min<qsizetype>(3, jis.size() - i));
            if (esc == "\x1b$B" || esc == "\x1b$@") {
                twoByte = true;
            } else if (esc == "\x1b(B" || esc == "\x1b(J") {
                twoByte = false;
            } else {
                return std::nullopt;
            }
            i += 3;
            continue;
        }
        if (b >= 0x80)
            return std::nullopt;
        if (!twoByte) {
            out += static_cast<char>(b);
            ++i;
            continue;
        }
        if (i + 1 >= jis.size())
            return std::nullopt;
        const int j1 = b;
        const int j2 = static_cast<unsigned char>(jis[i + 1]);
        if (j1 < 0x21 || j1 > 0x7E || j2 < 0x21 || j2 > 0x7E)
            return std::nullopt;
        int s1 = (j1 - 0x21) / 2 + 0x81;
        if (s1 > 0x9F)
            s1 += 0x40;
        int s2 = j2 + ((j1 & 1) ? 0x1F : 0x7E);
        if ((j1 & 1) && s2 >= 0x7F)
            ++s2;
        out += static_cast<char>(s1);
        out += static_cast<char>(s2);
        i += 2;
    }
    if (twoByte)
        return std::nullopt;
    return out;
}

std::optional<QByteArray> fromCharset(QByteArrayView bytes, QByteArrayView charset) {
    if (charset == "ISO-2022-JP")
        return fromIso2022Jp(bytes);
    if (charset == "Shift_JIS")
        return bytes.toByteArray();
    return std::nullopt;
}

QByteArray strictBase64(QByteArrayView text, const QByteArray& context) {
    const auto decoded =
        QByteArray::fromBase64Encoding(text.toByteArray(), QByteArray::AbortOnBase64DecodingErrors);
    FUZZ_CHECK(decoded.decodingStatus == QByteArray::Base64DecodingStatus::Ok, "base64",
               text.toByteArray(), "in", context);
    return decoded.decoded;
}

struct Header {
    QByteArray name;
    QByteArray value;  // unfolded: each CR LF before a continuation removed
};

// Header lines up to the empty line; physical lines longer than 78 are refused unless
// they are the addresses the user gave.
QList<Header> parseHeaders(QByteArrayView block, const QByteArray& message) {
    QList<Header> headers;
    bool addresses = false;
    for (const QByteArray& line : block.toByteArray().split('\n')) {
        if (line.isEmpty())
            continue;
        const QByteArray text = line.chopped(1);  // the CR
        if (!text.startsWith(' ') && !text.startsWith('\t'))
            addresses = text.startsWith("From: ") || text.startsWith("To: ");
        FUZZ_CHECK(text.size() <= 78 || addresses, "header line", text, "message", message);
        if (text.startsWith(' ') || text.startsWith('\t')) {
            FUZZ_CHECK(!headers.isEmpty(), "message", message);
            headers.last().value += text;
            continue;
        }
        const qsizetype colon = text.indexOf(':');
        FUZZ_CHECK(colon > 0, "header line", text, "message", message);
        headers.append({text.first(colon).toLower(), text.sliced(colon + 1).trimmed()});
    }
    return headers;
}

QByteArray headerValue(const QList<Header>& headers, QByteArrayView name) {
    QByteArray found;
    int count = 0;
    for (const Header& h : headers) {
        if (h.name == name) {
            found = h.value;
            ++count;
        }
    }
    FUZZ_CHECK(count == 1, "header", name.toByteArray(), "count", static_cast<long long>(count));
    return found;
}

// `name=value` or `name="value"` of a header's parameters.
QByteArray parameter(const QByteArray& headerValue, QByteArrayView name) {
    for (const QByteArray& piece : headerValue.split(';')) {
        const QByteArray p = piece.trimmed();
        if (p.startsWith(name.toByteArray() + '=')) {
            QByteArray v = p.sliced(name.size() + 1);
            if (v.startsWith('"') && v.endsWith('"') && v.size() >= 2)
                v = v.sliced(1, v.size() - 2);
            return v;
        }
    }
    return {};
}

// Whether `length` bytes of `text` are whole characters.
bool endsOnBoundary(const QByteArray& text, qsizetype length) {
    qsizetype pos = 0;
    while (pos < length && pos < text.size())
        pos += (isLead(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size()) ? 2 : 1;
    return pos == length;
}

// Encoded words, each at most 75 characters and whole characters of `original` (each word
// decodes on its own), joined back.
QByteArray decodeWords(const QByteArray& text, QByteArrayView charset, const QByteArray& original,
                       const QByteArray& message) {
    QByteArray joined;
    for (const QByteArray& word : text.split(' ')) {
        if (word.isEmpty())
            continue;
        FUZZ_CHECK(word.size() <= 75, "word", word, "message", message);
        const QByteArray prefix = "=?" + charset.toByteArray() + "?B?";
        FUZZ_CHECK(
            word.startsWith(prefix) && word.endsWith("?=") && word.size() >= prefix.size() + 2,
            "word", word);
        const QByteArray bytes =
            strictBase64(word.sliced(prefix.size(), word.size() - prefix.size() - 2), word);
        const std::optional<QByteArray> cp932 = fromCharset(bytes, charset);
        FUZZ_CHECK(cp932.has_value(), "word", word, "decoded", bytes);
        joined += *cp932;
        FUZZ_CHECK(endsOnBoundary(original, joined.size()), "word", word, "original", original);
    }
    return joined;
}

// The RFC 2231 file name: one parameter filename*=, or numbered sections filename*N*=.
QByteArray decodeRfc2231(const QByteArray& disposition, const QByteArray& original,
                         const QByteArray& message) {
    QList<QByteArray> sections;
    for (const QByteArray& piece : disposition.split(';')) {
        const QByteArray p = piece.trimmed();
        if (!p.startsWith("filename*"))
            continue;
        const qsizetype eq = p.indexOf('=');
        FUZZ_CHECK(eq > 0, "parameter", p);
        const QByteArray name = p.first(eq);
        if (name == "filename*") {
            FUZZ_CHECK(sections.isEmpty(), "message", message);
        } else {
            FUZZ_CHECK(name == "filename*" + QByteArray::number(sections.size()) + '*', "parameter",
                       p, "message", message);
        }
        sections.append(p.sliced(eq + 1));
    }
    FUZZ_CHECK(!sections.isEmpty() && sections[0].startsWith("Shift_JIS''"), "message", message);
    sections[0] = sections[0].sliced(11);
    QByteArray name;
    for (const QByteArray& s : sections) {
        for (qsizetype i = 0; i < s.size(); ++i) {
            const char c = s[i];
            if (c != '%') {
                FUZZ_CHECK(QByteArrayView("-._").contains(c) || (c >= '0' && c <= '9') ||
                               (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'),
                           "section", s);
                name += c;
                continue;
            }
            FUZZ_CHECK(i + 2 < s.size(), "section", s);
            const QByteArray hex = s.mid(i + 1, 2);
            bool ok = false;
            const int v = hex.toInt(&ok, 16);
            FUZZ_CHECK(ok && hex.size() == 2, "section", s);
            name += static_cast<char>(v);
            i += 2;
        }
        FUZZ_CHECK(endsOnBoundary(original, name.size()), "section", s, "original", original);
    }
    return name;
}

bool isPlainAscii(const QByteArray& text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F)
            return false;
    }
    return true;
}

// Every mailbox in order; a display name outside ASCII as encoded words that decode to it.
void checkRecipients(const QByteArray& value, const QList<bsmtp::Mailbox>& mailboxes,
                     QByteArrayView charset, const QByteArray& message) {
    qsizetype pos = 0;
    for (const bsmtp::Mailbox& m : mailboxes) {
        if (m.displayName.isEmpty()) {
            const qsizetype at = value.indexOf(m.address, pos);
            FUZZ_CHECK(at >= 0, "address", m.address, "message", message);
            pos = at + m.address.size();
            continue;
        }
        const QByteArray angle = '<' + m.address + '>';
        const qsizetype at = value.indexOf(angle, pos);
        FUZZ_CHECK(at >= 0, "address", m.address, "message", message);
        QByteArray phrase = value.mid(pos, at - pos).trimmed();
        if (phrase.startsWith(','))
            phrase = phrase.sliced(1).trimmed();
        pos = at + angle.size();
        if (isPlainAscii(m.displayName) && m.displayName.size() < 200)
            continue;
        FUZZ_CHECK(decodeWords(phrase, charset, m.displayName, message) == m.displayName, "name",
                   m.displayName, "message", message);
    }
}

QByteArray decodeBody(QByteArrayView content, const QList<Header>& headers,
                      const QByteArray& message) {
    const QByteArray type = headerValue(headers, "content-type");
    FUZZ_CHECK(type.startsWith("text/plain;"), "type", type);
    const QByteArray charset = parameter(type, "charset");
    const QByteArray encoding = headerValue(headers, "content-transfer-encoding");
    QByteArray bytes;
    if (encoding == "base64") {
        for (const QByteArray& line : content.toByteArray().split('\n'))
            FUZZ_CHECK(line.size() <= 77, "line", line);  // 76 and the CR
        bytes = strictBase64(QByteArray(content.toByteArray()).replace("\r\n", ""), message);
    } else {
        FUZZ_CHECK(encoding == "7bit", "encoding", encoding);
        bytes = content.toByteArray();
    }
    const std::optional<QByteArray> cp932 = fromCharset(bytes, charset);
    FUZZ_CHECK(cp932.has_value(), "charset", charset, "body", bytes);
    return *cp932;
}

// Every line ends in CR LF and holds at most 998 bytes; only 7-bit text, no zero byte.
void checkLines(const QByteArray& message) {
    FUZZ_CHECK(message.endsWith("\r\n"), "message", message);
    qsizetype start = 0;
    for (qsizetype i = 0; i < message.size(); ++i) {
        const auto b = static_cast<unsigned char>(message[i]);
        FUZZ_CHECK(b != 0 && b < 0x80, "message", message, "at", static_cast<long long>(i));
        if (b == '\r') {
            FUZZ_CHECK(i + 1 < message.size() && message[i + 1] == '\n', "message", message);
        } else if (b == '\n') {
            FUZZ_CHECK(i > 0 && message[i - 1] == '\r', "message", message);
            FUZZ_CHECK(i - 1 - start <= 998, "message", message);
            start = i + 1;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QList<QByteArray> fields =
        QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)).split('\0');
    bsmtp::MailText mail;
    mail.from = "sender@example.jp";
    mail.to = "someone@docomo.ne.jp";
    // A recipient list of the fourth field, when the library would take it.
    const bsmtp::AddressList recipients = bsmtp::parseAddressList(fields.value(3));
    if (recipients.ok && !recipients.mailboxes.isEmpty())
        mail.to = fields.value(3);
    mail.body = fields.value(0);
    // The library refuses a subject with a line break before it builds anything.
    mail.subject = fields.value(1);
    mail.subject.replace('\r', "").replace('\n', "");
    QByteArray name = fields.value(2);
    name.replace('/', "");
    // The real boundary is 128 random bits: the body cannot hold it.
    if (mail.body.contains(kBoundary))
        return 0;

    bsmtp::MessageIds ids;
    ids.date = QDateTime(QDate(2024, 3, 5), QTime(12, 34, 56), QTimeZone(9 * 3600));
    ids.messageId = "<20240305033456.00112233445566778899aabbccddeeff@example.jp>";
    ids.boundary = kBoundary;
    const bsmtp::MessageFrame frame = bsmtp::composeMessage(mail, name, ids);

    const QByteArray file("\xff\xd8\xff\xe0 picture", 12);
    QByteArray message = frame.head;
    if (!name.isEmpty())
        bsmtp::Base64Lines().append(message, file);
    message += frame.tail;
    checkLines(message);

    const qsizetype headEnd = message.indexOf("\r\n\r\n");
    FUZZ_CHECK(headEnd > 0, "message", message);
    const QList<Header> headers = parseHeaders(message.first(headEnd + 2), message);
    const QByteArray rest = message.sliced(headEnd + 4);
    const QByteArray expectedBody = crLfLines(mail.body);

    QList<Header> textHeaders = headers;
    QByteArray textContent = rest;
    if (name.isEmpty()) {
        FUZZ_CHECK(frame.tail.isEmpty(), "tail", frame.tail);
        // The message's own last line break may follow a body that had none.
        if (!expectedBody.endsWith("\r\n") && !expectedBody.isEmpty() &&
            headerValue(headers, "content-transfer-encoding") == "7bit") {
            FUZZ_CHECK(textContent.endsWith("\r\n"), "message", message);
            textContent.chop(2);
        }
    } else {
        const QByteArray type = headerValue(headers, "content-type");
        FUZZ_CHECK(type.startsWith("multipart/mixed;") && parameter(type, "boundary") == kBoundary,
                   "type", type);
        const QByteArray delimiter = QByteArray("--") + kBoundary;
        FUZZ_CHECK(rest.startsWith(delimiter + "\r\n"), "message", message);
        const qsizetype second = rest.indexOf("\r\n" + delimiter + "\r\n");
        const QByteArray closing = "\r\n" + delimiter + "--\r\n";
        FUZZ_CHECK(second > 0 && rest.endsWith(closing), "message", message);
        const QByteArray textPart =
            rest.sliced(delimiter.size() + 2, second - delimiter.size() - 2);
        const QByteArray filePart =
            rest.sliced(second + delimiter.size() + 4).chopped(closing.size());
        const qsizetype textHeadEnd = textPart.indexOf("\r\n\r\n");
        FUZZ_CHECK(textHeadEnd > 0, "part", textPart);
        textHeaders = parseHeaders(textPart.first(textHeadEnd + 2), message);
        textContent = textPart.sliced(textHeadEnd + 4);

        const qsizetype fileHeadEnd = filePart.indexOf("\r\n\r\n");
        FUZZ_CHECK(fileHeadEnd > 0, "part", filePart);
        const QList<Header> fileHeaders = parseHeaders(filePart.first(fileHeadEnd + 2), message);
        const QByteArray fileType = headerValue(fileHeaders, "content-type");
        FUZZ_CHECK(fileType.startsWith(bsmtp::contentTypeFor(name) + ';'), "type", fileType);
        const QByteArray quoted = parameter(fileType, "name");
        FUZZ_CHECK(decodeWords(quoted, "Shift_JIS", name, message) == name, "name", name, "message",
                   message);
        FUZZ_CHECK(
            decodeRfc2231(headerValue(fileHeaders, "content-disposition"), name, message) == name,
            "name", name, "message", message);
        FUZZ_CHECK(headerValue(fileHeaders, "content-transfer-encoding") == "base64", "message",
                   message);
        FUZZ_CHECK(strictBase64(QByteArray(filePart.sliced(fileHeadEnd + 4)).replace("\r\n", ""),
                                message) == file,
                   "message", message);
    }

    const QByteArray charset = parameter(headerValue(textHeaders, "content-type"), "charset");
    const QByteArray body = decodeBody(textContent, textHeaders, message);
    FUZZ_CHECK(body == expectedBody, "given", mail.body, "decoded", body, "message", message);
    checkRecipients(headerValue(headers, "to"), bsmtp::parseAddressList(mail.to).mailboxes, charset,
                    message);
    FUZZ_CHECK(decodeWords(headerValue(headers, "subject"), charset, mail.subject, message) ==
                   mail.subject,
               "subject", mail.subject, "message", message);
    return 0;
}
