// phrase_startup_bench: start-up to the main window's first paint with large settings
// files, on the offscreen platform, each case in a fresh process.
//
// Subject phrases: 1,000, 100,000 and 1,000,000 (goal: under 1 s to the first paint at
// 100,000), and the settings dialog's close, which writes them all back.
// Settings files of 200 MB (goal: peak memory under 3x the file's size while the
// window comes up): a saved mail with a 200 MB body, 200 MB of entries in sections the
// start does not show, and 200 MB of subject phrases.
//
// Usage: phrase_startup_bench [--no-200mb-phrases]   all cases (the last one is slow)
//        phrase_startup_bench CASE ARG   one case in this process (used by the above)

#include <sys/resource.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWidget>
#include <cstdio>
#include <cstring>

#include "app/forms.h"
#include "app/settings_file.h"
#include "composer/composer_window.h"
#include "composer/subject_phrases.h"
#include "program/application.h"
#include "settings/settings_dialog.h"

namespace {

constexpr double kMB = 1e6;

// Processor time of this process: the machine is shared, so the elapsed time also
// holds the time other programs had the processor.
double cpuMs() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 +
           (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

QByteArray phraseLine(qint64 i) {
    // 40 to 46 bytes, a mix of single- and double-byte characters like real subjects.
    return "AttachSubject(Items[" + QByteArray::number(i) + "])=Re:\x8c\x8f\x96\xbc " +
           QByteArray::number(i) + "\r\n";
}

QByteArray settingsHead() {
    return "[Window]\r\nTop1=272\r\nLeft1=559\r\nWidth1=297\r\n\r\n"
           "[Setting]\r\nSMTP=smtp.example.jp\r\nFrom=taro@example.jp\r\nBeep=1\r\n\r\n";
}

// Writes the settings file of one case, in pieces so that this process stays small.
bool writeSettings(const QString& path, const char* kind, qint64 amount) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(settingsHead());
    const qint64 bigBytes = 200LL * 1000 * 1000;
    if (std::strcmp(kind, "phrases") == 0 || std::strcmp(kind, "phrases-200mb") == 0) {
        f.write("[Subject]\r\n");
        QByteArray chunk;
        const bool bySize = std::strcmp(kind, "phrases-200mb") == 0;
        for (qint64 i = 0; bySize ? f.size() + chunk.size() < bigBytes : i < amount; ++i) {
            chunk += phraseLine(i);
            if (chunk.size() > (1 << 20)) {
                f.write(chunk);
                chunk.clear();
            }
        }
        f.write(chunk);
    } else if (std::strcmp(kind, "draft-200mb") == 0) {
        f.write("[Preservation]\r\nTo=taro@docomo.ne.jp\r\nSubject=Re:\r\nBody=");
        const QByteArray line = QByteArray(60, 'x') + "\x96\x7b\x95\xb6\t";
        QByteArray chunk;
        while (chunk.size() < (1 << 20))
            chunk += line;
        while (f.size() < bigBytes)
            f.write(chunk);
        f.write("\r\nAttachFile=\r\n");
    } else if (std::strcmp(kind, "entries-200mb") == 0) {
        // Hand-kept sections the program never reads at start.
        QByteArray chunk;
        qint64 i = 0;
        while (f.size() < bigBytes) {
            chunk += "[Notes" + QByteArray::number(i / 1000) + "]\r\n";
            for (int j = 0; j < 1000; ++j, ++i)
                chunk += "Note" + QByteArray::number(i) + "=\x83\x81\x83\x82 " +
                         QByteArray::number(i * 7919) + "\r\n";
            if (chunk.size() > (1 << 20)) {
                f.write(chunk);
                chunk.clear();
            }
        }
        f.write(chunk);
    } else {
        return false;
    }
    return f.error() == QFileDevice::NoError;
}

long peakRssKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

// One case: the program's own start path (QApplication, the seven windows as the
// application creates them, the main window shown) up to its first paint.
int runCase(const char* kind, qint64 amount) {
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    settings_file::setProgramDirectoryForTests(dir.path());
    const QString path = settings_file::path();
    if (!writeSettings(path, kind, amount))
        return 1;
    const qint64 fileBytes = QFileInfo(path).size();

    QElapsedTimer start;
    start.start();
    const double cpuStart = cpuMs();
    int argc = 1;
    char name[] = "mirvane";
    char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Application program;
    bool painted = false;
    struct PaintWatch : QObject {
        bool* painted;
        explicit PaintWatch(bool* p) : painted(p) {}
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint)
                *painted = true;
            return false;
        }
    } watch(&painted);
    program.forms().form1->installEventFilter(&watch);
    program.show();
    while (!painted)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double firstPaint = double(start.nsecsElapsed()) / 1e6;
    const double firstPaintCpu = cpuMs() - cpuStart;
    const long rss = peakRssKiB();

    // The subject button: from the press to the phrase menu's first paint.
    subject_phrases::PhraseMenu* menu =
        subject_phrases::phraseMenu(*program.forms().form1, *program.forms().form1->Edit3);
    bool menuPainted = false;
    PaintWatch menuWatch(&menuPainted);
    menu->viewport()->installEventFilter(&menuWatch);
    QElapsedTimer menuTimer;
    menuTimer.start();
    program.forms().form1->Button2->click();
    while (!menuPainted)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double menuMs = double(menuTimer.nsecsElapsed()) / 1e6;
    menu->close();

    // The settings dialog's close writes the phrases back.
    TForm2* form2 = program.forms().form2;
    const int rows = form2->subjectPhrases().size();
    form2->show();
    QCoreApplication::processEvents();
    QElapsedTimer close;
    close.start();
    const double cpuClose = cpuMs();
    form2->close();
    const double closeMs = double(close.nsecsElapsed()) / 1e6;
    const double closeCpu = cpuMs() - cpuClose;
    std::printf("%lld %.1f %ld %.1f %d %.1f %.1f %.1f\n", static_cast<long long>(fileBytes),
                firstPaint, rss, closeMs, rows, firstPaintCpu, closeCpu, menuMs);
    return 0;
}

