#include "smtp_fixture.h"

#include "bsmtp/bsmtp.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QStringDecoder>
#include <QStringEncoder>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstring>

namespace bsmtp_test {

namespace {

const QString kPython = QStringLiteral("/usr/bin/python3");
const QString kScripts = QStringLiteral(BSMTP_TEST_DIR);

QByteArray run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString() << " " << args.join(' ').toStdString()
                      << " failed: " << p.readAllStandardError().toStdString();
        return {};
    }
    return p.readAllStandardOutput();
}

void makeCertificate(const QString& dir, const QString& name,
                     const QString& host = QStringLiteral("127.0.0.1"),
                     const QString& altNames = QStringLiteral("IP:127.0.0.1,DNS:localhost")) {
    run(QStringLiteral("openssl"),
        {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
         "-keyout", dir + "/" + name + ".key", "-out", dir + "/" + name + ".pem", "-days", "2",
         "-subj", "/CN=" + host, "-addext", "subjectAltName=" + altNames});
}

// A certificate whose validity ended long ago: `openssl req` makes none in the past, a
// self-signing `openssl ca` does.
void makeExpiredCertificate(const QString& dir, const QString& name) {
    const QString base = dir + "/" + name;
    QFile config(base + ".cnf");
    config.open(QIODevice::WriteOnly);
    config.write("[ca]\ndefault_ca = self\n[self]\ndatabase = " + QFile::encodeName(base) +
                 ".index\nnew_certs_dir = " + QFile::encodeName(dir) +
                 "\nserial = " + QFile::encodeName(base) +
                 ".serial\ndefault_md = sha256\npolicy = any\ncopy_extensions = copy\n"
                 "unique_subject = no\n[any]\ncommonName = supplied\n");
    config.close();
    QFile(base + ".index").open(QIODevice::WriteOnly);
    QFile serial(base + ".serial");
    serial.open(QIODevice::WriteOnly);
    serial.write("01\n");
    serial.close();
    run(QStringLiteral("openssl"),
        {"req", "-new", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
         "-keyout", base + ".key", "-out", base + ".csr", "-subj", "/CN=127.0.0.1", "-addext",
         "subjectAltName=IP:127.0.0.1,DNS:localhost"});
    run(QStringLiteral("openssl"),
        {"ca", "-batch", "-config", base + ".cnf", "-selfsign", "-keyfile", base + ".key", "-in",
         base + ".csr", "-out", base + ".pem", "-startdate", "20200101000000Z", "-enddate",
         "20200102000000Z"});
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int listeningSocket(int& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(fd, 8) != 0 || ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        ADD_FAILURE() << "cannot listen: " << std::strerror(errno);
    }
    port = ntohs(addr.sin_port);
    return fd;
}

}  // namespace

QByteArray sjis(const QString& text) {
    QStringEncoder encoder("windows-31j");
    QByteArray bytes = encoder.encode(text);
    EXPECT_FALSE(encoder.hasError()) << text.toStdString();
    return bytes;
}

QByteArray fromHex(const QJsonValue& hex) {
    return QByteArray::fromHex(hex.toString().toLatin1());
}

const Certificates& Certificates::get() {
    static QTemporaryDir dir;
    static const Certificates certs = [] {
        const QString d = dir.path();
        makeCertificate(d, "trusted");
        makeCertificate(d, "other");
        makeCertificate(d, "misnamed", "mail.example.org", "DNS:mail.example.org");
        makeExpiredCertificate(d, "expired");
        QFile bundle(d + "/bundle.pem");
        bundle.open(QIODevice::WriteOnly);
        for (const char* name : {"trusted", "misnamed", "expired"}) {
            bundle.write(readFile(d + "/" + name + ".pem"));
        }
        return Certificates{d + "/trusted.pem", d + "/trusted.key",  d + "/other.pem",
                            d + "/other.key",   d + "/misnamed.pem", d + "/misnamed.key",
                            d + "/expired.pem", d + "/expired.key",  d + "/bundle.pem"};
    }();
    return certs;
}

namespace {

// Starts one of the test servers and returns the port it printed, or 0.
int startServer(QProcess& process, const QString& spool, const QStringList& args) {
    process.setStandardErrorFile(spool + "/server.err");
    process.start(kPython, args);
    QByteArray line;
    while (!line.contains('\n') && process.waitForReadyRead(20000)) {
        line += process.readAllStandardOutput();
    }
    if (!line.startsWith("PORT ")) {
        QFile err(spool + "/server.err");
        err.open(QIODevice::ReadOnly);
        ADD_FAILURE() << "test server did not start: " << err.readAll().toStdString();
        return 0;
    }
    return line.mid(5).trimmed().toInt();
}

void stop(QProcess& process) {
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(5000);
    }
}

// What sendMail() sent successfully to each test server's port.
QHash<int, QList<SentMail>>& sentByPort() {
    static QHash<int, QList<SentMail>> sent;
    return sent;
}

ReceivedMailsCheck receivedMailsCheck = nullptr;

int portOf(const QByteArray& server) {
    const qsizetype colon = server.lastIndexOf(':');
    return colon < 0 ? 0 : server.mid(colon + 1).toInt();
}

}  // namespace

void setReceivedMailsCheck(ReceivedMailsCheck check) {
    receivedMailsCheck = check;
}

