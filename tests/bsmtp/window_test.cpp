// The main window and bsendmail hand the same fields to the library and get the same
// answers: address lists typed into the To field go on unchanged.

#include <gtest/gtest.h>

#include <QApplication>
#include <QJsonArray>
#include <QKeyEvent>
#include <QProcess>
#include <QTest>
#include <QToolButton>

#include "bsmtp/smtp_fixture.h"
#include "composer/composer_window.h"
#include "program/application.h"
#include "support/test_support.h"
#include "toolkit/byte_limited_edit.h"
#include "toolkit/message_box.h"

using bsmtp_test::sjis;
using bsmtp_test::SmtpServer;

namespace {

const QString kFrom = QStringLiteral("送信者 <me@example.jp>");

class WindowAndTool : public ::testing::Test {
  protected:
    void SetUp() override {
        savedHome_ = qgetenv("HOME");
        qputenv("HOME", home_.path().toLocal8Bit());
    }
    void TearDown() override {
        program_.reset();
        qputenv("HOME", savedHome_);
    }

    TForm1* start(const QByteArray& server) {
        dir.write(QStringLiteral("mirvane.ini"),
                  "[Setting]\r\nSMTP=" + server + "\r\nFrom=" + sjis(kFrom) + "\r\n");
        program_ = std::make_unique<Application>();
        program_->show();
        TForm1* form = program_->forms().form1;
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form));
        return form;
    }

    // Key presses carrying each character, as an input method delivers Japanese text
    // (QTest::keyClicks knows ASCII keys only).
    static void type(QWidget* field, const QString& text) {
        field->setFocus();
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(field, &press);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(field, &release);
        }
    }

    // Types the mail as a user does and presses the send button; the error box's text, or
    // an empty string when none was shown.
    QString sendFromWindow(TForm1* form, const QString& to, const QString& subject) {
        form->Edit2->clear();
        form->Edit3->clear();
        type(form->Edit2, to);
        type(form->Edit3, subject);
        EXPECT_EQ(form->Edit2->text(), to);
        boxes.answer(toolkit::Answer::Ok);
        const qsizetype before = boxes.shown().size();
        QTest::mouseClick(form->SpeedButton181, Qt::LeftButton);
        return boxes.shown().size() > before ? boxes.shown().back().text : QString();
    }

    // The same through the command-line tool: its message, or empty after success.
    QString sendFromTool(const QByteArray& server, const QString& to, const QString& subject) {
        dir.write(QStringLiteral("body.txt"), "");
        QProcess tool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("LC_ALL", "C.UTF-8");
        env.insert("HOME", home_.path());
        tool.setProcessEnvironment(env);
        tool.start(BSENDMAIL_PATH, {QString::fromLatin1(server), to, kFrom, subject,
                                    dir.file(QStringLiteral("body.txt"))});
        EXPECT_TRUE(tool.waitForFinished(60000));
        if (tool.exitCode() == 0) {
            return {};
        }
        QString message = QString::fromUtf8(tool.readAllStandardError()).trimmed();
        return message.startsWith("bsendmail: ") ? message.mid(11) : message;
    }

    TempProgramDir dir;
    toolkit::MessageBoxScript boxes;

  private:
    QTemporaryDir home_;
    QByteArray savedHome_;
    std::unique_ptr<Application> program_;
};

TEST_F(WindowAndTool, SameAddressListsGoToTheSameRecipientsWithTheSameHeaders) {
    SmtpServer server({}, bsmtp_test::ServerCert::None);
    TForm1* form = start(server.url("smtp"));
    const QString to = QStringLiteral(
        "山田 太郎 <taro@example.jp>; \"Sato, Hanako\" <hanako@example.jp>, jiro@example.jp "
        "(次郎)");
    EXPECT_EQ(sendFromWindow(form, to, QStringLiteral("件名")), QString());
    EXPECT_EQ(sendFromTool(server.url("smtp"), to, QStringLiteral("件名")), QString());
    ASSERT_EQ(server.messageCount(), 2);
    const QJsonArray rcpts = {"taro@example.jp", "hanako@example.jp", "jiro@example.jp"};
    for (int n = 1; n <= 2; ++n) {
        EXPECT_EQ(server.envelope(n)["rcpt_tos"].toArray(), rcpts) << n;
        EXPECT_EQ(server.envelope(n)["mail_from"].toString(), "me@example.jp") << n;
    }
    const QJsonObject window = server.inspect(1)["modern"].toObject();
    const QJsonObject tool = server.inspect(2)["modern"].toObject();
    EXPECT_EQ(window["to"], tool["to"]);
    EXPECT_EQ(window["from"], tool["from"]);
    EXPECT_EQ(window["to"].toArray()[0].toObject()["display_name"].toString(),
              QStringLiteral("山田 太郎"));
    EXPECT_EQ(window["from"].toArray()[0].toObject()["display_name"].toString(),
              QStringLiteral("送信者"));
}

TEST_F(WindowAndTool, SameRefusalsWordForWord) {
    bsmtp_test::SilentListener listener;
    TForm1* form = start(listener.hostPort());
    const QStringList refused = {QStringLiteral("Taro <taro@example.jp"),
                                 QStringLiteral("山田 太郎"), QStringLiteral(" ; "),
                                 QStringLiteral("a@example.jp, b c@example.jp")};
    for (const QString& to : refused) {
        const QString fromWindow = sendFromWindow(form, to, QStringLiteral("s"));
        EXPECT_FALSE(fromWindow.isEmpty()) << to.toStdString();
        EXPECT_EQ(fromWindow, sendFromTool(listener.hostPort(), to, QStringLiteral("s")))
            << to.toStdString();
    }
    EXPECT_FALSE(listener.connectionAttempted());
}

}  // namespace
