#include "settings/settings_dialog.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleFactory>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <algorithm>

#include "app/settings_file.h"
#include "toolkit/accessibility.h"
#include "toolkit/byte_limited_edit.h"
#include "toolkit/cp932.h"
#include "toolkit/error_report.h"
#include "toolkit/fonts.h"
#include "toolkit/invisible_edit_menu.h"
#include "toolkit/menu_shortcuts.h"
#include "toolkit/message_box.h"

namespace {

constexpr int kBodyLimit = 500;
constexpr int kPhraseLimit = 30;
constexpr int kPhraseRowHeight = 12;

// The phrase list draws its rows 12 pixels high, as dense as the small box needs.
class PhraseRowDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(kPhraseRowHeight);
        return size;
    }
};

// Tabs only as much wider than their captions as the dialog's width leaves room for, so
// that all five show their whole captions whatever the style and its fonts: the room
// beside the captions shrinks, never the captions.
class CompactTabStyle : public QProxyStyle {
  public:
    using QProxyStyle::QProxyStyle;
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        const int own = QProxyStyle::pixelMetric(metric, option, widget);
        const auto* bar = qobject_cast<const QTabBar*>(widget);
        if (metric != PM_TabBarTabHSpace || !bar || bar->count() == 0 || !bar->parentWidget())
            return own;
        int captions = 0;
        for (int i = 0; i < bar->count(); ++i)
            captions += bar->fontMetrics().horizontalAdvance(bar->tabText(i));
        // The tab widget's frame takes a few pixels at each end.
        const int room = bar->parentWidget()->width() - 8 - captions;
        return std::clamp(room / bar->count(), 4, own);
    }
};

QGroupBox* groupBox(QWidget* parent, const char* name, const QString& title, QRect geometry) {
    auto* box = new QGroupBox(title, parent);
    box->setObjectName(QLatin1StringView(name));
    box->setGeometry(geometry);
    return box;
}

QLabel* label(QWidget* parent, const char* name, const QString& text, QPoint topLeft) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1StringView(name));
    l->setTextFormat(Qt::PlainText);
    l->adjustSize();
    l->move(topLeft);
    return l;
}

QCheckBox* checkBox(QWidget* parent, const char* name, const QString& text, QPoint topLeft) {
    auto* c = new QCheckBox(text, parent);
    c->setObjectName(QLatin1StringView(name));
    c->adjustSize();
    c->move(topLeft);
    return c;
}

// A graphic button: it never takes the keyboard focus, its access key still works.
QToolButton* speedButton(QWidget* parent, const char* name, const QString& text, QRect geometry,
                         const QString& hint = {}) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QLatin1StringView(name));
    b->setText(text);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    b->setFocusPolicy(Qt::NoFocus);
    b->setGeometry(geometry);
    b->setToolTip(hint);
    return b;
}

toolkit::ByteLimitedLineEdit* textField(QWidget* parent, const char* name, QRect geometry) {
    auto* e = new toolkit::ByteLimitedLineEdit(parent);
    e->setObjectName(QLatin1StringView(name));
    e->setFont(toolkit::fonts::fieldFont());
    e->setGeometry(geometry);
    return e;
}

// The caption above a labelled field, 3 pixels clear of it; its access key focuses
// the field.
QLabel* fieldLabel(QWidget* parent, const char* name, const QString& text, QWidget* field) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1StringView(name));
    l->setBuddy(field);
    l->adjustSize();
    l->move(field->x(), field->y() - l->height() - 3);
    return l;
}

// A text field keeps the bytes it was filled from, with the text it then showed: a
// value the user did not edit goes back byte for byte, also when it is no valid code
// page 932 (a UTF-8 signature, an unassigned pair, a lead byte cut off at the end).
const char kStoredBytes[] = "mirvaneStoredBytes";
const char kStoredText[] = "mirvaneStoredText";

void keepStored(QObject* field, const QByteArray& bytes, const QString& shown) {
    field->setProperty(kStoredBytes, bytes);
    field->setProperty(kStoredText, shown);
}

QByteArray storedOr(const QObject* field, const QString& current) {
    const QVariant shown = field->property(kStoredText);
    if (shown.isValid() && shown.toString() == current) {
        return field->property(kStoredBytes).toByteArray();
    }
    return cp932::encode(current);
}

