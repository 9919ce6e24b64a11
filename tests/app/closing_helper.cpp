// Walks the secondary windows of a running program in the program directory given
// as its argument, as a user does: registers an address, edits it, opens and closes
// the address book, the version dialog and the send history. Prints, one line each,
// whether every window closed, then every box the program showed. The tests run it
// as another user, in a directory whose settings file that user cannot write.
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <cstdio>

#include "addressbook/address_book_window.h"
#include "addressbook/address_entry_dialogs.h"
#include "app/settings_file.h"
#include "composer/composer_window.h"
#include "extras/about_box.h"
#include "history/history_window.h"
#include "program/application.h"
#include "toolkit/byte_limited_edit.h"
#include "toolkit/message_box.h"

namespace {

void say(const char* window, const QWidget* w) {
    std::printf("%s %s\n", window, w->isVisible() ? "open" : "closed");
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: closing_helper PROGRAM_DIR\n", stderr);
        return 2;
    }
    settings_file::setProgramDirectoryForTests(QString::fromLocal8Bit(argv[1]));
    toolkit::MessageBoxScript boxes;
    for (int i = 0; i < 20; ++i)
        boxes.answer(toolkit::Answer::Ok);
    {
        Application program;
        program.show();
        Forms& forms = program.forms();

        // A new address from the main window's menu, registered with its button.
        forms.form1->N15->trigger();
        QTest::keyClicks(forms.form5->LabeledEdit1, QStringLiteral("Sato"));
        QTest::keyClicks(forms.form5->LabeledEdit2, QStringLiteral("sato"));
        QTest::keyClicks(forms.form5->LabeledEdit3, QStringLiteral("sato@example.jp"));
        QTest::mouseClick(forms.form5->Button1, Qt::LeftButton);
        say("new-address", forms.form5);

        // The registration shows the book; the entry is edited from there.
        forms.form4->ListView1->setCurrentIndex(forms.form4->ListView1->model()->index(0, 1));
        QTest::mouseClick(forms.form4->ToolButton5, Qt::LeftButton);
        QTest::keyClicks(forms.form6->LabeledEdit1, QStringLiteral("ko"));
        QTest::mouseClick(forms.form6->Button1, Qt::LeftButton);
        say("edit-address", forms.form6);

        QTest::mouseClick(forms.form4->ToolButton3, Qt::LeftButton);
        say("address-book", forms.form4);

        forms.form1->About1->trigger();
        QTest::mouseClick(forms.aboutBox->OKButton, Qt::LeftButton);
        say("version", forms.aboutBox);

        forms.form1->L1->trigger();
        QTest::mouseClick(forms.form7->Button4, Qt::LeftButton);
        say("history", forms.form7);
    }
    for (const toolkit::ShownBox& box : boxes.shown())
        std::printf("box %s: %s\n", qPrintable(box.caption), qPrintable(box.text));
    return 0;
}
