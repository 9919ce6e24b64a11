#include "toolkit/byte_limited_edit.h"

#include <QContextMenuEvent>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QUrl>
#include <algorithm>
#include <limits>

#include "toolkit/beep.h"
#include "toolkit/clipboard.h"
#include "toolkit/cp932.h"

namespace toolkit {
namespace {

// Text a key press types, or empty for keys that edit or move instead.
QString typedText(const QKeyEvent* event) {
    if (event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))
        return {};
    const QString text = event->text();
    if (text.isEmpty())
        return {};
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return {};
    }
    return text;
}

bool isUndoKey(const QKeyEvent* event) {
    return event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo);
}

// Undo, paste and cut keys go to the field's own limited operations, never to the
// widget's unlimited ones. True when the key was one of them.
template <class Field>
bool takeEditKey(Field* field, QKeyEvent* event) {
    if (isUndoKey(event)) {
        field->undo();
    } else if (event->matches(QKeySequence::Paste)) {
        field->pasteLimited();
    } else if (event->matches(QKeySequence::Cut)) {
        field->cut();
    } else {
        return false;
    }
    event->accept();
    return true;
}

void switchInputMethod(QWidget* field, bool enabled) {
    field->setAttribute(Qt::WA_InputMethodEnabled, enabled);
    field->setInputMethodHints(enabled ? Qt::ImhNone : (Qt::ImhLatinOnly | Qt::ImhPreferLatin));
}

// Undo, cut, copy, paste, delete and select all, routed through the field's own
// limited operations rather than the widget's unlimited ones.
template <class Field>
void showEditMenu(Field* field, QContextMenuEvent* event, bool hasSelection, bool readOnly) {
    QMenu menu(field);
    QAction* undo =
        menu.addAction(QStringLiteral("元に戻す(&U)"), field, [field] { field->undo(); });
    undo->setEnabled(!readOnly && field->canUndo());
    menu.addSeparator();
    QAction* cut = menu.addAction(QStringLiteral("切り取り(&T)"), field, [field] { field->cut(); });
    cut->setEnabled(!readOnly && hasSelection);
    QAction* copy = menu.addAction(QStringLiteral("コピー(&C)"), field, [field] { field->copy(); });
    copy->setEnabled(hasSelection);
    QAction* paste =
        menu.addAction(QStringLiteral("貼り付け(&P)"), field, [field] { field->pasteLimited(); });
    paste->setEnabled(!readOnly && clipboard::hasText());
    QAction* del = menu.addAction(QStringLiteral("削除(&D)"), field,
                                  [field] { field->replaceSelection(QString()); });
    del->setEnabled(!readOnly && hasSelection);
    menu.addSeparator();
    menu.addAction(QStringLiteral("すべて選択(&A)"), field, [field] { field->selectAll(); });
    menu.exec(event->globalPos());
}

// Dropped data is text only when it carries no local files: a file manager offers
// its file list as text/plain too.
bool isTextDrop(const QMimeData* data) {
    if (!data || !data->hasFormat(QStringLiteral("text/plain")))
        return false;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            return false;
    }
    return true;
}

// How a drop of `fit` out of `whole` goes on: as it came when all of it fits, as a
// copy when it was cut (a move would delete from the source what was not taken), or
// not at all. Returns the actions the limited drop may offer, 0 to refuse.
Qt::DropActions limitedDropActions(const QDropEvent* event, const QString& fit,
                                   const QString& whole) {
    if (fit.isEmpty() && !whole.isEmpty())
        return {};
    if (fit.size() == whole.size())
        return event->dropAction();
    if (!(event->possibleActions() & Qt::CopyAction))
        return {};
    return Qt::CopyAction;
}

QString firstLine(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' || text[i] == u'\n')
            return text.left(i);
    }
    return text;
}

}  // namespace

// ---------------------------------------------------------------- single line

ByteLimitedLineEdit::ByteLimitedLineEdit(QWidget* parent) : QLineEdit(parent) {
    // The limit is ours, in bytes; QLineEdit's own cap of 32767 characters would cut a
    // long stored value or a long address list.
    setMaxLength(std::numeric_limits<int>::max());
    connect(this, &QLineEdit::textEdited, this, [this] { modified_ = true; });
}

