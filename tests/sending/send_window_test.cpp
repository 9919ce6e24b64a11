#include <gtest/gtest.h>

#include <QDir>
#include <QJsonArray>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "bsmtp/smtp_fixture.h"
#include "composer/composer_window.h"
#include "program/application.h"
#include "support/drop_support.h"
#include "support/test_support.h"
#include "toolkit/beep.h"
#include "toolkit/byte_limited_edit.h"
#include "toolkit/file_dialog.h"
#include "toolkit/message_box.h"
#include "toolkit/status_bar.h"

using bsmtp_test::sjis;
using bsmtp_test::SmtpServer;

namespace {

// The main window of a program whose settings send to `server`, with HOME in a
// temporary directory so that no user's netrc is read.
class Sending : public ::testing::Test {
  protected:
    void SetUp() override {
        savedHome_ = qgetenv("HOME");
        qputenv("HOME", home_.path().toLocal8Bit());
    }
    void TearDown() override {
        program_.reset();
        qputenv("HOME", savedHome_);
    }

    // `before`: bytes in front of the settings file's first line.
    TForm1* start(const QByteArray& server, const QByteArray& settings = {},
                  const QByteArray& before = {}) {
        dir.write(QStringLiteral("mirvane.ini"),
                  before + "[Setting]\r\nSMTP=" + server + "\r\nFrom=me@example.jp\r\n" + settings);
        program_ = std::make_unique<Application>();
        program_->show();
        TForm1* form = program_->forms().form1;
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form));
        return form;
    }
    static void fill(TForm1* form, const QString& to, const QString& subject, const QString& body) {
        form->Edit2->setText(to);
        form->Edit3->setText(subject);
        form->Memo1->setText(body);
    }
    // The send button, clicked.
    static void send(TForm1* form) { QTest::mouseClick(form->SpeedButton181, Qt::LeftButton); }
    // Edit menu, "添付ファイル挿入(&F)..." and "添付ファイル削除(&D)".
    static void attachFromDialog(TForm1* form) { chooseFromMenu(form, form->Edit1, Qt::Key_F); }
    static void removeAttachment(TForm1* form) { chooseFromMenu(form, form->Edit1, Qt::Key_D); }
    // Files from a file manager, dropped on the body.
    static void drop(TForm1* form, const QStringList& paths) {
        std::unique_ptr<QMimeData> data(fileManagerData(paths));
        platformDrop(form->Memo1->viewport(), {5, 5}, data.get());
    }
    static QByteArray receivedBody(const SmtpServer& server, int n) {
        const QJsonObject mail = server.inspect(n);
        return bsmtp_test::fromHex(mail["parts"].toArray().at(0).toObject()["text_hex"]);
    }
    // The history without its first line, which holds the time of sending.
    QByteArray historyAfterDate() const {
        const QByteArray log = dir.read(QStringLiteral("log.txt"));
        EXPECT_TRUE(log.startsWith(sjis(QStringLiteral("日付："))));
        return log.mid(log.indexOf("\r\n") + 2);
    }

    TempProgramDir dir;
    toolkit::MessageBoxScript boxes;
    toolkit::BeepRecorder beeps;

  private:
    QTemporaryDir home_;
    QByteArray savedHome_;
    std::unique_ptr<Application> program_;
};

}  // namespace

