#pragma once

#include "bsmtp/attachment.h"
#include "bsmtp/netrc.h"
#include "bsmtp/server_address.h"
#include "bsmtp/session.h"

#include <QByteArray>
#include <QByteArrayView>

// The texts the caller shows when a mail was not sent: short Japanese messages in code
// page 932, at most kMaxErrorBytes long, never ending in half a character.
namespace bsmtp {

constexpr qsizetype kMaxErrorBytes = 80;

// `text` cut to kMaxErrorBytes on a character boundary.
QByteArray fitError(QByteArrayView text);

// Copies `text` (already fitted) into the caller's buffer of kMaxErrorBytes + 1 bytes,
// zero-terminated.
void writeError(char* buffer, QByteArrayView text);

// Japanese text (UTF-16 literal) in code page 932.
QByteArray jp(const char16_t* text);

// Printable ASCII of what a server or the user wrote; anything else becomes '?'.
QByteArray printable(QByteArrayView text);

enum class InputProblem {
    EmptyTo,
    EmptyFrom,
    BadTo,  // control characters or line breaks
    BadFrom,
    LongTo,
    LongFrom,
    BadSubject,  // line breaks would start new header lines
    BadAttachmentPath,
};

QByteArray inputError(InputProblem problem);

enum class TextArgument { Server, To, From, Subject, Body, Attachment };
// The argument holds bytes that are not code page 932.
QByteArray encodingError(TextArgument which);
// An address field that cannot be read as addresses; `part` is the element at fault.
QByteArray addressError(bool sender, QByteArrayView part);
QByteArray serverError(const ServerAddress& server);
QByteArray attachmentError(Attachment::Problem problem, QByteArrayView name);
QByteArray netrcError(NetrcLookup::Problem problem);

// After the attempt: the stage, the reply code and, where it helps, the server's own words.
QByteArray sendError(const SendOutcome& outcome, QByteArrayView host,
                     QByteArrayView attachmentName);

}  // namespace bsmtp
