// The send-history window with a big history: time from the show command to the first
// paint of its text, and the time of a save against cp of the same file.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextCursor>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/forms.h"
#include "app/settings_file.h"
#include "composer/pictograph_font.h"
#include "history/history_window.h"
#include "sending/history_log.h"

namespace {

constexpr int kRuns = 5;

// Entries in the layout the send command writes, newest first, up to `bytes`.
QByteArray historyOf(qsizetype bytes) {
    QByteArray out;
    QDateTime when(QDate(2026, 12, 1), QTime(12, 0, 0));
    const QLocale locale(QLocale::Japanese, QLocale::Japan);
    for (int i = 0; out.size() < bytes; ++i) {
        history_log::Entry e;
        e.recipientPanel = i % 3 ? QStringLiteral("宛先：") : QStringLiteral("宛先：山田花子");
        e.to = QStringLiteral("user%1@docomo.ne.jp").arg(i % 97);
        e.subject = QStringLiteral("お知らせ その%1").arg(i);
        if (i % 5 == 0)
            e.attachmentPath = QStringLiteral("/home/user/写真/photo%1.jpg").arg(i);
        e.body = QStringLiteral(
                     "今日は%1回目の送信です。\r\n明日の予定を確認して下さい。\r\n"
                     "よろしくお願いします。")
                     .arg(i);
        out += history_log::entryBytes(e, when.addSecs(-600 * i), locale);
    }
    return out;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Waits for the first paint of `w` after `timer` started.
class FirstPaint : public QObject {
  public:
    explicit FirstPaint(QWidget* w) { w->installEventFilter(this); }
    bool painted = false;

  protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

void write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
}

void measure(const QString& dir, qsizetype bytes, double showGoalMs) {
    const QString log = dir + QStringLiteral("/log.txt");
    const QByteArray content = historyOf(bytes);
    std::vector<double> show;
    std::vector<double> whole;
    std::vector<double> save;
    std::vector<double> copy;
    std::vector<double> copySynced;
    for (int run = 0; run < kRuns; ++run) {
        write(log, content);
        Forms forms;
        TForm7 window(forms);
        forms.form7 = &window;
        FirstPaint paint(window.Memo1->viewport());
        QElapsedTimer timer;
        timer.start();
        window.showWindow();
        while (!paint.painted)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        show.push_back(timer.nsecsElapsed() / 1e6);
        while (window.isLoading())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        whole.push_back(timer.nsecsElapsed() / 1e6);

        QTextCursor(window.Memo1->document()).insertText(QStringLiteral("x"));
        timer.restart();
        window.Button1->click();
        save.push_back(timer.nsecsElapsed() / 1e6);
        if (window.Button1->isEnabled()) {
            std::fprintf(stderr, "the save failed\n");
            std::exit(1);
        }
        window.close();

        timer.restart();
        QProcess::execute(QStringLiteral("cp"), {log, dir + QStringLiteral("/copy.txt")});
        copy.push_back(timer.nsecsElapsed() / 1e6);

        // The same copy made durable, as every save of ours is: the part of the ratio
        // that is the sync to disk.
        timer.restart();
        QProcess::execute(QStringLiteral("sh"),
                          {QStringLiteral("-c"), QStringLiteral("cp \"$0\" \"$1\" && sync \"$1\""),
                           log, dir + QStringLiteral("/copy-synced.txt")});
        copySynced.push_back(timer.nsecsElapsed() / 1e6);
    }
    const double mib = double(content.size()) / (1 << 20);
    std::printf("history %5.1f MiB  show to first paint %7.1f ms   goal < %.0f ms\n", mib,
                median(show), showGoalMs);
    std::printf(
        "history %5.1f MiB  whole text in the window %7.1f ms (no goal; usable meanwhile)\n", mib,
        median(whole));
    std::printf("history %5.1f MiB  save %7.1f ms, cp %6.1f ms: %4.2fx   goal <= 3x\n", mib,
                median(save), median(copy), median(save) / median(copy));
    std::printf("history %5.1f MiB  save %7.1f ms, cp + sync %6.1f ms: %4.2fx   (no goal)\n", mib,
                median(save), median(copySynced), median(save) / median(copySynced));
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    pictograph_font::load();
    // Beside the build, not in /tmp, so the save meets the same disk as a real one.
    QTemporaryDir dir(QCoreApplication::applicationDirPath() + QStringLiteral("/history-XXXXXX"));
    if (!dir.isValid())
        return 1;
    settings_file::setProgramDirectoryForTests(dir.path());
    measure(dir.path(), qsizetype(1) << 20, 100);
    measure(dir.path(), qsizetype(10) << 20, 600);
    return 0;
}