// A phrase row whose bytes a decode and an encode would not give back keeps them, so
// that they go back as they were. Rows are never edited, only added and deleted.
constexpr int kPhraseBytesRole = Qt::UserRole + 1;
// Rows encoded in one conversion: each conversion opens the converter, which costs
// more than a short phrase.
constexpr qsizetype kEncodeBatch = 4096;

bool hasLineBreak(const QString& text) {
    return text.contains(u'\n') || text.contains(u'\r');
}

// The bytes of each text, as cp932::encode gives them, with one conversion per batch
// of one-line texts joined by LF (a byte no double-byte character holds).
QList<QByteArray> encodeRows(const QStringList& texts) {
    QList<QByteArray> out;
    out.reserve(texts.size());
    qsizetype i = 0;
    while (i < texts.size()) {
        if (hasLineBreak(texts[i])) {
            out.append(cp932::encode(texts[i]));
            ++i;
            continue;
        }
        QString joined;
        qsizetype end = i;
        while (end < texts.size() && end - i < kEncodeBatch && !hasLineBreak(texts[end])) {
            if (end > i) {
                joined += u'\n';
            }
            joined += texts[end];
            ++end;
        }
        const QByteArray bytes = cp932::encode(joined);
        qsizetype start = 0;
        for (qsizetype k = i; k < end; ++k) {
            qsizetype lf = bytes.indexOf('\n', start);
            if (lf < 0) {
                lf = bytes.size();
            }
            out.append(bytes.mid(start, lf - start));
            start = lf + 1;
        }
        i = end;
    }
    return out;
}

}  // namespace

TForm2::TForm2(Forms& forms, std::function<qsizetype()> bodySize)
    : SecondaryWindow(forms, 2), bodySize_(std::move(bodySize)) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("設定"));
    makeFixedDialog(282, 274);
    move(574, 103);
    createControls();
    createEditMenu();
    FormCreate();
}