TEST_F(Sending, ASentMailIsRecordedAndTheComposerReset) {
    SmtpServer server({}, bsmtp_test::ServerCert::None);
    TForm1* form = start(server.url("smtp"));
    dir.write(QStringLiteral("photo.jpg"), QByteArray(300, 'j'));
    toolkit::FileDialogScript dialog;
    dialog.answer(dir.file(QStringLiteral("photo.jpg")));
    attachFromDialog(form);
    // To an i-mode handset the pictograph goes as the code the palette inserted.
    fill(form, QStringLiteral("taro@docomo.ne.jp"), QStringLiteral("こんにちは"),
         QStringLiteral("本文") + QChar(0xE63E) + QStringLiteral("\r\n二行目"));

    // While the library works the state panel says so and the window takes no typing.
    QString during;
    QString typedDuring;
    QTimer::singleShot(0, form, [&] {
        during = form->StatusBar1->panelText(2);
        form->Memo1->setFocus();
        QTest::keyClicks(form->Memo1, QStringLiteral("zz"));
        typedDuring = form->Memo1->text();
    });
    send(form);

    ASSERT_EQ(server.messageCount(), 1);
    EXPECT_EQ(receivedBody(server, 1),
              sjis(QStringLiteral("本文") + QChar(0xE63E) + QStringLiteral("\r\n二行目")));
    EXPECT_EQ(during, QStringLiteral("メール送信中"));
    EXPECT_FALSE(typedDuring.contains(QStringLiteral("zz")));
    EXPECT_EQ(form->StatusBar1->panelText(2), QStringLiteral("送信完了"));
    EXPECT_EQ(beeps.messageBeeps(), QList<unsigned>{0});
    EXPECT_EQ(
        historyAfterDate(),
        sjis(QStringLiteral("宛先：[taro@docomo.ne.jp]\r\n題名：こんにちは\r\n添付：photo.jpg\r\n"
                            "本文：本文") +
             QChar(0xE63E) + QStringLiteral("\r\n二行目\r\n\r\n\r\n")));
    // Reset, with D1 left enabled.
    EXPECT_TRUE(form->isBlank());
    EXPECT_EQ(form->Label3->text(), QStringLiteral("0"));
    EXPECT_EQ(form->StatusBar1->panelText(1), QStringLiteral("添付：なし"));
    EXPECT_TRUE(form->D1->isEnabled());
    EXPECT_TRUE(boxes.shown().isEmpty());
}

TEST_F(Sending, AutomaticSignatureIsAddedAtEverySendAlsoAfterAFailure) {
    TForm1* form = start("127.0.0.1:" + QByteArray::number(bsmtp_test::closedPort()),
                         "Signature(Automatic)=1\r\nSignature=--\tsig\r\n");
    fill(form, QStringLiteral("a@example.jp"), QString(), QString());
    boxes.answer(toolkit::Answer::Ok);
    send(form);
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(boxes.shown()[0].caption, QStringLiteral("エラー"));
    EXPECT_EQ(boxes.shown()[0].text,
              QStringLiteral("SMTPサーバーに接続を拒否されました: 127.0.0.1"));
    EXPECT_EQ(form->Memo1->text(), QStringLiteral("\r\n--\r\nsig"));
    EXPECT_EQ(form->StatusBar1->panelText(2), QStringLiteral("メール作成中"));
    EXPECT_TRUE(beeps.messageBeeps().isEmpty());
    EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("log.txt"))));

    boxes.answer(toolkit::Answer::Ok);
    send(form);
    EXPECT_EQ(form->Memo1->text(), QStringLiteral("\r\n--\r\nsig\r\n--\r\nsig"));
    EXPECT_EQ(form->Label3->text(), QString::number(form->Memo1->byteLength()));
}

TEST_F(Sending, WithoutClearingTheSameMailGoesAgainAndNoHistoryWhenOff) {
    SmtpServer server({}, bsmtp_test::ServerCert::None);
    TForm1* form = start(server.url("smtp"), "AutomaticalClear=0\r\nMakeLogFile=0\r\nBeep=0\r\n");
    fill(form, QStringLiteral("a@example.jp"), QStringLiteral("s"), QStringLiteral("same"));
    send(form);
    send(form);
    ASSERT_EQ(server.messageCount(), 2);
    // A 7-bit text part ends with its last line's CR LF.
    EXPECT_EQ(receivedBody(server, 2), QByteArray("same\r\n"));
    EXPECT_EQ(form->Memo1->text(), QStringLiteral("same"));
    EXPECT_EQ(form->StatusBar1->panelText(2), QStringLiteral("送信完了"));
    EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("log.txt"))));
    EXPECT_TRUE(beeps.messageBeeps().isEmpty());
}

TEST_F(Sending, HistoryKeepsOldEntriesBelowWithCrLfLineEnds) {
    SmtpServer server({}, bsmtp_test::ServerCert::None);
    TForm1* form = start(server.url("smtp"));
    dir.write(QStringLiteral("log.txt"), "old1\nold2\rold3");
    fill(form, QStringLiteral("a@example.jp"), QString(), QStringLiteral("b\r\n"));
    send(form);
    EXPECT_EQ(historyAfterDate(),
              sjis(QStringLiteral("宛先：[a@example.jp]\r\n題名：\r\n本文：b\r\n"
                                  "\r\n\r\n\r\nold1\r\nold2\r\nold3\r\n")));
}

