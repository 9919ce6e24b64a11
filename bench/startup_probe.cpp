// startup_probe bare|text|mirvane|phases
//
// Starts either a bare Qt window or the whole program (all seven windows, the main one
// shown) and prints "painted" the moment the window's first paint is done, then ends at
// once. startup_bench times this from the process start.
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QLabel>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "composer/composer_window.h"
#include "composer/pictograph_font.h"
#include "program/application.h"
#include "toolkit/fonts.h"

namespace {

class FirstPaint : public QObject {
  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            auto* widget = static_cast<QWidget*>(watched);
            // After the paint event itself has been handled.
            widget->removeEventFilter(this);
            QMetaObject::invokeMethod(
                this,
                [] {
                    std::fputs("painted\n", stdout);
                    std::fflush(stdout);
                    std::_Exit(0);
                },
                Qt::QueuedConnection);
        }
        return false;
    }
};

}  // namespace

int main(int argc, char** argv) {
    const bool bare = argc > 1 && std::strcmp(argv[1], "bare") == 0;
    QApplication app(argc, argv);
    FirstPaint probe;
    if (argc > 1 && std::strcmp(argv[1], "text") == 0) {
        // A bare window with one line in the program's window font: what any window
        // with Japanese text pays for its fonts.
        QLabel window(QStringLiteral("宛先：メール作成中 0ﾊﾞｲﾄ"));
        window.setFont(toolkit::fonts::windowFont());
        window.resize(297, 297);
        window.installEventFilter(&probe);
        window.show();
        return QApplication::exec();
    }
    if (bare) {
        QWidget window;
        window.resize(297, 297);
        window.installEventFilter(&probe);
        window.show();
        return QApplication::exec();
    }
    // "phases": where the time goes, on standard error.
    const bool phases = argc > 1 && std::strcmp(argv[1], "phases") == 0;
    QElapsedTimer timer;
    timer.start();
    if (phases) {
        pictograph_font::load();
        std::fprintf(stderr, "pictograph font  %6.1f ms\n", timer.nsecsElapsed() / 1e6);
        timer.restart();
    }
    Application program;
    if (phases) {
        std::fprintf(stderr, "seven windows    %6.1f ms\n", timer.nsecsElapsed() / 1e6);
        timer.restart();
    }
    program.forms().form1->installEventFilter(&probe);
    program.show();
    if (phases) {
        std::fprintf(stderr, "show             %6.1f ms\n", timer.nsecsElapsed() / 1e6);
        timer.restart();
        QObject::connect(&app, &QCoreApplication::aboutToQuit, [] {});
        QMetaObject::invokeMethod(
            &app,
            [&timer] {
                std::fprintf(stderr, "to first paint   %6.1f ms\n", timer.nsecsElapsed() / 1e6);
            },
            Qt::QueuedConnection);
    }
    return QApplication::exec();
}
