#include "bsmtp/bsmtp.h"

#include "bsmtp/attachment.h"
#include "bsmtp/error_text.h"
#include "bsmtp/message_source.h"
#include "bsmtp/mime.h"
#include "bsmtp/netrc.h"
#include "bsmtp/server_address.h"
#include "bsmtp/session.h"

#include <QByteArray>

#include <optional>

namespace bsmtp {
namespace {

// RFC 5321 allows 256 octets for a path, brackets included.
constexpr qsizetype kMaxAddress = 254;

QByteArrayView arg(const char* text) {
    return text != nullptr ? QByteArrayView(text) : QByteArrayView();
}

// Controls (CR and LF above all: libcurl would send them as commands of their own) and
// 8-bit bytes have no place in an address.
bool isSafeAddress(QByteArrayView address) {
    for (char c : address) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u >= 0x7F) {
            return false;
        }
    }
    return true;
}

// The address without one pair of enclosing angle brackets.
QByteArray bareAddress(QByteArrayView address) {
    if (address.size() >= 2 && address.front() == '<' && address.back() == '>') {
        address = address.sliced(1, address.size() - 2);
    }
    return address.toByteArray();
}

std::optional<QByteArray> checkAddress(QByteArrayView address, InputProblem empty, InputProblem bad,
                                       InputProblem tooLong) {
    if (address.isEmpty()) {
        return inputError(empty);
    }
    if (!isSafeAddress(address)) {
        return inputError(bad);
    }
    if (address.size() > kMaxAddress) {
        return inputError(tooLong);
    }
    return std::nullopt;
}

QByteArray send(QByteArrayView serverArg, QByteArrayView toArg, QByteArrayView fromArg,
                QByteArrayView subject, QByteArrayView body, QByteArrayView attachmentPath) {
    // Everything is checked before a connection is made.
    // The server setting admits host name characters only, so no line break gets through.
    const ServerAddress server = parseServer(serverArg);
    if (server.problem != ServerAddress::Problem::None) {
        return serverError(server);
    }
    const QByteArrayView to = trimBlanks(toArg);
    const QByteArrayView from = trimBlanks(fromArg);
    if (auto e =
            checkAddress(to, InputProblem::EmptyTo, InputProblem::BadTo, InputProblem::LongTo)) {
        return *e;
    }
    if (auto e = checkAddress(from, InputProblem::EmptyFrom, InputProblem::BadFrom,
                              InputProblem::LongFrom)) {
        return *e;
    }
    if (subject.contains('\r') || subject.contains('\n')) {
        return inputError(InputProblem::BadSubject);
    }

    Attachment attachment;
    if (!attachmentPath.isEmpty()) {
        attachment = openAttachment(attachmentPath);
        if (attachment.problem != Attachment::Problem::None) {
            return attachmentError(attachment.problem, attachment.name);
        }
    }

    const NetrcLookup netrc = lookUpNetrc(defaultNetrcPath(), server.host);
    if (netrc.problem != NetrcLookup::Problem::None) {
        return netrcError(netrc.problem);
    }

    MailText mail;
    mail.from = from.toByteArray();
    mail.to = to.toByteArray();
    mail.subject = subject.toByteArray();
    mail.body = body.toByteArray();
    MessageSource source(composeMessage(mail, attachment.name, freshIds(from)),
                         attachment.file.fd(), attachment.size);

    SendRequest request;
    request.url = server.url;
    request.implicitTls = server.implicitTls;
    request.credentials = netrc.found ? &netrc.credentials : nullptr;
    request.mailFrom = "<" + bareAddress(from) + ">";
    request.rcptTo = "<" + bareAddress(to) + ">";
    request.source = &source;
    request.timeouts = timeoutsFromEnvironment();
    const SendOutcome outcome = sendMail(request);
    return sendError(outcome, server.host, attachment.name);
}

}  // namespace
}  // namespace bsmtp

extern "C" int BSendMail(const char* server, const char* to, const char* from, const char* subject,
                         const char* body, const char* attachment, char* error) {
    QByteArray message;
    try {
        message = bsmtp::send(bsmtp::arg(server), bsmtp::arg(to), bsmtp::arg(from),
                              bsmtp::arg(subject), bsmtp::arg(body), bsmtp::arg(attachment));
    } catch (...) {
        message = bsmtp::jp(u"送信中に内部エラーが起きました");
    }
    if (message.isEmpty()) {
        return 1;
    }
    bsmtp::writeError(error, message);
    return 0;
}
