#pragma once

#include "addressbook/address_book.h"
#include "app/secondary_window.h"

class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QToolButton;

namespace toolkit {
class ByteLimitedLineEdit;
class MenuShortcuts;
}  // namespace toolkit

// What the two entry dialogs share: the three fields, the carrier buttons and the
// invisible menu whose shortcuts edit the focused field.
class AddressEntryDialog : public SecondaryWindow {
    Q_OBJECT
  public:
    AddressEntryDialog(Forms& forms, int placementNumber);

    // The fields as an entry, as it will be stored (see address_book::storable).
    TAddressEntry fieldsEntry() const;
    void clearFields();

    // Controls, named as in the window's design.
    QLabel* LabeledEdit1Label;
    toolkit::ByteLimitedLineEdit* LabeledEdit1;
    QLabel* LabeledEdit2Label;
    toolkit::ByteLimitedLineEdit* LabeledEdit2;
    QToolButton* SpeedButton1;
    QToolButton* SpeedButton2;
    QToolButton* SpeedButton3;
    QToolButton* SpeedButton4;
    QLabel* LabeledEdit3Label;
    toolkit::ByteLimitedLineEdit* LabeledEdit3;
    QPushButton* Button1;
    QPushButton* Button3;

    QMenuBar* MainMenu1;
    QMenu* MenuItem;
    QAction* U1;
    QAction* X1;
    QAction* C1;
    QAction* P1;
    QAction* A1;

    toolkit::MenuShortcuts* shortcuts() const { return shortcuts_; }

    // Handlers.
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton4Click();
    virtual void Button1Click() = 0;
    void Button3Click();
    void U1Click();
    void X1Click();
    void C1Click();
    void P1Click();
    void A1Click();

  protected:
    // Creates the buttons at their places; the tab order follows creation.
    void createButtons(int registerLeft, int cancelLeft);
    QPushButton* pushButton(const char* name, const QString& caption, int left);
    void appendToAddress(const QByteArray& suffix);
    // Shows the error box and returns true when all three fields are empty.
    bool refuseEmpty();

  private:
    void createFields();
    void createEditMenu();
    QWidget* focusedField() const;

    toolkit::MenuShortcuts* shortcuts_ = nullptr;
};

// The new-address dialog "新規アドレス作成": adds an entry to the address book.
class TForm5 : public AddressEntryDialog {
    Q_OBJECT
  public:
    explicit TForm5(Forms& forms);

    QPushButton* Button2;

    void Button1Click() override;
    void Button2Click();

  signals:
    // The fields of a registration, before the dialog clears them.
    void entryAdded(const TAddressEntry& entry);
    // The dialog has hidden, however it was closed: the address book shows again.
    void closed();

  protected:
    void closeEvent(QCloseEvent* event) override;
};

// The edit-address dialog "アドレス編集": replaces the entry it was filled from.
class TForm6 : public AddressEntryDialog {
    Q_OBJECT
  public:
    explicit TForm6(Forms& forms);

    // Fills the fields from `entry` (clearing the change marks); the dialog then
    // stands for `ref`.
    void fill(const TAddressEntryRef& ref, const TAddressEntry& entry);
    const TAddressEntryRef& entryRef() const { return ref_; }
    // Whether the user changed a field since the dialog was filled.
    bool changed() const;

    void Button1Click() override;

  signals:
    // The changed fields, to replace the entry `ref` stands for.
    void entryEdited(const TAddressEntryRef& ref, const TAddressEntry& entry);

  private:
    TAddressEntryRef ref_;
};
