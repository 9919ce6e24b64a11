// Mails sent through BSendMail to a real server, and read back with Python's email parser.

#include "smtp_fixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStringDecoder>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <ostream>

namespace bsmtp_test {
namespace {

using namespace Qt::StringLiterals;

const QByteArray kFrom = "sender@example.jp";
const QByteArray kTo = "friend@docomo.ne.jp";

// A body received as 7bit ends with the message's last line break, which is not part of it.
QByteArray withoutLastLineBreak(QByteArray text) {
    if (text.endsWith("\r\n")) {
        text.chop(2);
    }
    return text;
}

QJsonObject onlyPart(const QJsonObject& mail) {
    const QJsonArray parts = mail["parts"].toArray();
    EXPECT_EQ(parts.size(), 1);
    return parts.isEmpty() ? QJsonObject() : parts[0].toObject();
}

class SendTest : public BsmtpTest {};

TEST_F(SendTest, JisTextTravelsAsIso2022JpAndComesBackExactly) {
    SmtpServer server;
    // Wave dash, full-width minus and reverse solidus differ between JIS and code page
    // 932 tables; dots at line starts need stuffing.
    const QByteArray subject = sjis(u"会議の件（再送）～ABC"_s);
    const QByteArray body =
        sjis(u"こんにちは。\r\n\r\n.先頭のドット\r\n.\r\n－＼～ 全角と ASCII の混在\r\n最後の行"_s);
    const SendResult sent = sendMail(server.hostPort(), kTo, kFrom, subject, body);
    ASSERT_EQ(sent.result, 1) << sent.errorText().toStdString();

    ASSERT_EQ(server.messageCount(), 1);
    const QJsonObject mail = server.inspect();
    EXPECT_TRUE(mail["defects"].toArray().isEmpty());
    EXPECT_EQ(fromHex(mail["subject_hex"]), subject);
    EXPECT_EQ(mail["subject_charsets"].toArray(), QJsonArray{"iso-2022-jp"});
    const QJsonObject part = onlyPart(mail);
    EXPECT_EQ(part["content_type"].toString(), "text/plain");
    EXPECT_EQ(part["charset"].toString(), "ISO-2022-JP");
    EXPECT_EQ(part["transfer_encoding"].toString(), "7bit");
    EXPECT_EQ(withoutLastLineBreak(fromHex(part["text_hex"])), body);
    // Every line of the text ends in ASCII mode.
    const QByteArray payload = fromHex(part["payload_hex"]);
    for (const QByteArray& line : payload.split('\n')) {
        if (line.contains("\x1b$B")) {
            EXPECT_TRUE(line.endsWith("\x1b(B\r")) << line.toStdString();
        }
    }

    const QJsonObject headers = mail["headers"].toObject();
    EXPECT_EQ(headers["From"].toString(), QString(kFrom));
    EXPECT_EQ(headers["To"].toString(), QString(kTo));
    EXPECT_TRUE(QRegularExpression(R"(^(Mon|Tue|Wed|Thu|Fri|Sat|Sun), \d\d )"
                                   R"((Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) )"
                                   R"(\d{4} \d\d:\d\d:\d\d [+-]\d{4}$)")
                    .match(headers["Date"].toString())
                    .hasMatch())
        << headers["Date"].toString().toStdString();
    EXPECT_TRUE(QRegularExpression(R"(^<[0-9]{14}\.[0-9a-f]{32}@example\.jp>$)")
                    .match(headers["Message-ID"].toString())
                    .hasMatch())
        << headers["Message-ID"].toString().toStdString();

    const QJsonObject envelope = server.envelope();
    EXPECT_EQ(envelope["mail_from"].toString(), QString(kFrom));
    EXPECT_EQ(envelope["rcpt_tos"].toArray(), QJsonArray{QString(kTo)});
    EXPECT_TRUE(envelope["tls"].toBool()) << "STARTTLS was offered and not used";

    // The greeting names this host in full, or by the address it connected from (the
    // server refuses anything else).
    const QByteArray wire = server.wireLog();
    const qsizetype ehlo = wire.indexOf("EHLO ");
    ASSERT_GE(ehlo, 0);
    const QByteArray name = wire.mid(ehlo + 5, wire.indexOf("\r\n", ehlo) - ehlo - 5);
    EXPECT_TRUE(name == "[127.0.0.1]" || (name.contains('.') && !name.startsWith('[')))
        << name.toStdString();
}

TEST_F(SendTest, EveryJisX0208CharacterSurvivesTheRoundTrip) {
    // All double-byte codes of code page 932 in the JIS rows, minus the NEC row 13 and the
    // NEC-selected IBM rows, which JIS X 0208 does not have.
    QByteArray body;
    int count = 0;
    for (int lead = 0x81; lead <= 0xEF; ++lead) {
        if (lead > 0x9F && lead < 0xE0) {
            continue;
        }
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            const QByteArray code(pair, 2);
            if (trail == 0x7F || lead == 0x87 || lead == 0xED || lead == 0xEE) {
                continue;
            }
            QStringDecoder decoder("windows-31j");
            const QString decoded = decoder.decode(code);
            if (decoder.hasError()) {
                continue;
            }
            body += code;
            if (++count % 40 == 0) {
                body += "\r\n";
            }
        }
    }
    ASSERT_EQ(count, 6879);

