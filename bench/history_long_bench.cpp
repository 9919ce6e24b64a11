// history_long_bench: the send-history window with 100 MB histories, each case in a
// fresh process for its peak memory: entries as the send command writes them, one line
// of 100 MB, and 100 MB of NUL bytes.
//
// Goals: shown within 1 s, whole within 5 s, a key typed right after the show is not
// lost, the longest pause of the event loop while loading (keys wait at most that long),
// closing at any moment within 0.5 s, peak memory at most 4x the file.
//
// Usage: history_long_bench              all cases
//        history_long_bench CASE FILE    one case in this process (used by the above)

#include <sys/resource.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <cstdio>
#include <cstring>

#include "app/forms.h"
#include "app/settings_file.h"
#include "composer/pictograph_font.h"
#include "history/history_window.h"

namespace {

constexpr qint64 kBytes = 100LL * 1000 * 1000;

bool writeCase(const QString& path, const char* kind) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    QByteArray chunk;
    if (std::strcmp(kind, "entries") == 0) {
        for (int i = 0; chunk.size() < (1 << 20); ++i) {
            chunk +=
                "\x93\xfa\x95\x74\x81\x46"
                "2026/12/01 12:00:" +
                QByteArray::number(i % 60) + "\r\n\x88\xb6\x90\xe6\x81\x46[user" +
                QByteArray::number(i) +
                "@docomo.ne.jp]\r\n\x91\xe8\x96\xbc\x81\x46\x82\xa8\x92\x6d\x82\xe7\x82\xb9\r\n"
                "\x96\x7b\x95\xb6\x81\x46\x8d\xa1\x93\xfa\x82\xcd\x82\xe6\x82\xeb\x82\xb5\x82"
                "\xad\r\n\r\n\r\n";
        }
    } else {
        chunk = QByteArray(1 << 20, std::strcmp(kind, "nul") == 0 ? '\0' : 'a');
    }
    while (f.size() < kBytes)
        f.write(chunk.left(std::min<qint64>(chunk.size(), kBytes - f.size())));
    return true;
}

class PaintSeen : public QObject {
  public:
    explicit PaintSeen(QWidget* w) { w->installEventFilter(this); }
    bool painted = false;

  protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

int runCase(const QString& file) {
    settings_file::setProgramDirectoryForTests(QFileInfo(file).path());
    Forms forms;
    TForm7 window(forms);
    forms.form7 = &window;
    PaintSeen paint(window.Memo1->viewport());
    QElapsedTimer timer;
    timer.start();
    window.showWindow();
    while (!paint.painted)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    const double shown = timer.nsecsElapsed() / 1e6;
    window.Memo1->setFocus();
    QTest::keyClick(window.Memo1, Qt::Key_K);
    double longestPause = 0;
    QElapsedTimer pause;
    while (window.isLoading()) {
        pause.start();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        longestPause = std::max(longestPause, pause.nsecsElapsed() / 1e6);
    }
    const double whole = timer.nsecsElapsed() / 1e6;
    const bool keyKept = window.Memo1->document()->begin().text().startsWith(u'k');

    // Closing while a second load is under way (after a refresh), without edits.
    window.Button3->click();
    QCoreApplication::processEvents();
    timer.restart();
    window.Button4->click();
    const double closed = timer.nsecsElapsed() / 1e6;
    const bool hidden = !window.isVisible();

    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    std::printf("%.1f %.1f %.1f %.1f %d %d %ld\n", shown, whole, longestPause, closed,
                keyKept ? 1 : 0, hidden ? 1 : 0, u.ru_maxrss);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 3) {
        QApplication app(argc, argv);
        pictograph_font::load();
        return runCase(QString::fromLocal8Bit(argv[2]));
    }
    QCoreApplication app(argc, argv);
    QTemporaryDir dir(QCoreApplication::applicationDirPath() + QStringLiteral("/history-XXXXXX"));
    if (!dir.isValid())
        return 1;
    for (const char* kind : {"entries", "one-line", "nul"}) {
        const QString log = dir.filePath(QStringLiteral("log.txt"));
        if (!writeCase(log, kind))
            return 1;
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QLatin1StringView(kind), log});
        child.waitForFinished(-1);
        const QList<QByteArray> f = child.readAllStandardOutput().trimmed().split(' ');
        if (f.size() != 7) {
            std::printf("%-9s 100 MB: the case failed\n", kind);
            continue;
        }
        const double rssMB = f[6].toDouble() * 1024 / 1e6;
        std::printf("%-9s 100 MB  shown %7.1f ms   goal < 1000 ms\n", kind, f[0].toDouble());
        std::printf("%-9s 100 MB  whole %7.1f ms   goal < 5000 ms\n", kind, f[1].toDouble());
        std::printf("%-9s 100 MB  key typed after the show kept: %s   goal yes\n", kind,
                    f[4] == "1" ? "yes" : "NO");
        std::printf("%-9s 100 MB  longest pause while loading %6.1f ms (keys wait at most this)\n",
                    kind, f[2].toDouble());
        std::printf("%-9s 100 MB  close while loading %6.1f ms, hidden: %s   goal < 500 ms\n", kind,
                    f[3].toDouble(), f[5] == "1" ? "yes" : "NO");
        std::printf("%-9s 100 MB  peak memory %6.0f MB = %.2fx the file   goal <= 4x\n", kind,
                    rssMB, rssMB * 1e6 / kBytes);
        std::fflush(stdout);
    }
    return 0;
}
