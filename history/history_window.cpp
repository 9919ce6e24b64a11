#include "history/history_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <utility>

#include "app/atomic_save.h"
#include "app/ini_document.h"
#include "app/settings_file.h"
#include "app/window_placement.h"
#include "toolkit/accessibility.h"
#include "toolkit/clipboard.h"
#include "toolkit/cp932.h"
#include "toolkit/error_report.h"
#include "toolkit/file_error.h"
#include "toolkit/fonts.h"
#include "toolkit/invisible_edit_menu.h"
#include "toolkit/menu_shortcuts.h"
#include "toolkit/message_box.h"

namespace {

using toolkit::Answer;

// A big history goes into the text in batches of about this many characters, for
// about this long between events.
constexpr qsizetype kBatchChars = 256 * 1024;
constexpr int kSliceMs = 25;
// Each slice costs the window a new layout of what it shows, which for some text (a
// character no font has) takes longer than the slice itself: the slice is then made
// longer, so that loading keeps most of the time, up to this long.
constexpr int kMaxSliceMs = 200;

// A block's user state: it continues the line of the block before.
constexpr int kContinues = 1;

// The bytes a block was read from, when its text would not give them back.
class KeptBytes : public QTextBlockUserData {
  public:
    explicit KeptBytes(QByteArray b) : bytes(std::move(b)) {}
    QByteArray bytes;
};

QByteArray keptBytes(const QTextBlock& block) {
    const auto* kept = static_cast<const KeptBytes*>(block.userData());
    return kept ? kept->bytes : QByteArray();
}

void mark(QTextBlock block, const history_text::Piece& piece) {
    block.setUserState(piece.continues ? kContinues : -1);
    block.setUserData(piece.kept.isEmpty() ? nullptr : new KeptBytes(piece.kept));
}

QList<history_text::Piece> pieces(QByteArray content) {
    history_text::Reader reader(std::move(content));
    QList<history_text::Piece> out;
    while (!reader.atEnd())
        out.append(reader.next());
    return out;
}

// Whether held input may change the text: keys, not clicks.
bool mayEdit(const QList<std::pair<QObject*, QEvent*>>& held) {
    return std::any_of(held.begin(), held.end(), [](const auto& e) {
        return e.second->type() == QEvent::KeyPress || e.second->type() == QEvent::InputMethod;
    });
}
using toolkit::Button;

QString logPath() {
    return settings_file::dataFile(QStringLiteral("log.txt"));
}

// Whether there is a history at `path`. Throws FileError(Open), as its read would,
// when it is no file that can be opened or is too big to hold: asked before the text
// shown is dropped for the file's, which then stays as it is.
bool canRead(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) {
        return false;
    }
    // A FIFO is not even opened: that would wait for a writer.
    if (!info.isFile()) {
        throw FileError(FileError::Kind::Open, path, QStringLiteral("not a regular file"));
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw FileError(FileError::Kind::Open, path, file.errorString());
    }
    readingFile(path, [&] {
        // Room for the whole file, given back untouched.
        QByteArray room;
        room.reserve(file.size() + 1);
    });
    return true;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, int width,
                        const QString& hint) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1StringView(name));
    b->resize(width, 25);
    b->setToolTip(hint);
    return b;
}

}  // namespace

