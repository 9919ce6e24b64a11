#include "history/history_window.h"

#include "app/window_placement.h"

TForm7::TForm7(Forms& forms) : SecondaryWindow(forms, 7) {
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(QStringLiteral("送信履歴"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setMinimumSize(kMinWidth, kMinHeight);
    move(273, 152);
    window_placement::resizeOuter(this, 338, 308);
}

void TForm7::readPlacement(const IniDocument& doc) {
    SecondaryWindow::readPlacement(doc);
    const QSize size = window_placement::readSize(doc, this, 7);
    // A stored size under the minimum is refused as a whole.
    if (canResize(size.width(), size.height())) {
        window_placement::resizeOuter(this, size.width(), size.height());
    }
}

void TForm7::writePlacement(IniDocument& doc) {
    SecondaryWindow::writePlacement(doc);
    window_placement::writeSize(doc, this, 7);
}
