#include <QApplication>
#include <cstdio>

#include "app/settings_file.h"
#include "program/application.h"
#include "program/font_warm_up.h"

namespace {

// Qt aborts with a long message when there is no display; say how to start instead.
bool hasDisplay() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

}  // namespace

int main(int argc, char** argv) {
    if (!hasDisplay()) {
        std::fputs(
            "mirvane: no graphical display found; start it from a desktop session, or "
            "without one as: xvfb-run -a build/bin/mirvane\n",
            stderr);
        return 1;
    }
    FontWarmUp fonts;
    QApplication app(argc, argv);
    fonts.wait();
    settings_file::decidePlace();
    Application program;
    program.show();
    return QApplication::exec();
}
