#include "addressbook/address_entry_dialogs.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStyleOptionToolButton>
#include <QStylePainter>
#include <QToolButton>

#include "settings/live_settings.h"
#include "toolkit/byte_limited_edit.h"
#include "toolkit/cp932.h"
#include "toolkit/fonts.h"
#include "toolkit/invisible_edit_menu.h"
#include "toolkit/menu_shortcuts.h"
#include "toolkit/message_box.h"

namespace {

constexpr char kImodeDomain[] = "docomo.ne.jp";
constexpr char kSoftBankDomain[] = "softbank.ne.jp";
constexpr char kEzwebDomain[] = "ezweb.ne.jp";

toolkit::ByteLimitedLineEdit* textField(QWidget* parent, const char* name, QRect geometry) {
    auto* e = new toolkit::ByteLimitedLineEdit(parent);
    e->setObjectName(QLatin1StringView(name));
    e->setFont(toolkit::fonts::fieldFont());
    e->setGeometry(geometry);
    return e;
}

// The caption above a field, 3 pixels clear of it.
QLabel* fieldLabel(QWidget* parent, const char* name, const QString& text, QWidget* field) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1StringView(name));
    l->setBuddy(field);
    l->adjustSize();
    l->move(field->x(), field->y() - l->height() - 3);
    return l;
}

// A carrier button: its caption uses the whole face, since the style's margins would
// cut "vodafone" in a button 49 pixels wide with the fonts that stand in here.
class SpeedButton : public QToolButton {
  public:
    using QToolButton::QToolButton;

  protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter p(this);
        QStyleOptionToolButton option;
        initStyleOption(&option);
        option.text.clear();
        p.drawComplexControl(QStyle::CC_ToolButton, option);
        p.setPen(palette().color(QPalette::ButtonText));
        // A caption wider than the face is narrowed to fit, never cut.
        const qreal room = width() - 4;
        const qreal wide = fontMetrics().horizontalAdvance(text());
        const qreal scale = wide > room ? room / wide : 1.0;
        p.translate(width() / 2.0, 0);
        p.scale(scale, 1.0);
        const QRectF face(-width() / (2.0 * scale), 0, width() / scale, height());
        p.drawText(face, Qt::AlignCenter | Qt::TextShowMnemonic, text());
    }
};

QToolButton* speedButton(QWidget* parent, const char* name, const QString& text, QRect geometry) {
    auto* b = new SpeedButton(parent);
    b->setObjectName(QLatin1StringView(name));
    b->setText(text);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    b->setFocusPolicy(Qt::NoFocus);
    b->setGeometry(geometry);
    return b;
}

}  // namespace

AddressEntryDialog::AddressEntryDialog(Forms& forms, int placementNumber)
    : SecondaryWindow(forms, placementNumber) {
    makeFixedDialog(246, 126);
    createFields();
    createEditMenu();
}

void AddressEntryDialog::createFields() {
    LabeledEdit1 = textField(this, "LabeledEdit1", {8, 16, 105, 20});
    LabeledEdit1Label = fieldLabel(this, "LabeledEdit1Label", QStringLiteral("名前"), LabeledEdit1);
    LabeledEdit2 = textField(this, "LabeledEdit2", {128, 16, 113, 20});
    LabeledEdit2Label =
        fieldLabel(this, "LabeledEdit2Label", QStringLiteral("ふりがな"), LabeledEdit2);
    SpeedButton1 = speedButton(this, "SpeedButton1", QStringLiteral("i-mode"), {64, 46, 41, 17});
    SpeedButton2 = speedButton(this, "SpeedButton2", QStringLiteral("vodafone"), {104, 46, 49, 17});
    SpeedButton3 = speedButton(this, "SpeedButton3", QStringLiteral("SoftBank"), {152, 46, 49, 17});
    SpeedButton4 = speedButton(this, "SpeedButton4", QStringLiteral("Ezweb"), {200, 46, 41, 17});
    LabeledEdit3 = textField(this, "LabeledEdit3", {8, 64, 233, 20});
    LabeledEdit3->setInputMethodEnabled(false);
    LabeledEdit3Label =
        fieldLabel(this, "LabeledEdit3Label", QStringLiteral("アドレス"), LabeledEdit3);

    connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
    connect(SpeedButton2, &QToolButton::clicked, this, [this] { SpeedButton2Click(); });
    connect(SpeedButton3, &QToolButton::clicked, this, [this] { SpeedButton3Click(); });
    connect(SpeedButton4, &QToolButton::clicked, this, [this] { SpeedButton4Click(); });
    // Enter in a field presses the default button.
    for (toolkit::ByteLimitedLineEdit* e : {LabeledEdit1, LabeledEdit2, LabeledEdit3}) {
        connect(e, &QLineEdit::returnPressed, this, [this] { Button1Click(); });
    }
}

QPushButton* AddressEntryDialog::pushButton(const char* name, const QString& caption, int left) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(QLatin1StringView(name));
    b->setGeometry(left, 96, 73, 25);
    return b;
}

