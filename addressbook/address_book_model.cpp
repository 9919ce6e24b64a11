#include "addressbook/address_book_model.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <utility>

#include "addressbook/reading_collator.h"
#include "toolkit/cp932.h"

AddressBookModel::AddressBookModel(QObject* parent) : QAbstractTableModel(parent) {}

AddressBookModel::~AddressBookModel() = default;

int AddressBookModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int AddressBookModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 3;
}

QVariant AddressBookModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) {
        return {};
    }
    const TAddressEntry& e = rows_[index.row()].entry;
    switch (index.column()) {
        case NameColumn:
            return cp932::decode(e.name);
        case ReadingColumn:
            return cp932::decode(e.reading);
        case AddressColumn:
            return cp932::decode(e.address);
        default:
            return {};
    }
}

QVariant AddressBookModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    switch (section) {
        case NameColumn:
            return QStringLiteral("名前");
        case ReadingColumn:
            return QStringLiteral("ふりがな");
        case AddressColumn:
            return QStringLiteral("アドレス");
        default:
            return {};
    }
}

Qt::ItemFlags AddressBookModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index) | Qt::ItemNeverHasChildren;
    if (index.isValid() && index.column() == NameColumn) {
        f |= Qt::ItemIsEditable;
    }
    return f;
}

bool AddressBookModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.column() != NameColumn || role != Qt::EditRole) {
        return false;
    }
    rows_[index.row()].entry.name = address_book::storable(cp932::encode(value.toString()));
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

AddressBookModel::SearchPrefix AddressBookModel::prefixOf(QByteArrayView reading) {
    SearchPrefix p;
    p.size = reading.size();
    std::memcpy(&p.bytes, reading.data(), size_t(qMin<qsizetype>(8, reading.size())));
    return p;
}

void AddressBookModel::setBook(const TAddressBook& book) {
    // Made before the reset: memory that runs out here leaves the list as it was.
    QList<Row> rows;
    QList<SearchPrefix> prefixes;
    rows.reserve(book.size());
    prefixes.reserve(book.size());
    for (const TAddressEntry& e : book) {
        rows.append({e, nextId_++, {}, false});
        prefixes.append(prefixOf(e.reading));
    }
    beginResetModel();
    rows_ = std::move(rows);
    prefixes_ = std::move(prefixes);
    sortedCount_ = 0;
    endResetModel();
}

TAddressBook AddressBookModel::book() const {
    TAddressBook book;
    book.reserve(rows_.size());
    for (const Row& r : rows_) {
        book.append(r.entry);
    }
    return book;
}

int AddressBookModel::rowOf(quint64 id) const {
    for (qsizetype i = 0; i < rows_.size(); ++i) {
        if (rows_[i].id == id) {
            return int(i);
        }
    }
    return -1;
}

int AddressBookModel::rowOf(const TAddressEntry& entry) const {
    for (qsizetype i = 0; i < rows_.size(); ++i) {
        if (rows_[i].entry == entry) {
            return int(i);
        }
    }
    return -1;
}

quint64 AddressBookModel::append(const TAddressEntry& entry) {
    const int row = int(rows_.size());
    beginInsertRows({}, row, row);
    rows_.append({entry, nextId_++, {}, false});
    prefixes_.append(prefixOf(entry.reading));
    endInsertRows();
    return rows_.last().id;
}

void AddressBookModel::removeRowsAt(QList<int> rows) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    // From the bottom up, one contiguous run at a time.
    qsizetype i = rows.size();
    while (i > 0) {
        const int last = rows[i - 1];
        int first = last;
        --i;
        while (i > 0 && rows[i - 1] == first - 1) {
            first = rows[--i];
        }
        beginRemoveRows({}, first, last);
        rows_.remove(first, last - first + 1);
        prefixes_.remove(first, last - first + 1);
        if (first < sortedCount_) {
            sortedCount_ -= qMin<qsizetype>(sortedCount_, last + 1) - first;
        }
        endRemoveRows();
    }
}

void AddressBookModel::sortByReading() {
    // Made at the first sort: the collation data is not loaded by a program that never
    // opens the book.
    if (!collator_)
        collator_ = std::make_unique<ReadingCollator>();
    for (Row& r : rows_) {
        if (!r.hasKey) {
            r.sortKey = collator_->sortKey(r.entry.reading);
            r.hasKey = true;
        }
    }
    const auto less = [&](int a, int b) { return rows_[a].sortKey < rows_[b].sortKey; };
    QList<int> order;
    order.reserve(rows_.size());
    if (sortedCount_ > 0 && rows_.size() - sortedCount_ <= 16) {
        // A few rows appended to a sorted list: each goes after the rows whose readings
        // equal its own, exactly where a stable sort would put it.
        for (qsizetype i = 0; i < sortedCount_; ++i) {
            order.append(int(i));
        }
        for (qsizetype i = sortedCount_; i < rows_.size(); ++i) {
            const auto at = std::upper_bound(order.begin(), order.end(), int(i), less);
            order.insert(at, int(i));
        }
    } else {
        for (qsizetype i = 0; i < rows_.size(); ++i) {
            order.append(int(i));
        }
        std::stable_sort(order.begin(), order.end(), less);
    }
    sortedCount_ = rows_.size();
    applyOrder(order);
}

void AddressBookModel::applyOrder(const QList<int>& order) {
    bool unchanged = true;
    for (qsizetype i = 0; i < order.size() && unchanged; ++i) {
        unchanged = order[i] == i;
    }
    if (unchanged) {
        return;
    }

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    QList<int> newRow(rows_.size());
    QList<Row> sorted;
    QList<SearchPrefix> prefixes;
    sorted.reserve(rows_.size());
    prefixes.reserve(rows_.size());
    for (qsizetype i = 0; i < order.size(); ++i) {
        newRow[order[i]] = int(i);
        sorted.append(std::move(rows_[order[i]]));
        prefixes.append(prefixes_[order[i]]);
    }
    rows_ = std::move(sorted);
    prefixes_ = std::move(prefixes);
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& index : from) {
        to.append(this->index(newRow[index.row()], index.column()));
    }
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int AddressBookModel::findReading(QByteArrayView prefix) const {
    if (prefix.isEmpty()) {
        return -1;
    }
    const SearchPrefix wanted = prefixOf(prefix);
    const qsizetype head = qMin<qsizetype>(8, prefix.size());
    const quint64 mask = head == 8 ? ~quint64(0) : (quint64(1) << (8 * head)) - 1;
    // The mask keeps the first `head` bytes on a little-endian machine.
    static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN);
    for (qsizetype i = 0; i < prefixes_.size(); ++i) {
        const SearchPrefix& p = prefixes_[i];
        if (p.size >= wanted.size && (p.bytes & mask) == wanted.bytes &&
            (head == prefix.size() || rows_[i].entry.reading.startsWith(prefix))) {
            return int(i);
        }
    }
    return -1;
}
