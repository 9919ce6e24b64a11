// Mails that must not go out, or whose fate must be told honestly, and the texts that say
// why.

#include "smtp_fixture.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStringDecoder>

#include <sys/stat.h>
#include <unistd.h>

namespace bsmtp_test {
namespace {

using namespace Qt::StringLiterals;

const QByteArray kFrom = "sender@example.jp";
const QByteArray kTo = "friend@example.com";

// Whatever the text, the buffer holds at most 80 bytes, zero-terminated, of valid code
// page 932 that does not end in half a character.
void expectWellFormed(const SendResult& r) {
    EXPECT_TRUE(r.terminated);
    EXPECT_TRUE(r.bufferKept);
    EXPECT_LE(r.error.size(), 80);
    QStringDecoder decoder("windows-31j");
    const QString decoded = decoder.decode(r.error);
    EXPECT_FALSE(decoder.hasError()) << r.error.toHex().toStdString();
}

void expectFailure(const SendResult& r, const QString& start) {
    EXPECT_EQ(r.result, 0);
    EXPECT_TRUE(r.errorText().startsWith(start)) << r.errorText().toStdString();
    expectWellFormed(r);
}

class FailureTest : public BsmtpTest {};

TEST_F(FailureTest, EachCertificateFaultIsNamed) {
    // Untrusted: in no bundle; misnamed: trusted, but for mail.example.org; expired: trusted,
    // for 127.0.0.1, ended in 2020. Each by STARTTLS and by implicit TLS.
    const std::pair<ServerCert, QString> faults[] = {
        {ServerCert::Untrusted, u"サーバーの証明書の発行者を信頼できません: 127.0.0.1"_s},
        {ServerCert::Misnamed, u"サーバーの証明書の名前がサーバーと一致しません: 127.0.0.1"_s},
        {ServerCert::Expired, u"サーバーの証明書の有効期限が切れています: 127.0.0.1"_s}};
    for (const auto& [cert, text] : faults) {
        SmtpServer starttls({}, cert);
        expectFailure(sendMail(starttls.hostPort(), kTo, kFrom, "s", "b"), text);
        SmtpServer implicit({"--implicit-tls"}, cert);
        expectFailure(sendMail(implicit.url("smtps"), kTo, kFrom, "s", "b"), text);
        EXPECT_EQ(starttls.messageCount() + implicit.messageCount(), 0);
    }
}

TEST_F(FailureTest, RefusedSenderIsNamedAsTheSender) {
    // Refused at MAIL FROM, and at RCPT TO as Postfix does by default.
    SmtpServer atMail({"--reject-sender", "sender@"});
    expectFailure(sendMail(atMail.hostPort(), kTo, kFrom, "s", "b"),
                  u"差出人のアドレスを受け付けられませんでした: 553 5.1.8 <sender@example.jp>"_s);
    SmtpServer atRcpt({"--delayed-reject",
                       "554 5.7.1 <sender@example.jp>: Sender address rejected: Access denied"});
    expectFailure(sendMail(atRcpt.hostPort(), kTo, kFrom, "s", "b"),
                  u"差出人のアドレスを受け付けられませんでした: 554 5.7.1 <sender@"_s);
    EXPECT_EQ(atMail.messageCount() + atRcpt.messageCount(), 0);
}

TEST_F(FailureTest, RefusedGreetingIsNamedAsTheGreeting) {
    // Refused at EHLO (and the HELO libcurl tries next), and at RCPT TO as Postfix does.
    SmtpServer atEhlo({"--reject-greeting"});
    expectFailure(sendMail(atEhlo.hostPort(), kTo, kFrom, "s", "b"),
                  u"EHLOのホスト名を受け付けられませんでした: 550 5.7.1 <"_s);
    SmtpServer atRcpt(
        {"--delayed-reject", "450 4.7.1 <NAME>: Helo command rejected: Host not found"});
    expectFailure(sendMail(atRcpt.hostPort(), kTo, kFrom, "s", "b"),
                  u"EHLOのホスト名を受け付けられませんでした: 450 4.7.1 <"_s);
    EXPECT_EQ(atEhlo.messageCount() + atRcpt.messageCount(), 0);
}

TEST_F(FailureTest, CredentialsAreNeverSentWithoutStartTls) {
    // The server offers AUTH in clear and no STARTTLS.
    SmtpServer server({"--no-starttls", "--auth", "mirvane:secret", "--auth-in-clear"});
    writeNetrc("machine 127.0.0.1 login mirvane password secret\n");
    expectFailure(sendMail(server.hostPort(), kTo, kFrom, "s", "b"),
                  u"サーバーがSTARTTLSに対応していない"_s);
    const QByteArray wire = server.wireLog();
    EXPECT_TRUE(wire.contains("EHLO")) << "the test should have reached the server";
    EXPECT_FALSE(wire.toUpper().contains("AUTH"));
    EXPECT_FALSE(wire.contains("secret"));
    EXPECT_FALSE(wire.contains("MAIL FROM"));
    EXPECT_EQ(server.messageCount(), 0);
}

TEST_F(FailureTest, NetrcThatOthersMayReadIsRefusedBeforeConnecting) {
    SilentListener listener;
    writeNetrc("machine 127.0.0.1 login a password b\n", 0644);
    expectFailure(sendMail(listener.hostPort(), kTo, kFrom, "s", "b"),
                  u"~/.netrc を他人が読めます"_s);
    writeNetrc("machine 127.0.0.1 login a password b\n", 0620);
    expectFailure(sendMail(listener.hostPort(), kTo, kFrom, "s", "b"),
                  u"~/.netrc を他人が読めます"_s);
    EXPECT_FALSE(listener.connectionAttempted());
}

TEST_F(FailureTest, ServerThatNeverGreetsTimesOut) {
    SilentListener listener;
    expectFailure(sendMail(listener.hostPort(), kTo, kFrom, "s", "b"),
                  u"SMTPサーバーが応答しません"_s);
    EXPECT_TRUE(listener.connectionAttempted());
}

TEST_F(FailureTest, StallAfterDataTellsThatDeliveryIsUncertain) {
    SmtpServer server({"--stall-data"});
    const QByteArray path = makeFile("a.jpg", QByteArray(100000, 'x'));
    expectFailure(sendMail(server.hostPort(), kTo, kFrom, "s", "b", path),
                  u"送信後に応答がなく、届いたかどうか分かりません"_s);
}

TEST_F(FailureTest, ServerThatIgnoresQuitAfterTakingTheMailCostsOnlyAFewSeconds) {
    // With the real timeouts: the reply to QUIT was once waited for a whole minute.
    qunsetenv("MIRVANE_SMTP_TIMEOUT_SCALE");
    StallServer server(StallServer::Mode::IgnoreQuit);
    QElapsedTimer clock;
    clock.start();
    const SendResult sent = sendMail(server.hostPort(), kTo, kFrom, "s", "b");
    const qint64 elapsed = clock.elapsed();
    EXPECT_EQ(sent.result, 1) << sent.errorText().toStdString();
    EXPECT_EQ(server.deliveredCount(), 1);
    EXPECT_TRUE(server.wireLog().contains("\r\nQUIT\r\n"));
    EXPECT_LT(elapsed, 20000);
}

TEST_F(FailureTest, StallInTheMiddleOfTheDataSaysTheUploadStopped) {
    StallServer server(StallServer::Mode::StallAfter354);
    // More than the socket buffers hold, so that the upload itself comes to a stop.
    const QByteArray path = makeFile("big.jpg", QByteArray(12 << 20, 'x'));
    const SendResult r = sendMail(server.hostPort(), kTo, kFrom, "s", "b", path);
    expectFailure(r, u"送信中に接続が止まりました"_s);
    EXPECT_FALSE(r.errorText().contains(u"354"_s)) << r.errorText().toStdString();
    EXPECT_EQ(server.deliveredCount(), 0);
}

TEST_F(FailureTest, RefusedRecipientShowsTheServersReply) {
    SmtpServer server({"--reject-rcpt", "nobody", "--defer-rcpt", "busy"});
    const SendResult refused = sendMail(server.hostPort(), "nobody@example.com", kFrom, "s", "b");
    expectFailure(refused, u"宛先を受け付けられませんでした: 550 5.1.1 <nobody@example.com>"_s);
    const SendResult deferred = sendMail(server.hostPort(), "busy@example.com", kFrom, "s", "b");
    expectFailure(deferred, u"宛先を受け付けられませんでした: 450"_s);
    EXPECT_EQ(server.messageCount(), 0);
}

TEST_F(FailureTest, AuthenticationNeededFailedAndMessageTooLarge) {
    SmtpServer server({"--auth", "mirvane:secret", "--auth-required", "--size-limit", "2000"});
    expectFailure(sendMail(server.hostPort(), kTo, kFrom, "s", "b"), u"認証が必要です"_s);

    writeNetrc("machine 127.0.0.1 login mirvane password wrong\n");
    expectFailure(sendMail(server.hostPort(), kTo, kFrom, "s", "b"), u"認証に失敗しました: 535"_s);

    writeNetrc("machine 127.0.0.1 login mirvane password secret\n");
    expectFailure(sendMail(server.hostPort(), kTo, kFrom, "s", QByteArray(5000, 'x')),
                  u"メールのサイズを受け付けられませんでした: 552"_s);
    EXPECT_EQ(server.messageCount(), 0);
}

TEST_F(FailureTest, MessageRefusedAfterDataIsNotCalledUncertain) {
    SmtpServer server({"--reject-data"});
    expectFailure(sendMail(server.hostPort(), kTo, kFrom, "s", "b"),
                  u"メールを受け付けられませんでした: 554 5.7.1"_s);
}

TEST_F(FailureTest, LineBreaksInHeaderFieldsAreRefusedWithoutConnecting) {
    SilentListener listener;
    const QByteArray server = listener.hostPort();
    expectFailure(sendMail(server, "a@example.com\r\nRCPT TO:<b@example.com>", kFrom, "s", "b"),
                  u"宛先に使えない文字"_s);
    expectFailure(sendMail(server, "a@example.com\n", kFrom, "s", "b"), u"宛先に使えない文字"_s);
    expectFailure(sendMail(server, kTo, "me@example.jp\r\nRCPT TO:<b@example.com>", "s", "b"),
                  u"差出人のアドレスに使えない文字"_s);
    expectFailure(sendMail(server, kTo, kFrom, "hello\r\nBcc: b@example.com", "b"),
                  u"件名に改行は使えません"_s);
    expectFailure(sendMail(server, kTo, kFrom, "hello\rBcc: b@example.com", "b"),
                  u"件名に改行は使えません"_s);
    expectFailure(sendMail(server + "\r\nHELO x", kTo, kFrom, "s", "b"),
                  u"SMTPサーバーの指定が正しくありません"_s);
    expectFailure(sendMail(server, sjis(u"全角＠example.com"_s), kFrom, "s", "b"),
                  u"宛先のアドレスが正しくありません: 全角＠example.com"_s);
    expectFailure(sendMail(server, "", kFrom, "s", "b"), u"宛先が入力されていません"_s);
    expectFailure(sendMail(server, kTo, "", "s", "b"), u"差出人のアドレスが設定されていません"_s);
    EXPECT_FALSE(listener.connectionAttempted());
}

TEST_F(FailureTest, AddressesThatCannotBeReadAreRefusedBeforeConnecting) {
    SilentListener listener;
    const QByteArray server = listener.hostPort();
    const QString bad = u"宛先のアドレスが正しくありません: "_s;
    struct Case {
        QString to;
        QString part;  // what the message names
    };
    const Case cases[] = {
        {"Taro <taro@example.jp", "Taro <taro@example.jp"},
        {"a@example.jp, Taro taro@example.jp", "Taro taro@example.jp"},
        {"ok@example.jp; <b@example.jp> extra", "<b@example.jp> extra"},
        {"\"Yamada, Hanako <h@example.jp>", "\"Yamada, Hanako <h@example.jp>"},
        {"a@example.jp (unclosed", "a@example.jp (unclosed"},
        {"@example.jp", "@example.jp"},
        {"taro@", "taro@"},
        {"a..b@example.jp", "a..b@example.jp"},
        {"taro", "taro"},
        {u"山田 太郎"_s, u"山田 太郎"_s},
        {u"太郎 <たろう@example.jp>"_s, u"太郎 <たろう@example.jp>"_s},
        {"Undisclosed: a@example.jp", "Undisclosed: a@example.jp"},
    };
    for (const Case& c : cases) {
        const SendResult r = sendMail(server, sjis(c.to), kFrom, "s", "b");
        expectFailure(r, bad + c.part);
    }
    // A long element is cut to fit the message, never inside a character.
    const SendResult longPart =
        sendMail(server, sjis(QString(u"宛先"_s).repeated(40) + " <x"), kFrom, "s", "b");
    expectFailure(longPart, bad + u"宛先宛先"_s);
    EXPECT_GE(longPart.error.size(), 79);

    expectFailure(sendMail(server, " ; , ", kFrom, "s", "b"), u"宛先が入力されていません"_s);
    expectFailure(sendMail(server, kTo, "a@example.jp, b@example.jp", "s", "b"),
                  u"差出人のアドレスが正しくありません: a@example.jp, b@example.jp"_s);
    expectFailure(sendMail(server, kTo, "Me <me@example.jp", "s", "b"),
                  u"差出人のアドレスが正しくありません: Me <me@example.jp"_s);
    EXPECT_FALSE(listener.connectionAttempted());
}

TEST_F(FailureTest, BytesThatAreNotCodePage932AreRefusedBeforeConnecting) {
    SilentListener listener;
    const QByteArray server = listener.hostPort();
    // A lead byte with nothing after it, an unassigned pair, a byte no character starts with.
    for (const QByteArray& bad :
         {QByteArray("abc\x81"), QByteArray("\x81\xad"), QByteArray("x\x80y")}) {
        expectFailure(sendMail(server + bad, kTo, kFrom, "s", "b"),
                      u"SMTPサーバーの指定にシフトJISとして正しくない文字があります"_s);
        expectFailure(sendMail(server, "Taro" + bad + " <to@example.jp>", kFrom, "s", "b"),
                      u"宛先にシフトJISとして正しくない文字があります"_s);
        expectFailure(sendMail(server, kTo, bad + " <me@example.jp>", "s", "b"),
                      u"差出人のアドレスにシフトJISとして正しくない文字があります"_s);
        expectFailure(sendMail(server, kTo, kFrom, bad, "b"),
                      u"件名にシフトJISとして正しくない文字があります"_s);
        expectFailure(sendMail(server, kTo, kFrom, "s", "body " + bad),
                      u"本文にシフトJISとして正しくない文字があります"_s);
        expectFailure(sendMail(server, kTo, kFrom, "s", "b", "/tmp/" + bad),
                      u"添付ファイルのパスに使えない文字があります"_s);
    }
    EXPECT_FALSE(listener.connectionAttempted());
}

TEST_F(FailureTest, ServerSettingIsCheckedBeforeConnecting) {
    expectFailure(sendMail("", kTo, kFrom, "s", "b"), u"SMTPサーバーが設定されていません"_s);
    expectFailure(sendMail("http://127.0.0.1", kTo, kFrom, "s", "b"),
                  u"SMTPサーバーに使えない方式です: http"_s);
    expectFailure(sendMail("user@127.0.0.1", kTo, kFrom, "s", "b"),
                  u"SMTPサーバーの指定が正しくありません"_s);
    expectFailure(sendMail("127.0.0.1:99999", kTo, kFrom, "s", "b"),
                  u"SMTPサーバーの指定が正しくありません"_s);
}

TEST_F(FailureTest, UnknownHostAndRefusedConnection) {
    // Where no name server answers, the lookup may run into the connect timeout first.
    const SendResult unknown = sendMail("no-such-host.invalid", kTo, kFrom, "s", "b");
    EXPECT_EQ(unknown.result, 0);
    EXPECT_TRUE(
        unknown.errorText().startsWith(u"SMTPサーバーが見つかりません: no-such-host.invalid"_s) ||
        unknown.errorText().startsWith(u"SMTPサーバーが応答しません(タイムアウト)"_s))
        << unknown.errorText().toStdString();
    expectWellFormed(unknown);
    expectFailure(sendMail("127.0.0.1:" + QByteArray::number(closedPort()), kTo, kFrom, "s", "b"),
                  u"SMTPサーバーに接続を拒否されました: 127.0.0.1"_s);
}

TEST_F(FailureTest, AttachmentThatIsNoRegularFileIsRefusedWithoutConnecting) {
    SilentListener listener;
    const QByteArray dir = sjis(homePath() + u"/フォルダ"_s);
    ASSERT_EQ(::mkdir(QFile::encodeName(homePath() + u"/フォルダ"_s).constData(), 0700), 0);
    expectFailure(sendMail(listener.hostPort(), kTo, kFrom, "s", "b", dir),
                  u"添付できるのは通常のファイルだけです: フォルダ"_s);

    // Opening a FIFO for reading would wait for a writer forever.
    const QString fifo = homePath() + u"/パイプ"_s;
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    expectFailure(sendMail(listener.hostPort(), kTo, kFrom, "s", "b", sjis(fifo)),
                  u"添付できるのは通常のファイルだけです: パイプ"_s);

    const QByteArray vanished = makeFile(u"消えた.jpg"_s, "x");
    ASSERT_TRUE(QFile::remove(homePath() + u"/消えた.jpg"_s));
    expectFailure(sendMail(listener.hostPort(), kTo, kFrom, "s", "b", vanished),
                  u"添付ファイルが見つかりません: 消えた.jpg"_s);

    // Bytes that are not code page 932 cannot name a file.
    expectFailure(sendMail(listener.hostPort(), kTo, kFrom, "s", "b", "/tmp/\x81\x20"),
                  u"添付ファイルのパスに使えない文字があります"_s);
    EXPECT_FALSE(listener.connectionAttempted());
}

TEST_F(FailureTest, UnreadableAttachmentIsRefused) {
    // Root reads any file, so the sender runs as nobody (uid 65534), as a user would.
    const QByteArray home = QFile::encodeName(homePath());
    ASSERT_EQ(::chmod(home.constData(), 0755), 0);
    makeFile("body.txt", "b");
    makeFile("secret.jpg", "x");
    ASSERT_EQ(::chown((home + "/secret.jpg").constData(), 65534, 65534), 0);
    ASSERT_EQ(::chmod((home + "/secret.jpg").constData(), 0), 0);
    SilentListener listener;
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LC_ALL", "C.UTF-8");
    tool.setProcessEnvironment(env);
    tool.start("setpriv", {"--reuid=65534", "--regid=65534", "--clear-groups", BSENDMAIL_PATH,
                           listener.hostPort(), kTo, kFrom, "s", homePath() + "/body.txt",
                           homePath() + "/secret.jpg"});
    ASSERT_TRUE(tool.waitForFinished(60000));
    EXPECT_EQ(tool.exitCode(), 1);
    const QString said = QString::fromUtf8(tool.readAllStandardError());
    EXPECT_TRUE(said.contains(u"添付ファイルを読めません: secret.jpg"_s)) << said.toStdString();
    EXPECT_FALSE(listener.connectionAttempted());
}

TEST_F(FailureTest, LongTextsFillTheBufferToTheBrimWithoutHalfACharacter) {
    SilentListener listener;
    // "添付ファイルが見つかりません: " is 30 bytes; the name decides where 80 falls.
    const QString prefix = u"添付ファイルが見つかりません: "_s;
    const QString kanji = QString(u"漢"_s).repeated(30);
    const QString exact = "ab" + kanji;  // 30 + 2 + 48 ends on byte 80 exactly
    const QString odd = "a" + kanji;     // byte 80 is the first half of a kanji
    const SendResult full =
        sendMail(listener.hostPort(), kTo, kFrom, "s", "b", sjis(homePath() + "/" + exact));
    expectWellFormed(full);
    EXPECT_EQ(full.error.size(), 80);
    EXPECT_EQ(full.errorText(), prefix + exact.left(2 + 24));

    const SendResult cut =
        sendMail(listener.hostPort(), kTo, kFrom, "s", "b", sjis(homePath() + "/" + odd));
    expectWellFormed(cut);
    EXPECT_EQ(cut.error.size(), 79);
    EXPECT_EQ(cut.errorText(), prefix + odd.left(1 + 24));
    EXPECT_FALSE(listener.connectionAttempted());

    // A server's long reply is cut the same way.
    SmtpServer server({"--reject-rcpt", "x"});
    const QByteArray longAddress = "x" + QByteArray(200, 'y') + "@example.com";
    const SendResult reply = sendMail(server.hostPort(), longAddress, kFrom, "s", "b");
    expectFailure(reply, u"宛先を受け付けられませんでした: 550"_s);
    EXPECT_EQ(reply.error.size(), 80);
}

}  // namespace
}  // namespace bsmtp_test
