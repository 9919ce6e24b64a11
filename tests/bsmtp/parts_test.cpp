// The library's parts on their own: conversions, the server setting, the netrc, the
// streamed message and the error texts.

#include "bsmtp/attachment.h"
#include "bsmtp/cp932_text.h"
#include "bsmtp/error_text.h"
#include "bsmtp/handset.h"
#include "bsmtp/media_type.h"
#include "bsmtp/message_source.h"
#include "bsmtp/mime.h"
#include "bsmtp/netrc.h"
#include "bsmtp/server_address.h"
#include "codepage/cp932_codec.h"

#include "smtp_fixture.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace bsmtp {
namespace {

using namespace Qt::StringLiterals;
using bsmtp_test::sjis;

TEST(Iso2022Jp, SwitchesModesAndEndsEveryLineInAscii) {
    EXPECT_EQ(toIso2022Jp(sjis(u"aあい\r\nb"_s)).value(), "a\x1b$B$\"$$\x1b(B\r\nb");
    EXPECT_EQ(toIso2022Jp(sjis(u"漢字"_s)).value(), "\x1b$B4A;z\x1b(B");
    EXPECT_EQ(toIso2022Jp("").value(), "");
    // The last cells of the kanji rows: 腕 (47-51), 熙 (84-6).
    EXPECT_TRUE(toIso2022Jp(sjis(u"腕熙"_s)).has_value());
}

TEST(Iso2022Jp, RefusesWhatJisX0208DoesNotHold) {
    EXPECT_FALSE(fitsIso2022Jp(sjis(u"ｱ"_s)));  // half-width katakana
    EXPECT_FALSE(fitsIso2022Jp(sjis(u"①"_s)));  // NEC row 13
    EXPECT_FALSE(fitsIso2022Jp("\xed\x40"));    // NEC-selected IBM extension
    EXPECT_FALSE(fitsIso2022Jp(sjis(u"ⅰ"_s)));  // IBM extension
    EXPECT_FALSE(fitsIso2022Jp("\xf8\x9f"));    // pictograph
    EXPECT_FALSE(fitsIso2022Jp("\x81\xad"));    // unassigned cell of row 2
    EXPECT_FALSE(fitsIso2022Jp("a\x1b(Jb"));    // an escape of its own
    EXPECT_FALSE(fitsIso2022Jp("\x82"));        // a lead byte without its trail
    EXPECT_FALSE(fitsIso2022Jp("\x80"));
}

TEST(Cp932, ConversionsAreExactOrRefused) {
    // Controls and 5C trail bytes as they are; pictographs in the private use area.
    const QByteArray bytes("\x1a\x1c\x7f\\\x95\x5c\xf8\x9f\xb1", 9);
    const QString text = u"\x1a\x1c\x7f\\表\uE63Eｱ"_s;
    EXPECT_EQ(decodeCp932(bytes).value(), text);
    EXPECT_EQ(encodeCp932(text).value(), bytes);
    EXPECT_FALSE(decodeCp932("a\x82").has_value());  // lead byte without its trail
    EXPECT_FALSE(decodeCp932("\x81\xad").has_value());
    EXPECT_FALSE(decodeCp932("\x80").has_value());
    EXPECT_FALSE(encodeCp932(u"\u00e9"_s).has_value());
}

TEST(LineEnds, EveryBreakBecomesCrLf) {
    EXPECT_EQ(normalizeLineEnds("a\rb\nc\r\nd\r\r\ne\n\r"), "a\r\nb\r\nc\r\nd\r\n\r\ne\r\n\r\n");
}

TEST(EncodedWords, NeverSplitACharacterAndKeepTheirLength) {
    // 60 characters with a pictograph and 5C trail bytes among them.
    const QByteArray text = sjis(QString(u"表示\uE63Eソabc"_s).repeated(10));
    for (Charset charset : {Charset::ShiftJis}) {
        const QList<QByteArray> words = encodedWords(text, charset, 67, 75);
        ASSERT_GE(words.size(), 3);
        QByteArray joined;
        for (int i = 0; i < words.size(); ++i) {
            EXPECT_LE(words[i].size(), i == 0 ? 67 : 75);
            const QByteArray inner = words[i].mid(14, words[i].size() - 16);
            const QByteArray bytes = QByteArray::fromBase64(inner);
            // Each word's bytes decode alone.
            EXPECT_TRUE(decodeCp932(bytes).has_value()) << words[i].toStdString();
            joined += bytes;
        }
        EXPECT_EQ(joined, text);
    }
    EXPECT_TRUE(encodedWords("", Charset::Iso2022Jp, 67, 75).isEmpty());
}

TEST(EncodedWords, IsoWordsEachStartAndEndInAscii) {
    const QByteArray text = sjis(QString(u"日本語のテキスト"_s).repeated(8));
    const QList<QByteArray> words = encodedWords(text, Charset::Iso2022Jp, 67, 75);
    ASSERT_GE(words.size(), 3);
    for (const QByteArray& word : words) {
        EXPECT_LE(word.size(), 75);
        const QByteArray jis = QByteArray::fromBase64(word.mid(16, word.size() - 18));
        EXPECT_TRUE(jis.startsWith("\x1b$B"));
        EXPECT_TRUE(jis.endsWith("\x1b(B"));
    }
}

TEST(Compose, JisLineOver998BytesGoesInBase64) {
    const MessageIds ids{QDateTime::currentDateTime(), "<id@x>", "=_b"};
    const QByteArray line =
        sjis(QString(u"長"_s).repeated(500));  // 1006 bytes in JIS, escapes included
    const QByteArray head = composeMessage({"f@x", "t@x", "s", line}, {}, ids).head;
    EXPECT_TRUE(head.contains("charset=ISO-2022-JP\r\nContent-Transfer-Encoding: base64"));
    const QByteArray shorter =
        composeMessage({"f@x", "t@x", "s", line.left(992)}, {}, ids).head;  // 998 with the escapes
    EXPECT_TRUE(shorter.contains("charset=ISO-2022-JP\r\nContent-Transfer-Encoding: 7bit"));
}

TEST(Handsets, DomainsDecideTheFormAndAMixedListGetsUnicode) {
    EXPECT_EQ(readerOfDomain("docomo.ne.jp"), Reader::IMode);
    EXPECT_EQ(readerOfDomain("EZweb.ne.jp"), Reader::Au);
    EXPECT_EQ(readerOfDomain("t.vodafone.ne.jp"), Reader::SoftBank);
    EXPECT_EQ(readerOfDomain("softbank.ne.jp"), Reader::SoftBank);
    // A smartphone service, and names that only end alike.
    EXPECT_EQ(readerOfDomain("i.softbank.jp"), Reader::Other);
    EXPECT_EQ(readerOfDomain("notdocomo.ne.jp"), Reader::Other);
    EXPECT_EQ(readerOfDomain("docomo.ne.jp.example.com"), Reader::Other);

    auto mail = [](std::initializer_list<const char*> addresses) {
        QList<Mailbox> list;
        for (const char* a : addresses) {
            list.append(Mailbox{{}, a});
        }
        return readerOfMail(list);
    };
    EXPECT_EQ(mail({"a@ezweb.ne.jp", "b@ezweb.ne.jp"}), Reader::Au);
    EXPECT_EQ(mail({"a@softbank.ne.jp", "b@k.vodafone.ne.jp"}), Reader::SoftBank);
    EXPECT_EQ(mail({"a@docomo.ne.jp", "b@ezweb.ne.jp"}), Reader::Other);
    EXPECT_EQ(mail({"a@docomo.ne.jp", "b@example.com"}), Reader::Other);
    EXPECT_EQ(mail({}), Reader::Other);

    // A lead byte cut off at the end stays as it is; only whole pictograph codes change.
    const QByteArray text = sjis(u"表\uE63E"_s) + "\xF8";
    EXPECT_EQ(forHandset(text, Reader::Au), sjis(u"表"_s) + "\xF6\x60\xF8");
    EXPECT_EQ(forHandset(text, Reader::IMode), text);
}

TEST(Rfc5322Date, EnglishNamesAndSignedOffset) {
    const QDateTime tokyo(QDate(2024, 3, 5), QTime(9, 4, 5), QTimeZone(9 * 3600));
    EXPECT_EQ(rfc5322Date(tokyo), "Tue, 05 Mar 2024 09:04:05 +0900");
    const QDateTime newfoundland(QDate(2023, 12, 31), QTime(23, 59, 0),
                                 QTimeZone(-(3 * 3600 + 1800)));
    EXPECT_EQ(rfc5322Date(newfoundland), "Sun, 31 Dec 2023 23:59:00 -0330");
}

TEST(ContentType, SystemTableFirstThenTheHandsetTypes) {
    // Debian's /etc/mime.types (media-types) has png and pdf but no 3gp.
    const MediaTypes& system = systemMediaTypes();
    ASSERT_FALSE(system.isEmpty()) << "/etc/mime.types is missing";
    EXPECT_EQ(contentTypeFor("a.jpg"), "image/jpeg");
    EXPECT_EQ(contentTypeFor("a.b.JPEG"), "image/jpeg");
    EXPECT_EQ(contentTypeFor("a.PNG"), "image/png");
    EXPECT_EQ(contentTypeFor("a.pdf"), "application/pdf");
    EXPECT_EQ(contentTypeFor("movie.3gp"), "video/3gpp");
    EXPECT_EQ(contentTypeFor("ring.amr"), "audio/amr");  // "audio/AMR" in the table
    EXPECT_EQ(contentTypeFor("jpg"), "application/octet-stream");
    EXPECT_EQ(contentTypeFor("a."), "application/octet-stream");

    // Without a system table the handset types still get theirs.
    const MediaTypes none;
    EXPECT_EQ(mediaTypeFor("a.png", none), "image/png");
    EXPECT_EQ(mediaTypeFor("a.GIF", none), "image/gif");
    EXPECT_EQ(mediaTypeFor("a.3gp", none), "video/3gpp");
    EXPECT_EQ(mediaTypeFor("a.mp4", none), "video/mp4");
    EXPECT_EQ(mediaTypeFor("a.pdf", none), "application/octet-stream");
}

TEST(ContentType, MimeTypesFileSyntax) {
    const MediaTypes table = parseMimeTypes(
        "# comment image/x-no no\n"
        "image/png png  PNG # trailing comment\n"
        "\timage/x-other\tpng other\r\n"
        "video/3gpp\n"
        "bad type x\n"
        "text/html\" htm\n"
        "Video/MP4 mp4");
    EXPECT_EQ(mediaTypeFor("a.png", table), "image/png");  // first line wins
    EXPECT_EQ(mediaTypeFor("a.other", table), "image/x-other");
    EXPECT_EQ(mediaTypeFor("a.mp4", table), "video/mp4");
    EXPECT_EQ(mediaTypeFor("a.no", table), "application/octet-stream");
    EXPECT_EQ(mediaTypeFor("a.x", table), "application/octet-stream");
    EXPECT_EQ(mediaTypeFor("a.htm", table), "application/octet-stream");
    EXPECT_EQ(table.size(), 3);  // png, other, mp4
}

TEST(ServerSetting, FormsAndPorts) {
    struct Case {
        const char* setting;
        const char* url;
        bool implicitTls;
        const char* host;
    };
    const Case cases[] = {
        {"mail.example.jp", "smtp://mail.example.jp:587", false, "mail.example.jp"},
        {"  mail.example.jp\t", "smtp://mail.example.jp:587", false, "mail.example.jp"},
        {"mail.example.jp:25", "smtp://mail.example.jp:25", false, "mail.example.jp"},
        {"mail.example.jp:465", "smtps://mail.example.jp:465", true, "mail.example.jp"},
        {"smtps://mail.example.jp", "smtps://mail.example.jp", true, "mail.example.jp"},
        {"SMTPS://mail.example.jp:2465/", "smtps://mail.example.jp:2465", true, "mail.example.jp"},
        {"smtp://mail.example.jp", "smtp://mail.example.jp", false, "mail.example.jp"},
        {"smtp://mail.example.jp:465", "smtp://mail.example.jp:465", false, "mail.example.jp"},
        {"[::1]:2525", "smtp://[::1]:2525", false, "::1"},
        {"::1", "smtp://[::1]:587", false, "::1"},
    };
    for (const Case& c : cases) {
        const ServerAddress a = parseServer(c.setting);
        EXPECT_EQ(a.problem, ServerAddress::Problem::None) << c.setting;
        EXPECT_EQ(a.url, c.url) << c.setting;
        EXPECT_EQ(a.implicitTls, c.implicitTls) << c.setting;
        EXPECT_EQ(a.host, c.host) << c.setting;
    }
    for (const char* bad : {"host:0", "host:65536", "host:", "user@host", "host/path", "host?x",
                            "smtp://", "smtp://host/ehlo", "ho st", "[::1", "[zz]:25", "h\xe9"}) {
        EXPECT_EQ(parseServer(bad).problem, ServerAddress::Problem::Malformed) << bad;
    }
    EXPECT_EQ(parseServer("http://host").problem, ServerAddress::Problem::BadScheme);
    EXPECT_EQ(parseServer("file:///etc/passwd").problem, ServerAddress::Problem::BadScheme);
    EXPECT_EQ(parseServer(" ").problem, ServerAddress::Problem::Empty);
}

TEST(ServerSetting, IpAddressesOnlyWhenWhole) {
    // Found by fuzzing: hex digits and colons that make no address reached libcurl.
    for (const char* bad : {"0e:28f:", "[0e:28f:]", "[0e:28f:]:25", "1.2.3:4:5", "[:::]", "::g"}) {
        EXPECT_EQ(parseServer(bad).problem, ServerAddress::Problem::Malformed) << bad;
    }
    EXPECT_EQ(parseServer("[2001:db8::1.2.3.4]:465").url, "smtps://[2001:db8::1.2.3.4]:465");
    EXPECT_EQ(parseServer("FE80::1").url, "smtp://[FE80::1]:587");
}

TEST(Netrc, MachineEntryWinsOverDefault) {
    const QByteArray text =
        "machine other.example login o password p\n"
        "macdef init\nmachine mail.example.jp login trap password trap\n\n"
        "machine MAIL.example.jp\n  login \"me too\" password \"pa\\\"ss word\"\n"
        "machine mail.example.jp login second password second\n"
        "default login anyone password any\n";
    const NetrcLookup mine = findCredentials(text, "mail.example.jp");
    ASSERT_TRUE(mine.found);
    EXPECT_EQ(mine.credentials.login, "me too");
    EXPECT_EQ(mine.credentials.password, "pa\"ss word");

    const NetrcLookup fallback = findCredentials(text, "unknown.example");
    ASSERT_TRUE(fallback.found);
    EXPECT_EQ(fallback.credentials.login, "anyone");

    EXPECT_FALSE(findCredentials("machine h password only\n", "h").found);
    EXPECT_FALSE(findCredentials("", "h").found);
    EXPECT_FALSE(findCredentials("machine", "h").found);
}

TEST(Netrc, FileMustBeTheUsersAlone) {
    QTemporaryDir dir;
    const QString path = dir.path() + "/.netrc";
    const QByteArray local = QFile::encodeName(path);
    EXPECT_EQ(lookUpNetrc(path, "h").problem, NetrcLookup::Problem::None);  // missing
    EXPECT_FALSE(lookUpNetrc(path, "h").found);

    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("machine h login u password p\n");
    f.close();
    for (mode_t mode : {0644, 0640, 0604, 0660, 0602}) {
        ::chmod(local.constData(), mode);
        EXPECT_EQ(lookUpNetrc(path, "h").problem, NetrcLookup::Problem::OthersCanRead) << mode;
    }
    ::chmod(local.constData(), 0600);
    const NetrcLookup ok = lookUpNetrc(path, "h");
    EXPECT_EQ(ok.problem, NetrcLookup::Problem::None);
    EXPECT_EQ(ok.credentials.password, "p");

    // A FIFO in its place is refused at once, not waited on.
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_EQ(::mkfifo(local.constData(), 0600), 0);
    EXPECT_EQ(lookUpNetrc(path, "h").problem, NetrcLookup::Problem::NotRegular);
}

// The message read through the source in pieces of `capacity` bytes.
QByteArray drain(MessageSource& source, qint64 capacity, bool* failed = nullptr) {
    QByteArray out;
    QByteArray buffer(capacity, '\0');
    for (;;) {
        const qint64 n = source.read(buffer.data(), capacity);
        if (n < 0) {
            if (failed != nullptr) {
                *failed = true;
            }
            return out;
        }
        if (n == 0) {
            return out;
        }
        out += buffer.left(n);
    }
}

class MessageSourceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        content_.resize(3 * 65550 + 58);
        for (qsizetype i = 0; i < content_.size(); ++i) {
            content_[i] = static_cast<char>((i * 7919) >> 3);
        }
        path_ = dir_.path() + "/f.bin";
        QFile f(path_);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content_);
    }

    Attachment open() { return openAttachment(sjis(path_)); }

    MessageFrame frame() {
        MessageIds ids{QDateTime::currentDateTime(), "<id@x>", "=_b"};
        return composeMessage({"f@x", "t@x", "s", "body"}, "f.bin", ids);
    }

    QTemporaryDir dir_;
    QString path_;
    QByteArray content_;
};