SmtpServer::SmtpServer(const QStringList& args, ServerCert cert) {
    QStringList all{kScripts + "/smtp_server.py", "--spool", spool_.path()};
    if (cert != ServerCert::None) {
        const Certificates& c = Certificates::get();
        const auto [pem, key] = [&] {
            switch (cert) {
                case ServerCert::Untrusted:
                    return std::pair(c.otherCert, c.otherKey);
                case ServerCert::Misnamed:
                    return std::pair(c.misnamedCert, c.misnamedKey);
                case ServerCert::Expired:
                    return std::pair(c.expiredCert, c.expiredKey);
                default:
                    return std::pair(c.trustedCert, c.trustedKey);
            }
        }();
        all << "--cert" << pem << "--key" << key;
    }
    all << args;
    port_ = startServer(process_, spool_.path(), all);
    sentByPort().remove(port_);
}

SmtpServer::~SmtpServer() {
    stop(process_);
    const QList<SentMail> sent = sentByPort().take(port_);
    // A mail that was taken but reported as not sent would shift the pairs: no check then.
    if (receivedMailsCheck != nullptr && !sent.isEmpty() && sent.size() == messageCount()) {
        QStringList files;
        for (int n = 1; n <= sent.size(); ++n) {
            files << messagePath(n);
        }
        receivedMailsCheck(files, sent);
    }
}

QString SmtpServer::messagePath(int n) const {
    return spool_.path() + "/" + QString::number(n) + ".eml";
}

QByteArray SmtpServer::hostPort() const {
    return "127.0.0.1:" + QByteArray::number(port_);
}

QByteArray SmtpServer::url(const char* scheme) const {
    return QByteArray(scheme) + "://" + hostPort();
}

int SmtpServer::messageCount() const {
    return QDir(spool_.path()).entryList({"*.eml"}, QDir::Files).size();
}

QJsonObject SmtpServer::inspect(int n) const {
    const QByteArray json = run(kPython, {kScripts + "/inspect_mail.py",
                                          spool_.path() + "/" + QString::number(n) + ".eml"});
    return QJsonDocument::fromJson(json).object();
}

QJsonObject SmtpServer::envelope(int n) const {
    QFile f(spool_.path() + "/" + QString::number(n) + ".json");
    if (!f.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QJsonDocument::fromJson(f.readAll()).object();
}

QByteArray SmtpServer::wireLog() const {
    return readFile(spool_.path() + "/wire.log");
}

StallServer::StallServer(Mode mode) {
    port_ = startServer(process_, spool_.path(),
                        {kScripts + "/stall_server.py", "--spool", spool_.path(), "--mode",
                         mode == Mode::IgnoreQuit ? "quit" : "data"});
}

StallServer::~StallServer() {
    stop(process_);
}

QByteArray StallServer::hostPort() const {
    return "127.0.0.1:" + QByteArray::number(port_);
}

int StallServer::deliveredCount() const {
    return static_cast<int>(readFile(spool_.path() + "/delivered").size());
}

QByteArray StallServer::wireLog() const {
    return readFile(spool_.path() + "/wire.log");
}

SilentListener::SilentListener() {
    fd_ = listeningSocket(port_);
}

SilentListener::~SilentListener() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

QByteArray SilentListener::hostPort() const {
    return "127.0.0.1:" + QByteArray::number(port_);
}

bool SilentListener::connectionAttempted() const {
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_NONBLOCK);
    const int conn = ::accept(fd_, nullptr, nullptr);
    if (conn >= 0) {
        ::close(conn);
        return true;
    }
    return false;
}

int closedPort() {
    int port = 0;
    ::close(listeningSocket(port));
    return port;
}

QString SendResult::errorText() const {
    QStringDecoder decoder("windows-31j");
    return decoder.decode(error);
}

SendResult sendMail(const QByteArray& server, const QByteArray& to, const QByteArray& from,
                    const QByteArray& subject, const QByteArray& body,
                    const QByteArray& attachment) {
    // The caller's 81 zero bytes, watched by a guard area behind them.
    constexpr int kBuffer = 81;
    constexpr int kGuard = 32;
    char buffer[kBuffer + kGuard];
    std::memset(buffer, 0, kBuffer);
    std::memset(buffer + kBuffer, 0x5A, kGuard);

    SendResult r;
    r.result = BSendMail(server.constData(), to.constData(), from.constData(), subject.constData(),
                         body.constData(), attachment.constData(), buffer);
    const void* zero = std::memchr(buffer, 0, kBuffer);
    r.terminated = zero != nullptr;
    r.error = QByteArray(buffer, r.terminated ? static_cast<const char*>(zero) - buffer : kBuffer);
    for (int i = kBuffer; i < kBuffer + kGuard; ++i) {
        r.bufferKept = r.bufferKept && buffer[i] == 0x5A;
    }
    if (r.result != 0) {
        sentByPort()[portOf(server)].append({to, subject, body, attachment});
    }
    return r;
}

void BsmtpTest::SetUp() {
    ASSERT_TRUE(home_.isValid());
    savedHome_ = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(home_.path()));
    qputenv("CURL_CA_BUNDLE", QFile::encodeName(Certificates::get().bundle));
    qputenv("MIRVANE_SMTP_TIMEOUT_SCALE", "0.1");
}

void BsmtpTest::TearDown() {
    qputenv("HOME", savedHome_);
    qunsetenv("CURL_CA_BUNDLE");
    qunsetenv("MIRVANE_SMTP_TIMEOUT_SCALE");
}

void BsmtpTest::writeNetrc(const QByteArray& text, int mode) {
    const QByteArray path = QFile::encodeName(home_.path() + "/.netrc");
    QFile f(QString::fromLocal8Bit(path));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
    f.close();
    ASSERT_EQ(::chmod(path.constData(), mode), 0);
}

QByteArray BsmtpTest::makeFile(const QString& name, const QByteArray& content) {
    const QString path = home_.path() + "/" + name;
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(content);
    return sjis(path);
}

}  // namespace bsmtp_test
