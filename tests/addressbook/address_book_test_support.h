#pragma once

#include <QByteArray>
#include <QPoint>
#include <QString>

#include "addressbook/address_book.h"

class QWidget;
class TForm4;
class TempProgramDir;

namespace address_test {

// An entry from UTF-8 texts.
TAddressEntry entry(const char* name, const char* reading, const char* address);
// The file content the program writes for `book` (no other sections).
QByteArray fileFor(const TAddressBook& book);
TAddressBook storedBook(const TempProgramDir& dir);

// Types `text` into `widget` key by key; characters without a key of their own
// arrive as the text of a key event, as an input method commits them.
void typeText(QWidget* widget, const QString& text);
// A right-click at `pos` of `widget`, with the context menu event it brings.
void rightClick(QWidget* widget, QPoint pos);

// Clicks the reading cell of `row` (the name cell would start the name editor).
void clickRow(TForm4* form4, int row, Qt::KeyboardModifiers mods = Qt::NoModifier);
// The readings of the list, top to bottom, as UTF-8.
QStringList readings(const TForm4* form4);

}  // namespace address_test
