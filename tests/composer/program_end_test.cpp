// The real program on a real X display under a real window manager, driven by real
// input: every way of ending it goes through the close request, and a mail kept at
// the end is offered again at the next start.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

#include "app/ini_document.h"
#include "support/test_support.h"
#include "support/x_desktop.h"
#include "toolkit/cp932.h"

namespace {

class ProgramEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(desktop.started());
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
        const bool finished = program.waitForFinished(8000);
        if (!finished || program.exitStatus() != QProcess::NormalExit || program.exitCode() != 0)
            ADD_FAILURE() << "running " << !finished << ", exit code " << program.exitCode() << ": "
                          << program.readAllStandardError().toStdString();
        return finished && program.exitStatus() == QProcess::NormalExit && program.exitCode() == 0;
    }
    // Answers the question box with a key; it closes before the next one is looked for.
    void answerQuestion(const QString& key) {
        const QByteArray box = desktop.activate(QStringLiteral("確認"));
        ASSERT_FALSE(box.isEmpty());
        desktop.keys({key});
        ASSERT_TRUE(desktop.waitUntilGone(box)) << "the question stayed";
    }
    IniDocument settings() const { return settingsIn(dir.path()); }

    XDesktop desktop;
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
    ASSERT_TRUE(desktop.chooseFromMenu(QStringLiteral("alt+f"), QStringLiteral("q")));
    answerQuestion(QStringLiteral("alt+y"));
    ASSERT_TRUE(ended());
    EXPECT_EQ(settings().readString("Preservation", "Body"), "kept at exit");

    // Next start: File > Open draft takes it back (and out of the file); the mail in
    // the window makes the close ask again, and "いいえ" ends without keeping it.
    start();
    ASSERT_TRUE(desktop.chooseFromMenu(QStringLiteral("alt+f"), QStringLiteral("o")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !settings().sectionExists("Preservation"); }, 5000));
    desktop.activate(QStringLiteral("^Mirvane$"));
    desktop.keys({QStringLiteral("alt+F4")});
    answerQuestion(QStringLiteral("alt+n"));
    ASSERT_TRUE(ended());
    EXPECT_FALSE(settings().sectionExists("Preservation"));
}

namespace {

// A real X session manager, xsm, started with a session that runs nothing but a note
// of its address, so that the program can be started into the session by the test.
class SessionManager {
  public:
    explicit SessionManager(const XDesktop& desktop) : desktop_(desktop) {
        QFile startup(home_.filePath(QStringLiteral(".xsmstartup")));
        EXPECT_TRUE(startup.open(QIODevice::WriteOnly));
        startup.write("sh -c 'echo \"$SESSION_MANAGER\" > \"$HOME/address\"'\n");
        startup.close();
        QProcessEnvironment env = desktop.environment();
        env.insert(QStringLiteral("HOME"), home_.path());
        xsm_.setProcessEnvironment(env);
        xsm_.start(QStringLiteral("xsm"), {});
        EXPECT_TRUE(xsm_.waitForStarted());
        EXPECT_TRUE(QTest::qWaitFor([&] { return !address().isEmpty(); }, 10000))
            << "xsm gave no address";
    }
    ~SessionManager() {
        if (xsm_.state() != QProcess::NotRunning) {
            xsm_.kill();
            xsm_.waitForFinished();
        }
    }
    QString address() const {
        QFile f(home_.filePath(QStringLiteral("address")));
        return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll().trimmed()) : QString();
    }
    // The cookies a client shows to be let into the session.
    QString iceAuthority() const { return home_.filePath(QStringLiteral(".ICEauthority")); }
    bool running() const { return xsm_.state() != QProcess::NotRunning; }
    bool ended() { return xsm_.waitForFinished(8000); }

    // xsm's own window: "Checkpoint" (no log-off) and "Shutdown" > "With Checkpoint",
    // each followed by its dialog's first button, after a session name.
    void checkpoint() {
        const QRect button = buttons().value(2);
        click(button.center());
        confirmDialog(QStringLiteral("^Checkpoint$"));
    }
    void shutdown() {
        const QRect button = buttons().value(3);
        // A menu button: held, its menu drops below it, released on the first entry.
        move(button.center());
        ASSERT_TRUE(desktop_.showsNewWindow([&] {
            desktop_.xdo({QStringLiteral("mousedown"), QStringLiteral("1")});
        })) << "the Shutdown menu did not open";
        move({button.center().x(), button.bottom() + 16});
        desktop_.xdo({QStringLiteral("mouseup"), QStringLiteral("1")});
        confirmDialog(QStringLiteral("^Shutdown$"));
    }
    // After a refused log-off xsm names the program that did not save; OK goes on.
    void acknowledgeFailure() {
        const QByteArray box = desktop_.activate(QStringLiteral("^Save Failure$"));
        ASSERT_FALSE(box.isEmpty());
        desktop_.keys({QStringLiteral("Return")});
        ASSERT_TRUE(desktop_.waitUntilGone(box));
    }

