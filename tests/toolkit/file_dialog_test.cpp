#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QTimer>

#include "toolkit/file_dialog.h"

TEST(FileDialog, FilterCaptionsShowAsWritten) {
    toolkit::FileDialogRequest request;
    request.filters = {{QStringLiteral("全てのファイル(*.*)"), QStringLiteral("*.*")},
                       {QStringLiteral("JPEGイメージファイル(*.jpg)"), QStringLiteral("*.jpg")}};
    request.mustExist = false;
    QStringList shown;
    QString selected;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        ASSERT_NE(types, nullptr);
        for (int i = 0; i < types->count(); ++i)
            shown.append(types->itemText(i));
        selected = types->currentText();
        dialog->reject();
    });
    EXPECT_FALSE(toolkit::openFileDialog(nullptr, request).has_value());
    EXPECT_EQ(shown, QStringList({QStringLiteral("全てのファイル(*.*)"),
                                  QStringLiteral("JPEGイメージファイル(*.jpg)")}));
    EXPECT_EQ(selected, QStringLiteral("全てのファイル(*.*)"));
}
