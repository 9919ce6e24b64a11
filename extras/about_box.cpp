#include "extras/about_box.h"

#include <QGuiApplication>
#include <QScreen>

#include "app/window_placement.h"

TAboutBox::TAboutBox(Forms& forms) : SecondaryWindow(forms, 3) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    makeFixedDialog(296, 177);
}

void TAboutBox::FormShow() {
    SecondaryWindow::FormShow();
    if (!centred_) {
        centred_ = true;
        const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
        if (screen) {
            QRect frame(QPoint(), QSize(window_placement::outerWidth(this),
                                        window_placement::outerHeight(this)));
            frame.moveCenter(screen->geometry().center());
            move(frame.topLeft());
        }
    }
}
