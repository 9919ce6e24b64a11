#include "addressbook/address_book_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QToolButton>

#include "addressbook/address_book_model.h"
#include "addressbook/address_entry_dialogs.h"
#include "app/settings_file.h"
#include "toolkit/accessibility.h"
#include "toolkit/byte_limited_edit.h"
#include "toolkit/clipboard.h"
#include "toolkit/cp932.h"
#include "toolkit/error_report.h"
#include "toolkit/file_error.h"
#include "toolkit/fonts.h"
#include "toolkit/message_box.h"

namespace {

const QString kSelectAddress = QStringLiteral("アドレスを選択してください。");

// Grid lines between the cells, and the name editor as a field of the code page.
class GridDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyledItemDelegate::paint(painter, option, index);
        painter->save();
        painter->setPen(option.palette.color(QPalette::Midlight));
        const QRect r = option.rect;
        painter->drawLine(r.right(), r.top(), r.right(), r.bottom());
        painter->drawLine(r.left(), r.bottom(), r.right(), r.bottom());
        painter->restore();
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex&) const override {
        auto* editor = new toolkit::ByteLimitedLineEdit(parent);
        editor->setFont(toolkit::fonts::fieldFont());
        editor->setFrame(false);
        return editor;
    }
};

enum class Picture { Mail, New, Edit, Delete, Close };

// The toolbar's pictures, drawn so that they need no image files.
QIcon toolPicture(Picture kind) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor outline(40, 40, 40);
    switch (kind) {
        case Picture::Mail: {
            p.setPen(QPen(outline, 1));
            p.setBrush(QColor(255, 244, 190));
            p.drawRect(QRectF(1.5, 3.5, 13, 9));
            p.drawPolyline(QPolygonF({{1.5, 3.5}, {8, 9}, {14.5, 3.5}}));
            break;
        }
        case Picture::New: {
            p.setPen(QPen(outline, 1));
            p.setBrush(Qt::white);
            p.drawPolygon(
                QPolygonF({{2.5, 1.5}, {9.5, 1.5}, {12.5, 4.5}, {12.5, 14.5}, {2.5, 14.5}}));
            p.setPen(QPen(QColor(0, 140, 0), 2));
            p.drawLine(QPointF(11, 8), QPointF(11, 15));
            p.drawLine(QPointF(7.5, 11.5), QPointF(14.5, 11.5));
            break;
        }
        case Picture::Edit: {
            p.setPen(QPen(outline, 1));
            p.setBrush(QColor(240, 190, 60));
            p.drawPolygon(QPolygonF({{11, 1.5}, {14.5, 5}, {6, 13.5}, {2.5, 10}}));
            p.setBrush(QColor(250, 220, 180));
            p.drawPolygon(QPolygonF({{2.5, 10}, {6, 13.5}, {1.5, 14.5}}));
            break;
        }
        case Picture::Delete: {
            p.setPen(QPen(QColor(200, 30, 30), 2.5, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
            p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
            break;
        }
        case Picture::Close: {
            p.setPen(QPen(outline, 1));
            p.setBrush(QColor(150, 100, 60));
            p.drawRect(QRectF(3.5, 1.5, 8, 13));
            p.setBrush(QColor(240, 200, 60));
            p.drawEllipse(QPointF(9.5, 8.5), 1, 1);
            p.setPen(QPen(QColor(0, 90, 180), 1.5));
            p.drawLine(QPointF(12, 8), QPointF(15.5, 8));
            break;
        }
    }
    return QIcon(pixmap);
}

}  // namespace

AddressListView::AddressListView(QWidget* parent) : QTreeView(parent) {}

void AddressListView::finishEditing() {
    const QModelIndex index = currentIndex();
    if (QWidget* editor = indexWidget(index); editor && state() == EditingState) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

bool AddressListView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    if (index.isValid() && (trigger == EditKeyPressed || trigger == AllEditTriggers)) {
        return QTreeView::edit(index.siblingAtColumn(0), trigger, event);
    }
    return QTreeView::edit(index, trigger, event);
}

void AddressListView::focusInEvent(QFocusEvent* event) {
    // Skips the view's choice of a current row on focus.
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void AddressListView::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton) {
        emit doubleClickedAnywhere();
    }
}

TForm4::TForm4(Forms& forms) : SecondaryWindow(forms, 4), model_(new AddressBookModel(this)) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("アドレス帳"));
    makeFixedDialog(410, 273);
    move(190, 207);
    createToolBar();
    createControls();
    createPopupMenu();
    refreshCount();
}

TForm4::~TForm4() = default;

