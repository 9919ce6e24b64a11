#include "addressbook/address_entry_dialogs.h"

TForm5::TForm5(Forms& forms) : SecondaryWindow(forms, 5) {
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("新規アドレス作成"));
    makeFixedDialog(246, 126);
    move(277, 152);
}

TForm6::TForm6(Forms& forms) : SecondaryWindow(forms, 6) {
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral("アドレス編集"));
    makeFixedDialog(246, 126);
    move(287, 161);
}
