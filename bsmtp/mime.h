#pragma once

#include "bsmtp/address_list.h"
#include "bsmtp/handset.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QList>

// The mail as it goes on the wire: headers, the text part and the attachment's frame.
namespace bsmtp {

enum class Charset { Iso2022Jp, ShiftJis, Utf8 };

const char* charsetName(Charset charset);

// RFC 2047 B-encoded words for `text` in `charset`, none longer than 75 characters and
// none splitting a character. `text` is UTF-8 for Charset::Utf8, else code page 932. The
// first word fits in `firstRoom` characters, each later one in `nextRoom`. Nothing for an
// empty text.
QList<QByteArray> encodedWords(QByteArrayView text, Charset charset, int firstRoom, int nextRoom);

// Base64 with lines of 76 characters joined by CR LF (no line break after the last line).
class Base64Lines {
  public:
    static constexpr qsizetype kBytesPerLine = 57;

    // Appends the lines for `data`. Every call but the last must pass a multiple of
    // kBytesPerLine bytes.
    void append(QByteArray& out, QByteArrayView data);

    // Length of the encoding of `size` bytes.
    static qint64 encodedSize(qint64 size);

  private:
    bool firstLine_ = true;
};

struct MailText {
    QByteArray from;                // the sender field as given: an address list (address_list.h)
    QByteArray to;                  // the recipient field as given, likewise
    QByteArray subject;             // code page 932, no CR or LF
    QByteArray body;                // code page 932, any line ends
    Reader reader = Reader::IMode;  // whose form the texts take on the wire (handset.h)
};

// "To: " or "From: " and the mailboxes, folded one to a line; display names (in `charset`'s
// form, as for encodedWords) outside ASCII as encoded words in `charset`.
QByteArray addressHeader(QByteArrayView fieldStart, const QList<Mailbox>& mailboxes,
                         Charset charset);

// The message split around the attachment's base64: `head` runs up to the first line of the
// attachment's content, `tail` closes the message. Without an attachment `head` is the whole
// message and `tail` is empty.
struct MessageFrame {
    QByteArray head;
    QByteArray tail;
};

struct MessageIds {
    QDateTime date;        // when the mail is written, with the local offset
    QByteArray messageId;  // "<...@...>"
    QByteArray boundary;   // used only with an attachment
};

// Fresh identifiers: the current time, a Message-ID and a boundary with 128 random bits each.
MessageIds freshIds(QByteArrayView from);

// `attachmentName` is the attached file's name in code page 932; empty for no attachment.
// To handsets every text goes in ISO-2022-JP when it can, else in Shift_JIS, in the
// carrier's form; to anyone else in ISO-2022-JP when it can, else in UTF-8 with standard
// emoji. The file name goes in Shift_JIS to handsets and in UTF-8 to anyone else.
MessageFrame composeMessage(const MailText& mail, QByteArrayView attachmentName,
                            const MessageIds& ids);

// "Tue, 05 Mar 2024 12:34:56 +0900": English names whatever the locale.
QByteArray rfc5322Date(const QDateTime& when);

// The attachment's media type by its extension, from the system's table (see media_type.h).
QByteArray contentTypeFor(QByteArrayView fileName);

}  // namespace bsmtp
