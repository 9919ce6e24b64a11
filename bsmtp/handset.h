#pragma once

#include "bsmtp/address_list.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

// Who reads a mail, by the recipients' mail domains, and the text in the form that reader
// shows as typed: carrier pictographs as that carrier's own codes on its handsets, as
// standard emoji everywhere else.
namespace bsmtp {

enum class Reader {
    IMode,     // docomo handsets: the pictograph codes as the composer holds them
    Au,        // au handsets: KDDI's codes
    SoftBank,  // SoftBank handsets: SoftBank's codes
    Other,     // PCs, smartphones and mixed lists: Unicode
};

// The reader of one mail domain (case-insensitive; a subdomain counts as its domain).
Reader readerOfDomain(QByteArrayView domain);

// The reader of a whole mail: the carrier when every recipient is a handset of that one
// carrier, otherwise Reader::Other. A mail goes out once with the same bytes for everybody,
// and only Unicode shows nobody a wrong picture: another carrier's code would.
Reader readerOfMail(const QList<Mailbox>& recipients);

// The code page 932 text an au or SoftBank handset shows as typed: each i-mode pictograph
// becomes that carrier's code, or its name in 〔〕 when the carrier has no such picture, or
// the geta mark 〓 when it has no name either. The text itself for i-mode.
QByteArray forHandset(QByteArrayView cp932, Reader carrier);

// The text in Unicode with each i-mode pictograph as its standard emoji (the geta mark for
// the few that have none); the NEC and IBM extensions are their Unicode characters. The
// text must be valid code page 932.
QString forUnicodeReaders(QByteArrayView cp932);

}  // namespace bsmtp
