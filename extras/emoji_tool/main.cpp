// emoji.exe: registers the pictograph font for the user's desktop and shows what it
// did. Mirvane starts it without arguments; two options serve scripts and tests:
//
//     emoji.exe              register, then show the result in a window
//     emoji.exe --print      register, print the result, no window
//     emoji.exe --screenshot FILE
//                            register, save a picture of the window as FILE
//
// The exit status is 0 when the font is registered (now or before), 1 otherwise.

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QProcessEnvironment>
#include <QTimer>
#include <cstdio>
#include <cstring>

#include "extras/artwork.h"
#include "font_registration.h"
#include "registration_window.h"

namespace {

QByteArray embeddedFont() {
    QFile file(QStringLiteral(":/emoji/MirvanePictographs.ttf"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

int main(int argc, char** argv) {
    bool print = false;
    QString screenshot;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--print") == 0) {
            print = true;
        } else if (std::strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc) {
            screenshot = QString::fromLocal8Bit(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: emoji.exe [--print | --screenshot FILE]\n");
            return 2;
        }
    }

    // The registration comes before the window's toolkit starts, so that its font
    // list, read from fontconfig at start, already holds the new font.
    font_registration::Outcome outcome;
    {
        QCoreApplication core(argc, argv);
        const QString fontsDir =
            font_registration::fontsDirectory(QProcessEnvironment::systemEnvironment());
        outcome = font_registration::registerFont(embeddedFont(), fontsDir);
    }
    const int status = outcome.kind == font_registration::Outcome::Kind::Failed ? 1 : 0;
    if (print) {
        std::fprintf(status ? stderr : stdout, "%s\n", outcome.message.toUtf8().constData());
        return status;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Mirvane"));
    QApplication::setWindowIcon(artwork::programIcon());
    RegistrationWindow window(outcome);
    window.show();
    if (!screenshot.isEmpty()) {
        QCoreApplication::processEvents();
        if (!window.grab().save(screenshot)) {
            std::fprintf(stderr, "emoji.exe: cannot write %s\n", qPrintable(screenshot));
            return 1;
        }
        std::fprintf(stdout, "%s\n", outcome.message.toUtf8().constData());
        if (window.drawnWithFamily())
            std::fprintf(stdout, "drawn with %s\n", font_registration::kFamily);
        return status;
    }
    QApplication::exec();
    return status;
}
