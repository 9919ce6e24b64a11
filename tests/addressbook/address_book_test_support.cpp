#include "address_book_test_support.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QTest>
#include <QTreeView>

#include "addressbook/address_book_model.h"
#include "addressbook/address_book_window.h"
#include "app/ini_document.h"
#include "support/test_support.h"
#include "toolkit/cp932.h"

namespace address_test {

TAddressEntry entry(const char* name, const char* reading, const char* address) {
    return {cp932::encode(QString::fromUtf8(name)), cp932::encode(QString::fromUtf8(reading)),
            cp932::encode(QString::fromUtf8(address))};
}

QByteArray fileFor(const TAddressBook& book) {
    IniDocument doc;
    address_book::write(doc, book);
    return doc.toBytes();
}

TAddressBook storedBook(const TempProgramDir& dir) {
    return address_book::read(IniDocument::fromBytes(dir.read(QStringLiteral("address.ini"))));
}

void typeText(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(widget, char(c.unicode()));
        } else {
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
}

void rightClick(QWidget* widget, QPoint pos) {
    QTest::mouseClick(widget, Qt::RightButton, {}, pos);
    QContextMenuEvent event(QContextMenuEvent::Mouse, pos, widget->mapToGlobal(pos));
    QApplication::sendEvent(widget, &event);
}

void clickRow(TForm4* form4, int row, Qt::KeyboardModifiers mods) {
    const QRect r = form4->ListView1->visualRect(form4->model()->index(row, 1));
    QTest::mouseClick(form4->ListView1->viewport(), Qt::LeftButton, mods, r.center());
}

QStringList readings(const TForm4* form4) {
    QStringList out;
    for (int r = 0; r < form4->model()->rowCount(); ++r) {
        out.append(cp932::decode(form4->model()->entry(r).reading));
    }
    return out;
}

}  // namespace address_test
