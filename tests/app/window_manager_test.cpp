// The real program under a real window manager: Xvfb with openbox, started here, and
// the program driven with X input (xdotool) as a user would.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

#include "app/ini_document.h"
#include "support/test_support.h"
#include "support/x_desktop.h"

namespace {

int field(const QString& text, const char* name) {
    const QRegularExpression re(QStringLiteral("%1:\\s*(-?\\d+)").arg(QLatin1String(name)));
    const QRegularExpressionMatch m = re.match(text);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// One X server with openbox for the whole suite.
XDesktop* display = nullptr;

// A copy of the program directory, so that the settings file beside the program is
// this test's own.
class Installed {
  public:
    Installed() {
        const QDir from(QStringLiteral(MIRVANE_PROGRAM_DIR));
        for (const QString& entry : from.entryList(QDir::Files)) {
            QFile::copy(from.filePath(entry), dir.filePath(entry));
            QFile::setPermissions(dir.filePath(entry), QFile(from.filePath(entry)).permissions());
        }
    }
    QString settings() const { return dir.filePath(QStringLiteral("mirvane.ini")); }
    int stored(const char* key) const {
        return settingsIn(dir.path()).readInteger("Window", key, -1);
    }
    QTemporaryDir dir;
};

// The running program and its main window.
class Running {
  public:
    explicit Running(const Installed& installed) {
        process.setProcessEnvironment(display->environment());
        process.start(installed.dir.filePath(QStringLiteral("mirvane")), {});
        process.waitForStarted(5000);
        window = waitForWindow(QStringLiteral("^Mirvane$"));
    }
    ~Running() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(3000);
        }
    }

    QString xdo(const QStringList& args) const {
        return QString::fromLocal8Bit(display->xdo(args).out);
    }
    QString xwininfo(const QStringList& args) const {
        return QString::fromLocal8Bit(display->run(QStringLiteral("xwininfo"), args).out);
    }
    // The visible window whose title matches, once the window manager has framed it
    // and it stays where it is; empty when none comes.
    QString waitForWindow(const QString& title) const {
        QString id;
        const bool found = QTest::qWaitFor(
            [&] {
                id = xdo({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                          QStringLiteral("--name"), title})
                         .section(QLatin1Char('\n'), 0, 0)
                         .trimmed();
                return !id.isEmpty();
            },
            10000);
        if (found)
            settled(id);
        return id;
    }
    // The window manager's frame around a window, empty while there is none.
    QString frame(const QString& id = {}) const {
        const QString of = id.isEmpty() ? window : id;
        const QString tree = xwininfo({QStringLiteral("-tree"), QStringLiteral("-id"), of});
        const QRegularExpressionMatch root =
            QRegularExpression(QStringLiteral("Root window id: (0x[0-9a-f]+)")).match(tree);
        const QRegularExpressionMatch parent =
            QRegularExpression(QStringLiteral("Parent window id: (0x[0-9a-f]+)")).match(tree);
        if (!parent.hasMatch() || parent.captured(1) == root.captured(1))
            return {};
        return parent.captured(1);
    }
    // Outer geometry: the frame's on the screen.
    std::optional<QRect> outer(const QString& of = {}) const {
        const QString client = of.isEmpty() ? window : of;
        if (client.isEmpty())
            return std::nullopt;
        const QString id = frame(client).isEmpty() ? client : frame(client);
        const QString info = xwininfo({QStringLiteral("-id"), id});
        const int x = field(info, "Absolute upper-left X");
        const int y = field(info, "Absolute upper-left Y");
        const int w = field(info, "Width");
        const int h = field(info, "Height");
        if (w <= 0 || h <= 0)
            return std::nullopt;
        return QRect(x, y, w, h);
    }
    // The window's outer geometry once the window manager has framed it and two
    // samples a tenth of a second apart agree: nothing tells when it has done moving.
    std::optional<QRect> settled(const QString& id = {}) const {
        std::optional<QRect> last;
        for (int i = 0; i < 100; ++i) {
            const std::optional<QRect> now = outer(id);
            if (now && last && *now == *last && !frame(id).isEmpty())
                return now;
            last = now;
            QTest::qWait(100);
        }
        return last;
    }
    // Quits through the File menu's "終了(&Q)", and waits for the program to end.
    bool quit() {
        xdo({QStringLiteral("windowactivate"), QStringLiteral("--sync"), window});
        if (!display->chooseFromMenu(QStringLiteral("alt+f"), QStringLiteral("q")))
            return false;
        return process.waitForFinished(10000) && process.exitCode() == 0;
    }
    // Drags with the left button from one screen point to another, in steps.
    void drag(QPoint from, QPoint to) const {
        const auto moveTo = [&](QPoint p) {
            xdo({QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(p.x()),
                 QString::number(p.y())});
        };
        moveTo(from);
        xdo({QStringLiteral("mousedown"), QStringLiteral("1")});
        for (int step = 1; step <= 5; ++step)
            moveTo(from + (to - from) * step / 5);
        xdo({QStringLiteral("mouseup"), QStringLiteral("1")});
    }
    // Whether the window (the main one if `id` is empty) comes to have `expected` as its
    // outer geometry.
    bool becomes(const QRect& expected, const QString& id = {}) const {
        return QTest::qWaitFor([&] { return outer(id) == expected; }, 10000);
    }