void AddressEntryDialog::createButtons(int registerLeft, int cancelLeft) {
    Button1 = pushButton("Button1", QStringLiteral("登録(&R)"), registerLeft);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    Button3 = pushButton("Button3", QStringLiteral("やめる(&A)"), cancelLeft);
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    setEscapeButton(Button3);
}

void AddressEntryDialog::createEditMenu() {
    const toolkit::InvisibleEditMenu menu =
        toolkit::createInvisibleEditMenu(this, {{"U1", [this] { U1Click(); }},
                                                {"X1", [this] { X1Click(); }},
                                                {"C1", [this] { C1Click(); }},
                                                {"P1", [this] { P1Click(); }},
                                                {"A1", [this] { A1Click(); }}});
    MainMenu1 = menu.bar;
    MenuItem = menu.menu;
    shortcuts_ = menu.shortcuts;
    U1 = menu.undo;
    X1 = menu.cut;
    C1 = menu.copy;
    P1 = menu.paste;
    A1 = menu.selectAll;
}

TAddressEntry AddressEntryDialog::fieldsEntry() const {
    return address_book::storable(TAddressEntry{cp932::encode(LabeledEdit1->text()),
                                                cp932::encode(LabeledEdit2->text()),
                                                cp932::encode(LabeledEdit3->text())});
}

void AddressEntryDialog::clearFields() {
    LabeledEdit1->clear();
    LabeledEdit2->clear();
    LabeledEdit3->clear();
}

bool AddressEntryDialog::refuseEmpty() {
    const TAddressEntry e = fieldsEntry();
    if (!e.name.isEmpty() || !e.reading.isEmpty() || !e.address.isEmpty()) {
        return false;
    }
    toolkit::errorBox(this, QStringLiteral("\r\n何も記入されていません。"));
    return true;
}

void AddressEntryDialog::appendToAddress(const QByteArray& suffix) {
    LabeledEdit3->setText(LabeledEdit3->text() + cp932::decode(suffix));
    LabeledEdit3->setModified(true);
}

void AddressEntryDialog::SpeedButton1Click() {
    appendToAddress(QByteArray("@") + kImodeDomain);
}

void AddressEntryDialog::SpeedButton2Click() {
    // The region letter as the settings dialog shows it at this moment.
    appendToAddress(QByteArray("@") + liveSettings(forms_).regionLetter() + '.' +
                    live_settings::kVodafoneDomain);
}

void AddressEntryDialog::SpeedButton3Click() {
    appendToAddress(QByteArray("@") + kSoftBankDomain);
}

void AddressEntryDialog::SpeedButton4Click() {
    appendToAddress(QByteArray("@") + kEzwebDomain);
}

void AddressEntryDialog::Button3Click() {
    close();
}

QWidget* AddressEntryDialog::focusedField() const {
    return toolkit::field_commands::focused({LabeledEdit1, LabeledEdit2, LabeledEdit3});
}

void AddressEntryDialog::U1Click() {
    toolkit::field_commands::undo(focusedField());
}

void AddressEntryDialog::X1Click() {
    toolkit::field_commands::cut(focusedField());
}

void AddressEntryDialog::C1Click() {
    toolkit::field_commands::copy(focusedField());
}

void AddressEntryDialog::P1Click() {
    toolkit::field_commands::paste(focusedField());
}

void AddressEntryDialog::A1Click() {
    toolkit::field_commands::selectAll(focusedField());
}

TForm5::TForm5(Forms& forms) : AddressEntryDialog(forms, 5) {
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("新規アドレス作成"));
    move(277, 152);
    createButtons(8, 168);
    Button2 = pushButton("Button2", QStringLiteral("全てクリア(&C)"), 88);
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    setTabOrder(Button1, Button2);
    setTabOrder(Button2, Button3);
}

void TForm5::Button1Click() {
    if (refuseEmpty()) {
        return;
    }
    emit entryAdded(fieldsEntry());
    clearFields();
    close();
}

void TForm5::Button2Click() {
    clearFields();
}

void TForm5::closeEvent(QCloseEvent* event) {
    AddressEntryDialog::closeEvent(event);
    hide();
    emit closed();
}

TForm6::TForm6(Forms& forms) : AddressEntryDialog(forms, 6) {
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral("アドレス編集"));
    move(287, 161);
    createButtons(40, 136);
}

void TForm6::fill(const TAddressEntryRef& ref, const TAddressEntry& entry) {
    ref_ = ref;
    LabeledEdit1->setText(cp932::decode(entry.name));
    LabeledEdit2->setText(cp932::decode(entry.reading));
    LabeledEdit3->setText(cp932::decode(entry.address));
}

bool TForm6::changed() const {
    return LabeledEdit1->isModified() || LabeledEdit2->isModified() || LabeledEdit3->isModified();
}

void TForm6::Button1Click() {
    if (refuseEmpty()) {
        return;
    }
    if (!changed()) {
        toolkit::errorBox(this, QStringLiteral("\r\nアドレスが変更されていません。"));
        return;
    }
    emit entryEdited(ref_, fieldsEntry());
    clearFields();
    close();
}