TForm7::TForm7(Forms& forms) : SecondaryWindow(forms, 7) {
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(QStringLiteral("送信履歴"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    // No minimum size is handed to the window manager: it would cut a size asked below
    // the limit down to the limit in one direction and let the other change, while
    // such a size is refused as a whole (resizeEvent).

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setFont(toolkit::fonts::fieldFont());
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    toolkit::accessibility::nameScrollArea(Memo1, QStringLiteral("送信履歴"));
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setTabChangesFocus(true);
    Button2 = makeButton(this, "Button2", QStringLiteral("履歴削除(&D)"), 73,
                         QStringLiteral("送信履歴を全て削除します。"));
    Button3 = makeButton(this, "Button3", QStringLiteral("更新(&R)"), 65,
                         QStringLiteral("送信履歴を最新の状態にします。\r\n"
                                        "(注)編集中の履歴は編集前の状態に戻ります。"));
    Button1 = makeButton(this, "Button1", QStringLiteral("保存(&S)"), 65,
                         QStringLiteral("編集された履歴を保存します。"));
    Button4 = makeButton(this, "Button4", QStringLiteral("閉じる(&C)"), 67,
                         QStringLiteral("変更した場合は保存をお忘れなく！"));
    Button4->setDefault(true);
    Button1->setEnabled(false);

    setTabOrder(Memo1, Button3);
    setTabOrder(Button3, Button1);
    setTabOrder(Button1, Button2);
    setTabOrder(Button2, Button4);

    connect(Memo1, &QPlainTextEdit::textChanged, this, [this] {
        if (!settingText_) {
            setModified(true);
        }
    });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
    setEscapeButton(Button4);
    createEditMenu();
    loadTimer_ = new QTimer(this);
    loadTimer_->setSingleShot(true);
    connect(loadTimer_, &QTimer::timeout, this, [this] {
        // The time the window took between two slices.
        const qint64 between = sinceSlice_.isValid() ? sinceSlice_.elapsed() : 0;
        loadSlice(int(std::clamp<qint64>(3 * between, kSliceMs, kMaxSliceMs)));
    });

    move(273, 152);
    window_placement::resizeOuter(this, kDesignWidth, kDesignHeight);
    lastGoodSize_ = size();
    outerSize_ = QSize(kDesignWidth, kDesignHeight);
    FormResize();
}

void TForm7::createEditMenu() {
    const toolkit::InvisibleEditMenu menu = toolkit::createInvisibleEditMenu(
        this, {{"Undo1",
                [this] {
                    if (Memo1->hasFocus())
                        Memo1->undo();
                }},
               {"Cut1",
                [this] {
                    QTextCursor c = Memo1->textCursor();
                    if (c.hasSelection()) {
                        toolkit::clipboard::setText(cp932::toCrLf(c.selectedText()));
                        c.removeSelectedText();
                    }
                }},
               {"Copy1",
                [this] {
                    const QTextCursor c = Memo1->textCursor();
                    if (c.hasSelection())
                        toolkit::clipboard::setText(cp932::toCrLf(c.selectedText()));
                }},
               {"Paste1",
                [this] {
                    if (Memo1->hasFocus())
                        Memo1->insertPlainText(cp932::toLf(toolkit::clipboard::text()));
                }},
               {"SelectAll1", [this] {
                    if (Memo1->hasFocus())
                        Memo1->selectAll();
                }}});
    MainMenu1 = menu.bar;
    MenuItem = menu.menu;
    shortcuts_ = menu.shortcuts;
    Undo1 = menu.undo;
    Cut1 = menu.cut;
    Copy1 = menu.copy;
    Paste1 = menu.paste;
    SelectAll1 = menu.selectAll;
}

TForm7::~TForm7() {
    for (const auto& held : heldInput_)
        delete held.second;
}

bool TForm7::isModified() const {
    // Keys typed while the text loads are edits not yet made.
    return Button1->isEnabled() || mayEdit(heldInput_);
}

void TForm7::setModified(bool modified) {
    Button1->setEnabled(modified);
}

QString TForm7::text() const {
    finishLoading();
    const QTextDocument* doc = Memo1->document();
    QString lf;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        if (b != doc->begin() && b.userState() != kContinues)
            lf += u'\n';
        lf += b.text();
    }
    return cp932::toCrLf(lf);
}

QByteArray TForm7::bytes() const {
    finishLoading();
    const QTextDocument* doc = Memo1->document();
    QByteArray out;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        if (b != doc->begin() && b.userState() != kContinues)
            out += "\r\n";
        out += history_text::pieceBytes(b.text(), keptBytes(b));
    }
    return out;
}

void TForm7::FormResize() {
    const int w = window_placement::outerWidth(this);
    const int h = window_placement::outerHeight(this);
    // A height at or below zero leaves the text area without a visible height.
    Memo1->setGeometry(0, 0, w - 8, std::max(0, h - 63));
    const int top = Memo1->height() + 2;
    const int memoWidth = Memo1->width();
    Button2->move(8, top);
    Button3->move(memoWidth - 217, top);
    Button1->move(memoWidth - 145, top);
    Button4->move(memoWidth - 73, top);
}

void TForm7::resizeChecked(int w, int h) {
    if (canResize(w, h)) {
        window_placement::resizeOuter(this, w, h);
    }
}

void TForm7::resizeEvent(QResizeEvent* event) {
    SecondaryWindow::resizeEvent(event);
    const QSize outer = size() + window_placement::frameExtra(this);
    if (!canResize(outer.width(), outer.height()) && lastGoodSize_.isValid() &&
        lastGoodSize_ != size()) {
        // Refused as a whole: the window keeps the size it had.
        resize(lastGoodSize_);
        return;
    }
    // The same size inside a frame that just appeared is no new outer size.
    if (size() != lastGoodSize_) {
        outerSize_ = outer;
    }
    lastGoodSize_ = size();
    FormResize();
}