void TForm4::createToolBar() {
    ToolBar1 = new QFrame(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setGeometry(0, 0, 410, 41);
    int left = 0;
    auto button = [&](const char* name, const QString& caption, const QString& hint,
                      Picture picture, void (TForm4::*handler)()) {
        auto* b = new QToolButton(ToolBar1);
        b->setObjectName(QLatin1StringView(name));
        b->setText(caption);
        b->setToolTip(hint);
        b->setIcon(toolPicture(picture));
        b->setIconSize(QSize(16, 16));
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setGeometry(left, 3, 82, 35);
        left += 82;
        connect(b, &QToolButton::clicked, this, [this, handler] { (this->*handler)(); });
        return b;
    };
    ToolButton4 =
        button("ToolButton4", QStringLiteral("メール入力(&I)"),
               QStringLiteral("選択したアドレスをメイン画面のアドレス入力欄に入力します。"),
               Picture::Mail, &TForm4::ToolButton4Click);
    ToolButton1 = button("ToolButton1", QStringLiteral("新規作成(&N)"),
                         QStringLiteral("新規メールアドレスを作成します。"), Picture::New,
                         &TForm4::ToolButton1Click);
    ToolButton5 = button("ToolButton5", QStringLiteral("編集(&E)"),
                         QStringLiteral("選択したアドレスデータを編集します。"), Picture::Edit,
                         &TForm4::ToolButton5Click);
    ToolButton2 = button("ToolButton2", QStringLiteral("削除(&D)"),
                         QStringLiteral("選択したアドレスデータを削除します。"), Picture::Delete,
                         &TForm4::ToolButton2Click);
    ToolButton3 =
        button("ToolButton3", QStringLiteral("閉じる(&C)"),
               QStringLiteral("アドレス帳を閉じます。"), Picture::Close, &TForm4::ToolButton3Click);
    ToolBar1->setAccessibleName(QStringLiteral("ツールバー"));
    setEscapeButton(ToolButton3);
}

void TForm4::createControls() {
    LabeledEdit1 = new toolkit::ByteLimitedLineEdit(this);
    LabeledEdit1->setObjectName(QStringLiteral("LabeledEdit1"));
    LabeledEdit1->setFont(toolkit::fonts::fieldFont());
    LabeledEdit1->setGeometry(80, 42, 145, 20);
    LabeledEdit1Label = new QLabel(QStringLiteral("ふりがな検索 "), this);
    LabeledEdit1Label->setObjectName(QStringLiteral("LabeledEdit1Label"));
    LabeledEdit1Label->setBuddy(LabeledEdit1);
    LabeledEdit1Label->adjustSize();
    LabeledEdit1Label->move(80 - 3 - LabeledEdit1Label->width(),
                            42 + (20 - LabeledEdit1Label->height()) / 2);
    connect(LabeledEdit1, &QLineEdit::textChanged, this, [this] { LabeledEdit1Change(); });

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(toolkit::fonts::fieldFont());
    Label1->setTextFormat(Qt::PlainText);
    Label1->setGeometry(272, 46, 410 - 272, 14);

    ListView1 = new AddressListView(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setFont(toolkit::fonts::fieldFont());
    ListView1->setGeometry(0, 64, 410, 209);
    ListView1->setModel(model_);
    ListView1->setItemDelegate(new GridDelegate(ListView1));
    ListView1->setRootIsDecorated(false);
    toolkit::accessibility::nameScrollArea(ListView1, QStringLiteral("アドレス一覧"));
    ListView1->setItemsExpandable(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setAllColumnsShowFocus(true);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListView1->setEditTriggers(QAbstractItemView::SelectedClicked |
                               QAbstractItemView::EditKeyPressed);
    ListView1->setSortingEnabled(false);
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    QHeaderView* header = ListView1->header();
    header->setSectionsClickable(false);
    header->setSectionsMovable(false);
    header->setStretchLastSection(false);
    header->setFont(toolkit::fonts::fieldFont());
    header->resizeSection(AddressBookModel::NameColumn, 100);
    header->resizeSection(AddressBookModel::ReadingColumn, 120);
    header->resizeSection(AddressBookModel::AddressColumn, 168);

    connect(ListView1, &AddressListView::doubleClickedAnywhere, this,
            [this] { ListView1DblClick(); });
    connect(ListView1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected) {
                takeSelectedAsCurrent(selected);
                ListView1Change();
            });
    connect(ListView1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { ListView1Change(); });
    connect(model_, &QAbstractItemModel::dataChanged, this, [this] { ListView1Change(); });

    setTabOrder(LabeledEdit1, ListView1);
}

void TForm4::createPopupMenu() {
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    auto item = [&](const char* name, const QString& caption, bool enabled,
                    void (TForm4::*handler)()) {
        QAction* a = PopupMenu1->addAction(caption);
        a->setObjectName(QLatin1StringView(name));
        a->setEnabled(enabled);
        connect(a, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
        return a;
    };
    New1 = item("New1", QStringLiteral("新規作成(&N)..."), true, &TForm4::ToolButton1Click);
    Edit1 = item("Edit1", QStringLiteral("編集(&E)"), false, &TForm4::ToolButton5Click);
    N1 = item("N1", QStringLiteral("削除(&D)"), false, &TForm4::ToolButton2Click);
    PopupMenu1->addSeparator();
    Copy1 = item("Copy1", QStringLiteral("アドレスコピー(&C)"), false, &TForm4::Copy1Click);
    PopupMenu1->addSeparator();
    A1 = item("A1", QStringLiteral("全て選択(&A)"), true, &TForm4::A1Click);
    connect(ListView1, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        PopupMenu1Popup();
        PopupMenu1->popup(ListView1->viewport()->mapToGlobal(pos));
    });
}

int TForm4::currentRow() const {
    const QModelIndex index = ListView1->selectionModel()->currentIndex();
    return index.isValid() ? index.row() : -1;
}

int TForm4::firstSelectedRow() const {
    int first = -1;
    for (const QItemSelectionRange& range : ListView1->selectionModel()->selection()) {
        if (first < 0 || range.top() < first) {
            first = range.top();
        }
    }
    return first;
}

QList<int> TForm4::selectedRows() const {
    QList<int> rows;
    for (const QItemSelectionRange& range : ListView1->selectionModel()->selection()) {
        for (int r = range.top(); r <= range.bottom(); ++r) {
            rows.append(r);
        }
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void TForm4::FormShow() {
    SecondaryWindow::FormShow();
    ListView1->finishEditing();
    ++generation_;
    model_->setBook({});
    loaded_ = toolkit::guarded(this, [&] {
        const QString path = address_book::path();
        // Memory that runs out while the rows are made is the file's size too.
        readingFile(path, [&] { model_->setBook(address_book::load(path)); });
    });
    if (loaded_) {
        applyPending();
    }
    // A reloaded list starts at its first row, wherever the last showing left it.
    ListView1->scrollToTop();
    ListView1->horizontalScrollBar()->setValue(0);
    refreshCount();
}

void TForm4::closeEvent(QCloseEvent* event) {
    if (FormCloseQuery()) {
        event->accept();
    } else {
        event->ignore();
    }
}

bool TForm4::FormCloseQuery() {
    ListView1->finishEditing();
    // A place that cannot be stored is reported and costs nothing else: the book is
    // saved all the same, and only a book that could not be saved keeps the window.
    toolkit::guarded(
        this, [&] { settings_file::modify([&](IniDocument& doc) { writePlacement(doc); }); });
    return toolkit::guarded(this, [&] {
        // A book that could not be read is not the stored one: writing it would
        // destroy the file's entries.
        if (loaded_) {
            address_book::save(address_book::path(), model_->book());
        }
    });
}

void TForm4::refreshCount() {
    if (loaded_) {
        Label1->setText(QStringLiteral("アドレス登録数： ") + QString::number(model_->rowCount()));
        Label1->setToolTip({});
    } else {
        Label1->setText(QStringLiteral("アドレス帳を開けません"));
        Label1->setToolTip(
            QStringLiteral("address.ini を読み込めませんでした。"
                           "閉じてもファイルは書き換えません。"));
    }
}

void TForm4::takeSelectedAsCurrent(const QItemSelection& selected) {
    // Assistive technology selects a row without moving the focus mark; a click does
    // both. One row newly selected while the current entry is not selected becomes the
    // current entry, as if clicked. A click or the search sets the same row right after.
    QList<int> rows;
    for (const QModelIndex& index : selected.indexes()) {
        if (!rows.contains(index.row()))
            rows.append(index.row());
    }
    QItemSelectionModel* selection = ListView1->selectionModel();
    const QModelIndex current = selection->currentIndex();
    if (rows.size() != 1 || (current.isValid() && selection->isRowSelected(current.row())))
        return;
    selection->setCurrentIndex(model_->index(rows.front(), 0), QItemSelectionModel::NoUpdate);
}

void TForm4::ListView1Change() {
    refreshCount();
}

bool TForm4::acceptsRegistrations() const {
    return isVisible() && loaded_;
}

void TForm4::addEntry(const TAddressEntry& entry) {
    if (!acceptsRegistrations()) {
        pending_.append({std::nullopt, entry});
        return;
    }
    model_->append(entry);
    model_->sortByReading();
    refreshCount();
}

void TForm4::replaceEntry(const EntryRef& ref, const TAddressEntry& entry) {
    // The rows of the last showing stay in memory while the window is hidden.
    int row = model_->rowOf(ref.id);
    std::optional<TAddressEntry> replaced;
    if (row >= 0) {
        replaced = model_->entry(row);
    } else if (ref.generation != generation_) {
        replaced = ref.original;
    }
    if (!acceptsRegistrations()) {
        pending_.append({replaced, entry});
        return;
    }
    if (row < 0 && replaced) {
        row = model_->rowOf(*replaced);
    }
    if (row >= 0) {
        model_->removeRowsAt({row});
    }
    model_->append(entry);
    model_->sortByReading();
    refreshCount();
}

void TForm4::applyPending() {
    if (pending_.isEmpty()) {
        return;
    }
    for (const Pending& p : std::as_const(pending_)) {
        if (p.replaces) {
            if (const int row = model_->rowOf(*p.replaces); row >= 0) {
                model_->removeRowsAt({row});
            }
        }
        model_->append(p.entry);
    }
    pending_.clear();
    model_->sortByReading();
}

void TForm4::putIntoMail(int row) {
    const TAddressEntry& e = model_->entry(row);
    emit addressChosen(cp932::decode(e.address), cp932::decode(e.name));
    close();
}

void TForm4::ToolButton4Click() {
    const int row = currentRow();
    if (row < 0) {
        toolkit::errorBox(this, QStringLiteral("\r\n") + kSelectAddress);
        return;
    }
    putIntoMail(row);
}

void TForm4::ListView1DblClick() {
    const int row = currentRow();
    if (row >= 0) {
        putIntoMail(row);
    }
}

void TForm4::ToolButton1Click() {
    forms_.form5->showWindow();
}

void TForm4::ToolButton5Click() {
    const int row = currentRow();
    if (row < 0) {
        toolkit::errorBox(this, QStringLiteral("\r\n") + kSelectAddress);
        return;
    }
    ListView1->finishEditing();
    const TAddressEntry& e = model_->entry(row);
    forms_.form6->fill({model_->idAt(row), generation_, e}, e);
    forms_.form6->showWindow();
}

void TForm4::ToolButton2Click() {
    const QList<int> rows = selectedRows();
    if (rows.isEmpty()) {
        toolkit::plainBox(this, kSelectAddress, QString(), toolkit::Icon::Error,
                          {toolkit::Button::Ok});
        return;
    }
    ListView1->finishEditing();
    const QString name = cp932::decode(model_->entry(rows.first()).name);
    const toolkit::Answer answer =
        toolkit::confirmBox(this, name + QStringLiteral("\r\n\r\nを削除しますか？"),
                            {toolkit::Button::Yes, toolkit::Button::No});
    if (answer != toolkit::Answer::Yes) {
        return;
    }
    model_->removeRowsAt(rows);
    model_->sortByReading();
    refreshCount();
}

void TForm4::ToolButton3Click() {
    close();
}

void TForm4::PopupMenu1Popup() {
    const bool current = currentRow() >= 0;
    Edit1->setEnabled(current);
    N1->setEnabled(current);
    Copy1->setEnabled(current);
}

void TForm4::Copy1Click() {
    const int row = firstSelectedRow();
    if (row >= 0) {
        toolkit::clipboard::setText(cp932::decode(model_->entry(row).address));
    }
}

void TForm4::A1Click() {
    ListView1->selectAll();
}

void TForm4::LabeledEdit1Change() {
    const int row = model_->findReading(cp932::encode(LabeledEdit1->text()));
    if (row < 0) {
        return;
    }
    QItemSelectionModel* selection = ListView1->selectionModel();
    const QModelIndex current = selection->currentIndex();
    if (current.isValid()) {
        selection->select(current, QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    }
    selection->setCurrentIndex(model_->index(row, 0),
                               QItemSelectionModel::Select | QItemSelectionModel::Rows);
    const int first = firstSelectedRow();
    const QModelIndex top = ListView1->indexAt(QPoint(0, 0));
    if (!top.isValid() || top.row() != first) {
        ListView1->scrollTo(model_->index(first, 0), QAbstractItemView::PositionAtTop);
    }
    ListView1->setFocus(Qt::OtherFocusReason);
}
