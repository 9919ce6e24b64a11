#include "bsmtp/bsmtp.h"

#include "bsmtp/address_list.h"
#include "bsmtp/attachment.h"
#include "bsmtp/cp932_text.h"
#include "bsmtp/error_text.h"
#include "bsmtp/greeting.h"
#include "bsmtp/handset.h"
#include "bsmtp/message_source.h"
#include "bsmtp/mime.h"
#include "bsmtp/netrc.h"
#include "bsmtp/server_address.h"
#include "bsmtp/session.h"

#include <QByteArray>

#include <optional>
#include <utility>

namespace bsmtp {
namespace {

// RFC 5321 allows 256 octets for a path, brackets included.
constexpr qsizetype kMaxAddress = 254;

QByteArrayView arg(const char* text) {
    return text != nullptr ? QByteArrayView(text) : QByteArrayView();
}

// One address field read as an address list and checked; the error text when it is refused.
std::optional<QByteArray> readAddresses(QByteArrayView field, bool sender, QList<Mailbox>& out) {
    const QByteArrayView text = trimBlanks(field);
    const AddressList list = parseAddressList(text);
    if (!list.ok) {
        for (char c : text) {
            const auto u = static_cast<unsigned char>(c);
            if ((u < 0x20 && c != '\t') || u == 0x7F) {
                return inputError(sender ? InputProblem::BadFrom : InputProblem::BadTo);
            }
        }
        return addressError(sender, list.badPart);
    }
    if (list.mailboxes.isEmpty()) {
        return inputError(sender ? InputProblem::EmptyFrom : InputProblem::EmptyTo);
    }
    if (sender && list.mailboxes.size() > 1) {
        return addressError(true, text);
    }
    for (const Mailbox& m : list.mailboxes) {
        if (m.address.size() > kMaxAddress) {
            return inputError(sender ? InputProblem::LongFrom : InputProblem::LongTo);
        }
        // The same address twice would be delivered twice.
        bool seen = false;
        for (const Mailbox& earlier : out) {
            seen = seen || earlier.address == m.address;
        }
        if (!seen) {
            out.append(m);
        }
    }
    return std::nullopt;
}

QByteArray send(QByteArrayView serverArg, QByteArrayView toArg, QByteArrayView fromArg,
                QByteArrayView subject, QByteArrayView body, QByteArrayView attachmentPath) {
    // Everything is checked before a connection is made, the encoding first: bytes that are
    // not code page 932 would reach readers as words they cannot decode.
    const std::pair<QByteArrayView, TextArgument> texts[] = {
        {serverArg, TextArgument::Server}, {toArg, TextArgument::To},
        {fromArg, TextArgument::From},     {subject, TextArgument::Subject},
        {body, TextArgument::Body},        {attachmentPath, TextArgument::Attachment}};
    for (const auto& [text, which] : texts) {
        if (!decodeCp932(text)) {
            return encodingError(which);
        }
    }
    // The server setting admits host name characters only, so no line break gets through.
    const ServerAddress server = parseServer(serverArg);
    if (server.problem != ServerAddress::Problem::None) {
        return serverError(server);
    }
    QList<Mailbox> recipients;
    if (auto e = readAddresses(toArg, false, recipients)) {
        return *e;
    }
    QList<Mailbox> sender;
    if (auto e = readAddresses(fromArg, true, sender)) {
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
    mail.from = trimBlanks(fromArg).toByteArray();
    mail.to = trimBlanks(toArg).toByteArray();
    mail.subject = subject.toByteArray();
    mail.body = body.toByteArray();
    mail.reader = readerOfMail(recipients);
    MessageSource source(composeMessage(mail, attachment.name, freshIds(sender.front().address)),
                         attachment.file.fd(), attachment.size);

    SendRequest request;
    request.url = urlWithGreeting(server.url, greetingName(server.host, server.port));
    request.implicitTls = server.implicitTls;
    request.credentials = netrc.found ? &netrc.credentials : nullptr;
    request.mailFrom = "<" + sender.front().address + ">";
    for (const Mailbox& m : recipients) {
        request.rcptTo.append("<" + m.address + ">");
    }
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
