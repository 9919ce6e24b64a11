#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

#include "sending/history_log.h"

// The send command's decisions, apart from the window that carries them out.
namespace send_command {

// What the SMTP library is given.
struct Mail {
    QByteArray server, to, from, subject, body, attachment;  // code page 932
};

// What the library gave back.
struct Outcome {
    bool sent = false;
    // The library's text up to its first zero byte, at most the whole 81 bytes.
    QByteArray error;
};

// The settings a send reads, taken when the command starts.
struct Settings {
    QByteArray server;
    QByteArray from;
    QByteArray signature;
    bool automaticSignature = false;
    bool makeLogFile = false;
    bool automaticalClear = false;
    bool beep = false;
};

// The mail as the main window holds it.
struct Composed {
    QString to;
    QString subject;
    QString body;  // CR LF line breaks
    QString attachmentPath;
    QString recipientPanel;
};

// What the window does after the call, in this order: the error box, the beep, the
// state panel, the history entry (a failed write ends the command there), the reset.
struct Steps {
    std::optional<QString> errorBox;
    bool beep = false;
    QString status;
    std::optional<history_log::Entry> historyEntry;
    bool reset = false;
};

// The state panel while the library works.
inline const QString kSendingStatus = QStringLiteral("メール送信中");

// The body with the signature when the automatic signature is on, set before the send.
std::optional<QString> signedBody(const QString& body, const Settings& settings);

// The library's arguments.
Mail libraryMail(const Composed& mail, const Settings& settings);

// The rest of the command once the library has returned.
Steps afterCall(const Composed& mail, const Settings& settings, const Outcome& outcome);

}  // namespace send_command