TEST_F(MessageSourceTest, StreamedMessageIsTheFrameAroundTheBase64OfTheFile) {
    for (qint64 capacity : {1, 77, 4096, 65536, 1 << 20}) {
        Attachment a = open();
        ASSERT_EQ(a.problem, Attachment::Problem::None);
        const MessageFrame f = frame();
        MessageSource source(f, a.file.fd(), a.size);
        const QByteArray message = drain(source, capacity);
        EXPECT_TRUE(source.finished());
        EXPECT_EQ(message.size(), source.totalSize());
        ASSERT_TRUE(message.startsWith(f.head));
        ASSERT_TRUE(message.endsWith(f.tail));
        const QByteArray base64 =
            message.mid(f.head.size(), message.size() - f.head.size() - f.tail.size());
        EXPECT_EQ(QByteArray::fromBase64(base64), content_);
        for (const QByteArray& line : base64.split('\n')) {
            EXPECT_LE(line.size(), 77);  // 76 and the CR
        }
    }
}

TEST_F(MessageSourceTest, FileThatShrinksOrGrowsWhileSendingAbortsTheMail) {
    for (qint64 newSize : {content_.size() - 1, content_.size() + 1, qint64(0)}) {
        Attachment a = open();
        ASSERT_EQ(a.problem, Attachment::Problem::None);
        ASSERT_EQ(::truncate(QFile::encodeName(path_).constData(), newSize), 0);
        MessageSource source(frame(), a.file.fd(), a.size);
        bool failed = false;
        drain(source, 65536, &failed);
        EXPECT_TRUE(failed) << newSize;
        EXPECT_EQ(source.failure(), MessageSource::Failure::FileChanged);
        EXPECT_FALSE(source.finished());
        ASSERT_EQ(::truncate(QFile::encodeName(path_).constData(), content_.size()), 0);
        QFile f(path_);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content_);
    }
}

