#pragma once

#include <QLineEdit>
#include <QPlainTextEdit>
#include <functional>

// Text fields whose input limit counts bytes of code page 932. What the user types,
// commits through an input method, pastes or drops goes in only as far as it fits,
// in whole characters; text the program sets is never cut. While a field holds more
// than its limit, further input is refused and deleting still works. Characters the
// code page cannot hold never enter as such (see cp932::normalizeForInput).
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

    // Replaces the selection (or inserts at the cursor) with as much of `text` as
    // fits the limit, as a user edit. Returns false when nothing of it fitted.
    bool replaceSelection(const QString& text);
    // Paste from the clipboard under the limit.
    void pasteLimited();

    void setInputFilter(InputFilter filter) { filter_ = std::move(filter); }
    void setInputMethodEnabled(bool enabled);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QString fitting(const QString& text) const;

    int byteLimit_ = 0;
    InputFilter filter_;
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
    // not modified, textChanged emitted).
    QString text() const;
    void setText(const QString& crlfText);

    bool isModified() const;
    void setModified(bool modified);

    bool replaceSelection(const QString& text);
    void pasteLimited();

    void setInputFilter(InputFilter filter) { filter_ = std::move(filter); }
    void setInputMethodEnabled(bool enabled);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    QString fitting(const QString& text) const;

    int byteLimit_ = 0;
    InputFilter filter_;
};

}  // namespace toolkit
