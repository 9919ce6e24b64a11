#pragma once

#include "bsmtp/message_source.h"
#include "bsmtp/netrc.h"

#include <curl/curl.h>
#include <QByteArray>
#include <QList>

// One SMTP submission through libcurl.
namespace bsmtp {

struct Timeouts {
    long connectMs = 30000;
    long responseSeconds = 60;  // each server reply
    long lowSpeedSeconds = 60;  // under one byte a second for this long ends the transfer
    long quitSeconds = 3;       // the reply to QUIT, once the mail has been taken
};

// The timeouts, shrunk by MIRVANE_SMTP_TIMEOUT_SCALE when it holds a number between 0 and 1
// (for the tests; it never makes them longer).
Timeouts timeoutsFromEnvironment();

struct SendRequest {
    QByteArray url;  // with the greeting name as its path (greeting.h)
    bool implicitTls = false;
    const Credentials* credentials = nullptr;  // none: STARTTLS only when offered
    QByteArray mailFrom;
    QList<QByteArray> rcptTo;  // one "<address>" for each recipient
    MessageSource* source = nullptr;
    Timeouts timeouts;
};

// The last command the client sent before QUIT.
enum class Stage { Connect, Ehlo, StartTls, Auth, Mail, Rcpt, Data };

struct SendOutcome {
    CURLcode code = CURLE_OK;
    Stage stage = Stage::Connect;
    bool greeted = false;       // the server said anything at all
    bool quitSent = false;      // replies after it are not kept
    int replyCode = 0;          // the last reply before QUIT
    QByteArray replyLine;       // its text, as received
    bool dataAccepted = false;  // 354 after DATA: the message was being sent
    bool messageSent = false;   // every byte of it, so only the final reply was missing
    long osErrno = 0;
    long certificateResult = 0;  // the TLS library's verification result (X509_V_*)
    QByteArray curlMessage;      // libcurl's own detail, never shown as it is
    MessageSource::Failure sourceFailure = MessageSource::Failure::None;
};

// Sends and returns what happened. Certificates are always verified; with credentials the
// connection must be TLS (implicit or STARTTLS) before AUTH, so a password never goes out in
// clear. No protocol line is logged: the AUTH exchange holds the password.
SendOutcome sendMail(const SendRequest& request);

}  // namespace bsmtp
