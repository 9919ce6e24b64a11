#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <memory>

#include "addressbook/address_book.h"

class ReadingCollator;

// The address book window's list: one row per entry, columns name, reading and
// address; only the name can be edited. Each row keeps an identity of its own, so
// that a dialog filled from an entry finds that entry again after sorting.
class AddressBookModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column { NameColumn, ReadingColumn, AddressColumn };

    explicit AddressBookModel(QObject* parent = nullptr);
    ~AddressBookModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // The name column only: the edited text becomes the entry's name.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // Replaces every row by `book`, in its order.
    void setBook(const TAddressBook& book);
    TAddressBook book() const;

    const TAddressEntry& entry(int row) const { return rows_[row].entry; }
    quint64 idAt(int row) const { return rows_[row].id; }
    // The row of the entry with `id`, or -1 when it is gone.
    int rowOf(quint64 id) const;
    // The first row holding exactly `entry`, or -1.
    int rowOf(const TAddressEntry& entry) const;

    // Appends a row; returns its identity. Does not sort.
    quint64 append(const TAddressEntry& entry);
    // Removes the given rows (any order).
    void removeRowsAt(QList<int> rows);
    // Sorts by reading, stable; selection and current row follow their entries.
    void sortByReading();

    // The first row whose reading begins with `prefix` byte for byte, or -1; an empty
    // prefix matches nothing.
    int findReading(QByteArrayView prefix) const;

  private:
    struct Row {
        TAddressEntry entry;
        quint64 id = 0;
        QByteArray sortKey;
        bool hasKey = false;
    };

    QList<Row> rows_;
    quint64 nextId_ = 1;
    std::unique_ptr<ReadingCollator> collator_;
};