qsizetype ByteLimitedLineEdit::byteLength() const {
    return cp932::byteLength(QLineEdit::text());
}

qsizetype ByteLimitedLineEdit::selectionByteLength() const {
    return cp932::byteLength(QLineEdit::selectedText());
}

void ByteLimitedLineEdit::setText(const QString& text) {
    undo_.reset();
    typingRun_ = false;
    modified_ = false;
    QLineEdit::setText(text);
}

ByteLimitedLineEdit::State ByteLimitedLineEdit::state() const {
    State s;
    s.text = QLineEdit::text();
    s.position = cursorPosition();
    s.anchor = s.position;
    if (hasSelectedText()) {
        const int start = selectionStart();
        const int end = start + int(QLineEdit::selectedText().size());
        s.anchor = s.position == start ? end : start;
    }
    return s;
}

void ByteLimitedLineEdit::restore(const State& s) {
    QLineEdit::setText(s.text);
    setCursorPosition(s.anchor);
    cursorForward(true, s.position - s.anchor);
}

template <class F>
void ByteLimitedLineEdit::edit(F&& change, bool typing) {
    const State before = state();
    change();
    if (QLineEdit::text() == before.text)
        return;
    if (!(typing && typingRun_))
        undo_ = before;
    typingRun_ = typing;
    modified_ = true;
}

QString ByteLimitedLineEdit::insertable(const QString& text) const {
    return firstLine(filter_ ? filter_(text) : cp932::normalizeForInput(text));
}

QString ByteLimitedLineEdit::fitting(const QString& text, bool replacesSelection) const {
    const QString clean = insertable(text);
    if (byteLimit_ <= 0)
        return clean;
    const qsizetype room =
        byteLimit_ - (byteLength() - (replacesSelection ? selectionByteLength() : 0));
    return room <= 0 ? QString() : cp932::fitPrefix(clean, room);
}

void ByteLimitedLineEdit::undo() {
    if (!undo_ || isReadOnly())
        return;
    const State now = state();
    restore(*undo_);
    undo_ = now;
    typingRun_ = false;
    modified_ = true;
}

QString ByteLimitedLineEdit::admitted(const QString& fit, const QString& text) const {
    if (!wholeInsertions_ || fit.size() == insertable(text).size())
        return fit;
    systemBeep();
    return {};
}

bool ByteLimitedLineEdit::replaceSelection(const QString& text) {
    if (isReadOnly())
        return false;
    const QString fit = admitted(fitting(text), text);
    if (fit.isEmpty() && !text.isEmpty())
        return false;
    edit([&] { QLineEdit::insert(fit); });
    return true;
}

bool ByteLimitedLineEdit::replaceRange(int start, int end, const QString& text) {
    const int length = int(QLineEdit::text().size());
    start = std::clamp(start, 0, length);
    end = std::clamp(end, start, length);
    const State before = state();
    setSelection(start, end - start);
    if (replaceSelection(text))
        return true;
    // Refused: the caret and the selection go back to where they were.
    setCursorPosition(before.anchor);
    cursorForward(true, before.position - before.anchor);
    return false;
}

void ByteLimitedLineEdit::pasteLimited() {
    if (pasteHandler_) {
        pasteHandler_();
    } else if (clipboard::hasText()) {
        replaceSelection(clipboard::text());
    }
}

void ByteLimitedLineEdit::cut() {
    if (isReadOnly() || !hasSelectedText())
        return;
    edit([&] { QLineEdit::cut(); });
}

void ByteLimitedLineEdit::setInputMethodEnabled(bool enabled) {
    switchInputMethod(this, enabled);
}

void ByteLimitedLineEdit::keyPressEvent(QKeyEvent* event) {
    if (takeEditKey(this, event))
        return;
    const QString typed = typedText(event);
    if (!typed.isEmpty() && !isReadOnly()) {
        const QString fit = fitting(typed);
        // Refused silently when it does not fit whole.
        if (!fit.isEmpty())
            edit([&] { QLineEdit::insert(fit); }, true);
        event->accept();
        return;
    }
    edit([&] { QLineEdit::keyPressEvent(event); });
    if (event->key() != Qt::Key_Shift && event->key() != Qt::Key_Control)
        typingRun_ = false;
}