void TForm7::keepOuterSize() {
    if (window_placement::outerWidth(this) != outerSize_.width() ||
        window_placement::outerHeight(this) != outerSize_.height()) {
        window_placement::resizeOuter(this, outerSize_.width(), outerSize_.height());
    }
}

void TForm7::showEvent(QShowEvent* event) {
    SecondaryWindow::showEvent(event);
    // The frame is known once the window is on the screen; the outer size stays.
    keepOuterSize();
}

void TForm7::readPlacement(const IniDocument& doc) {
    keepOuterSize();
    SecondaryWindow::readPlacement(doc);
    // Width, then height, each under the size limit on its own.
    using window_placement::Field;
    const int w = window_placement::read(doc, Field::Width, placementNumber(),
                                         window_placement::outerWidth(this));
    resizeChecked(w, window_placement::outerHeight(this));
    const int h = window_placement::read(doc, Field::Height, placementNumber(),
                                         window_placement::outerHeight(this));
    resizeChecked(window_placement::outerWidth(this), h);
}

void TForm7::writePlacement(IniDocument& doc) {
    SecondaryWindow::writePlacement(doc);
    window_placement::writeSize(doc, this, 7);
}

void TForm7::FormShow() {
    SecondaryWindow::FormShow();
    FormResize();
    toolkit::guarded(this, [&] {
        loadFile();
        setModified(false);
    });
}

bool TForm7::loadFile() {
    const QString path = logPath();
    if (!canRead(path)) {
        return false;
    }
    // The text shown goes before the file is read: a big history and its text are
    // never held twice.
    endLoading(false);
    QTextDocument* doc = Memo1->document();
    settingText_ = true;
    doc->setUndoRedoEnabled(false);
    Memo1->clear();
    doc->setUndoRedoEnabled(true);
    settingText_ = false;
    // Should the file still fail to come in, a save finds all of it new and keeps it.
    loaded_ = history_log::Snapshot();
    std::optional<QByteArray> content = history_log::readFile(path);
    if (!content) {
        return false;
    }
    // Loading is no edit to undo.
    doc->setUndoRedoEnabled(false);
    loaded_ = history_log::Snapshot(*content);
    reader_ = std::make_unique<history_text::Reader>(std::move(*content));
    pieceAfterFirst_ = false;
    // Keys and clicks on the text wait until it is whole. Installed after the edit
    // menu's filter, this one sees the keys first.
    Memo1->viewport()->setCursor(Qt::BusyCursor);
    qApp->installEventFilter(this);
    loadSlice(kSliceMs);
    // The caret and the view start at the newest entry, at the top.
    Memo1->moveCursor(QTextCursor::Start);
    return true;
}

void TForm7::loadSlice(int budgetMs) {
    if (!reader_) {
        return;
    }
    QElapsedTimer timer;
    timer.start();
    QTextDocument* doc = Memo1->document();
    settingText_ = true;
    while (!reader_->atEnd() && (budgetMs < 0 || timer.elapsed() < budgetMs)) {
        QList<history_text::Piece> batch;
        QString text;
        while (!reader_->atEnd() && text.size() < kBatchChars) {
            batch.append(reader_->next());
            if (pieceAfterFirst_ || batch.size() > 1) {
                text += u'\n';
            }
            text += batch.last().text;
        }
        const int first = pieceAfterFirst_ ? doc->blockCount() : 0;
        QTextCursor end(doc);
        end.movePosition(QTextCursor::End);
        end.insertText(text);
        QTextBlock block = doc->findBlockByNumber(first);
        for (const history_text::Piece& piece : batch) {
            mark(block, piece);
            block = block.next();
        }
        pieceAfterFirst_ = true;
    }
    settingText_ = false;
    if (!reader_->atEnd()) {
        sinceSlice_.start();
        loadTimer_->start(0);
        return;
    }
    endLoading(true);
}

void TForm7::endLoading(bool replay) {
    loadTimer_->stop();
    if (reader_) {
        reader_.reset();
        qApp->removeEventFilter(this);
        Memo1->document()->setUndoRedoEnabled(true);
        Memo1->viewport()->setCursor(Qt::IBeamCursor);
    }
    pieceAfterFirst_ = false;
    const QList<std::pair<QObject*, QEvent*>> held = std::exchange(heldInput_, {});
    for (const auto& [target, event] : held) {
        if (replay) {
            QCoreApplication::sendEvent(target, event);
        }
        delete event;
    }
}