struct Result {
    bool ok = false;
    double fileMB = 0, paintMs = 0, rssMB = 0, closeMs = 0, paintCpuMs = 0, closeCpuMs = 0,
           menuMs = 0;
    int rows = 0;
};

Result spawn(const QString& self, const char* kind, qint64 amount) {
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(self, {QString::fromLatin1(kind), QString::number(amount)});
    Result r;
    if (!p.waitForFinished(-1) || p.exitCode() != 0)
        return r;
    const QList<QByteArray> f = p.readAllStandardOutput().trimmed().split(' ');
    if (f.size() != 8)
        return r;
    r.ok = true;
    r.fileMB = f[0].toDouble() / kMB;
    r.paintMs = f[1].toDouble();
    r.rssMB = f[2].toDouble() / 1024.0;
    r.closeMs = f[3].toDouble();
    r.rows = f[4].toInt();
    r.paintCpuMs = f[5].toDouble();
    r.closeCpuMs = f[6].toDouble();
    r.menuMs = f[7].toDouble();
    return r;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3)
        return runCase(argv[1], QByteArray(argv[2]).toLongLong());

    QCoreApplication app(argc, argv);
    const QString self = QCoreApplication::applicationFilePath();
    std::printf(
        "Subject phrases: start-up to the main window's first paint (offscreen);\n"
        "cpu = processor time of the program, wall = elapsed on the shared machine\n");
    std::printf("%9s %8s %16s %17s %8s %16s %17s\n", "phrases", "file MB", "first paint cpu",
                "first paint wall", "peak MB", "dialog close cpu", "dialog close wall");
    for (const qint64 n : {1000LL, 100000LL, 1000000LL}) {
        const Result r = spawn(self, "phrases", n);
        if (!r.ok || r.rows != n) {
            std::printf("%9lld failed\n", static_cast<long long>(n));
            continue;
        }
        std::printf("%9lld %8.1f %13.0f ms %14.0f ms %8.0f %13.0f ms %14.0f ms",
                    static_cast<long long>(n), r.fileMB, r.paintCpuMs, r.paintMs, r.rssMB,
                    r.closeCpuMs, r.closeMs);
        if (n == 100000)
            std::printf("   goal < 1000 ms to the first paint: %s",
                        r.paintMs < 1000 ? "met" : (r.paintCpuMs < 1000 ? "met in cpu" : "MISSED"));
        std::printf("\n");
    }
    std::printf("\nThe subject button: press to the phrase menu's first paint\n");
    for (const qint64 n : {1000LL, 100000LL, 1000000LL}) {
        const Result r = spawn(self, "phrases", n);
        if (!r.ok)
            continue;
        std::printf("%9lld phrases: menu shown in %6.1f ms", static_cast<long long>(n), r.menuMs);
        if (n == 100000)
            std::printf("   goal < 100 ms: %s", r.menuMs < 100 ? "met" : "MISSED");
        std::printf("\n");
    }
    std::printf(
        "\n200 MB settings files: peak memory until the first paint (goal: < 3x the file)\n");
    for (const char* kind : {"draft-200mb", "entries-200mb", "phrases-200mb"}) {
        if (argc > 1 && std::strcmp(argv[1], "--no-200mb-phrases") == 0 &&
            std::strcmp(kind, "phrases-200mb") == 0)
            continue;
        const Result r = spawn(self, kind, 0);
        if (!r.ok) {
            std::printf("%15s failed\n", kind);
            continue;
        }
        const double ratio = r.rssMB / r.fileMB;
        std::printf(
            "%15s: file %.0f MB, first paint %.0f ms cpu / %.0f ms wall, peak %.0f MB = "
            "%.2fx the file %s\n",
            kind, r.fileMB, r.paintCpuMs, r.paintMs, r.rssMB, ratio,
            ratio < 3 ? "(met)" : "(MISSED)");
    }
    return 0;
}
