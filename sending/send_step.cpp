#include "sending/send_step.h"

#include "sending/signature.h"
#include "toolkit/cp932.h"

namespace send_command {

std::optional<QString> signedBody(const QString& body, const Settings& settings) {
    if (!settings.automaticSignature)
        return std::nullopt;
    return signature::appendTo(body, cp932::decode(settings.signature));
}

Mail libraryMail(const Composed& mail, const Settings& settings) {
    Mail out;
    out.server = settings.server;
    out.to = cp932::encode(mail.to);
    out.from = settings.from;
    out.subject = cp932::encode(mail.subject);
    out.body = cp932::encode(mail.body);
    out.attachment = cp932::encode(mail.attachmentPath);
    return out;
}

Steps afterCall(const Composed& mail, const Settings& settings, const Outcome& outcome) {
    Steps steps;
    if (!outcome.sent) {
        steps.errorBox = cp932::decode(outcome.error);
        steps.status = QStringLiteral("メール作成中");
        return steps;
    }
    steps.beep = settings.beep;
    steps.status = QStringLiteral("送信完了");
    if (settings.makeLogFile) {
        history_log::Entry entry;
        entry.recipientPanel = mail.recipientPanel;
        entry.to = mail.to;
        entry.subject = mail.subject;
        entry.attachmentPath = mail.attachmentPath;
        entry.body = mail.body;
        steps.historyEntry = entry;
    }
    steps.reset = settings.automaticalClear;
    return steps;
}

}  // namespace send_command