void TForm7::finishLoading() const {
    if (isLoading()) {
        const_cast<TForm7*>(this)->loadSlice(-1);
    }
}

void TForm7::insertOnTop(QList<history_text::Piece> pieces) {
    QTextDocument* doc = Memo1->document();
    // The last piece joins the first line now shown, which keeps its bytes.
    const history_text::Piece oldFirst{QString(), keptBytes(doc->begin()), false};
    QString text;
    for (qsizetype i = 0; i + 1 < pieces.size(); ++i) {
        text += pieces[i].text;
        text += u'\n';
    }
    text += pieces.last().text;
    settingText_ = true;
    doc->setUndoRedoEnabled(false);
    QTextCursor(doc).insertText(text);
    doc->setUndoRedoEnabled(true);
    settingText_ = false;
    QTextBlock block = doc->begin();
    for (qsizetype i = 0; i + 1 < pieces.size(); ++i) {
        mark(block, pieces[i]);
        block = block.next();
    }
    mark(block, oldFirst);
}

void TForm7::Button1Click() {
    toolkit::guarded(this, [&] {
        const QString path = logPath();
        QByteArray bytes = this->bytes();
        if (const std::optional<QByteArray> current = history_log::readFile(path)) {
            const std::optional<QByteArray> added = loaded_.addedOnTop(*current);
            if (!added) {
                // Changed by something other than a send: only the user can decide.
                if (toolkit::confirmBox(
                        this,
                        QStringLiteral("送信履歴のファイルは表示した後に変更"
                                       "されています。\r\n上書きしてよろしいですか？"),
                        {Button::Yes, Button::No}) != Answer::Yes) {
                    return;
                }
            } else if (!added->isEmpty()) {
                // Mails sent while the window was open stay on top of the edited text.
                bytes.prepend(*added);
                insertOnTop(pieces(*added));
            }
        }
        atomicSave(path, bytes);
        loaded_ = history_log::Snapshot(bytes);
        setModified(false);
    });
}

void TForm7::Button2Click() {
    const QString path = logPath();
    if (!QFileInfo::exists(path)) {
        toolkit::errorBox(this, QStringLiteral("\r\nlog.txtが存在しません。"));
        return;
    }
    if (toolkit::confirmBox(this, QStringLiteral("送信履歴を削除します。\r\nよろしいですか？"),
                            {Button::Yes, Button::No}) != Answer::Yes) {
        return;
    }
    toolkit::guarded(this, [&] {
        QFile file(path);
        if (!file.remove()) {
            throw FileError(FileError::Kind::Delete, path, file.errorString());
        }
        // Keys typed while the text loaded were edits to the text now gone.
        if (mayEdit(heldInput_)) {
            setModified(true);
        }
        endLoading(false);
        settingText_ = true;
        Memo1->clear();
        settingText_ = false;
        loaded_ = history_log::Snapshot();
    });
}

void TForm7::Button3Click() {
    toolkit::guarded(this, [&] {
        if (loadFile()) {
            setModified(false);
        }
    });
}

void TForm7::Button4Click() {
    close();
}

bool TForm7::FormCloseQuery() {
    if (!isModified()) {
        return true;
    }
    return toolkit::confirmBox(this,
                               QStringLiteral("送信履歴の内容が変更されているようです。\r\n"
                                              "保存せずに閉じてよろしいですか？"),
                               {Button::Yes, Button::No, Button::Cancel}) == Answer::Yes;
}

void TForm7::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    // The edits typed while loading are not wanted; hidden, the rest of the file
    // still goes in, so the text is whole when the window shows again.
    for (const auto& held : std::exchange(heldInput_, {})) {
        delete held.second;
    }
    SecondaryWindow::closeEvent(event);
}

bool TForm7::eventFilter(QObject* watched, QEvent* event) {
    if (!reader_ || (watched != Memo1 && watched != Memo1->viewport())) {
        return false;
    }
    switch (event->type()) {
        case QEvent::MouseMove:
            if (static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton) {
                return false;
            }
            [[fallthrough]];
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::InputMethod:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            heldInput_.append({watched, event->clone()});
            return true;
        default:
            return false;
    }
}

void TForm7::keyPressEvent(QKeyEvent* event) {
    // Enter that no control took presses the default button.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Button4->click();
        return;
    }
    SecondaryWindow::keyPressEvent(event);
}
