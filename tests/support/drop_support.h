#pragma once

#include <QPoint>
#include <Qt>

class QMimeData;
class QWidget;

// A drop as the platform delivers it: a drag entering the window at the point, then
// the drop there, both through the window system interface. Returns the action the
// target accepted (what the source then does), IgnoreAction when it refused.
Qt::DropAction platformDrop(QWidget* target, QPoint local, const QMimeData* data,
                            Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction,
                            Qt::KeyboardModifiers modifiers = Qt::NoModifier);

// Data as a file manager offers it for local files: a URI list and the same list as
// text.
QMimeData* fileManagerData(const QStringList& paths);