  private:
    // The four buttons of xsm's window, in reading order: Client List, Session Log,
    // Checkpoint, Shutdown.
    QList<QRect> buttons() const {
        const QByteArray id = desktop_.activate(QStringLiteral("^xsm: "));
        QList<QRect> found;
        for (const QRect& r : children(id)) {
            if (r.height() > 15 && r.height() < 40 && r.width() < 200)
                found.append(r);
        }
        std::sort(found.begin(), found.end(), [](const QRect& a, const QRect& b) {
            return std::pair(a.y(), a.x()) < std::pair(b.y(), b.x());
        });
        EXPECT_EQ(found.size(), 4);
        return found;
    }
    // Screen rectangles of the windows inside `id`.
    QList<QRect> children(const QByteArray& id) const {
        QProcess p;
        p.setProcessEnvironment(desktop_.environment());
        p.start(QStringLiteral("xwininfo"),
                {QStringLiteral("-tree"), QStringLiteral("-id"), QString::fromLatin1(id)});
        p.waitForFinished(5000);
        const QString out = QString::fromLocal8Bit(p.readAllStandardOutput());
        const QRegularExpression re(
            QStringLiteral(R"((\d+)x(\d+)\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+))"));
        QList<QRect> rects;
        for (const QString& line : out.split(u'\n')) {
            if (!line.trimmed().startsWith(QStringLiteral("0x")))
                continue;
            const QRegularExpressionMatch m = re.match(line);
            if (m.hasMatch())
                rects.append(QRect(m.captured(3).toInt(), m.captured(4).toInt(),
                                   m.captured(1).toInt(), m.captured(2).toInt()));
        }
        return rects;
    }
    void move(QPoint at) const {
        desktop_.xdo({QStringLiteral("mousemove"), QStringLiteral("--sync"),
                      QString::number(at.x()), QString::number(at.y())});
    }
    void click(QPoint at) const {
        move(at);
        desktop_.xdo({QStringLiteral("click"), QStringLiteral("1")});
    }
    // The dialog's session name (needed once) and its first button.
    void confirmDialog(const QString& title) {
        const QByteArray dialog = desktop_.activate(title);
        ASSERT_FALSE(dialog.isEmpty()) << title.toStdString();
        const auto at = [&](int x, int y) {
            desktop_.xdo({QStringLiteral("mousemove"), QStringLiteral("--window"),
                          QString::fromLatin1(dialog), QString::number(x), QString::number(y),
                          QStringLiteral("click"), QStringLiteral("1")});
        };
        at(174, 18);
        desktop_.xdo({QStringLiteral("key"), QStringLiteral("ctrl+a"), QStringLiteral("ctrl+k")});
        desktop_.xdo({QStringLiteral("type"), QStringLiteral("mirvane-test")});
        at(56, 137);
    }

    const XDesktop& desktop_;
    QTemporaryDir home_;
    QProcess xsm_;
};

}  // namespace

TEST_F(ProgramEnd, UnderXsmACheckpointKeepsTheProgramAndTheMailAndALogOffAsks) {
    SessionManager xsm(desktop);
    QProcessEnvironment env = desktop.environment();
    env.insert(QStringLiteral("SESSION_MANAGER"), xsm.address());
    env.insert(QStringLiteral("ICEAUTHORITY"), xsm.iceAuthority());
    program.setProcessEnvironment(env);
    program.start(dir.filePath(QStringLiteral("mirvane")), {});
    ASSERT_TRUE(program.waitForStarted());
    const QByteArray window = desktop.activate(QStringLiteral("^Mirvane$"));
    ASSERT_FALSE(window.isEmpty());
    // Into the To field, below the menu bar.
    desktop.xdo({QStringLiteral("mousemove"), QStringLiteral("--window"),
                 QString::fromLatin1(window), QStringLiteral("150"), QStringLiteral("30"),
                 QStringLiteral("click"), QStringLiteral("1")});
    desktop.xdo({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("50"),
                 QStringLiteral("taro@example.jp")});

    // A checkpoint: Qt cannot tell it from a log-off, so the question comes; "いいえ"
    // keeps the program running with the mail, and nothing is stored.
    xsm.checkpoint();
    answerQuestion(QStringLiteral("alt+n"));
    EXPECT_FALSE(program.waitForFinished(2000));
    EXPECT_FALSE(settings().sectionExists("Preservation"));
    // A second checkpoint answered "はい" stores the draft, and the program goes on.
    xsm.checkpoint();
    answerQuestion(QStringLiteral("alt+y"));
    EXPECT_FALSE(program.waitForFinished(2000));
    EXPECT_EQ(settings().readString("Preservation", "To"), "taro@example.jp");

    // A log-off: "キャンセル" refuses it; the program and the session go on.
    xsm.shutdown();
    answerQuestion(QStringLiteral("Escape"));
    xsm.acknowledgeFailure();
    EXPECT_FALSE(program.waitForFinished(2000));
    EXPECT_TRUE(xsm.running());

    // A body typed, then a log-off answered "はい", and "はい" to replacing the draft
    // stored above: the mail is stored, and the session manager ends the program,
    // which asks nothing more.
    desktop.activate(QStringLiteral("^Mirvane$"));
    desktop.xdo({QStringLiteral("mousemove"), QStringLiteral("--window"),
                 QString::fromLatin1(window), QStringLiteral("70"), QStringLiteral("150"),
                 QStringLiteral("click"), QStringLiteral("1")});
    desktop.xdo({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("50"),
                 QStringLiteral("see you")});
    xsm.shutdown();
    answerQuestion(QStringLiteral("alt+y"));
    answerQuestion(QStringLiteral("alt+y"));
    ASSERT_TRUE(ended());
    EXPECT_EQ(settings().readString("Preservation", "To"), "taro@example.jp");
    EXPECT_EQ(settings().readString("Preservation", "Body"), "see you");
    EXPECT_TRUE(xsm.ended());
}