    SmtpServer server;
    const SendResult sent = sendMail(server.hostPort(), kTo, kFrom, "JIS X 0208", body);
    ASSERT_EQ(sent.result, 1) << sent.errorText().toStdString();
    const QJsonObject part = onlyPart(server.inspect());
    EXPECT_EQ(part["charset"].toString(), "ISO-2022-JP");
    EXPECT_EQ(withoutLastLineBreak(fromHex(part["text_hex"])), body);
}

TEST_F(SendTest, PictographsAndExtensionsTravelAsShiftJisBytesAsGiven) {
    SmtpServer server;
    // U+E63E and U+E757 are the first and last pictographs (F89F, F9FC); then half-width
    // katakana, an NEC row 13 sign, an IBM extension, and 5C trail bytes (表, ソ).
    const QByteArray subject = sjis(u"晴れ\uE63Eです ｱｲｳ"_s);
    const QByteArray text = sjis(u"\uE63E\uE757 ｶﾀｶﾅ ① ⅰ 表ソ\\\r\n"_s);
    const QByteArray body = text + "bare LF\nbare CR\rend";
    const SendResult sent = sendMail(server.hostPort(), kTo, kFrom, subject, body);
    ASSERT_EQ(sent.result, 1) << sent.errorText().toStdString();

    const QJsonObject mail = server.inspect();
    EXPECT_TRUE(mail["defects"].toArray().isEmpty());
    EXPECT_EQ(fromHex(mail["subject_hex"]), subject);
    EXPECT_EQ(mail["subject_charsets"].toArray(), QJsonArray{"shift_jis"});
    const QJsonObject part = onlyPart(mail);
    EXPECT_EQ(part["charset"].toString(), "Shift_JIS");
    EXPECT_EQ(part["transfer_encoding"].toString(), "base64");
    EXPECT_EQ(fromHex(part["payload_hex"]), text + "bare LF\r\nbare CR\r\nend");
    EXPECT_EQ(mail["bare_lf"].toInt(), 0);
    EXPECT_EQ(mail["bare_cr"].toInt(), 0);
}

TEST_F(SendTest, LongSubjectFoldsIntoEncodedWordsThatRejoinExactly) {
    SmtpServer server;
    // Spaces at and between words must survive the folding.
    const QString words =
        u"来週の 定例会議の 議題について ご相談したいことが いくつか あります どうぞよろしく"_s;
    // JIS text; a pictograph to a handset (Shift_JIS) and to a PC (UTF-8, the pictograph
    // as a four-byte emoji that no word may split).
    const struct {
        QString text;
        QByteArray to;
        const char* word;
    } mails[] = {{words, kTo, "=?ISO-2022-JP?B?"},
                 {words + u"\uE63E"_s, kTo, "=?Shift_JIS?B?"},
                 {u"\uE757"_s + words + u"\uE757"_s, "friend@example.com", "=?UTF-8?B?"}};
    for (const auto& mail : mails) {
        const SendResult sent =
            sendMail(server.hostPort(), mail.to, kFrom, sjis(mail.text), "body");
        ASSERT_EQ(sent.result, 1) << sent.errorText().toStdString();
    }
    for (int n = 1; n <= 3; ++n) {
        const QJsonObject mail = server.inspect(n);
        const QString raw = mail["subject_raw"].toString();
        if (n < 3) {
            EXPECT_EQ(fromHex(mail["subject_hex"]), sjis(mails[n - 1].text));
        }
        const QStringList lines = raw.split("\r\n");
        EXPECT_GE(lines.size(), 3) << raw.toStdString();
        for (int i = 0; i < lines.size(); ++i) {
            // "Subject: " stands before the first line; later lines start with the fold.
            const QString line = i == 0 ? "Subject: " + lines[i] : lines[i];
            EXPECT_LE(line.size(), 76) << line.toStdString();
            const QString word = lines[i].trimmed();
            EXPECT_LE(word.size(), 75);
            EXPECT_TRUE(word.startsWith(mails[n - 1].word)) << word.toStdString();
        }
    }
    // What each word holds is checked by the parsers that read every mail back.
}

TEST_F(SendTest, AttachmentArrivesWholeWithItsJapaneseName) {
    SmtpServer server;
    // More than one read block and not a whole number of base64 lines.
    QByteArray content(200001, '\0');
    QRandomGenerator gen(7);
    for (char& c : content) {
        c = static_cast<char>(gen.bounded(256));
    }
    const QString name = u"写真\uE63E表ソ.JPG"_s;
    const QByteArray path = makeFile(name, content);
    const QByteArray body = sjis(u"写真を送ります"_s);
    const SendResult sent = sendMail(server.hostPort(), kTo, kFrom, sjis(u"写真"_s), body, path);
    ASSERT_EQ(sent.result, 1) << sent.errorText().toStdString();

    const QJsonObject mail = server.inspect();
    EXPECT_TRUE(mail["defects"].toArray().isEmpty());
    EXPECT_EQ(mail["content_type"].toString(), "multipart/mixed");
    const QJsonArray parts = mail["parts"].toArray();
    ASSERT_EQ(parts.size(), 2);
    const QJsonObject text = parts[0].toObject();
    EXPECT_EQ(text["content_type"].toString(), "text/plain");
    EXPECT_EQ(text["charset"].toString(), "ISO-2022-JP");
    EXPECT_EQ(fromHex(text["text_hex"]), body);
    const QJsonObject file = parts[1].toObject();
    EXPECT_EQ(file["content_type"].toString(), "image/jpeg");
    EXPECT_EQ(file["transfer_encoding"].toString(), "base64");
    EXPECT_EQ(file["disposition"].toString(), "attachment");
    EXPECT_EQ(fromHex(file["payload_hex"]), content);
    EXPECT_EQ(fromHex(file["name_hex"]), sjis(name));
    EXPECT_EQ(fromHex(file["filename_hex"]), sjis(name));
    EXPECT_EQ(file["filename_charset"].toString(), "Shift_JIS");
    EXPECT_LE(mail["lines_max"].toInt(), 76);
}

TEST_F(SendTest, LongAndEmptyAttachmentsKeepNameAndContent) {
    SmtpServer server;
    // 150 bytes of name: RFC 2231 continuations and several encoded words in the name.
    const QString longName = QString(u"長い名前のファイル"_s).repeated(8) + u"\uE757.dat"_s;
    const QByteArray longPath = makeFile(longName, "content");
    const QByteArray emptyPath = makeFile(u"空.jpeg"_s, "");
    ASSERT_EQ(sendMail(server.hostPort(), kTo, kFrom, "long", "", longPath).result, 1);
    ASSERT_EQ(sendMail(server.hostPort(), kTo, kFrom, "empty", "", emptyPath).result, 1);

    const QJsonObject longMail = server.inspect(1);
    EXPECT_TRUE(longMail["defects"].toArray().isEmpty());
    EXPECT_LE(longMail["lines_max"].toInt(), 76);
    const QJsonObject longFile = longMail["parts"].toArray()[1].toObject();
    EXPECT_EQ(fromHex(longFile["filename_hex"]), sjis(longName));
    EXPECT_EQ(fromHex(longFile["name_hex"]), sjis(longName));
    EXPECT_EQ(longFile["content_type"].toString(), "application/octet-stream");
    EXPECT_EQ(fromHex(longFile["payload_hex"]), "content");

    const QJsonObject emptyFile = server.inspect(2)["parts"].toArray()[1].toObject();
    EXPECT_EQ(emptyFile["content_type"].toString(), "image/jpeg");
    EXPECT_EQ(fromHex(emptyFile["filename_hex"]), sjis(u"空.jpeg"_s));
    EXPECT_EQ(fromHex(emptyFile["payload_hex"]), "");
}

// Defects the current parser found in header fields other than Content-Type, whose
// name="..." holds encoded words for older readers on purpose.
QStringList modernDefects(const QJsonObject& mail) {
    QStringList out;
    for (const QJsonValue& d : mail["modern"].toObject()["defects"].toArray()) {
        if (!d.toString().startsWith("Content-Type: ")) {
            out << d.toString();
        }
    }
    return out;
}

TEST_F(SendTest, LongJapaneseFileNameSectionsEachDecodeAlone) {
    SmtpServer server;
    // Double-byte characters with 5C trail bytes (as long as a file system allows in
    // UTF-8); zero to two ASCII characters in front move the byte-wise cuts, so that some
    // would fall inside a character. To a handset in Shift_JIS, to a PC in UTF-8.
    const QStringList fronts = {"", "a", "ab"};
    const QByteArray recipients[] = {kTo, "friend@example.com"};
    for (const QByteArray& to : recipients) {
        for (const QString& front : fronts) {
            const QString name = front + QString(u"表示ソ"_s).repeated(26) + u"表.txt"_s;
            const QByteArray path = makeFile(name, "x");
            ASSERT_EQ(sendMail(server.hostPort(), to, kFrom, "name", "", path).result, 1);
        }
    }
    for (int n = 1; n <= 2 * fronts.size(); ++n) {
        const QString name =
            fronts[(n - 1) % fronts.size()] + QString(u"表示ソ"_s).repeated(26) + u"表.txt"_s;
        const QJsonObject mail = server.inspect(n);
        const QJsonObject file = mail["parts"].toArray()[1].toObject();
        const bool handset = n <= fronts.size();
        EXPECT_EQ(file["filename_charset"].toString(), handset ? "Shift_JIS" : "UTF-8");
        EXPECT_EQ(fromHex(file["filename_hex"]), handset ? sjis(name) : name.toUtf8());
        // The current parser decodes each section by itself.
        EXPECT_EQ(mail["modern"].toObject()["filenames"].toArray()[1].toString(), name);
        EXPECT_TRUE(modernDefects(mail).isEmpty()) << modernDefects(mail).join('\n').toStdString();
        // In UTF-8 the name takes ten sections of longer lines: some readers sort section
        // numbers as text, and would put an eleventh before the third.
        EXPECT_LE(mail["lines_max"].toInt(), handset ? 76 : 100);
        EXPECT_EQ(QString::fromLatin1(fromHex(mail["raw_hex"])).contains("filename*10*"), false);
    }
}

TEST_F(SendTest, HandsetMediaTypesArriveAsSuch) {
    SmtpServer server;
    const QStringList names = {"a.png", "b.GIF", "c.3gp", "d.mp4", "e.bin"};
    for (const QString& name : names) {
        ASSERT_EQ(sendMail(server.hostPort(), kTo, kFrom, "t", "", makeFile(name, "x")).result, 1);
    }
    const QStringList types = {"image/png", "image/gif", "video/3gpp", "video/mp4",
                               "application/octet-stream"};
    for (int n = 1; n <= names.size(); ++n) {
        const QJsonObject file = server.inspect(n)["parts"].toArray()[1].toObject();
        EXPECT_EQ(file["content_type"].toString(), types[n - 1]) << names[n - 1].toStdString();
    }
}

// What both parsers read from an address field: display name and address of each mailbox.
struct Named {
    QString name;
    QString address;
    bool operator==(const Named&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Named& n) {
    return os << n.name.toStdString() << " <" << n.address.toStdString() << ">";
}

QList<Named> modernAddresses(const QJsonObject& mail, const char* field) {
    QList<Named> out;
    for (const QJsonValue& v : mail["modern"].toObject()[field].toArray()) {
        out.append({v["display_name"].toString(), v["addr_spec"].toString()});
    }
    return out;
}

// `utf8`: the names travelled in UTF-8, which the inspector gives back as it is.
QList<Named> compatAddresses(const QJsonObject& mail, const char* field, bool utf8 = false) {
    QList<Named> out;
    for (const QJsonValue& v : mail[field].toArray()) {
        QStringDecoder decoder(utf8 ? "UTF-8" : "windows-31j");
        out.append({decoder.decode(fromHex(v[0])), v[1].toString()});
    }
    return out;
}

TEST_F(SendTest, AddressListsAsPeoplePasteThem) {
    SmtpServer server;
    const QString to =
        u"Taro <taro@example.jp>, \"Yamada, Hanako\" <hanako@example.jp>; jiro@example.jp (次郎);"_s
        u" 山田 太郎 <taro2@example.jp>;; \"表示\\\"ソ\" <q@example.jp> ,plain@example.jp;"_s;
    const QString from = u"送信者 (会社) <sender@example.jp>"_s;
    for (const QString& subject : {u"件名"_s, u"絵文字\uE63E"_s}) {
        const SendResult sent =
            sendMail(server.hostPort(), sjis(to), sjis(from), sjis(subject), "b");
        ASSERT_EQ(sent.result, 1) << sent.errorText().toStdString();
    }
    const QList<Named> expected = {
        {"Taro", "taro@example.jp"},     {"Yamada, Hanako", "hanako@example.jp"},
        {u"次郎"_s, "jiro@example.jp"},  {u"山田 太郎"_s, "taro2@example.jp"},
        {u"表示\"ソ"_s, "q@example.jp"}, {"", "plain@example.jp"}};
    QJsonArray rcpts;
    for (const Named& n : expected) {
        rcpts.append(n.address);
    }
    for (int n = 1; n <= 2; ++n) {
        const QJsonObject envelope = server.envelope(n);
        EXPECT_EQ(envelope["mail_from"].toString(), "sender@example.jp");
        EXPECT_EQ(envelope["rcpt_tos"].toArray(), rcpts);
        const QJsonObject mail = server.inspect(n);
        EXPECT_EQ(modernAddresses(mail, "to"), expected) << n;
        // With a pictograph the mail to PCs goes in UTF-8.
        EXPECT_EQ(compatAddresses(mail, "to_compat", n == 2), expected) << n;
        const QList<Named> sender = {{u"送信者"_s, "sender@example.jp"}};
        EXPECT_EQ(modernAddresses(mail, "from"), sender);
        EXPECT_EQ(compatAddresses(mail, "from_compat", n == 2), sender);
        EXPECT_TRUE(modernDefects(mail).isEmpty()) << modernDefects(mail).join('\n').toStdString();
        EXPECT_LE(mail["lines_max"].toInt(), 76);
        // Japanese names go as encoded words in the mail's own charset.
        const QString raw = mail["headers"].toObject()["To"].toString();
        EXPECT_TRUE(raw.contains(n == 1 ? "=?ISO-2022-JP?B?" : "=?UTF-8?B?")) << raw.toStdString();
    }
}

TEST_F(SendTest, ImplicitTlsOnSmtpsUrl) {
    SmtpServer server({"--implicit-tls"});
    const SendResult sent = sendMail(server.url("smtps"), kTo, kFrom, "tls", "body");
    ASSERT_EQ(sent.result, 1) << sent.errorText().toStdString();
    EXPECT_TRUE(server.envelope()["tls"].toBool());
}

TEST_F(SendTest, NetrcCredentialsAuthenticateAfterStartTls) {
    SmtpServer server({"--auth", "mirvane:s3cret pass", "--auth-required"});
    writeNetrc(
        "# mail\nmachine example.org login other password x\n"
        "machine 127.0.0.1 login mirvane password \"s3cret pass\"\n");
    const SendResult sent = sendMail(server.hostPort(), kTo, kFrom, "auth", "body");
    ASSERT_EQ(sent.result, 1) << sent.errorText().toStdString();
    EXPECT_EQ(server.envelope()["login"].toString(), "mirvane");
    EXPECT_TRUE(server.envelope()["tls"].toBool());
}

TEST_F(SendTest, WithoutCredentialsPlainServerIsUsedInClear) {
    SmtpServer server({}, ServerCert::None);
    const SendResult sent = sendMail(server.url("smtp"), kTo, kFrom, "plain", "body");
    ASSERT_EQ(sent.result, 1) << sent.errorText().toStdString();
    EXPECT_FALSE(server.envelope()["tls"].toBool());
}

TEST_F(SendTest, GreetingNamesTheHostInFullWhenItHasSuchAName) {
    // The command-line tool on a host named with a dot, in a namespace of its own.
    SmtpServer server;
    makeFile("body.txt", "body");
    QProcess tool;
    tool.start("unshare", {"--map-root-user", "--uts", "sh", "-c",
                           "hostname mail.mirvane.example && exec \"$0\" \"$@\"", BSENDMAIL_PATH,
                           server.hostPort(), kTo, kFrom, "s", homePath() + "/body.txt"});
    ASSERT_TRUE(tool.waitForFinished(60000));
    EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    EXPECT_TRUE(server.wireLog().startsWith("EHLO mail.mirvane.example\r\n"))
        << server.wireLog().left(80).toStdString();
}

bool hasIpv6Loopback() {
    const int fd = ::socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in6 address{};
    address.sin6_family = AF_INET6;
    address.sin6_addr = in6addr_loopback;
    const bool ok =
        fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0) {
        ::close(fd);
    }
    return ok;
}

TEST_F(SendTest, GreetingOverIpv6IsAnIpv6AddressLiteral) {
    if (!hasIpv6Loopback()) {
        GTEST_SKIP() << "no IPv6 loopback on this machine";
    }
    SmtpServer server({"--ipv6"}, ServerCert::None);
    const SendResult sent =
        sendMail("smtp://[::1]:" + QByteArray::number(server.port()), kTo, kFrom, "s", "b");
    ASSERT_EQ(sent.result, 1) << sent.errorText().toStdString();
    const QByteArray wire = server.wireLog();
    // This host has no name with a dot here; with one, the name is the greeting.
    EXPECT_TRUE(wire.startsWith("EHLO [IPv6:::1]\r\n") ||
                (wire.startsWith("EHLO ") && !wire.startsWith("EHLO [")))
        << wire.left(60).toStdString();
}

TEST_F(SendTest, CommandLineToolConvertsItsArgumentsFromTheLocale) {
    SmtpServer server;
    const QByteArray bodyPath = makeFile("body.txt", sjis(u"本文\uE63E"_s));
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LC_ALL", "C.UTF-8");
    tool.setProcessEnvironment(env);
    tool.start(BSENDMAIL_PATH,
               {server.hostPort(), kTo, kFrom, u"件名\uE63E"_s, homePath() + "/body.txt"});
    ASSERT_TRUE(tool.waitForFinished(60000));
    EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    const QJsonObject mail = server.inspect();
    EXPECT_EQ(fromHex(mail["subject_hex"]), sjis(u"件名\uE63E"_s));
    EXPECT_EQ(fromHex(onlyPart(mail)["payload_hex"]), sjis(u"本文\uE63E"_s));
    (void)bodyPath;

    // A refusal: exit status 1 and the library's text, in the locale, on stderr.
    tool.start(BSENDMAIL_PATH, {server.hostPort(), "", kFrom, "s", homePath() + "/body.txt"});
    ASSERT_TRUE(tool.waitForFinished(60000));
    EXPECT_EQ(tool.exitCode(), 1);
    EXPECT_TRUE(
        QString::fromUtf8(tool.readAllStandardError()).contains(u"宛先が入力されていません"_s));

    // A body file is taken as code page 932 bytes; the library refuses what is not.
    makeFile("bad.txt", "abc\x81");
    tool.start(BSENDMAIL_PATH, {server.hostPort(), kTo, kFrom, "s", homePath() + "/bad.txt"});
    ASSERT_TRUE(tool.waitForFinished(60000));
    EXPECT_EQ(tool.exitCode(), 1);
    EXPECT_TRUE(QString::fromUtf8(tool.readAllStandardError())
                    .contains(u"本文にシフトJISとして正しくない文字があります"_s));
    EXPECT_EQ(server.messageCount(), 1);
}

}  // namespace
}  // namespace bsmtp_test
