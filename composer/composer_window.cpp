#include "composer/composer_window.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QSessionManager>
#include <QShortcut>
#include <QToolButton>
#include <QUrl>

#include "addressbook/address_book_window.h"
#include "addressbook/address_entry_dialogs.h"
#include "app/settings_file.h"
#include "app/window_placement.h"
#include "codepage/pictograph_table.h"
#include "composer/draft.h"
#include "composer/file_drop_filter.h"
#include "composer/main_layout.h"
#include "composer/pictograph_palette.h"
#include "composer/subject_paste.h"
#include "composer/subject_phrases.h"
#include "extras/about_box.h"
#include "history/history_window.h"
#include "sending/attachment.h"
#include "sending/history_log.h"
#include "sending/send_command.h"
#include "sending/signature.h"
#include "settings/live_settings.h"
#include "settings/settings_dialog.h"
#include "toolkit/accessibility.h"
#include "toolkit/beep.h"
#include "toolkit/byte_limited_edit.h"
#include "toolkit/clipboard.h"
#include "toolkit/cp932.h"
#include "toolkit/error_report.h"
#include "toolkit/file_dialog.h"
#include "toolkit/fonts.h"
#include "toolkit/help_viewer.h"
#include "toolkit/menu_shortcuts.h"
#include "toolkit/message_box.h"
#include "toolkit/process_starter.h"
#include "toolkit/status_bar.h"

namespace {

constexpr int kStatusBarHeight = 19;
constexpr int kSubjectLimit = 30;
constexpr int kBodyLimit = 500;

const QString kRecipientPanel = QStringLiteral("宛先：");
const QString kNoAttachment = QStringLiteral("添付：なし");
const QString kComposing = QStringLiteral("メール作成中");

// An envelope with a flying arrow for the send button.
QPixmap sendPicture() {
    QPixmap pm(26, 40);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF env(2.5, 14.5, 21, 15);
    p.setPen(QPen(QColor(0x30, 0x30, 0x70), 1.2));
    p.setBrush(QColor(0xf4, 0xf1, 0xe4));
    p.drawRect(env);
    QPainterPath flap;
    flap.moveTo(env.topLeft());
    flap.lineTo(env.center().x(), env.top() + 8);
    flap.lineTo(env.topRight());
    p.setBrush(Qt::NoBrush);
    p.drawPath(flap);
    p.setPen(QPen(QColor(0xd0, 0x30, 0x20), 2));
    p.drawLine(QPointF(6, 9), QPointF(19, 9));
    p.setBrush(QColor(0xd0, 0x30, 0x20));
    p.setPen(Qt::NoPen);
    QPolygonF head;
    head << QPointF(23, 9) << QPointF(17, 5) << QPointF(17, 13);
    p.drawPolygon(head);
    return pm;
}

// Names a control as in the window's design and puts it in its place; the hint and
// the spoken name when given.
template <typename W>
W* placed(W* w, const char* name, const QRect& at, const QString& hint = {},
          const QString& spoken = {}) {
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(at);
    if (!hint.isEmpty())
        w->setToolTip(hint);
    if (!spoken.isEmpty())
        w->setAccessibleName(spoken);
    return w;
}

QFrame* makePanel(QWidget* parent, const char* name, const QRect& at, const QString& spoken) {
    auto* panel = placed(new QFrame(parent), name, at, {}, spoken);
    panel->setFrameStyle(QFrame::NoFrame);
    return panel;
}

// A label at its design position, sized to its text.
QLabel* label(QWidget* parent, const char* name, const QString& text, QPoint at,
              Qt::Alignment alignment = {}) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    if (alignment)
        l->setAlignment(alignment);
    l->move(at);
    if (!text.isEmpty())
        l->adjustSize();
    return l;
}

// The recipient, attachment and state panels. The hint shows the whole attachment
// text, which the narrow panel may cut off: the bar and its parts report the mouse.
toolkit::StatusBar* makeStatusBar(QWidget* parent, QObject* mouseWatcher) {
    auto* bar = new toolkit::StatusBar(3, parent);
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setAccessibleName(QStringLiteral("ステータスバー"));
    bar->setPanelWidth(0, 100);
    bar->setPanelWidth(1, 109);
    bar->setPanelText(0, kRecipientPanel);
    bar->setPanelText(1, kNoAttachment);
    bar->setPanelText(2, kComposing);
    bar->setMouseTracking(true);
    bar->installEventFilter(mouseWatcher);
    for (QWidget* child : bar->findChildren<QWidget*>()) {
        child->setMouseTracking(true);
        child->installEventFilter(mouseWatcher);
    }
    return bar;
}

}  // namespace

