#pragma once

#include <QKeySequence>
#include <QList>
#include <QObject>
#include <functional>

class QAction;
class QWidget;

namespace toolkit {

// Menu shortcuts that follow the menus' enabling rules: a key first runs the opening
// handler of its item's top-level menu, as if the menu had been opened, and then
// runs the item only if it is enabled. The key never reaches the focused field, also
// when the item stays disabled.
class MenuShortcuts : public QObject {
    Q_OBJECT
  public:
    // Watches keys typed anywhere in `window`.
    explicit MenuShortcuts(QWidget* window);

    // `opening` may be empty (a menu without an opening handler).
    void add(QAction* item, std::function<void()> opening);

    // Runs the shortcut `key` as a user pressing it would; false when none matches.
    bool press(const QKeySequence& key);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Entry {
        QAction* item;
        std::function<void()> opening;
    };
    const Entry* find(const QKeySequence& key) const;

    QWidget* window_;
    QList<Entry> entries_;
};

}  // namespace toolkit
