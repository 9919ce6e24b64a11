// The real program on a real X display under a real window manager, driven by real
// input: every way of ending it goes through the close request, and a mail kept at
// the end is offered again at the next start.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "app/ini_document.h"
#include "toolkit/cp932.h"

namespace {

// An X server of its own, with openbox on it.
class Desktop {
  public:
    Desktop() {
        // The server picks a free display itself and says which on its output.
        x_.start(QStringLiteral("Xvfb"),
                 {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                  QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                  QStringLiteral("tcp")});
        QByteArray number;
        for (int i = 0; i < 300 && !number.endsWith('\n') && x_.state() != QProcess::NotRunning;
             ++i) {
            x_.waitForReadyRead(100);
            number += x_.readAllStandardOutput();
        }
        if (!number.trimmed().isEmpty())
            display_ = QLatin1Char(':') + QString::fromLatin1(number.trimmed());
        EXPECT_FALSE(display_.isEmpty()) << "no X server";
        wm_.setProcessEnvironment(environment());
        wm_.start(QStringLiteral("openbox"), {});
        EXPECT_TRUE(wm_.waitForStarted());
        // openbox manages the screen once it has set its supporting-check window.
        bool managed = false;
        for (int i = 0; i < 100 && !managed; ++i) {
            managed = xprop().contains("_NET_SUPPORTING_WM_CHECK(WINDOW)");
            if (!managed)
                QThread::msleep(50);
        }
        EXPECT_TRUE(managed) << "openbox did not start";
    }
    ~Desktop() {
        for (QProcess* p : {&wm_, &x_}) {
            p->terminate();
            if (!p->waitForFinished(3000)) {
                p->kill();
                p->waitForFinished();
            }
        }
    }

    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display_);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.remove(QStringLiteral("SESSION_MANAGER"));
        return env;
    }

    struct Result {
        bool ok = false;
        QByteArray out;
    };
    Result xdo(const QStringList& args, int timeoutMs = 10000) const {
        QProcess p;
        p.setProcessEnvironment(environment());
        p.start(QStringLiteral("xdotool"), args);
        if (!p.waitForFinished(timeoutMs)) {
            p.kill();
            p.waitForFinished();
            return {};
        }
        return {p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0,
                p.readAllStandardOutput().trimmed()};
    }
    QByteArray xprop() const {
        QProcess p;
        p.setProcessEnvironment(environment());
        p.start(QStringLiteral("xprop"), {QStringLiteral("-root")});
        p.waitForFinished(3000);
        return p.readAllStandardOutput();
    }
    // Waits for a visible window whose name matches `pattern` and gives it the focus.
    QByteArray activate(const QString& pattern) const {
        const Result found =
            xdo({QStringLiteral("search"), QStringLiteral("--sync"),
                 QStringLiteral("--onlyvisible"), QStringLiteral("--name"), pattern});
        const QByteArray id = found.out.split('\n').value(0);
        if (!id.isEmpty()) {
            xdo({QStringLiteral("windowactivate"), QStringLiteral("--sync"),
                 QString::fromLatin1(id)});
            QThread::msleep(200);
        }
        return id;
    }
    void keys(const QStringList& keys) const {
        for (const QString& k : keys) {
            xdo({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), k});
            QThread::msleep(300);
        }
    }

  private:
    QProcess x_;
    QProcess wm_;
    QString display_;
};

class ProgramEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        // The program directory as the build makes it, copied so that the test never
        // touches the build's own settings file.
        ASSERT_EQ(QProcess::execute(
                      QStringLiteral("cp"),
                      {QStringLiteral("-a"), QStringLiteral(MIRVANE_PROGRAM_DIR "/."), dir.path()}),
                  0);
        QFile::remove(dir.filePath(QStringLiteral("mirvane.ini")));
    }
    void TearDown() override {
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished();
        }
    }

    void start() {
        program.setProcessEnvironment(desktop.environment());
        program.start(dir.filePath(QStringLiteral("mirvane")), {});
        ASSERT_TRUE(program.waitForStarted());
        ASSERT_FALSE(desktop.activate(QStringLiteral("^Mirvane$")).isEmpty());
    }
    // Whether the program ended, normally, within a few seconds.
    bool ended() {
        return program.waitForFinished(8000) && program.exitStatus() == QProcess::NormalExit &&
               program.exitCode() == 0;
    }
    void answerQuestion(const QString& key) {
        ASSERT_FALSE(desktop.activate(QStringLiteral("確認")).isEmpty());
        desktop.keys({key});
    }
    IniDocument settings() const {
        return IniDocument(dir.filePath(QStringLiteral("mirvane.ini")));
    }

    Desktop desktop;
    QTemporaryDir dir;
    QProcess program;
};

}  // namespace

TEST_F(ProgramEnd, TitleBarAndExitAskAndAMailKeptIsOfferedAtTheNextStart) {
    start();
    const QByteArray window = desktop.activate(QStringLiteral("^Mirvane$"));
    // Into the body, whatever the height of the menu bar.
    desktop.xdo({QStringLiteral("mousemove"), QStringLiteral("--window"),
                 QString::fromLatin1(window), QStringLiteral("70"), QStringLiteral("150"),
                 QStringLiteral("click"), QStringLiteral("1")});
    desktop.xdo({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("50"),
                 QStringLiteral("kept at exit")});

    // The window manager's close (title bar, Alt+F4), answered by Escape: still running,
    // but the placement has been written.
    desktop.keys({QStringLiteral("alt+F4")});
    answerQuestion(QStringLiteral("Escape"));
    EXPECT_FALSE(program.waitForFinished(1500));
    EXPECT_TRUE(settings().valueExists("Window", "Top1"));
    EXPECT_FALSE(settings().sectionExists("Preservation"));

    // File > Exit, "はい": the mail is kept as the draft and the program ends.
    desktop.activate(QStringLiteral("^Mirvane$"));
    desktop.keys({QStringLiteral("alt+f"), QStringLiteral("q")});
    answerQuestion(QStringLiteral("alt+y"));
    ASSERT_TRUE(ended());
    EXPECT_EQ(settings().readString("Preservation", "Body"), "kept at exit");

    // Next start: File > Open draft takes it back (and out of the file); the mail in
    // the window makes the close ask again, and "いいえ" ends without keeping it.
    start();
    desktop.keys({QStringLiteral("alt+f"), QStringLiteral("o")});
    for (int i = 0; i < 50 && settings().sectionExists("Preservation"); ++i)
        QThread::msleep(100);
    EXPECT_FALSE(settings().sectionExists("Preservation"));
    desktop.activate(QStringLiteral("^Mirvane$"));
    desktop.keys({QStringLiteral("alt+F4")});
    answerQuestion(QStringLiteral("alt+n"));
    ASSERT_TRUE(ended());
    EXPECT_FALSE(settings().sectionExists("Preservation"));
}