TEST(ErrorText, ARefusalIsNamedByTheReplyBeforeTheCommandItAnswered) {
    auto refusal = [](Stage stage, const char* reply) {
        SendOutcome o;
        o.code = CURLE_SEND_ERROR;
        o.greeted = true;
        o.stage = stage;
        o.replyLine = reply;
        o.replyCode = QByteArray(reply).left(3).toInt();
        return cp932_codec::decodeLenient(sendError(o, "mail.example.jp", {}));
    };
    const struct {
        Stage stage;
        const char* reply;
        QString start;
    } cases[] = {
        {Stage::Rcpt, "552 5.2.2 <a@b.jp>: Mailbox full", u"宛先を受け付けられませんでした: 552"_s},
        {Stage::Mail, "552 5.3.4 Message size exceeds fixed limit",
         u"メールのサイズを受け付けられませんでした: 552"_s},
        {Stage::Data, "554 5.3.4 Message too big for system",
         u"メールのサイズを受け付けられませんでした: 554"_s},
        {Stage::Rcpt, "553 5.1.8 <me@nowhere.invalid>: Domain not found",
         u"差出人のアドレスを受け付けられませんでした: 553"_s},
        {Stage::Rcpt, "504 5.5.2 <vm>: Helo command rejected: need fully-qualified hostname",
         u"EHLOのホスト名を受け付けられませんでした: 504"_s},
        {Stage::Ehlo, "501 5.5.4 Syntax: EHLO hostname",
         u"EHLOのホスト名を受け付けられませんでした: 501"_s},
        {Stage::Data, "554 5.7.1 Spam", u"メールを受け付けられませんでした: 554"_s},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(refusal(c.stage, c.reply).startsWith(c.start)) << c.reply;
    }
}

TEST(ErrorText, CutsOnCharacterBoundariesAndMakesOnlyPrintableServerText) {
    const QByteArray kanji = sjis(QString(u"漢"_s).repeated(50));
    EXPECT_EQ(fitError(kanji).size(), 80);
    EXPECT_EQ(fitError("a" + kanji).size(), 79);
    EXPECT_EQ(fitError("short"), "short");
    EXPECT_EQ(printable("550 \x1b[31mred\x01\xff "), "550 ?[31mred??");

    char buffer[81];
    std::memset(buffer, 'z', sizeof buffer);
    writeError(buffer, "a" + kanji);
    EXPECT_EQ(QByteArray(buffer), "a" + kanji.left(78));
}

}  // namespace
}  // namespace bsmtp