TForm1::TForm1(Forms& forms) : QMainWindow(nullptr), forms_(forms) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Mirvane"));
    setFont(toolkit::fonts::windowFont());
    {
        // A line field lays out its empty text once in the application's font before it
        // takes the window's; with the window's as the application's font meanwhile, that
        // loads no font the window does not show anyway.
        const QFont desktopFont = QApplication::font();
        QApplication::setFont(font());
        createControls();
        QApplication::setFont(desktopFont);
    }
    connectControls();
    createMenus();
    move(main_layout::kDesignLeft, main_layout::kDesignTop);
    resize(main_layout::kDesignWidth, main_layout::kHeight);
    lastGoodSize_ = size();
    outerWidth_ = main_layout::kDesignWidth;
    FormCreate();
    // Under a window manager the frame appears after the first show: the size limits
    // then count it, and the outer geometry read from the file is applied again.
    new window_placement::FrameKeeper(this, [this](QSize extra) {
        applySizeConstraints();
        lastGoodSize_ = QSize(outerWidth_, main_layout::kHeight) - extra;
    });
    // Logging off or shutting down asks the close request's questions first.
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this,
            [this](QSessionManager& manager) { sessionEndQuery(manager); });
    watchSessionEnd();
}

void TForm1::createControls() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);

    Panel1 = makePanel(client, "Panel1", {0, 0, 255, 49}, QStringLiteral("宛先と題名"));
    Button1 = placed(new QPushButton(QStringLiteral("宛先(&O)"), Panel1), "Button1", {4, 3, 56, 20},
                     QStringLiteral("アドレス帳を開きます。"));
    Edit2 = placed(new toolkit::ByteLimitedLineEdit(Panel1), "Edit2", {64, 3, 187, 20}, {},
                   QStringLiteral("宛先"));
    Edit2->setInputMethodEnabled(false);
    Button2 = placed(new QPushButton(QStringLiteral("題名(&S)"), Panel1), "Button2",
                     {4, 26, 56, 20}, QStringLiteral("設定で定めた文字列を挿入します。"));
    Edit3 = placed(new toolkit::ByteLimitedLineEdit(Panel1), "Edit3", {64, 26, 187, 20}, {},
                   QStringLiteral("題名"));
    Edit3->setByteLimit(kSubjectLimit);
    // A dropped, dictated or converted subject that does not fit is refused whole.
    Edit3->setWholeInsertions(true);
    // Shift+Insert and the context menu paste by the same rule as the paste command.
    Edit3->setPasteHandler([this] {
        if (toolkit::clipboard::hasText())
            subject_paste::paste(Edit3);
    });

    Panel3 = makePanel(client, "Panel3", {255, 0, 34, 49}, QStringLiteral("送信"));
    SpeedButton181 = placed(new QToolButton(Panel3), "SpeedButton181", {2, 2, 30, 45},
                            QStringLiteral("メールを送信します。"), QStringLiteral("送信"));
    SpeedButton181->setAutoRaise(true);
    SpeedButton181->setFocusPolicy(Qt::NoFocus);
    SpeedButton181->setIcon(QIcon(sendPicture()));
    SpeedButton181->setIconSize(QSize(26, 40));

    Panel2 = makePanel(client, "Panel2", {0, 49, 153, 175}, QStringLiteral("本文"));
    Label1 = label(Panel2, "Label1", QStringLiteral("本文"), {8, 3});
    Label3 = label(Panel2, "Label3", {}, {112, 3}, Qt::AlignRight | Qt::AlignTop);
    setCounterText(QStringLiteral("0"));
    Label2 =
        label(Panel2, "Label2", QStringLiteral("ﾊﾞｲﾄ"), {118, 3}, Qt::AlignRight | Qt::AlignTop);
    Memo1 = placed(new toolkit::ByteLimitedMemo(Panel2), "Memo1", {5, 16, 142, 153});
    Label1->setBuddy(Memo1);
    toolkit::accessibility::nameScrollArea(Memo1, {});
    Memo1->setAccessibleDescription(Label3->accessibleName());

    // Ctrl+P is the keyboard's way to the palette from the Subject or the body.
    PageControl1 = placed(new PictographPalette(client), "PageControl1", {153, 49, 136, 175},
                          QStringLiteral("Ctrl+P: 題名か本文のカーソル位置に絵文字を挿入します。"),
                          QStringLiteral("絵文字パレット"));

    StatusBar1 = makeStatusBar(client, this);

    for (QWidget* field : std::initializer_list<QWidget*>{Edit2, Edit3, Memo1})
        field->setFont(toolkit::fonts::fieldFont());
    // Emoji typed or pasted into the mail become the carrier pictograph they stand for.
    const auto mailText = [](QStringView text) {
        return cp932::normalizeForInput(pictographs::replaceEmoji(text));
    };
    Edit3->setInputFilter(mailText);
    Memo1->setInputFilter(mailText);

    // Tab order: To button, Subject button, Subject, To, body, palette.
    QWidget* const order[] = {Button1, Button2, Edit3, Edit2, Memo1, PageControl1};
    for (size_t k = 1; k < std::size(order); ++k)
        setTabOrder(order[k - 1], order[k]);
}

