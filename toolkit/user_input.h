#pragma once

#include <QEvent>

// The events that come from the user: keys and shortcuts, mouse buttons and the wheel,
// context menus, input methods, drags and drops, touches, and a window's close.
namespace toolkit {

bool isUserInput(QEvent::Type type);

}  // namespace toolkit
