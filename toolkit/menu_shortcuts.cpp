#include "toolkit/menu_shortcuts.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace toolkit {

MenuShortcuts::MenuShortcuts(QWidget* window) : QObject(window), window_(window) {
    // The fields claim keys such as Ctrl+Z for themselves; only an application-wide
    // filter sees those keys before they do.
    qApp->installEventFilter(this);
}

void MenuShortcuts::add(QAction* item, std::function<void()> opening) {
    // The action shows its key in the menu but never fires by itself: a disabled
    // action would let its key through to the field.
    item->setShortcutContext(Qt::WidgetShortcut);
    entries_.append({item, std::move(opening)});
}

const MenuShortcuts::Entry* MenuShortcuts::find(const QKeySequence& key) const {
    for (const Entry& e : entries_) {
        if (!e.item->shortcut().isEmpty() && e.item->shortcut() == key) {
            return &e;
        }
    }
    return nullptr;
}

bool MenuShortcuts::press(const QKeySequence& key) {
    const Entry* e = find(key);
    if (!e) {
        return false;
    }
    if (e->opening) {
        e->opening();
    }
    if (e->item->isEnabled()) {
        e->item->trigger();
    }
    return true;
}

bool MenuShortcuts::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress) {
        return false;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != window_) {
        return false;
    }
    auto* key = static_cast<QKeyEvent*>(event);
    const QKeySequence seq(key->keyCombination());
    if (!find(seq)) {
        return false;
    }
    if (type == QEvent::ShortcutOverride) {
        // Deliver it as a key press, which is taken below.
        event->accept();
        return true;
    }
    press(seq);
    return true;
}

}  // namespace toolkit
