// Mails with extensions, half-width kana and pictographs to each kind of recipient, read
// back by every mail parser; every other mail the send tests deliver is read back the same
// way when its server stops.

#include "mail_readers.h"
#include "smtp_fixture.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QStringList>

namespace bsmtp_test {
namespace {

using namespace Qt::StringLiterals;

void readEveryReceivedMail(const QStringList& files, const QList<SentMail>& sent) {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    if (QByteArrayView(test->test_suite_name()) == "DecoderTest") {
        return;  // its mails are read with names of their own
    }
    QStringList names;
    for (qsizetype n = 1; n <= files.size(); ++n) {
        names << QString::fromUtf8(test->name()) + " #" + QString::number(n);
    }
    expectReadAsSent(files, sent, names);
}

const bool kEveryMailIsRead = (setReceivedMailsCheck(&readEveryReceivedMail), true);

const QByteArray kFrom = "sender@example.jp";

class DecoderTest : public BsmtpTest {};

TEST_F(DecoderTest, EachKindOfRecipientReadsWhatWasTyped) {
    ASSERT_TRUE(kEveryMailIsRead);
    // ① and ㈱ (NEC row 13), 髙 as the IBM code FB FC and as the NEC-selected EE E0, ⅰ
    // (IBM), half-width kana; pictographs: ☀ (F89F, on every carrier), the running shirt
    // (F8B3, on no other carrier), i-appli (U+E6D1, no standard emoji) and the last one.
    const QByteArray subject = sjis(u"①㈱ｶﾅ\uE63E"_s) + "\xFB\xFC";
    const QByteArray body = sjis(u"晴れ\uE63E ①㈱ ⅰ ﾊﾝｶｸｶﾀｶﾅ\r\n"_s) + "\xFB\xFC\xEE\xE0" +
                            sjis(u"\uE652\uE6D1 終わり\uE757\r\n"_s);
    const QString fileName = u"写真①\uE63E.jpg"_s;

    const QList<QByteArray> recipients = {
        "taro@docomo.ne.jp",
        "taro@ezweb.ne.jp",
        "taro@softbank.ne.jp",
        "taro@t.vodafone.ne.jp",
        "taro@example.com",
        "taro@i.softbank.jp",
        "a@docomo.ne.jp, b@DOCOMO.ne.jp",  // one carrier: its form
        "a@docomo.ne.jp, b@ezweb.ne.jp",   // two carriers: Unicode
        "a@ezweb.ne.jp, b@example.com",    // handset and PC: Unicode
    };
    SmtpServer server;
    const QByteArray path = makeFile(fileName, "picture");
    for (const QByteArray& to : recipients) {
        const SendResult sent = sendMail(server.hostPort(), to, kFrom, subject, body, path);
        ASSERT_EQ(sent.result, 1) << to.toStdString() << sent.errorText().toStdString();
    }
    // Mails without pictographs: only half-width kana and an extension.
    const QByteArray kana = sjis(u"ｶﾀｶﾅと①"_s);
    for (const QByteArray& to : {QByteArray("taro@docomo.ne.jp"), QByteArray("taro@example.com")}) {
        ASSERT_EQ(sendMail(server.hostPort(), to, kFrom, kana, kana).result, 1);
    }

    QStringList files;
    QList<SentMail> sent;
    QStringList names;
    for (int n = 1; n <= recipients.size(); ++n) {
        files << server.messagePath(n);
        sent.append({recipients[n - 1], subject, body, path});
        names << "pictographs, extensions, kana to " + QString(recipients[n - 1]);
    }
    for (int n = 1; n <= 2; ++n) {
        files << server.messagePath(recipients.size() + n);
        sent.append({n == 1 ? "taro@docomo.ne.jp" : "taro@example.com", kana, kana, {}});
        names << QString("kana and ① only to ") +
                     (n == 1 ? "taro@docomo.ne.jp" : "taro@example.com");
    }
    expectReadAsSent(files, sent, names);

    // The carriers' own codes, spelled out: ☀ is F660 on au (U+E488 in the user-defined
    // area) and F98B on SoftBank (U+E6E6); the running shirt is a name on both; the standard
    // emoji U+2600 and U+1F3BD everywhere else.
    const QList<QList<Reading>> read =
        readWithEveryReader({server.messagePath(1), server.messagePath(2), server.messagePath(3),
                             server.messagePath(5)});
    const Reading& imode = read[0][0];
    const Reading& au = read[0][1];
    const Reading& softBank = read[0][2];
    const Reading& pc = read[0][3];
    EXPECT_TRUE(imode.body.startsWith(u"晴れ\uE63E"_s));
    EXPECT_TRUE(au.body.startsWith(u"晴れ\uE488"_s));
    EXPECT_TRUE(au.body.contains(u"〔長距離走〕"_s));
    EXPECT_TRUE(softBank.body.startsWith(u"晴れ\uE6E6"_s));
    EXPECT_TRUE(softBank.body.contains(u"〔長距離走〕"_s));
    EXPECT_TRUE(pc.body.startsWith(u"晴れ\u2600"_s));
    EXPECT_TRUE(pc.body.contains(u"\U0001F3BD〓 終わり\U0001F631"_s)) << pc.body.toStdString();
    EXPECT_EQ(pc.fileName, u"写真①\u2600.jpg"_s);
    EXPECT_EQ(pc.subject, u"①㈱ｶﾅ\u2600髙"_s);

    // On the wire: Shift_JIS only for handsets, UTF-8 (never Shift_JIS) for the rest.
    EXPECT_EQ(server.inspect(1)["parts"].toArray()[0].toObject()["charset"].toString(),
              "Shift_JIS");
    EXPECT_EQ(server.inspect(5)["parts"].toArray()[0].toObject()["charset"].toString(), "UTF-8");
    EXPECT_EQ(server.inspect(11)["parts"].toArray()[0].toObject()["charset"].toString(), "UTF-8");
}

}  // namespace
}  // namespace bsmtp_test
