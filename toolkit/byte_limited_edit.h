#pragma once

#include <QLineEdit>
#include <QPlainTextEdit>
#include <functional>
#include <initializer_list>
#include <optional>

class QMenu;

// Text fields whose input limit counts bytes of code page 932. What the user types,
// commits through an input method, pastes, drops or enters through the accessibility
// interface (dictation, on-screen keyboards) goes in only as far as it fits, in whole
// characters; text the program sets is never cut. While a field holds more
// than its limit, further input is refused and deleting still works. Characters the
// code page cannot hold never enter as such (see cp932::normalizeForInput).
//
// Both keep their own modified flag and a single-step undo that toggles: a second
// undo restores what the first took back. Text set by the program clears both.
namespace toolkit {

// Turns what the user inserts into text the field may hold; the default is
// cp932::normalizeForInput.
using InputFilter = std::function<QString(QStringView)>;

class ByteLimitedLineEdit : public QLineEdit {
    Q_OBJECT
  public:
    explicit ByteLimitedLineEdit(QWidget* parent = nullptr);

    // 0: no limit.
    void setByteLimit(int bytes) { byteLimit_ = bytes; }
    int byteLimit() const { return byteLimit_; }
    qsizetype byteLength() const;
    qsizetype selectionByteLength() const;

    // A program change: never cut, clears the modified flag and the undo step.
    void setText(const QString& text);
    void clear() { setText(QString()); }
    bool isModified() const { return modified_; }
    void setModified(bool modified) { modified_ = modified; }
    bool canUndo() const { return undo_.has_value(); }
    void undo();

    // Replaces the selection (or inserts at the cursor) with as much of `text` as
    // fits the limit, as a user edit. Returns false when nothing of it fitted.
    bool replaceSelection(const QString& text);
    // Paste from the clipboard under the limit, or through the paste handler when one
    // is set (the paste key, Shift+Insert and the context menu all come here).
    void pasteLimited();
    void cut();
    // Replaces the characters [start, end) with `text` under the field's rule, as a
    // user edit: what assistive technology asks for.
    bool replaceRange(int start, int end, const QString& text);

    // Text that enters other than by a typed key (input method, drop, assistive
    // technology, paste without a handler) goes in whole or not at all, refused with
    // the system beep: for a field whose text must not end up cut, like a subject.
    void setWholeInsertions(bool whole) { wholeInsertions_ = whole; }

    void setInputFilter(InputFilter filter) { filter_ = std::move(filter); }
    void setInputMethodEnabled(bool enabled);
    // A window's own paste rule for this field.
    void setPasteHandler(std::function<void()> handler) { pasteHandler_ = std::move(handler); }
    // `text` as an insertion would really put it in, before the limit cuts it.
    QString insertable(const QString& text) const;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    struct State {
        QString text;
        int anchor = 0;
        int position = 0;
    };
    State state() const;
    void restore(const State& s);
    // Runs one user edit; records the undo step when the text changed.
    template <class F>
    void edit(F&& change, bool typing = false);
    // What of `text` fits; the selection's bytes count as free when the text replaces it.
    QString fitting(const QString& text, bool replacesSelection = true) const;

    // What of `text` goes in for an insertion other than typing: all of `fit`, or
    // nothing (with the beep) when the field takes insertions only whole.
    QString admitted(const QString& fit, const QString& text) const;

    int byteLimit_ = 0;
    bool wholeInsertions_ = false;
    InputFilter filter_;
    std::function<void()> pasteHandler_;
    bool modified_ = false;
    bool typingRun_ = false;
    std::optional<State> undo_;
};

// The multi-line field. Its text is CR LF on our side; the widget holds '\n'.
class ByteLimitedMemo : public QPlainTextEdit {
    Q_OBJECT
  public:
    explicit ByteLimitedMemo(QWidget* parent = nullptr);

    void setByteLimit(int bytes) { byteLimit_ = bytes; }
    int byteLimit() const { return byteLimit_; }
    qsizetype byteLength() const;
    qsizetype selectionByteLength() const;

    // The text with CR LF line breaks; setting it is a program change (never cut,
    // not modified, no undo step, textChanged emitted).
    QString text() const;
    void setText(const QString& crlfText);
    void clear() { setText(QString()); }
    // Selected text with CR LF line breaks.
    QString selectedText() const;
    bool hasSelectedText() const { return textCursor().hasSelection(); }

    bool isModified() const { return modified_; }
    void setModified(bool modified) { modified_ = modified; }
    bool canUndo() const { return undo_.has_value(); }
    void undo();

    bool replaceSelection(const QString& text);
    void pasteLimited();
    void cut();
    // Replaces the characters [start, end) of the widget's text ('\n' line breaks)
    // with `text` under the limit, as a user edit.
    bool replaceRange(int start, int end, const QString& text);

    void setInputFilter(InputFilter filter) { filter_ = std::move(filter); }
    void setInputMethodEnabled(bool enabled);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    struct State {
        QString text;  // as the widget holds it ('\n')
        int anchor = 0;
        int position = 0;
    };
    State state() const;
    void restore(const State& s);
    template <class F>
    void edit(F&& change, bool typing = false);
    // `crlfText` cut to what fits, still CR LF.
    QString fitting(const QString& crlfText, bool replacesSelection = true) const;
    QString insertable(const QString& crlfText) const;
    void insertPlain(const QString& crlfText);

    int byteLimit_ = 0;
    InputFilter filter_;
    bool modified_ = false;
    bool typingRun_ = false;
    // Inside a drop, which records its undo step as a whole.
    bool dropping_ = false;
    std::optional<State> undo_;
};

// The edit commands of the windows' edit menus, on whichever of the two fields
// `field` is; nothing happens for null or any other widget. Cut and copy need a
// selection.
namespace field_commands {
void undo(QWidget* field);
void cut(QWidget* field);
void copy(QWidget* field);
void paste(QWidget* field);
void selectAll(QWidget* field);
void setModified(QWidget* field, bool modified);
// The one of `fields` that has the keyboard focus, or null.
QWidget* focused(std::initializer_list<QWidget*> fields);
}  // namespace field_commands

}  // namespace toolkit
