#pragma once

#include <QItemSelection>
#include <QList>
#include <QTreeView>
#include <optional>

#include "addressbook/address_book.h"
#include "app/secondary_window.h"

class AddressBookModel;
class QAction;
class QFrame;
class QLabel;
class QMenu;
class QToolButton;

namespace toolkit {
class ByteLimitedLineEdit;
}

// The list of the address book window. Only a click of the user or the reading
// search makes a row current: gaining the focus does not, unlike a plain view.
class AddressListView : public QTreeView {
    Q_OBJECT
  public:
    explicit AddressListView(QWidget* parent = nullptr);
    // Commits an open name editor, so that a close saves what was typed.
    void finishEditing();

  signals:
    // A double-click anywhere in the list, also below the last row.
    void doubleClickedAnywhere();

  protected:
    // F2 edits the name of the current row, whichever cell holds the focus mark.
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

// The address book window "アドレス帳". Its list is the book in memory: loaded from
// address.ini each time the window is shown, saved each time it closes.
class TForm4 : public SecondaryWindow {
    Q_OBJECT
  public:
    explicit TForm4(Forms& forms);
    ~TForm4() override;

    // The entry an edit dialog was filled from.
    using EntryRef = TAddressEntryRef;

    // Registrations of the entry dialogs. While the window is hidden, or the book
    // could not be read, they are held and added after the next successful load.
    void addEntry(const TAddressEntry& entry);
    // Replaces the entry `ref` stands for. When that entry was deleted from the list
    // meanwhile, nothing is replaced and `entry` is added, so no edit is lost; when
    // the book was reloaded since, the first entry with the old texts is replaced.
    void replaceEntry(const EntryRef& ref, const TAddressEntry& entry);

    AddressBookModel* model() const { return model_; }
    // False after a load failed: the list is not the book, and closing saves nothing.
    bool bookLoaded() const { return loaded_; }
    // The row holding the focus mark, or -1.
    int currentRow() const;
    // The selected row nearest the top, or -1.
    int firstSelectedRow() const;
    QList<int> selectedRows() const;

    // Controls, named as in the window's design.
    QFrame* ToolBar1;
    QToolButton* ToolButton4;
    QToolButton* ToolButton1;
    QToolButton* ToolButton5;
    QToolButton* ToolButton2;
    QToolButton* ToolButton3;
    QLabel* LabeledEdit1Label;
    toolkit::ByteLimitedLineEdit* LabeledEdit1;
    QLabel* Label1;
    AddressListView* ListView1;
    QMenu* PopupMenu1;
    QAction* New1;
    QAction* Edit1;
    QAction* N1;
    QAction* Copy1;
    QAction* A1;

    // Handlers.
    void ToolButton4Click();
    void ToolButton1Click();
    void ToolButton5Click();
    void ToolButton2Click();
    void ToolButton3Click();
    // Returns whether the window may close.
    bool FormCloseQuery();
    void ListView1DblClick();
    void PopupMenu1Popup();
    void Copy1Click();
    void A1Click();
    void LabeledEdit1Change();
    void ListView1Change();

  signals:
    // An entry goes into the mail: its address for the To field and its name.
    void addressChosen(const QString& address, const QString& name);

  protected:
    void FormShow() override;
    void closeEvent(QCloseEvent* event) override;

  private:
    struct Pending {
        std::optional<TAddressEntry> replaces;
        TAddressEntry entry;
    };

    void createToolBar();
    void createControls();
    void createPopupMenu();
    // Steps 2 to 4 of mail input.
    void putIntoMail(int row);
    bool acceptsRegistrations() const;
    void applyPending();
    void refreshCount();
    void takeSelectedAsCurrent(const QItemSelection& selected);

    AddressBookModel* model_;
    bool loaded_ = true;
    // Counts loads; an edit dialog filled before the last one finds its entry by text.
    quint64 generation_ = 0;
    QList<Pending> pending_;
};
