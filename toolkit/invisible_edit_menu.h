#pragma once

#include <functional>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace toolkit {

class MenuShortcuts;

// The invisible menu of a dialog: its invisible items only give the dialog's text fields
// Ctrl+Z, Ctrl+X, Ctrl+C, Ctrl+V and Ctrl+A. The handlers act on whichever field has the
// keyboard focus; each window names its items as its design does.
struct InvisibleEditMenu {
    QMenuBar* bar = nullptr;
    QMenu* menu = nullptr;
    MenuShortcuts* shortcuts = nullptr;
    QAction* undo = nullptr;
    QAction* cut = nullptr;
    QAction* copy = nullptr;
    QAction* paste = nullptr;
    QAction* selectAll = nullptr;
};

struct EditMenuItem {
    const char* name;
    std::function<void()> handler;
};

struct EditMenuItems {
    EditMenuItem undo;
    EditMenuItem cut;
    EditMenuItem copy;
    EditMenuItem paste;
    EditMenuItem selectAll;
};

InvisibleEditMenu createInvisibleEditMenu(QWidget* window, EditMenuItems items);

}  // namespace toolkit