    QProcess process;
    QString window;
};

class WindowManager : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        display = new XDesktop;
        if (!display->started()) {
            delete display;
            display = nullptr;
        }
    }
    static void TearDownTestSuite() {
        delete display;
        display = nullptr;
    }
    void SetUp() override { ASSERT_NE(display, nullptr) << "Xvfb with openbox did not start"; }
};

}  // namespace

TEST_F(WindowManager, FirstRunOpensAtTheDesignPlaceWithTheFrameAsOuterSize) {
    Installed installed;
    Running program(installed);
    ASSERT_FALSE(program.window.isEmpty());
    ASSERT_FALSE(program.frame().isEmpty()) << "openbox did not frame the window";
    EXPECT_EQ(program.outer(), QRect(559, 272, 297, 297));
    ASSERT_TRUE(program.quit());
    EXPECT_EQ(installed.stored("Top1"), 272);
    EXPECT_EQ(installed.stored("Left1"), 559);
    EXPECT_EQ(installed.stored("Width1"), 297);
}

TEST_F(WindowManager, TenRunsStoreWhatTheyRead) {
    Installed installed;
    QFile file(installed.settings());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Window]\r\nTop1=100\r\nLeft1=200\r\nWidth1=350\r\n");
    file.close();
    for (int run = 0; run < 10; ++run) {
        Running program(installed);
        ASSERT_FALSE(program.window.isEmpty()) << run;
        EXPECT_EQ(program.outer(), QRect(200, 100, 350, 297)) << run;
        ASSERT_TRUE(program.quit()) << run;
        ASSERT_EQ(installed.stored("Top1"), 100) << run;
        ASSERT_EQ(installed.stored("Left1"), 200) << run;
        ASSERT_EQ(installed.stored("Width1"), 350) << run;
    }
}

TEST_F(WindowManager, DraggingTheRightEdgeWidensTheWindowAndIsStored) {
    Installed installed;
    Running program(installed);
    const std::optional<QRect> before = program.outer();
    ASSERT_TRUE(before.has_value());
    const int y = before->center().y();
    program.drag({before->right(), y}, {before->left() + 399, y});
    EXPECT_TRUE(program.becomes(QRect(before->topLeft(), QSize(400, 297))));
    EXPECT_EQ(program.outer(), QRect(before->topLeft(), QSize(400, 297)));
    // The bottom edge does not move: the height stays 297, the window stays put.
    const std::optional<QRect> wide = program.outer();
    ASSERT_TRUE(wide.has_value());
    program.drag({wide->center().x(), wide->bottom()}, {wide->center().x(), wide->bottom() + 60});
    EXPECT_EQ(program.settled(), wide);
    ASSERT_TRUE(program.quit());
    EXPECT_EQ(installed.stored("Width1"), 400);
    EXPECT_EQ(installed.stored("Top1"), before->top());
}

