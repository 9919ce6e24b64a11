// startup_probe bare|text|mirvane|phases
//
// Starts either a bare Qt window or the whole program (the main window shown, the six
// hidden ones made after its first paint) and prints "painted" the moment the window's first paint
// is done, then ends at once, or stays with MIRVANE_PROBE_STAY set (startup_bench then watches the
// window from outside). startup_bench times this from the process start.
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFontDatabase>
#include <QLabel>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "composer/composer_window.h"
#include "composer/pictograph_font.h"
#include "program/application.h"
#include "program/font_warm_up.h"
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
                    if (qEnvironmentVariableIsEmpty("MIRVANE_PROBE_STAY"))
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
    const bool text = argc > 1 && std::strcmp(argv[1], "text") == 0;
    // The program's own start: its font configuration read beside the toolkit's start.
    std::optional<FontWarmUp> fonts;
    if (!bare && !text)
        fonts.emplace();
    QApplication app(argc, argv);
    if (fonts)
        fonts->wait();
    FirstPaint probe;
    if (text) {
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
        QFontDatabase::families();
        std::fprintf(stderr, "font database    %6.1f ms\n", timer.nsecsElapsed() / 1e6);
        timer.restart();
        pictograph_font::load();
        std::fprintf(stderr, "pictograph font  %6.1f ms\n", timer.nsecsElapsed() / 1e6);
        timer.restart();
    }
    Application program;
    if (phases) {
        std::fprintf(stderr, "main window      %6.1f ms\n", timer.nsecsElapsed() / 1e6);
        timer.restart();
    }
    program.show();
    // The paint comes from the event loop, after the program's own reactions to show().
    program.mainWindow()->installEventFilter(&probe);
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
