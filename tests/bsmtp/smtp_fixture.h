#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

// Real peers for the library's tests: an aiosmtpd server on 127.0.0.1 with a certificate
// made at test time, a listener that never answers, and the parsed view of what arrived.
namespace bsmtp_test {

// One mail that BSendMail took, as it was typed (code page 932).
struct SentMail {
    QByteArray to;
    QByteArray subject;
    QByteArray body;
    QByteArray attachment;  // the path; empty for none
};

// Runs when a server that took mails sent through sendMail() is stopped, with the paths of
// the received files and what was sent for each, in order. Set by the program that reads
// every mail back with other parsers (mail_readers.h).
using ReceivedMailsCheck = void (*)(const QStringList& files, const QList<SentMail>& sent);
void setReceivedMailsCheck(ReceivedMailsCheck check);

// Text in code page 932, as the program hands it over.
QByteArray sjis(const QString& text);
QByteArray fromHex(const QJsonValue& hex);

// Self-signed certificates, made with openssl once per test program.
struct Certificates {
    QString trustedCert;  // for 127.0.0.1, in the test's CA bundle
    QString trustedKey;
    QString otherCert;  // for 127.0.0.1, in no bundle
    QString otherKey;
    QString misnamedCert;  // for mail.example.org only, in the bundle
    QString misnamedKey;
    QString expiredCert;  // for 127.0.0.1, ended in 2020, in the bundle
    QString expiredKey;
    QString bundle;  // the certificates the client trusts

    static const Certificates& get();
};

enum class ServerCert { Trusted, Untrusted, Misnamed, Expired, None };

class SmtpServer {
  public:
    // `args` are smtp_server.py's options; the certificate is added unless ServerCert::None.
    explicit SmtpServer(const QStringList& args = {}, ServerCert cert = ServerCert::Trusted);
    ~SmtpServer();

    int port() const { return port_; }
    QByteArray hostPort() const;  // "127.0.0.1:<port>"
    QByteArray url(const char* scheme) const;

    int messageCount() const;
    QJsonObject inspect(int n = 1) const;   // inspect_mail.py's view of message n
    QJsonObject envelope(int n = 1) const;  // sender, recipients, login, TLS
    QByteArray wireLog() const;             // all the server received, TLS taken off
    QString messagePath(int n) const;       // the file of message n

  private:
    QTemporaryDir spool_;
    QProcess process_;
    int port_ = 0;
};

// A plain server of our own that misbehaves at one point (stall_server.py's modes).
class StallServer {
  public:
    enum class Mode { IgnoreQuit, StallAfter354 };
    explicit StallServer(Mode mode);
    ~StallServer();

    QByteArray hostPort() const;
    int deliveredCount() const;  // messages answered with 250
    QByteArray wireLog() const;

  private:
    QTemporaryDir spool_;
    QProcess process_;
    int port_ = 0;
};

// Listens on a free port and never accepts: a server that never greets, and a witness of
// whether a connection was attempted at all.
class SilentListener {
  public:
    SilentListener();
    ~SilentListener();
    int port() const { return port_; }
    QByteArray hostPort() const;
    bool connectionAttempted() const;

  private:
    int fd_ = -1;
    int port_ = 0;
};

// A port on which nothing listens.
int closedPort();

struct SendResult {
    int result = 0;
    QByteArray error;           // the buffer up to its first zero byte (at most 81 bytes)
    bool terminated = false;    // a zero byte within the 81 bytes
    bool bufferKept = true;     // nothing was written past the 81 bytes
    QString errorText() const;  // decoded from code page 932
};

SendResult sendMail(const QByteArray& server, const QByteArray& to, const QByteArray& from,
                    const QByteArray& subject, const QByteArray& body,
                    const QByteArray& attachment = {});

// Every test runs with HOME in a temporary directory (for ~/.netrc), the trusted certificate
// as the only CA, and timeouts a tenth of the real ones.
class BsmtpTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    void writeNetrc(const QByteArray& text, int mode = 0600);
    QString homePath() const { return home_.path(); }
    // A file in the temporary home with `content`; its name is given in Unicode and the
    // returned path is in code page 932, as the program passes it.
    QByteArray makeFile(const QString& name, const QByteArray& content);

  private:
    QTemporaryDir home_;
    QByteArray savedHome_;
};

}  // namespace bsmtp_test