void TForm2::createControls() {
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setGeometry(0, 0, 281, 241);
    // Over the style itself, not over the program's or a platform theme's proxy of it: a
    // proxy of a proxy draws the captions cut off (qt6ct).
    QStyle* base = QApplication::style();
    while (auto* proxy = qobject_cast<QProxyStyle*>(base))
        base = proxy->baseStyle();
    auto* tabStyle = new CompactTabStyle(QStyleFactory::create(base->name()));
    tabStyle->setParent(PageControl1->tabBar());
    PageControl1->tabBar()->setStyle(tabStyle);
    PageControl1->setElideMode(Qt::ElideNone);
    createGeneralTab();
    createConnectionTab();
    createMailTab();
    createHistoryTab();
    createAddressTab();
    PageControl1->setCurrentIndex(0);

    Button1 = new QPushButton(QStringLiteral("&OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(144, 248, 65, 25);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });

    // The help button has nothing to open.
    Button2 = new QPushButton(QStringLiteral("ヘルプ(&H)"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(216, 248, 65, 25);
    Button2->setEnabled(false);

    // Enter in a single-line field presses the default button.
    for (toolkit::ByteLimitedLineEdit* e : {LabeledEdit1, LabeledEdit2, LabeledEdit3}) {
        connect(e, &QLineEdit::returnPressed, Button1, &QPushButton::click);
    }
}

void TForm2::createGeneralTab() {
    TabSheet4 = new QWidget;
    TabSheet4->setObjectName(QStringLiteral("TabSheet4"));
    PageControl1->addTab(TabSheet4, QStringLiteral("全般"));

    GroupBox6 = groupBox(TabSheet4, "GroupBox6", QStringLiteral("送信完了時設定"), {8, 0, 257, 57});
    CheckBox3 = checkBox(GroupBox6, "CheckBox3",
                         QStringLiteral("送信完了後、メール作成画面初期化(&F)"), {8, 16});
    CheckBox4 = checkBox(GroupBox6, "CheckBox4", QStringLiteral("送信完了時にビープ音を鳴らす(&B)"),
                         {8, 35});

    GroupBox2 = groupBox(TabSheet4, "GroupBox2", QStringLiteral("題名ボタン押時入力文字"),
                         {8, 64, 257, 145});
    ListBox1 = new QListWidget(GroupBox2);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setGeometry(8, 16, 185, 41);
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox1->setUniformItemSizes(true);
    toolkit::accessibility::nameScrollArea(ListBox1, QStringLiteral("題名ボタン押時入力文字"));
    ListBox1->setItemDelegate(new PhraseRowDelegate(ListBox1));
    // Three rows fit the 41 pixels only without a horizontal scroll bar; a phrase
    // wider than the list is cut at its edge.
    ListBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ListBox1->setTextElideMode(Qt::ElideNone);
    SpeedButton2 =
        speedButton(GroupBox2, "SpeedButton2", QStringLiteral("削除(&D)"), {200, 24, 49, 17},
                    QStringLiteral("選択した文字列をリストから削除します。"));
    LabeledEdit3 = textField(GroupBox2, "LabeledEdit3", {8, 80, 185, 20});
    LabeledEdit3->setByteLimit(kPhraseLimit);
    LabeledEdit3Label = fieldLabel(GroupBox2, "LabeledEdit3Label",
                                   QStringLiteral("題名挿入リストに追加(&S)"), LabeledEdit3);
    SpeedButton1 =
        speedButton(GroupBox2, "SpeedButton1", QStringLiteral("追加(&A)"), {200, 80, 49, 17},
                    QStringLiteral("左に入力した文字列をリストに追加します。"));
    Label3 = label(GroupBox2, "Label3",
                   QStringLiteral("※メール作成画面の題名ボタンを押した時に\n"
                                  "　 挿入される文字を設定して下さい。"),
                   {8, 108});

    connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
    connect(SpeedButton2, &QToolButton::clicked, this, [this] { SpeedButton2Click(); });
}

void TForm2::createConnectionTab() {
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    PageControl1->addTab(TabSheet1, QStringLiteral("接続設定"));

    GroupBox1 = groupBox(TabSheet1, "GroupBox1", QString(), {8, 0, 257, 209});
    LabeledEdit1 = textField(GroupBox1, "LabeledEdit1", {16, 48, 209, 20});
    LabeledEdit1->setInputMethodEnabled(false);
    LabeledEdit1Label =
        fieldLabel(GroupBox1, "LabeledEdit1Label",
                   QStringLiteral("SMTPサーバー(&S)　（例：smtp.○○.jpなど）"), LabeledEdit1);
    Label1 = label(GroupBox1, "Label1",
                   QStringLiteral("※メールの送信に使用するSMTPサーバーを\n"
                                  "　入力して下さい。"),
                   {16, 72});

    LabeledEdit2 = textField(GroupBox1, "LabeledEdit2", {16, 136, 209, 20});
    LabeledEdit2->setInputMethodEnabled(false);
    LabeledEdit2->setToolTip(
        QStringLiteral("ここに入力したアドレスが差出人の\n"
                       "アドレスとして相手に表示されます。"));
    LabeledEdit2Label = fieldLabel(GroupBox1, "LabeledEdit2Label",
                                   QStringLiteral("送信元アドレス(&F)"), LabeledEdit2);
    Label2 = label(GroupBox1, "Label2",
                   QStringLiteral("※あなたの携帯、またはパソコンのメール\n"
                                  "　アドレスを入力して下さい"),
                   {16, 160});
}

void TForm2::createMailTab() {
    TabSheet5 = new QWidget;
    TabSheet5->setObjectName(QStringLiteral("TabSheet5"));
    PageControl1->addTab(TabSheet5, QStringLiteral("メール"));

    GroupBox3 = groupBox(TabSheet5, "GroupBox3", QStringLiteral("署名設定"), {8, 8, 257, 105});
    Memo1 = new toolkit::ByteLimitedMemo(GroupBox3);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setFont(toolkit::fonts::fieldFont());
    Memo1->setGeometry(16, 16, 126, 54);
    toolkit::accessibility::nameScrollArea(Memo1, QStringLiteral("署名"));
    // Tab leaves the signature; Enter makes a new line.
    Memo1->setTabChangesFocus(true);
    SpeedButton3 =
        speedButton(GroupBox3, "SpeedButton3", QStringLiteral("クリア(&C)"), {168, 32, 57, 22});
    CheckBox1 = checkBox(GroupBox3, "CheckBox1",
                         QStringLiteral("自動的に署名をメールに添付して送信(&A)"), {8, 80});
    connect(SpeedButton3, &QToolButton::clicked, this, [this] { SpeedButton3Click(); });

    RadioGroup1 =
        groupBox(TabSheet5, "RadioGroup1", QStringLiteral("メールバイト数制限"), {8, 128, 257, 73});
    RadioGroup1->setToolTip(
        QStringLiteral("送信する本文の最大文字数の制限を\n"
                       "どれだけにするかをここで選択して下さい。"));
    radioButtons_ = new QButtonGroup(this);
    const QString choices[] = {QStringLiteral("500バイト（i-modeの制限）"),
                               QStringLiteral("無制限")};
    for (int i = 0; i < 2; ++i) {
        auto* b = new QRadioButton(choices[i], RadioGroup1);
        b->setObjectName(QStringLiteral("RadioGroup1Item%1").arg(i));
        b->adjustSize();
        b->move(8, 20 + 24 * i);
        radioButtons_->addButton(b, i);
        RadioGroup1Items.append(b);
    }
    connect(radioButtons_, &QButtonGroup::idClicked, this, [this](int) { RadioGroup1Click(); });
}

void TForm2::createHistoryTab() {
    TabSheet3 = new QWidget;
    TabSheet3->setObjectName(QStringLiteral("TabSheet3"));
    PageControl1->addTab(TabSheet3, QStringLiteral("履歴"));

    GroupBox5 = groupBox(TabSheet3, "GroupBox5", QStringLiteral("送信履歴"), {8, 8, 249, 73});
    CheckBox2 =
        checkBox(GroupBox5, "CheckBox2", QStringLiteral("送信履歴を記録する(&R)"), {16, 16});
    SpeedButton4 =
        speedButton(GroupBox5, "SpeedButton4", QStringLiteral("履歴削除(&D)"), {16, 40, 81, 22});
    Label4 = label(GroupBox5, "Label4", QStringLiteral("※送信履歴を削除します。"), {104, 45});
    connect(SpeedButton4, &QToolButton::clicked, this, [this] { SpeedButton4Click(); });
}

void TForm2::createAddressTab() {
    TabSheet2 = new QWidget;
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    PageControl1->addTab(TabSheet2, QStringLiteral("アドレス帳"));

    GroupBox4 =
        groupBox(TabSheet2, "GroupBox4", QStringLiteral("vodafoneアドレス設定"), {8, 8, 257, 73});
    const QString pattern =
        QStringLiteral("「○.") + QLatin1StringView(live_settings::kVodafoneDomain) + u'」';
    ComboBox2 = new QComboBox(GroupBox4);
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    for (const char* letter : live_settings::kRegionLetters) {
        ComboBox2->addItem(QLatin1StringView(letter));
    }
    ComboBox2->setMaxVisibleItems(live_settings::kRegionCount);
    ComboBox2->setGeometry(8, 24, 49, ComboBox2->sizeHint().height());
    ComboBox2->setToolTip(QStringLiteral("j-skyは地域によって") + pattern +
                          QStringLiteral("\nの○入る文字が違います。\n"
                                         "お住まいの地域に合った文字を選んで下さい。"));
    Label5 = label(GroupBox4, "Label5",
                   QStringLiteral("※アドレス登録画面のvodafoneボタン\n"
                                  "　を押した時に入力される\n"
                                  "　") +
                       pattern +
                       QStringLiteral("の○に入れた\n"
                                      "　い文字を選んで下さい"),
                   {64, 16});
    // A wider stand-in font would push the label into the frame: it then starts a
    // little further left, still clear of the letter list.
    const int frameRight = GroupBox4->contentsRect().right() - 1;
    if (Label5->geometry().right() > frameRight) {
        const int comboRight = ComboBox2->geometry().right();
        Label5->move(std::max(comboRight + 3, frameRight - Label5->width() + 1), Label5->y());
    }
}

void TForm2::createEditMenu() {
    const toolkit::InvisibleEditMenu menu =
        toolkit::createInvisibleEditMenu(this, {{"Undo1", [this] { Undo1Click(); }},
                                                {"Cut1", [this] { Cut1Click(); }},
                                                {"Copy1", [this] { Copy1Click(); }},
                                                {"Paste1", [this] { Paste1Click(); }},
                                                {"SelectAll1", [this] { SelectAll1Click(); }}});
    MainMenu1 = menu.bar;
    MenuItem = menu.menu;
    shortcuts_ = menu.shortcuts;
    Undo1 = menu.undo;
    Cut1 = menu.cut;
    Copy1 = menu.copy;
    Paste1 = menu.paste;
    SelectAll1 = menu.selectAll;
}

void TForm2::FormCreate() {
    using namespace live_settings;
    toolkit::guarded(this, [&] {
        IniDocument doc = settings_file::open();
        readPlacement(doc);
        const QByteArray smtp = readText(doc, kSmtpServer);
        LabeledEdit1->setText(cp932::decode(smtp));
        keepStored(LabeledEdit1, smtp, LabeledEdit1->text());
        const QByteArray from = readText(doc, kSenderAddress);
        LabeledEdit2->setText(cp932::decode(from));
        keepStored(LabeledEdit2, from, LabeledEdit2->text());
        const QByteArray signature = readText(doc, kSignature);
        Memo1->setText(cp932::decode(signature));
        keepStored(Memo1, signature, Memo1->text());
        CheckBox1->setChecked(readNumber(doc, kAutomaticSignature));
        CheckBox2->setChecked(readNumber(doc, kMakeLogFile));
        CheckBox3->setChecked(readNumber(doc, kAutomaticalClear));
        CheckBox4->setChecked(readNumber(doc, kBeep));
        const int region = readNumber(doc, kRegion);
        ComboBox2->setCurrentIndex(region >= 0 && region < kRegionCount ? region : -1);
        const int limit = readNumber(doc, kByteLimit);
        setByteLimitChoice(limit < 0 ? -1 : limit >= 1 ? 1 : 0);

        QStringList rows;
        QList<std::pair<int, QByteArray>> kept;
        QList<QByteArray> pending;  // the bytes of the last rows, not yet compared
        const auto compare = [&] {
            const qsizetype first = rows.size() - pending.size();
            const QList<QByteArray> again = encodeRows(rows.mid(first));
            for (qsizetype k = 0; k < pending.size(); ++k) {
                if (again[k] != pending[k]) {
                    kept.append({int(first + k), pending[k]});
                }
            }
            pending.clear();
        };
        const auto take = [&](const QByteArray& phrase) {
            rows.append(cp932::decode(phrase));
            pending.append(phrase);
            if (pending.size() == kEncodeBatch) {
                compare();
            }
        };
        if (!settings_file::forEachSubjectPhrase(doc, take)) {
            for (const QByteArray& phrase : live_settings::builtInSubjectPhrases()) {
                take(phrase);
            }
        }
        compare();
        // The file is no longer needed; a large one must not stay beside the list.
        doc = IniDocument();
        // One insertion for the whole list: row by row costs a model update each.
        ListBox1->clear();
        ListBox1->addItems(rows);
        for (const auto& [row, bytes] : kept) {
            ListBox1->item(row)->setData(kPhraseBytesRole, bytes);
        }
    });
}

// Showing reads nothing: the fields are the live settings since start-up.
void TForm2::FormShow() {}

void TForm2::FormClose() {
    const int choice = byteLimitChoice();
    if (choice == 0) {
        emit bodyLimitChosen(kBodyLimit);
    } else if (choice == 1) {
        emit bodyLimitChosen(0);
    }
    // A settings file that cannot be written is reported; the dialog closes all the
    // same and its fields keep the values, so the next close writes them.
    toolkit::guarded(this, [&] {
        settings_file::modify([&](IniDocument& doc) {
            writePlacement(doc);
            live_settings::write(doc, *this);
        });
    });
}

void TForm2::keyPressEvent(QKeyEvent* event) {
    // Enter that no control took (a single-line field, a check box, the list) presses
    // the default button. Escape does nothing: there is no cancel button.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Button1->click();
        return;
    }
    SecondaryWindow::keyPressEvent(event);
}

QByteArray TForm2::smtpServer() const {
    return storedOr(LabeledEdit1, LabeledEdit1->text());
}

QByteArray TForm2::senderAddress() const {
    return storedOr(LabeledEdit2, LabeledEdit2->text());
}

QByteArray TForm2::signature() const {
    return storedOr(Memo1, Memo1->text());
}

bool TForm2::automaticSignature() const {
    return CheckBox1->isChecked();
}

bool TForm2::makeLogFile() const {
    return CheckBox2->isChecked();
}

bool TForm2::automaticalClear() const {
    return CheckBox3->isChecked();
}

bool TForm2::beep() const {
    return CheckBox4->isChecked();
}

int TForm2::regionIndex() const {
    return ComboBox2->currentIndex();
}

int TForm2::byteLimitChoice() const {
    return radioButtons_->checkedId();
}

QList<QByteArray> TForm2::subjectPhrases() const {
    QList<QByteArray> phrases;
    phrases.reserve(ListBox1->count());
    QStringList texts;
    QList<int> encoded;
    for (int i = 0; i < ListBox1->count(); ++i) {
        const QListWidgetItem* row = ListBox1->item(i);
        const QVariant stored = row->data(kPhraseBytesRole);
        phrases.append(stored.toByteArray());
        if (!stored.isValid()) {
            texts.append(row->text());
            encoded.append(i);
        }
    }
    const QList<QByteArray> bytes = encodeRows(texts);
    for (qsizetype k = 0; k < encoded.size(); ++k) {
        phrases[encoded[k]] = bytes[k];
    }
    return phrases;
}

void TForm2::setByteLimitChoice(int index) {
    if (index == 0 || index == 1) {
        RadioGroup1Items[index]->setChecked(true);
    } else {
        // An exclusive group cannot uncheck its last checked button.
        radioButtons_->setExclusive(false);
        for (QRadioButton* b : RadioGroup1Items) {
            b->setChecked(false);
        }
        radioButtons_->setExclusive(true);
    }
    lastByteLimitChoice_ = byteLimitChoice();
}

void TForm2::Button1Click() {
    close();
}

void TForm2::SpeedButton1Click() {
    const QString phrase = LabeledEdit3->text();
    if (phrase.isEmpty()) {
        toolkit::errorBox(this, QStringLiteral("\r\n何も記入されていません。"));
        return;
    }
    ListBox1->addItem(phrase);
    LabeledEdit3->clear();
}

void TForm2::SpeedButton2Click() {
    const QList<QListWidgetItem*> selected = ListBox1->selectedItems();
    if (selected.isEmpty()) {
        return;
    }
    delete ListBox1->takeItem(ListBox1->row(selected.first()));
    // No row is selected afterwards, so a second press deletes nothing.
    ListBox1->clearSelection();
}

void TForm2::SpeedButton3Click() {
    Memo1->setText(QString());
}

void TForm2::SpeedButton4Click() {
    const QString path = settings_file::dataFile(QStringLiteral("log.txt"));
    if (!QFile::exists(path)) {
        toolkit::errorBox(this, QStringLiteral("\r\nlog.txtが存在しません。"));
        return;
    }
    const toolkit::Answer answer =
        toolkit::confirmBox(this, QStringLiteral("送信履歴を削除します。\r\nよろしいですか？"),
                            {toolkit::Button::Yes, toolkit::Button::No});
    if (answer != toolkit::Answer::Yes) {
        return;
    }
    // A history that stays must not pass for deleted.
    if (!QFile::remove(path)) {
        toolkit::plainBox(this, QStringLiteral("ファイル %1 を削除できません.").arg(path),
                          QStringLiteral("Mirvane"), toolkit::Icon::Error, {toolkit::Button::Ok});
    }
}

void TForm2::RadioGroup1Click() {
    const int choice = byteLimitChoice();
    if (choice == lastByteLimitChoice_) {
        return;
    }
    if (choice == 0 && bodySize_ && bodySize_() > kBodyLimit) {
        toolkit::errorBox(this, QStringLiteral("\r\nメール本文の文字数が今500バイト以上\r\n"
                                               "になっています。\r\n"
                                               "500バイト以内に減らしてから設定して下さい。"));
        setByteLimitChoice(1);
        return;
    }
    lastByteLimitChoice_ = choice;
}

QWidget* TForm2::focusedField() const {
    return toolkit::field_commands::focused({LabeledEdit1, LabeledEdit2, LabeledEdit3, Memo1});
}

void TForm2::Undo1Click() {
    toolkit::field_commands::undo(focusedField());
}

void TForm2::Cut1Click() {
    toolkit::field_commands::cut(focusedField());
}

void TForm2::Copy1Click() {
    toolkit::field_commands::copy(focusedField());
}

void TForm2::Paste1Click() {
    toolkit::field_commands::paste(focusedField());
}

void TForm2::SelectAll1Click() {
    toolkit::field_commands::selectAll(focusedField());
}
