#include <gtest/gtest.h>

#include "bsmtp/smtp_fixture.h"
#include "sending/send_step.h"

using bsmtp_test::sjis;

// A failed send only reports, whatever the settings; after a sent one each setting
// adds its own step, and the history keeps the mail as it went out.
TEST(SendStep, AFailureOnlyReportsAndEachSettingAddsItsStepAfterASend) {
    send_command::Settings all;
    all.server = "smtp.example.jp";
    all.from = "me@example.jp";
    all.signature = sjis(QStringLiteral("署名"));
    all.automaticSignature = all.makeLogFile = all.automaticalClear = all.beep = true;
    const send_command::Composed mail{QStringLiteral("taro@docomo.ne.jp"), QStringLiteral("題名"),
                                      QStringLiteral("本文\r\n二行目"),
                                      QStringLiteral("/tmp/a.jpg"), QStringLiteral("宛先：太郎")};

    EXPECT_EQ(send_command::signedBody(mail.body, all), mail.body + QStringLiteral("\r\n署名"));
    const send_command::Mail library = send_command::libraryMail(mail, all);
    EXPECT_EQ(library.server, all.server);
    EXPECT_EQ(library.from, all.from);
    EXPECT_EQ(library.to, QByteArray("taro@docomo.ne.jp"));
    EXPECT_EQ(library.subject, sjis(mail.subject));
    EXPECT_EQ(library.body, sjis(mail.body));

    const send_command::Steps failed =
        send_command::afterCall(mail, all, {false, sjis(QStringLiteral("接続できません"))});
    EXPECT_EQ(failed.errorBox, QStringLiteral("接続できません"));
    EXPECT_EQ(failed.status, QStringLiteral("メール作成中"));
    EXPECT_FALSE(failed.beep || failed.historyEntry || failed.reset);

    const send_command::Steps sent = send_command::afterCall(mail, all, {true, {}});
    EXPECT_FALSE(sent.errorBox);
    EXPECT_EQ(sent.status, QStringLiteral("送信完了"));
    EXPECT_TRUE(sent.beep && sent.reset);
    ASSERT_TRUE(sent.historyEntry);
    EXPECT_EQ(sent.historyEntry->recipientPanel, mail.recipientPanel);
    EXPECT_EQ(sent.historyEntry->to, mail.to);
    EXPECT_EQ(sent.historyEntry->subject, mail.subject);
    EXPECT_EQ(sent.historyEntry->attachmentPath, mail.attachmentPath);
    EXPECT_EQ(sent.historyEntry->body, mail.body);

    // Each setting off alone drops its own step and no other.
    using S = send_command::Settings;
    bool S::*const flags[] = {&S::automaticSignature, &S::makeLogFile, &S::automaticalClear,
                              &S::beep};
    for (int off = 0; off < 4; ++off) {
        S one = all;
        one.*flags[off] = false;
        const send_command::Steps steps = send_command::afterCall(mail, one, {true, {}});
        EXPECT_EQ(send_command::signedBody(mail.body, one).has_value(), off != 0) << off;
        EXPECT_EQ(steps.historyEntry.has_value(), off != 1) << off;
        EXPECT_EQ(steps.reset, off != 2) << off;
        EXPECT_EQ(steps.beep, off != 3) << off;
        EXPECT_EQ(steps.status, QStringLiteral("送信完了")) << off;
    }
}
