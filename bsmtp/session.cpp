#include "bsmtp/session.h"

#include "bsmtp/curl_library.h"

#include <QtGlobal>

#include <poll.h>
#include <sys/socket.h>
#include <cctype>
#include <cerrno>
#include <cmath>

namespace bsmtp {

namespace {

struct Transfer {
    const SendRequest* request;
    SendOutcome outcome;
    curl_socket_t socket = CURL_SOCKET_BAD;
};

// Once the mail is taken, QUIT is a courtesy: its reply is waited for a few seconds at most,
// then the connection is cut, so that a server which never answers it does not hold the
// caller for a whole response timeout.
void boundQuitReply(const Transfer& t) {
    if (t.socket == CURL_SOCKET_BAD) {
        return;
    }
    pollfd p{t.socket, POLLIN, 0};
    const long ms = t.request->timeouts.quitSeconds * 1000;
    int ready;
    do {
        ready = ::poll(&p, 1, static_cast<int>(ms));
    } while (ready < 0 && errno == EINTR);
    if (ready <= 0) {
        ::shutdown(t.socket, SHUT_RDWR);
    }
}

// The stage a command line starts; QUIT leaves the stage as it was. libcurl writes its
// commands in capitals, which the base64 lines of an AUTH exchange never equal.
Stage stageOfCommand(QByteArrayView line, Stage current, bool& quit) {
    const qsizetype space = line.indexOf(' ');
    QByteArray verb = (space >= 0 ? line.first(space) : line).toByteArray();
    while (verb.endsWith('\n') || verb.endsWith('\r')) {
        verb.chop(1);
    }
    if (verb == "EHLO" || verb == "HELO") {
        return Stage::Ehlo;
    }
    if (verb == "STARTTLS") {
        return Stage::StartTls;
    }
    if (verb == "AUTH") {
        return Stage::Auth;
    }
    if (verb == "MAIL") {
        return Stage::Mail;
    }
    if (verb == "RCPT") {
        return Stage::Rcpt;
    }
    if (verb == "DATA") {
        return Stage::Data;
    }
    if (verb == "QUIT") {
        quit = true;
    }
    // The lines of an AUTH exchange after the command itself.
    return current;
}

// Follows the dialogue without recording the client's lines: only the verb of each command
// is looked at, and only the server's last reply is kept.
int onDebug(CURL*, curl_infotype type, char* data, size_t size, void* user) {
    auto* t = static_cast<Transfer*>(user);
    SendOutcome& o = t->outcome;
    const QByteArrayView line(data, static_cast<qsizetype>(size));
    if (type == CURLINFO_HEADER_OUT) {
        const bool wasQuit = o.quitSent;
        o.stage = stageOfCommand(line, o.stage, o.quitSent);
        if (o.quitSent && !wasQuit) {
            boundQuitReply(*t);
        }
    } else if (type == CURLINFO_HEADER_IN && !o.quitSent) {
        o.greeted = true;
        QByteArrayView text = line;
        while (text.endsWith('\n') || text.endsWith('\r')) {
            text.chop(1);
        }
        o.replyLine = text.toByteArray();
        int code = 0;
        if (text.size() >= 3 && std::isdigit(static_cast<unsigned char>(text[0])) &&
            std::isdigit(static_cast<unsigned char>(text[1])) &&
            std::isdigit(static_cast<unsigned char>(text[2]))) {
            code = (text[0] - '0') * 100 + (text[1] - '0') * 10 + (text[2] - '0');
        }
        o.replyCode = code;
        if (o.stage == Stage::Data && code == 354) {
            o.dataAccepted = true;
        }
    }
    return 0;
}

int onSocket(void* user, curl_socket_t socket, curlsocktype) {
    static_cast<Transfer*>(user)->socket = socket;
    return CURL_SOCKOPT_OK;
}

size_t onRead(char* buffer, size_t size, size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    MessageSource* source = t->request->source;
    const qint64 n = source->read(buffer, static_cast<qint64>(size * count));
    if (n < 0) {
        t->outcome.sourceFailure = source->failure();
        return CURL_READFUNC_ABORT;
    }
    return static_cast<size_t>(n);
}

}  // namespace

Timeouts timeoutsFromEnvironment() {
    Timeouts t;
    bool ok = false;
    const double scale = qEnvironmentVariable("MIRVANE_SMTP_TIMEOUT_SCALE").toDouble(&ok);
    if (!ok || !(scale > 0.0) || scale >= 1.0) {
        return t;
    }
    auto seconds = [scale](long s) { return std::max(1L, std::lround(s * scale)); };
    t.connectMs = std::max(100L, std::lround(t.connectMs * scale));
    t.responseSeconds = seconds(t.responseSeconds);
    t.lowSpeedSeconds = seconds(t.lowSpeedSeconds);
    t.quitSeconds = seconds(t.quitSeconds);
    return t;
}

SendOutcome sendMail(const SendRequest& request) {
    Transfer transfer{&request, {}};
    const curl_library::Functions* lib = curl_library::get();
    if (lib == nullptr) {
        transfer.outcome.code = CURLE_FAILED_INIT;
        transfer.outcome.curlMessage = curl_library::why();
        return transfer.outcome;
    }
    CURL* curl = lib->easyInit();
    if (curl == nullptr) {
        transfer.outcome.code = CURLE_OUT_OF_MEMORY;
        return transfer.outcome;
    }
    curl_slist* recipients = nullptr;
    for (const QByteArray& rcpt : request.rcptTo) {
        recipients = lib->slistAppend(recipients, rcpt.constData());
    }
    const QByteArray caBundle = qgetenv("CURL_CA_BUNDLE");

    lib->easySetopt(curl, CURLOPT_URL, request.url.constData());
    lib->easySetopt(curl, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
    lib->easySetopt(curl, CURLOPT_NOSIGNAL, 1L);
    // The library reads ~/.netrc itself: whether credentials exist decides whether TLS is
    // required, so libcurl must not find others of its own.
    lib->easySetopt(curl, CURLOPT_NETRC, static_cast<long>(CURL_NETRC_IGNORED));

    lib->easySetopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    lib->easySetopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    lib->easySetopt(curl, CURLOPT_SSLVERSION, static_cast<long>(CURL_SSLVERSION_TLSv1_2));
    if (!caBundle.isEmpty()) {
        // Only this bundle is trusted then.
        lib->easySetopt(curl, CURLOPT_CAINFO, caBundle.constData());
        lib->easySetopt(curl, CURLOPT_CAPATH, nullptr);
    }
    // With CURLUSESSL_TRY libcurl goes on in clear when STARTTLS is not offered, AUTH
    // included: credentials demand TLS.
    const bool needTls = request.implicitTls || request.credentials != nullptr;
    lib->easySetopt(curl, CURLOPT_USE_SSL,
                    static_cast<long>(needTls ? CURLUSESSL_ALL : CURLUSESSL_TRY));
    if (request.credentials != nullptr) {
        lib->easySetopt(curl, CURLOPT_USERNAME, request.credentials->login.constData());
        lib->easySetopt(curl, CURLOPT_PASSWORD, request.credentials->password.constData());
    }

    lib->easySetopt(curl, CURLOPT_CONNECTTIMEOUT_MS, request.timeouts.connectMs);
    lib->easySetopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, request.timeouts.responseSeconds);
    lib->easySetopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    lib->easySetopt(curl, CURLOPT_LOW_SPEED_TIME, request.timeouts.lowSpeedSeconds);

    lib->easySetopt(curl, CURLOPT_MAIL_FROM, request.mailFrom.constData());
    lib->easySetopt(curl, CURLOPT_MAIL_RCPT, recipients);
    lib->easySetopt(curl, CURLOPT_UPLOAD, 1L);
    lib->easySetopt(curl, CURLOPT_READFUNCTION, onRead);
    lib->easySetopt(curl, CURLOPT_READDATA, &transfer);
    lib->easySetopt(curl, CURLOPT_INFILESIZE_LARGE,
                    static_cast<curl_off_t>(request.source->totalSize()));

    // The connection ends within the transfer, QUIT included, where the debug callback
    // sees it; a cached connection would be closed later by a handle of libcurl's own.
    lib->easySetopt(curl, CURLOPT_FORBID_REUSE, 1L);
    lib->easySetopt(curl, CURLOPT_SOCKOPTFUNCTION, onSocket);
    lib->easySetopt(curl, CURLOPT_SOCKOPTDATA, &transfer);

    lib->easySetopt(curl, CURLOPT_DEBUGFUNCTION, onDebug);
    lib->easySetopt(curl, CURLOPT_DEBUGDATA, &transfer);
    lib->easySetopt(curl, CURLOPT_VERBOSE, 1L);

    char detail[CURL_ERROR_SIZE] = {};
    lib->easySetopt(curl, CURLOPT_ERRORBUFFER, detail);

    SendOutcome& o = transfer.outcome;
    o.code = lib->easyPerform(curl);
    o.curlMessage = detail;
    o.messageSent = o.dataAccepted && request.source->finished();
    lib->easyGetinfo(curl, CURLINFO_OS_ERRNO, &o.osErrno);
    lib->easyGetinfo(curl, CURLINFO_SSL_VERIFYRESULT, &o.certificateResult);

    lib->easyCleanup(curl);
    lib->slistFreeAll(recipients);
    return o;
}

}  // namespace bsmtp