void ByteLimitedLineEdit::inputMethodEvent(QInputMethodEvent* event) {
    if (event->commitString().isEmpty() || isReadOnly()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent limited(event->preeditString(), event->attributes());
    limited.setCommitString(admitted(fitting(event->commitString()), event->commitString()),
                            event->replacementStart(), event->replacementLength());
    edit([&] { QLineEdit::inputMethodEvent(&limited); });
}

void ByteLimitedLineEdit::dragEnterEvent(QDragEnterEvent* event) {
    if (isTextDrop(event->mimeData()))
        QLineEdit::dragEnterEvent(event);
    else
        event->ignore();
}

void ByteLimitedLineEdit::dragMoveEvent(QDragMoveEvent* event) {
    if (isTextDrop(event->mimeData()))
        QLineEdit::dragMoveEvent(event);
    else
        event->ignore();
}

void ByteLimitedLineEdit::dropEvent(QDropEvent* event) {
    if (isReadOnly() || !isTextDrop(event->mimeData())) {
        event->ignore();
        return;
    }
    // The drop goes in at the drop point; only a move within the field frees the
    // bytes of its selection.
    const bool ownMove = event->source() == this && event->dropAction() == Qt::MoveAction;
    const QString whole = insertable(event->mimeData()->text());
    const QString fit = fitting(event->mimeData()->text(), ownMove);
    const Qt::DropActions actions = limitedDropActions(event, fit, whole);
    if (wholeInsertions_ && fit.size() != whole.size()) {
        systemBeep();
        event->ignore();
        return;
    }
    if (!actions || fit.isEmpty()) {
        event->ignore();
        return;
    }
    QMimeData data;
    data.setText(fit);
    QDropEvent limited(event->position(), actions, &data, event->buttons(), event->modifiers());
    edit([&] { QLineEdit::dropEvent(&limited); });
    event->setDropAction(limited.dropAction());
    event->setAccepted(limited.isAccepted());
}

void ByteLimitedLineEdit::contextMenuEvent(QContextMenuEvent* event) {
    showEditMenu(this, event, hasSelectedText(), isReadOnly());
}

void ByteLimitedLineEdit::mousePressEvent(QMouseEvent* event) {
    typingRun_ = false;
    QLineEdit::mousePressEvent(event);
}

void ByteLimitedLineEdit::mouseReleaseEvent(QMouseEvent* event) {
    // No middle-button paste of the selection: it would bypass the limit.
    if (event->button() == Qt::MiddleButton) {
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void ByteLimitedLineEdit::focusOutEvent(QFocusEvent* event) {
    // The selection stays when the focus leaves, so the edit commands still see it.
    const State kept = state();
    const bool hadSelection = hasSelectedText();
    typingRun_ = false;
    QLineEdit::focusOutEvent(event);
    if (hadSelection && !hasSelectedText() && QLineEdit::text() == kept.text) {
        setCursorPosition(kept.anchor);
        cursorForward(true, kept.position - kept.anchor);
    }
}

// ---------------------------------------------------------------- multi-line

ByteLimitedMemo::ByteLimitedMemo(QWidget* parent) : QPlainTextEdit(parent) {
    // Undo is ours: one step that toggles.
    setUndoRedoEnabled(false);
    setTabChangesFocus(true);
}

qsizetype ByteLimitedMemo::byteLength() const {
    return cp932::byteLength(toPlainText());
}

QString ByteLimitedMemo::selectedText() const {
    return cp932::toCrLf(textCursor().selectedText());
}

qsizetype ByteLimitedMemo::selectionByteLength() const {
    return cp932::byteLength(selectedText());
}

QString ByteLimitedMemo::text() const {
    return cp932::toCrLf(toPlainText());
}

void ByteLimitedMemo::setText(const QString& crlfText) {
    undo_.reset();
    typingRun_ = false;
    setPlainText(cp932::toLf(crlfText));
    modified_ = false;
}

ByteLimitedMemo::State ByteLimitedMemo::state() const {
    const QTextCursor c = textCursor();
    return State{toPlainText(), c.anchor(), c.position()};
}

void ByteLimitedMemo::restore(const State& s) {
    setPlainText(s.text);
    QTextCursor c = textCursor();
    c.setPosition(s.anchor);
    c.setPosition(s.position, QTextCursor::KeepAnchor);
    setTextCursor(c);
}

template <class F>
void ByteLimitedMemo::edit(F&& change, bool typing) {
    const State before = state();
    change();
    if (toPlainText() == before.text)
        return;
    if (!(typing && typingRun_))
        undo_ = before;
    typingRun_ = typing;
    modified_ = true;
}

QString ByteLimitedMemo::insertable(const QString& crlfText) const {
    const QString clean = filter_ ? filter_(crlfText) : cp932::normalizeForInput(crlfText);
    return cp932::toCrLf(cp932::toLf(clean));
}

QString ByteLimitedMemo::fitting(const QString& crlfText, bool replacesSelection) const {
    const QString clean = insertable(crlfText);
    if (byteLimit_ <= 0)
        return clean;
    const qsizetype room =
        byteLimit_ - (byteLength() - (replacesSelection ? selectionByteLength() : 0));
    return room <= 0 ? QString() : cp932::fitPrefix(clean, room);
}

void ByteLimitedMemo::insertPlain(const QString& crlfText) {
    QTextCursor c = textCursor();
    c.insertText(cp932::toLf(crlfText));
    setTextCursor(c);
    ensureCursorVisible();
}

void ByteLimitedMemo::undo() {
    if (!undo_ || isReadOnly())
        return;
    const State now = state();
    restore(*undo_);
    undo_ = now;
    typingRun_ = false;
    modified_ = true;
}

bool ByteLimitedMemo::replaceSelection(const QString& text) {
    if (isReadOnly())
        return false;
    const QString fit = fitting(text);
    if (fit.isEmpty() && !text.isEmpty())
        return false;
    edit([&] { insertPlain(fit); });
    return true;
}

bool ByteLimitedMemo::replaceRange(int start, int end, const QString& text) {
    const int length = int(toPlainText().size());
    start = std::clamp(start, 0, length);
    end = std::clamp(end, start, length);
    const State before = state();
    QTextCursor c = textCursor();
    c.setPosition(start);
    c.setPosition(end, QTextCursor::KeepAnchor);
    setTextCursor(c);
    if (replaceSelection(text))
        return true;
    c.setPosition(before.anchor);
    c.setPosition(before.position, QTextCursor::KeepAnchor);
    setTextCursor(c);
    return false;
}

void ByteLimitedMemo::pasteLimited() {
    if (clipboard::hasText())
        replaceSelection(clipboard::text());
}

void ByteLimitedMemo::cut() {
    if (isReadOnly() || !textCursor().hasSelection())
        return;
    edit([&] { QPlainTextEdit::cut(); });
}

void ByteLimitedMemo::setInputMethodEnabled(bool enabled) {
    switchInputMethod(this, enabled);
}

void ByteLimitedMemo::keyPressEvent(QKeyEvent* event) {
    if (takeEditKey(this, event))
        return;
    const bool enter = (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
                       !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    const QString typed = enter ? QStringLiteral("\r\n") : typedText(event);
    if (!typed.isEmpty() && !isReadOnly()) {
        const QString fit = fitting(typed);
        if (!fit.isEmpty())
            edit([&] { insertPlain(fit); }, !enter);
        if (enter)
            typingRun_ = false;
        event->accept();
        return;
    }
    edit([&] { QPlainTextEdit::keyPressEvent(event); });
    if (event->key() != Qt::Key_Shift && event->key() != Qt::Key_Control)
        typingRun_ = false;
}

void ByteLimitedMemo::inputMethodEvent(QInputMethodEvent* event) {
    if (event->commitString().isEmpty() || isReadOnly()) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent limited(event->preeditString(), event->attributes());
    limited.setCommitString(cp932::toLf(fitting(event->commitString())), event->replacementStart(),
                            event->replacementLength());
    edit([&] { QPlainTextEdit::inputMethodEvent(&limited); });
}

bool ByteLimitedMemo::canInsertFromMimeData(const QMimeData* source) const {
    return !isReadOnly() && isTextDrop(source);
}

void ByteLimitedMemo::insertFromMimeData(const QMimeData* source) {
    if (!canInsertFromMimeData(source))
        return;
    const QString fit = fitting(cp932::toCrLf(cp932::toLf(source->text())));
    if (fit.isEmpty())
        return;
    if (dropping_)
        insertPlain(fit);
    else
        edit([&] { insertPlain(fit); });
}

void ByteLimitedMemo::dragMoveEvent(QDragMoveEvent* event) {
    if (canInsertFromMimeData(event->mimeData()))
        QPlainTextEdit::dragMoveEvent(event);
    else
        event->ignore();
}

void ByteLimitedMemo::dropEvent(QDropEvent* event) {
    if (!canInsertFromMimeData(event->mimeData())) {
        event->ignore();
        return;
    }
    // A move within the body takes its text out before it goes in again, so its
    // selection's bytes are free; any other drop goes in beside the selection.
    // The body's drags start from its viewport.
    const bool ownMove = (event->source() == this || event->source() == viewport()) &&
                         event->dropAction() == Qt::MoveAction;
    const QString dropped = cp932::toCrLf(cp932::toLf(event->mimeData()->text()));
    const QString whole = insertable(dropped);
    const QString fit = fitting(dropped, ownMove);
    Qt::DropActions actions = limitedDropActions(event, fit, whole);
    // A move within the body that does not fit whole would lose what was cut.
    if (ownMove && fit.size() != whole.size())
        actions = {};
    if (!actions || fit.isEmpty()) {
        event->ignore();
        return;
    }
    QMimeData data;
    data.setText(cp932::toLf(fit));
    QDropEvent limited(event->position(), actions, &data, event->buttons(), event->modifiers());
    // The removal of a moved selection and the insertion are one undo step.
    dropping_ = true;
    edit([&] { QPlainTextEdit::dropEvent(&limited); });
    dropping_ = false;
    event->setDropAction(limited.dropAction());
    event->setAccepted(limited.isAccepted());
}

void ByteLimitedMemo::contextMenuEvent(QContextMenuEvent* event) {
    showEditMenu(this, event, textCursor().hasSelection(), isReadOnly());
}

void ByteLimitedMemo::mousePressEvent(QMouseEvent* event) {
    typingRun_ = false;
    // No middle-button paste of the selection: it would bypass the limit.
    if (event->button() == Qt::MiddleButton) {
        event->accept();
        return;
    }
    QPlainTextEdit::mousePressEvent(event);
}

void ByteLimitedMemo::mouseReleaseEvent(QMouseEvent* event) {
    // The selection is pasted on release; the middle button pastes nothing here.
    if (event->button() == Qt::MiddleButton) {
        event->accept();
        return;
    }
    QPlainTextEdit::mouseReleaseEvent(event);
}

// ---------------------------------------------------------------- edit commands

namespace field_commands {
namespace {

template <class F>
void onField(QWidget* field, F&& f) {
    if (auto* edit = qobject_cast<ByteLimitedLineEdit*>(field)) {
        f(edit);
    } else if (auto* memo = qobject_cast<ByteLimitedMemo*>(field)) {
        f(memo);
    }
}

}  // namespace

void undo(QWidget* field) {
    onField(field, [](auto* f) { f->undo(); });
}

void cut(QWidget* field) {
    onField(field, [](auto* f) {
        if (f->hasSelectedText())
            f->cut();
    });
}

void copy(QWidget* field) {
    onField(field, [](auto* f) {
        if (f->hasSelectedText())
            f->copy();
    });
}

void paste(QWidget* field) {
    onField(field, [](auto* f) { f->pasteLimited(); });
}

void selectAll(QWidget* field) {
    onField(field, [](auto* f) { f->selectAll(); });
}

void setModified(QWidget* field, bool modified) {
    onField(field, [modified](auto* f) { f->setModified(modified); });
}

QWidget* focused(std::initializer_list<QWidget*> fields) {
    for (QWidget* field : fields) {
        if (field->hasFocus())
            return field;
    }
    return nullptr;
}

}  // namespace field_commands

}  // namespace toolkit
