// The netrc read as curl reads it: each file is given to `curl --netrc` against a server
// that records the credentials it receives, and to the library's reader.

#include "bsmtp/netrc.h"

#include "smtp_fixture.h"

#include <QJsonArray>
#include <QProcess>

namespace bsmtp_test {
namespace {

using namespace Qt::StringLiterals;

class NetrcTest : public BsmtpTest {
  protected:
    // What curl sent to `server` with the current ~/.netrc: "login:password", "" without
    // AUTH, "refused" when curl would not send at all, "crashed" when it died.
    QString curlCredentials(const SmtpServer& server) {
        const QByteArray message = makeFile("m.eml", "Subject: t\r\n\r\nx\r\n");
        QProcess curl;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", homePath());
        env.remove("CURL_HOME");
        env.remove("XDG_CONFIG_HOME");
        curl.setProcessEnvironment(env);
        const int before = server.messageCount();
        curl.start("curl", {"-sS", "-q", "--netrc", "--mail-from", "a@example.jp", "--mail-rcpt",
                            "b@example.jp", "-T", QString::fromLocal8Bit(message),
                            QString::fromLatin1(server.url("smtp"))});
        EXPECT_TRUE(curl.waitForFinished(30000));
        if (curl.exitStatus() == QProcess::CrashExit) {
            return "crashed";
        }
        if (curl.exitCode() != 0) {
            return "refused";
        }
        EXPECT_EQ(server.messageCount(), before + 1);
        const QJsonObject envelope = server.envelope(before + 1);
        if (envelope["login"].isNull()) {
            return "";
        }
        return envelope["login"].toString() + ":" + envelope["password"].toString();
    }

    static QString ours(const QByteArray& text) {
        const bsmtp::NetrcLookup found = bsmtp::findCredentials(text, "127.0.0.1");
        if (found.problem == bsmtp::NetrcLookup::Problem::Syntax) {
            return "refused";
        }
        if (!found.found) {
            return "";
        }
        return QString::fromLatin1(found.credentials.login + ":" + found.credentials.password);
    }
};

TEST_F(NetrcTest, EveryFileMeansWhatItMeansToCurl) {
    SmtpServer server({"--auth", "ANY", "--auth-in-clear", "--no-starttls"}, ServerCert::None);
    struct Case {
        const char* what;
        QByteArray text;
        QString expected;
    };
    const Case cases[] = {
        {"commented-out old entry",
         "#machine 127.0.0.1 login old password old\n"
         "machine 127.0.0.1 login new password new\n",
         "new:new"},
        {"commented entry only", "# machine 127.0.0.1 login alice password a\n", ""},
        {"commented default", "# default login everyone password x\n", ""},
        {"comment after the entry",
         "machine 127.0.0.1 login bob password pw # was: login alice password a\n", "bob:pw"},
        {"hash inside a token", "machine 127.0.0.1 login bob password pa#ss\n", "bob:pa#ss"},
        {"CRLF with a macro",
         "macdef init\r\nlogin trap\r\n\r\nmachine 127.0.0.1 login crlf password p\r\n", "crlf:p"},
        {"macro up to the empty line",
         "machine x.example login x password x\nmacdef m\nmachine 127.0.0.1 login trap "
         "password trap\n\nmachine 127.0.0.1 login after password macro\n",
         "after:macro"},
        {"default first", "default login d password d\nmachine 127.0.0.1 login m password m\n",
         "d:d"},
        {"default last", "machine 127.0.0.1 login m password m\ndefault login d password d\n",
         "m:m"},
        {"keywords in capitals", "MACHINE 127.0.0.1 LOGIN up PASSWORD case\n", "up:case"},
        {"quoted with escapes", "machine 127.0.0.1 login \"a b\" password \"p\\\"q\\\\\"\n",
         "a b:p\"q\\"},
        {"entry split over lines", "machine 127.0.0.1\n\tlogin split\n\tpassword lines\n",
         "split:lines"},
        {"other host only", "machine 10.0.0.1 login o password o\n", ""},
        {"unclosed quote", "machine 127.0.0.1 login u password \"open\n", "refused"},
    };
    for (const Case& c : cases) {
        writeNetrc(c.text);
        const QString curl = curlCredentials(server);
        EXPECT_EQ(curl, c.expected) << c.what << " (curl)";
        EXPECT_EQ(ours(c.text), curl) << c.what;
    }

    // curl 7.88 dies on an entry with a password and no login; without a user name there is
    // nothing to authenticate as, so the mail goes without AUTH.
    const QByteArray passwordOnly = "machine 127.0.0.1 password only\n";
    writeNetrc(passwordOnly);
    const QString curl = curlCredentials(server);
    EXPECT_TRUE(curl == "crashed" || curl == "") << curl.toStdString();
    EXPECT_EQ(ours(passwordOnly), "");
}

TEST_F(NetrcTest, MacroWithCrLfEndsAndTheEntryAfterItAuthenticates) {
    SmtpServer server({"--auth", "mirvane:secret", "--auth-required"});
    writeNetrc("macdef init\r\nline\r\n\r\nmachine 127.0.0.1 login mirvane password secret\r\n");
    const SendResult sent = sendMail(server.hostPort(), "to@example.jp", "me@example.jp", "s", "b");
    ASSERT_EQ(sent.result, 1) << sent.errorText().toStdString();
    EXPECT_EQ(server.envelope()["login"].toString(), "mirvane");

    writeNetrc("machine 127.0.0.1 login mirvane password \"secret\n");
    const SendResult refused =
        sendMail(server.hostPort(), "to@example.jp", "me@example.jp", "s", "b");
    EXPECT_EQ(refused.result, 0);
    EXPECT_TRUE(refused.errorText().startsWith(u"~/.netrc の書き方が正しくありません"_s))
        << refused.errorText().toStdString();
}

}  // namespace
}  // namespace bsmtp_test
