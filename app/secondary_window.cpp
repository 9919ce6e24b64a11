#include "app/secondary_window.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QShowEvent>

#include "app/settings_file.h"
#include "app/window_placement.h"
#include "toolkit/error_report.h"
#include "toolkit/fonts.h"

SecondaryWindow::SecondaryWindow(Forms& forms, int placementNumber, QWidget* parent)
    : QWidget(parent, Qt::Window), forms_(forms), number_(placementNumber) {
    setFont(toolkit::fonts::windowFont());
    new window_placement::FrameKeeper(this, [this](QSize extra) { frameChanged(extra); });
}

void SecondaryWindow::frameChanged(QSize) {}

void SecondaryWindow::showWindow() {
    if (isVisible()) {
        // A minimised window comes back as it was before.
        if (isMinimized())
            setWindowState(windowState() & ~Qt::WindowMinimized);
        raise();
        activateWindow();
        return;
    }
    show();
    activateWindow();
}

void SecondaryWindow::FormShow() {
    toolkit::guarded(this, [&] {
        const IniDocument doc = settings_file::open();
        readPlacement(doc);
    });
}

void SecondaryWindow::FormClose() {
    toolkit::guarded(
        this, [&] { settings_file::modify([&](IniDocument& doc) { writePlacement(doc); }); });
}

void SecondaryWindow::readPlacement(const IniDocument& doc) {
    window_placement::readPosition(doc, this, number_);
}

void SecondaryWindow::writePlacement(IniDocument& doc) {
    window_placement::writePosition(doc, this, number_);
}

void SecondaryWindow::showEvent(QShowEvent* event) {
    // A window restored from the task bar is not shown anew.
    if (!event->spontaneous()) {
        FormShow();
    }
    QWidget::showEvent(event);
}

void SecondaryWindow::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void SecondaryWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && escapeButton_) {
        if (escapeButton_->isEnabled())
            escapeButton_->click();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SecondaryWindow::makeFixedDialog(int clientWidth, int clientHeight) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(clientWidth, clientHeight);
}
