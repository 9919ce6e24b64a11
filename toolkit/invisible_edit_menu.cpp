#include "toolkit/invisible_edit_menu.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <utility>

#include "toolkit/menu_shortcuts.h"

namespace toolkit {

InvisibleEditMenu createInvisibleEditMenu(QWidget* window, EditMenuItems items) {
    // Only the shortcuts of this menu matter; it is never seen. Its items stay visible
    // to the toolkit, which would disable invisible ones.
    InvisibleEditMenu m;
    m.bar = new QMenuBar(window);
    m.bar->setObjectName(QStringLiteral("MainMenu1"));
    m.bar->setVisible(false);
    m.menu = m.bar->addMenu(QStringLiteral("メニュー"));
    m.menu->menuAction()->setVisible(false);
    m.shortcuts = new MenuShortcuts(window);
    auto add = [&](EditMenuItem& item, const QString& caption, QKeyCombination key) {
        QAction* a = m.menu->addAction(caption);
        a->setObjectName(QLatin1StringView(item.name));
        a->setShortcut(QKeySequence(key));
        m.shortcuts->add(a, {});
        QObject::connect(a, &QAction::triggered, window, std::move(item.handler));
        return a;
    };
    m.undo = add(items.undo, QStringLiteral("元に戻す(&U)"), Qt::CTRL | Qt::Key_Z);
    m.cut = add(items.cut, QStringLiteral("切り取り(&X)"), Qt::CTRL | Qt::Key_X);
    m.copy = add(items.copy, QStringLiteral("コピー(&C)"), Qt::CTRL | Qt::Key_C);
    m.paste = add(items.paste, QStringLiteral("貼り付け(&P)"), Qt::CTRL | Qt::Key_V);
    m.selectAll = add(items.selectAll, QStringLiteral("全て選択(&A)"), Qt::CTRL | Qt::Key_A);
    return m;
}

}  // namespace toolkit
