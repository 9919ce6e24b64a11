// Qt's own texts (the file dialog, the standard context menu of a field, standard
// buttons) are Japanese like the program's, whatever the user's locale: the program
// runs here under the C locale.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include "composer/composer_window.h"
#include "support/running_program.h"
#include "toolkit/status_bar.h"

namespace {

// Before QApplication reads the locale.
const bool cLocale = [] {
    qputenv("LC_ALL", "C");
    qputenv("LANG", "C");
    return true;
}();

// Runs `step` once the event loop of a modal dialog is running.
void whenOpen(std::function<void()> step) {
    QTimer::singleShot(0, qApp, std::move(step));
}

QStringList texts(const QList<QAction*>& actions) {
    QStringList out;
    for (const QAction* a : actions) {
        if (!a->isSeparator())
            out.append(a->text().section(u'\t', 0, 0));
    }
    return out;
}

QStringList buttonTexts(const QWidget* dialog) {
    QStringList out;
    for (const QAbstractButton* b : dialog->findChildren<QAbstractButton*>()) {
        if (b->isVisible() && !b->text().isEmpty())
            out.append(b->text());
    }
    return out;
}

}  // namespace

using QtTexts = RunningProgram;

TEST_F(QtTexts, TheFileDialogAndAFieldsContextMenuSpeakJapaneseUnderTheCLocale) {
    ASSERT_TRUE(cLocale);
    ASSERT_EQ(QLocale::system().name(), QStringLiteral("C"));

    QStringList dialogButtons;
    QString fileNameLabel;
    QStringList menuItems;
    bool sawDialog = false;
    bool sawMenu = false;
    whenOpen([&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        sawDialog = true;
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
        dialogButtons = buttonTexts(dialog);
        if (auto* label = dialog->findChild<QLabel*>(QStringLiteral("fileNameLabel")))
            fileNameLabel = label->text();

        // A name typed in the file name field, then a right click there opens Qt's own
        // edit menu.
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(edit, nullptr);
        QTest::keyClicks(edit, QStringLiteral("photo.jpg"));
        // The folder is listed by a thread of its own; the picture is taken once it is.
        if (auto* list = dialog->findChild<QTreeView*>(QStringLiteral("treeView"))) {
            EXPECT_TRUE(QTest::qWaitFor(
                [&] { return list->model()->rowCount(list->rootIndex()) > 0; }, 3000));
        }
        saveScreenshot(dialog, QStringLiteral("qt_texts_file_dialog"));
        const QPoint at(10, edit->height() / 2);
        QTest::mousePress(edit, Qt::RightButton, {}, at);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, edit->mapToGlobal(at));
        QApplication::sendEvent(edit, &event);
        QTest::mouseRelease(edit, Qt::RightButton, {}, at);
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(menu));
            sawMenu = true;
            menuItems = texts(menu->actions());
            saveScreenshot(menu, QStringLiteral("qt_texts_context_menu"));
            menu->close();
        }
        dialog->reject();
    });
    // The attach command, by its shortcut.
    QTest::keyClick(form1, Qt::Key_F, Qt::ControlModifier);

    ASSERT_TRUE(sawDialog);
    EXPECT_TRUE(dialogButtons.contains(QStringLiteral("開く(&O)")))
        << dialogButtons.join(u' ').toStdString();
    EXPECT_TRUE(dialogButtons.contains(QStringLiteral("キャンセル")))
        << dialogButtons.join(u' ').toStdString();
    EXPECT_EQ(fileNameLabel, QStringLiteral("ファイル名(&N):"));
    ASSERT_TRUE(sawMenu);
    EXPECT_EQ(menuItems,
              (QStringList{QStringLiteral("元に戻す(&U)"), QStringLiteral("やり直す(&R)"),
                           QStringLiteral("切り取り(&T)"), QStringLiteral("コピー(&C)"),
                           QStringLiteral("貼り付け(&P)"), QStringLiteral("削除"),
                           QStringLiteral("すべてを選択")}))
        << menuItems.join(u' ').toStdString();
    // Nothing was attached.
    EXPECT_EQ(form1->StatusBar1->panelText(1), QStringLiteral("添付：なし"));
}