TEST_F(Sending, SettingsAndHistoryAnEditorSavedWithAUtf8SignatureAreReadWhole) {
    SmtpServer server({}, bsmtp_test::ServerCert::None);
    const QByteArray signature = "\xEF\xBB\xBF";
    TForm1* form = start(server.url("smtp"), {}, signature);
    dir.write(QStringLiteral("log.txt"), signature + "old\r\n");
    fill(form, QStringLiteral("a@example.jp"), QString(), QStringLiteral("b"));
    send(form);
    // The server came from the first section, behind the signature.
    EXPECT_EQ(server.messageCount(), 1);
    EXPECT_EQ(historyAfterDate(),
              sjis(QStringLiteral("宛先：[a@example.jp]\r\n題名：\r\n本文：b\r\n\r\n\r\nold\r\n")));
}

TEST_F(Sending, AnUnwritableHistoryIsReportedAndTheMailStays) {
    SmtpServer server({}, bsmtp_test::ServerCert::None);
    TForm1* form = start(server.url("smtp"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("log.txt")));
    fill(form, QStringLiteral("a@example.jp"), QStringLiteral("s"), QStringLiteral("kept"));
    boxes.answer(toolkit::Answer::Ok);
    send(form);
    EXPECT_EQ(server.messageCount(), 1);
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(boxes.shown()[0].caption, QStringLiteral("Mirvane"));
    EXPECT_EQ(boxes.shown()[0].text,
              QStringLiteral("ファイル %1 は開けません.").arg(dir.file(QStringLiteral("log.txt"))));
    EXPECT_EQ(form->Memo1->text(), QStringLiteral("kept"));
    EXPECT_EQ(form->StatusBar1->panelText(2), QStringLiteral("送信完了"));
}

TEST_F(Sending, AttachmentCommandsAndTheirPanelTexts) {
    TForm1* form = start("unused");
    dir.write(QStringLiteral("empty.bin"), QByteArray());
    toolkit::FileDialogScript dialog;
    dialog.answer(dir.file(QStringLiteral("empty.bin")));
    dialog.answer(std::nullopt);
    attachFromDialog(form);
    EXPECT_EQ(form->StatusBar1->panelText(1), QStringLiteral("添付：empty.bin (ﾊﾞｲﾄ)"));
    EXPECT_TRUE(form->D1->isEnabled());
    // Cancelling keeps what is attached; the dialog opened on it with the two filters.
    attachFromDialog(form);
    ASSERT_EQ(dialog.shown().size(), 2);
    EXPECT_EQ(dialog.shown()[1].preset, dir.file(QStringLiteral("empty.bin")));
    ASSERT_EQ(dialog.shown()[1].filters.size(), 2);
    EXPECT_EQ(dialog.shown()[1].filters[0].caption, QStringLiteral("全てのファイル(*.*)"));
    EXPECT_EQ(dialog.shown()[1].filters[1].mask, QStringLiteral("*.jpg"));
    EXPECT_FALSE(dialog.shown()[1].mustExist);
    EXPECT_EQ(form->attachmentPath(), dir.file(QStringLiteral("empty.bin")));

    // A drop takes its first file only, in the plain-digit form; a folder counts 0.
    drop(form, {dir.path(), dir.file(QStringLiteral("empty.bin"))});
    EXPECT_EQ(form->attachmentPath(), dir.path());
    EXPECT_EQ(form->StatusBar1->panelText(1),
              QStringLiteral("添付：") + QDir(dir.path()).dirName() + QStringLiteral(" (0ﾊﾞｲﾄ)"));
    // The pointer over the status bar shows the attachment panel's text as its tip.
    QTest::mouseMove(form->StatusBar1);
    EXPECT_EQ(form->StatusBar1->toolTip(), form->StatusBar1->panelText(1));

    removeAttachment(form);
    EXPECT_TRUE(form->attachmentPath().isEmpty());
    EXPECT_EQ(form->StatusBar1->panelText(1), QStringLiteral("添付：なし"));
    EXPECT_FALSE(form->D1->isEnabled());

    // A name the mail cannot carry is refused with a message.
    boxes.answer(toolkit::Answer::Ok);
    drop(form, {QStringLiteral("/tmp/café.jpg")});
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(boxes.shown()[0].caption, QStringLiteral("エラー"));
    EXPECT_EQ(boxes.shown()[0].text,
              QStringLiteral("このファイル名には送信できない文字が含まれています。\r\n"
                             "ファイル名を変えてから添付して下さい。"));
    EXPECT_TRUE(form->attachmentPath().isEmpty());
}