TEST_F(WindowManager, DragsAndTheMiddleButtonInTheComposer) {
    QProcess probe;
    probe.setProcessEnvironment(display->environment());
    probe.start(QStringLiteral(X11_INPUT_PROBE), {});
    ASSERT_TRUE(probe.waitForFinished(60000));
    const QString out = QString::fromUtf8(probe.readAllStandardOutput());
    const auto value = [&](const char* name) {
        const QRegularExpression re(QStringLiteral("^%1: (.*)$").arg(QLatin1String(name)),
                                    QRegularExpression::MultilineOption);
        return re.match(out).captured(1);
    };
    ASSERT_EQ(value("done"), QStringLiteral("yes")) << out.toStdString();
    // The word moved, and one undo gives back the text as it was before the drag.
    EXPECT_NE(value("moved"), QStringLiteral("one two three"));
    EXPECT_EQ(value("moved").size(), QStringLiteral("one two three").size());
    EXPECT_EQ(value("undone"), QStringLiteral("one two three"));
    // Forty do not fit the Subject: the drop is refused whole, and the body keeps all
    // forty.
    EXPECT_EQ(value("subject"), QString());
    EXPECT_EQ(value("body after drag"), QString(40, QLatin1Char('m')));
    EXPECT_EQ(value("after middle click"), QString());
}

TEST_F(WindowManager, SendHistoryWindowKeepsItsStoredPlacementAndSize) {
    Installed installed;
    QFile file(installed.settings());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Window]\r\nTop7=100\r\nLeft7=150\r\nWidth7=400\r\nHeight7=350\r\n");
    file.close();
    Running program(installed);
    ASSERT_FALSE(program.window.isEmpty());
    const auto openHistory = [&] {
        // Tools menu, "送信履歴表示(&L)".
        program.xdo({QStringLiteral("windowactivate"), QStringLiteral("--sync"), program.window});
        EXPECT_TRUE(display->chooseFromMenu(QStringLiteral("alt+t"), QStringLiteral("l")));
        return program.waitForWindow(QStringLiteral("^送信履歴$"));
    };
    const auto closeWindow = [&](const QString& id) {
        program.xdo({QStringLiteral("windowactivate"), QStringLiteral("--sync"), id});
        program.xdo(
            {QStringLiteral("key"), QStringLiteral("--clearmodifiers"), QStringLiteral("alt+F4")});
        // The window writes its place before it leaves the screen.
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return !program.outer(id) || program.frame(id).isEmpty(); }, 10000));
    };
    for (int showing = 0; showing < 3; ++showing) {
        const QString history = openHistory();
        ASSERT_FALSE(history.isEmpty()) << showing;
        EXPECT_EQ(program.outer(history), QRect(150, 100, 400, 350)) << showing;
        closeWindow(history);
        EXPECT_EQ(installed.stored("Top7"), 100) << showing;
        EXPECT_EQ(installed.stored("Left7"), 150) << showing;
        EXPECT_EQ(installed.stored("Width7"), 400) << showing;
        EXPECT_EQ(installed.stored("Height7"), 350) << showing;
    }
    // Its right edge dragged out, closed and shown again.
    const QString history = openHistory();
    const std::optional<QRect> before = program.outer(history);
    ASSERT_TRUE(before.has_value());
    program.drag({before->right(), before->center().y()},
                 {before->left() + 449, before->center().y()});
    EXPECT_TRUE(program.becomes(QRect(150, 100, 450, 350), history));
    // A size under the limit asked by another program is refused as a whole, not cut
    // down to the limit in one direction while the other changes.
    program.xdo(
        {QStringLiteral("windowsize"), history, QStringLiteral("200"), QStringLiteral("200")});
    const std::optional<QRect> settled = program.settled(history);
    ASSERT_TRUE(settled.has_value());
    EXPECT_EQ(settled->size(), QSize(450, 350));
    closeWindow(history);
    EXPECT_EQ(installed.stored("Width7"), 450);
    EXPECT_EQ(installed.stored("Height7"), 350);
    EXPECT_EQ(program.outer(openHistory()), QRect(150, 100, 450, 350));
    ASSERT_TRUE(program.quit());
}