void TForm1::connectControls() {
    connect(SpeedButton181, &QToolButton::clicked, this, [this] { SpeedButton181Click(); });
    auto* pictographKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_P), this);
    connect(pictographKey, &QShortcut::activated, this, [this] { choosePictograph(); });
    connect(PageControl1, &PictographPalette::buttonClicked, this,
            [this](QAbstractButton* button) { SpeedButton1Click(button); });
    connect(Edit2, &QLineEdit::textChanged, this, [this] { Edit2Change(); });
    connect(Edit3, &QLineEdit::textChanged, this, [this] { Edit2Change(); });
    connect(Memo1, &QPlainTextEdit::textChanged, this, [this] { Memo1Change(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

void TForm1::createMenus() {
    shortcuts_ = new toolkit::MenuShortcuts(this);
    auto item = [this](QMenu* menu, const char* name, const QString& caption,
                       const QKeySequence& key, std::function<void()> opening) {
        auto* a = menu->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        if (!key.isEmpty()) {
            a->setShortcut(key);
            shortcuts_->add(a, std::move(opening));
        }
        return a;
    };
    auto fileOpening = [this] { N1Click(); };
    auto editOpening = [this] { Edit1Click(); };

    N1 = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    N1->setObjectName(QStringLiteral("N1"));
    N4 = item(N1, "N4", QStringLiteral("新規メール作成(&N)"), QKeySequence(Qt::CTRL | Qt::Key_N),
              fileOpening);
    P1 = item(N1, "P1", QStringLiteral("メール保存(&P)"), {}, {});
    O1 = item(N1, "O1", QStringLiteral("保存メールを開く(&O)"), {}, {});
    N1->addSeparator();
    G1 = item(N1, "G1", QStringLiteral("外字登録を行う(&G)"), {}, {});
    N1->addSeparator();
    S1 = item(N1, "S1", QStringLiteral("メール送信(&S)"), QKeySequence(Qt::CTRL | Qt::Key_S),
              fileOpening);
    N1->addSeparator();
    Exit1 = item(N1, "Exit1", QStringLiteral("終了(&Q)"), {}, {});

    Edit1 = menuBar()->addMenu(QStringLiteral("編集(&E)"));
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Undo1 = item(Edit1, "Undo1", QStringLiteral("元に戻す(&U)"), QKeySequence(Qt::CTRL | Qt::Key_Z),
                 editOpening);
    Edit1->addSeparator();
    N5 = item(Edit1, "N5", QStringLiteral("添付ファイル挿入(&F)..."),
              QKeySequence(Qt::CTRL | Qt::Key_F), editOpening);
    D1 = item(Edit1, "D1", QStringLiteral("添付ファイル削除(&D)"), {}, {});
    S2 = item(Edit1, "S2", QStringLiteral("署名挿入(&S)"), {}, {});
    Edit1->addSeparator();
    Cut1 = item(Edit1, "Cut1", QStringLiteral("切り取り(&T)"), QKeySequence(Qt::CTRL | Qt::Key_X),
                editOpening);
    Copy1 = item(Edit1, "Copy1", QStringLiteral("コピー(&C)"), QKeySequence(Qt::CTRL | Qt::Key_C),
                 editOpening);
    Paste1 = item(Edit1, "Paste1", QStringLiteral("貼り付け(&P)"),
                  QKeySequence(Qt::CTRL | Qt::Key_V), editOpening);
    Edit1->addSeparator();
    A1 = item(Edit1, "A1", QStringLiteral("全て選択(&A)"), QKeySequence(Qt::CTRL | Qt::Key_A),
              editOpening);

    N2 = menuBar()->addMenu(QStringLiteral("ツール(&T)"));
    N2->setObjectName(QStringLiteral("N2"));
    N8 = item(N2, "N8", QStringLiteral("アドレス帳(&A)"), {}, {});
    N15 = item(N2, "N15", QStringLiteral("アドレス新規登録(&N)"), {}, {});
    N2->addSeparator();
    L1 = item(N2, "L1", QStringLiteral("送信履歴表示(&L)"), {}, {});
    N2->addSeparator();
    N3 = item(N2, "N3", QStringLiteral("設定(&S)..."), {}, {});

    Help1 = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    Help1->setObjectName(QStringLiteral("Help1"));
    N12 = item(Help1, "N12", QStringLiteral("ヘルプ(&H)"), QKeySequence(Qt::Key_F1), {});
    Help1->addSeparator();
    About1 = item(Help1, "About1", QStringLiteral("バージョン情報(&V)"), {}, {});
    connect(N12, &QAction::triggered, this, [this] { N12Click(); });
    connect(About1, &QAction::triggered, this, [this] { About1Click(); });
    connect(G1, &QAction::triggered, this, [this] { G1Click(); });

    Undo1->setEnabled(false);
    P1->setEnabled(false);
    O1->setEnabled(false);
    D1->setEnabled(false);

    connect(N1, &QMenu::aboutToShow, this, [this] { N1Click(); });
    connect(Edit1, &QMenu::aboutToShow, this, [this] { Edit1Click(); });
    connect(Undo1, &QAction::triggered, this, [this] { Undo1Click(); });
    connect(Cut1, &QAction::triggered, this, [this] { Cut1Click(); });
    connect(Copy1, &QAction::triggered, this, [this] { Copy1Click(); });
    connect(Paste1, &QAction::triggered, this, [this] { Paste1Click(); });
    connect(A1, &QAction::triggered, this, [this] { A1Click(); });
    connect(N8, &QAction::triggered, this, [this] { Button1Click(); });
    connect(N15, &QAction::triggered, this, [this] { N15Click(); });
    connect(L1, &QAction::triggered, this, [this] { L1Click(); });
    connect(N3, &QAction::triggered, this, [this] { N3Click(); });
    connect(Exit1, &QAction::triggered, this, [this] { Exit1Click(); });
    connect(N4, &QAction::triggered, this, [this] { N4Click(); });
    connect(P1, &QAction::triggered, this, [this] { P1Click(); });
    connect(O1, &QAction::triggered, this, [this] { O1Click(); });
    connect(S1, &QAction::triggered, this, [this] { SpeedButton181Click(); });
    connect(N5, &QAction::triggered, this, [this] { N5Click(); });
    connect(D1, &QAction::triggered, this, [this] { D1Click(); });
    connect(S2, &QAction::triggered, this, [this] { S2Click(); });
}

void TForm1::FormCreate() {
    // Files dropped from the desktop are taken by the attachment command, also when
    // they land on a text field.
    setAcceptDrops(true);
    new FileDropFilter(this, [this](const QStringList& paths) { dropFiles(paths); });
    toolkit::guarded(this, [&] {
        const IniDocument doc = settings_file::open();
        using window_placement::Field;
        const int top = window_placement::read(doc, Field::Top, 1, pos().y());
        move(pos().x(), top);
        const int left = window_placement::read(doc, Field::Left, 1, pos().x());
        move(left, pos().y());
        const int width =
            window_placement::read(doc, Field::Width, 1, window_placement::outerWidth(this));
        if (FormCanResize(width, main_layout::kHeight)) {
            window_placement::resizeOuter(this, width, main_layout::kHeight);
            lastGoodSize_ = size();
            outerWidth_ = width;
        }
        const int limit = live_settings::readNumber(doc, live_settings::kByteLimit);
        if (limit == 0) {
            setBodyLimit(kBodyLimit);
        } else if (limit == 1) {
            setBodyLimit(0);
        }
    });
    applySizeConstraints();
    FormResize();
}

bool TForm1::FormCanResize(int w, int h) const {
    return main_layout::canResize(w, h);
}

void TForm1::applySizeConstraints() {
    const QSize extra = window_placement::frameExtra(this);
    setMinimumSize(main_layout::kMinWidth - extra.width(), main_layout::kHeight - extra.height());
    setMaximumSize(QWIDGETSIZE_MAX, main_layout::kHeight - extra.height());
}

void TForm1::FormResize() {
    const main_layout::Values v =
        main_layout::forWidth(window_placement::outerWidth(this), Label3->text().size());
    Panel1->resize(v.panel1Width, Panel1->height());
    Panel3->move(v.panel3Left, Panel3->y());
    Edit2->resize(v.fieldWidth, Edit2->height());
    Edit3->resize(v.fieldWidth, Edit3->height());
    // The body and the palette fill the client area there is, with or without a frame.
    const QWidget* client = centralWidget();
    const main_layout::Heights h = main_layout::forClientHeight(client->height());
    Panel2->resize(v.panel2Width, h.panel2Height);
    Memo1->resize(v.memoWidth, h.memoHeight);
    Label2->move(v.unitLabelLeft, Label2->y());
    placeCounter(v.counterLeft.value_or(Label3->x()));
    PageControl1->setGeometry(v.paletteLeft, PageControl1->y(), PageControl1->width(),
                              h.panel2Height);
    StatusBar1->setPanelWidth(1, v.attachmentPanelWidth);
    StatusBar1->setGeometry(0, h.statusBarTop, client->width(), kStatusBarHeight);
}

void TForm1::placeCounter(int left) {
    const main_layout::Span span =
        main_layout::counterSpan(Label2->x(), left, Label3->sizeHint().width());
    Label3->setGeometry(span.left, Label3->y(), span.width, Label3->sizeHint().height());
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    const QSize extra = window_placement::frameExtra(this);
    const QSize outer = size() + extra;
    if (!FormCanResize(outer.width(), outer.height())) {
        if (lastGoodSize_.isValid() && lastGoodSize_ != size()) {
            // Refused: the window keeps the size it had.
            resize(lastGoodSize_);
            return;
        }
        // The same client size under a frame that just appeared; showEvent refits it.
        FormResize();
        return;
    }
    lastGoodSize_ = size();
    outerWidth_ = outer.width();
    FormResize();
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // The frame is known once the window manager has framed the window; the outer
    // size stays what was asked for.
    const int wanted = outerWidth_;
    applySizeConstraints();
    if (wanted > 0 && (window_placement::outerWidth(this) != wanted ||
                       window_placement::outerHeight(this) != main_layout::kHeight)) {
        const QSize extra = window_placement::frameExtra(this);
        lastGoodSize_ = QSize(wanted, main_layout::kHeight) - extra;
        resize(lastGoodSize_);
    }
}

void TForm1::setBodyLimit(int bytes) {
    Memo1->setByteLimit(bytes);
}

int TForm1::bodyLimit() const {
    return Memo1->byteLimit();
}

qsizetype TForm1::bodySize() const {
    return Memo1->byteLength();
}

bool TForm1::isBlank() const {
    return Edit2->text().isEmpty() && Edit3->text().isEmpty() && Memo1->text().isEmpty() &&
           attachmentPath_.isEmpty();
}

void TForm1::resetComposer() {
    Edit2->clear();
    Edit3->clear();
    Memo1->setText(QString());
    setCounterText(QStringLiteral("0"));
    attachmentPath_.clear();
    StatusBar1->setPanelText(0, kRecipientPanel);
    StatusBar1->setPanelText(1, kNoAttachment);
}

void TForm1::setRecipient(const QString& address, const QString& name) {
    Edit2->setText(address);
    StatusBar1->setPanelText(0, kRecipientPanel + name);
}

void TForm1::choosePictograph() {
    QWidget* field = focusedField();
    if (field != Edit3 && field != Memo1)
        return;
    const QRect caret = field->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    PageControl1->chooseFromMenu(field->mapToGlobal(caret.bottomLeft()));
}

void TForm1::setCounterText(const QString& text) {
    // The counter keeps its right edge next to the unit label when its text changes;
    // the layout sets its left.
    const bool placed = !Label3->text().isEmpty();
    Label3->setText(text);
    // Said with the body: the bare number would tell a screen reader's user nothing.
    const QString spoken = QStringLiteral("本文 %1バイト").arg(text);
    Label3->setAccessibleName(spoken);
    if (Memo1)
        Memo1->setAccessibleDescription(spoken);
    if (placed)
        placeCounter(Label3->x());
    else
        Label3->adjustSize();
}

QWidget* TForm1::focusedField() const {
    return toolkit::field_commands::focused({Edit2, Edit3, Memo1});
}

void TForm1::N1Click() {
    P1->setEnabled(!isBlank());
    toolkit::guarded(this, [&] {
        const IniDocument doc = settings_file::open();
        O1->setEnabled(draft::exists(doc));
    });
}

void TForm1::Edit1Click() {
    Undo1->setEnabled(Edit2->isModified() || Edit3->isModified() || Memo1->isModified());
    const qsizetype selected =
        Edit2->selectionByteLength() + Edit3->selectionByteLength() + Memo1->selectionByteLength();
    Cut1->setEnabled(selected > 0);
    Copy1->setEnabled(selected > 0);
    Paste1->setEnabled(toolkit::clipboard::hasText());
}

void TForm1::Edit2Change() {
    Undo1->setEnabled(true);
}

void TForm1::Memo1Change() {
    setCounterText(QString::number(Memo1->byteLength()));
    Undo1->setEnabled(true);
}

void TForm1::keyPressEvent(QKeyEvent* event) {
    // Ctrl while the window itself has the focus.
    if (event->key() == Qt::Key_Control) {
        Undo1->setEnabled(true);
        Cut1->setEnabled(true);
        Copy1->setEnabled(true);
    }
    QMainWindow::keyPressEvent(event);
}

void TForm1::Undo1Click() {
    QWidget* field = focusedField();
    toolkit::field_commands::undo(field);
    toolkit::field_commands::setModified(field, false);
}

void TForm1::Cut1Click() {
    toolkit::field_commands::cut(focusedField());
}

void TForm1::Copy1Click() {
    toolkit::field_commands::copy(focusedField());
}

void TForm1::Paste1Click() {
    QWidget* field = focusedField();
    if (field == Edit2) {
        Edit2->replaceSelection(toolkit::clipboard::text());
    } else if (field == Edit3) {
        subject_paste::paste(Edit3);
    } else if (field == Memo1) {
        Memo1->replaceSelection(toolkit::clipboard::text());
    }
}

void TForm1::A1Click() {
    toolkit::field_commands::selectAll(focusedField());
}

void TForm1::Button1Click() {
    forms_.form4->showWindow();
}

void TForm1::N15Click() {
    forms_.form5->showWindow();
}

void TForm1::L1Click() {
    forms_.form7->showWindow();
}

void TForm1::N3Click() {
    forms_.form2->showWindow();
}

void TForm1::Exit1Click() {
    close();
}

void TForm1::SpeedButton181Click() {
    const LiveSettings& live = liveSettings(forms_);
    send_command::Settings settings;
    settings.server = live.smtpServer();
    settings.from = live.senderAddress();
    settings.signature = live.signature();
    settings.automaticSignature = live.automaticSignature();
    settings.makeLogFile = live.makeLogFile();
    settings.automaticalClear = live.automaticalClear();
    settings.beep = live.beep();
    if (const std::optional<QString> body = send_command::signedBody(Memo1->text(), settings))
        Memo1->setText(*body);
    StatusBar1->setPanelText(2, send_command::kSendingStatus);
    StatusBar1->repaint();

    // Read back: the body field keeps its own line breaks.
    const send_command::Composed mail{Edit2->text(), Edit3->text(), Memo1->text(), attachmentPath_,
                                      StatusBar1->panelText(0)};
    const send_command::Outcome outcome =
        send_command::callLibrary(send_command::libraryMail(mail, settings));
    const send_command::Steps steps = send_command::afterCall(mail, settings, outcome);
    if (steps.errorBox)
        toolkit::errorBox(this, *steps.errorBox);
    if (steps.beep)
        toolkit::messageBeep(0);
    StatusBar1->setPanelText(2, steps.status);
    if (steps.historyEntry && !toolkit::guarded(this, [&] {
            history_log::append(settings_file::dataFile(QStringLiteral("log.txt")),
                                *steps.historyEntry, QDateTime::currentDateTime());
        })) {
        // The mail went out, but the rest of the command is dropped.
        return;
    }
    if (steps.reset)
        resetComposer();
}

bool TForm1::attach(const QString& path, bool fromDialog) {
    if (const QString refusal = attachment::refusalText(path); !refusal.isEmpty()) {
        toolkit::errorBox(this, refusal);
        return false;
    }
    attachmentPath_ = path;
    const qint64 size = attachment::sizeOf(path);
    StatusBar1->setPanelText(
        1, fromDialog ? attachment::dialogText(path, size) : attachment::dropText(path, size));
    D1->setEnabled(true);
    return true;
}

void TForm1::N5Click() {
    toolkit::FileDialogRequest request;
    request.preset = attachmentPath_;
    request.filters = {{QStringLiteral("全てのファイル(*.*)"), QStringLiteral("*.*")},
                       {QStringLiteral("JPEGイメージファイル(*.jpg)"), QStringLiteral("*.jpg")}};
    // A path typed into the dialog need not exist.
    request.mustExist = false;
    const std::optional<QString> chosen = toolkit::openFileDialog(this, request);
    if (chosen)
        attach(*chosen, true);
}

void TForm1::D1Click() {
    attachmentPath_.clear();
    StatusBar1->setPanelText(1, attachment::noneText());
    D1->setEnabled(false);
}

void TForm1::dropFiles(const QStringList& paths) {
    if (paths.isEmpty()) {
        return;
    }
    attach(attachment::droppedPath(paths.first()), false);
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void TForm1::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            paths.append(url.toLocalFile());
        }
    }
    if (paths.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    dropFiles(paths);
}

void TForm1::StatusBar1MouseMove() {
    StatusBar1->setToolTip(StatusBar1->panelText(1));
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove && watched->isWidgetType() &&
        (watched == StatusBar1 || StatusBar1->isAncestorOf(static_cast<QWidget*>(watched)))) {
        StatusBar1MouseMove();
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::SpeedButton1Click(QAbstractButton* button) {
    const QString p = button->text();
    if (Edit3->hasFocus()) {
        // The whole subject counts; a selection that p would replace is not subtracted.
        if (Edit3->byteLength() > kSubjectLimit - 2) {
            toolkit::systemBeep();
            return;
        }
        Edit3->replaceSelection(p);
    } else if (Memo1->hasFocus()) {
        // The body's own limit decides, silently.
        Memo1->replaceSelection(p);
    }
}

void TForm1::Button2Click() {
    subject_phrases::openPhraseMenu(*this, *Edit3, liveSettings(forms_).subjectPhrases());
}

void TForm1::S2Click() {
    const LiveSettings& live = liveSettings(forms_);
    const signature::ByHand inserted =
        signature::insertByHand(Memo1->text(), live.automaticSignature(), live.signature());
    if (!inserted.refusal.isEmpty())
        toolkit::errorBox(this, inserted.refusal);
    else
        Memo1->setText(inserted.body);  // as a whole, so the body limit does not cut it
}

TForm1::~TForm1() {
    FormDestroy();
}

void TForm1::FormDestroy() {
    toolkit::quitHelp();
}

void TForm1::About1Click() {
    forms_.aboutBox->showWindow();
}

void TForm1::N12Click() {
    // The help file lies beside the program, named after it.
    toolkit::showHelp(this, settings_file::pathWithExtension(QStringLiteral(".hlp")), 1);
}

void TForm1::G1Click() {
    if (!toolkit::startDetached(settings_file::programFile(QStringLiteral("emoji.exe")))) {
        // The platform's plain box with its default caption.
        toolkit::plainBox(this, QStringLiteral("emoji.exeが見つかりません。"),
                          QStringLiteral("エラー"), toolkit::Icon::Error, {toolkit::Button::Ok});
    }
}
