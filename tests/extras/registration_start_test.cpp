#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTest>

#include "composer/composer_window.h"
#include "program/application.h"
#include "support/running_program.h"
#include "support/test_support.h"
#include "toolkit/message_box.h"
#include "toolkit/process_starter.h"

namespace {

class RegistrationStart : public RunningProgram {
  protected:
    void chooseRegistration() {
        choose(form1->N1, Qt::Key_G);
        QApplication::processEvents();
    }
};

}  // namespace

TEST_F(RegistrationStart, StartsTheToolBesideTheProgramWithoutArguments) {
    toolkit::ProcessStartScript starts;
    chooseRegistration();
    ASSERT_EQ(starts.started().size(), 1);
    EXPECT_EQ(starts.started().front(), dir.file(QStringLiteral("emoji.exe")));
    EXPECT_TRUE(toolkit::MessageBoxScript::active()->shown().isEmpty());
}

TEST_F(RegistrationStart, AToolThatCannotStartIsReportedEachTime) {
    toolkit::MessageBoxScript boxes;
    boxes.answer(toolkit::Answer::Ok);
    boxes.answer(toolkit::Answer::Ok);
    // Really started: the program directory holds no emoji.exe.
    chooseRegistration();
    chooseRegistration();
    ASSERT_EQ(boxes.shown().size(), 2);
    for (const toolkit::ShownBox& box : boxes.shown()) {
        EXPECT_EQ(box.text, QStringLiteral("emoji.exeが見つかりません。"));
        EXPECT_EQ(box.icon, toolkit::Icon::Error);
        EXPECT_EQ(box.caption, QStringLiteral("エラー"));
        EXPECT_EQ(box.buttons, QList<toolkit::Button>{toolkit::Button::Ok});
    }
    // A start the platform refuses for another reason says the same.
    toolkit::ProcessStartScript starts;
    starts.setFailing(true);
    boxes.answer(toolkit::Answer::Ok);
    chooseRegistration();
    EXPECT_EQ(boxes.shown().size(), 3);
}

TEST_F(RegistrationStart, AnExecutableToolIsStartedAndNotWaitedFor) {
    // A stand-in tool: notes its arguments and working directory, then waits for the
    // test to let it go and notes that it ended.
    const QString started = dir.file(QStringLiteral("started"));
    const QString release = dir.file(QStringLiteral("release"));
    const QString ended = dir.file(QStringLiteral("ended"));
    dir.write(QStringLiteral("emoji.exe"),
              QStringLiteral(
                  "#!/bin/sh\n"
                  "echo \"$#:$(pwd)\" > '%1.tmp' && mv '%1.tmp' '%1'\n"
                  "i=0; while [ ! -e '%2' ] && [ $i -lt 300 ]; do sleep 0.1; i=$((i+1)); done\n"
                  "touch '%3'\n")
                  .arg(started, release, ended)
                  .toUtf8());
    QFile::setPermissions(dir.file(QStringLiteral("emoji.exe")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    chooseRegistration();
    // Back from the command while the tool still runs.
    EXPECT_FALSE(QFile::exists(ended));
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(started); }, 20000));
    EXPECT_EQ(dir.read(QStringLiteral("started")).trimmed(), "0:" + QDir::currentPath().toUtf8());
    dir.write(QStringLiteral("release"), "");
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(ended); }, 20000));
}
