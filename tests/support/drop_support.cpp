#include "drop_support.h"

#include <private/qguiapplication_p.h>
#include <qpa/qplatformdrag.h>
#include <qpa/qwindowsysteminterface.h>
#include <QMimeData>
#include <QUrl>
#include <QWidget>
#include <QWindow>

Qt::DropAction platformDrop(QWidget* target, QPoint local, const QMimeData* data,
                            Qt::DropActions offered, Qt::KeyboardModifiers modifiers) {
    QWidget* top = target->window();
    QWindow* window = top->windowHandle();
    if (!window)
        return Qt::IgnoreAction;
    const QPoint at = target->mapTo(top, local);
    const QPlatformDragQtResponse drag =
        QWindowSystemInterface::handleDrag(window, data, at, offered, Qt::LeftButton, modifiers);
    if (!drag.isAccepted()) {
        QWindowSystemInterface::handleDrag(window, nullptr, QPoint(), offered, {}, {});
        return Qt::IgnoreAction;
    }
    const QPlatformDropQtResponse drop =
        QWindowSystemInterface::handleDrop(window, data, at, offered, Qt::LeftButton, modifiers);
    // The button was let go to drop: the pointer's next move comes without it.
    QGuiApplicationPrivate::mouse_buttons = Qt::NoButton;
    return drop.isAccepted() ? drop.acceptedAction() : Qt::IgnoreAction;
}

QMimeData* fileManagerData(const QStringList& paths) {
    auto* data = new QMimeData;
    QList<QUrl> urls;
    QString text;
    for (const QString& path : paths) {
        urls.append(QUrl::fromLocalFile(path));
        text += QUrl::fromLocalFile(path).toString() + QStringLiteral("\r\n");
    }
    data->setUrls(urls);
    data->setText(text);
    return data;
}
