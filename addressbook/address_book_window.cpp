#include "addressbook/address_book_window.h"

TForm4::TForm4(Forms& forms) : SecondaryWindow(forms, 4) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("アドレス帳"));
    makeFixedDialog(410, 273);
    move(190, 207);
}
