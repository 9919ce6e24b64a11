#include "toolkit/accessibility.h"

#include <QAbstractScrollArea>
#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QLabel>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

#include "toolkit/byte_limited_edit.h"
#include "toolkit/status_bar.h"

namespace toolkit::accessibility {
namespace {

// "宛先(&O)" is said "宛先(O)", as the bridge says every caption.
QString withoutAmpersands(QString text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&')
            text.remove(i, 1);
    }
    return text;
}

// The caption of the label that introduces `field`, if one does.
QString buddyCaption(const QWidget* field) {
    const QWidget* window = field->window();
    for (const QLabel* label : window->findChildren<QLabel*>()) {
        if (label->buddy() == field)
            return withoutAmpersands(label->text()).trimmed();
    }
    return {};
}

// One of the byte-limited fields. Reading goes to the widget; every change goes through
// the field's own replaceRange, so the byte limit and the field's rule for inserted
// text hold, the change counts as the user's (modified flag, undo step) and the
// change notifications reach the window as for typing.
class FieldInterface : public QAccessibleWidget,
                       public QAccessibleTextInterface,
                       public QAccessibleEditableTextInterface {
  public:
    FieldInterface(QWidget* w, bool multiLine)
        : QAccessibleWidget(w, QAccessible::EditableText), multiLine_(multiLine) {}

    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        if (t == QAccessible::EditableTextInterface)
            return static_cast<QAccessibleEditableTextInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.editable = !readOnly();
        s.readOnly = readOnly();
        s.selectableText = true;
        s.multiLine = multiLine_;
        return s;
    }

    QString text(QAccessible::Text t) const override {
        switch (t) {
            case QAccessible::Name: {
                const QString name = widget()->accessibleName();
                return name.isEmpty() ? buddyCaption(widget()) : name;
            }
            case QAccessible::Value:
                return plain();
            default:
                return QAccessibleWidget::text(t);
        }
    }

    void setText(QAccessible::Text t, const QString& text) override {
        if (t != QAccessible::Value) {
            QAccessibleWidget::setText(t, text);
            return;
        }
        replaceText(0, characterCount(), text);
    }

    // Text.
    QString text(int start, int end) const override {
        const QString all = plain();
        start = std::clamp(start, 0, int(all.size()));
        end = end < 0 ? int(all.size()) : std::clamp(end, start, int(all.size()));
        return all.mid(start, end - start);
    }
    int characterCount() const override { return int(plain().size()); }
    void selection(int index, int* start, int* end) const override {
        *start = *end = 0;
        if (index != 0)
            return;
        const auto [anchor, position] = selectionRange();
        *start = std::min(anchor, position);
        *end = std::max(anchor, position);
    }
    int selectionCount() const override {
        const auto [anchor, position] = selectionRange();
        return anchor == position ? 0 : 1;
    }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int index) override {
        if (index == 0)
            setCursorPosition(cursorPosition());
    }
    QString attributes(int offset, int* start, int* end) const override {
        *start = *end = offset;
        return {};
    }

    // Editing.
    void deleteText(int start, int end) override { replace(start, end, QString()); }
    void insertText(int offset, const QString& text) override { replace(offset, offset, text); }
    void replaceText(int start, int end, const QString& text) override {
        replace(start, end, text);
    }

  protected:
    virtual QString plain() const = 0;
    virtual bool readOnly() const = 0;
    // (anchor, position)
    virtual std::pair<int, int> selectionRange() const = 0;
    virtual void replace(int start, int end, const QString& text) = 0;

  private:
    bool multiLine_;
};

class LineEditInterface : public FieldInterface {
  public:
    explicit LineEditInterface(ByteLimitedLineEdit* w) : FieldInterface(w, false) {}

    void setSelection(int, int start, int end) override {
        field()->setSelection(start, end - start);
    }
    int cursorPosition() const override { return field()->cursorPosition(); }
    void setCursorPosition(int position) override { field()->setCursorPosition(position); }
    QRect characterRect(int offset) const override {
        const QString all = plain();
        offset = std::clamp(offset, 0, int(all.size()));
        const QFontMetrics metrics(field()->font());
        const QRect inside = field()->contentsRect();
        const int left = inside.left() + metrics.horizontalAdvance(all.left(offset));
        const int width = offset < all.size() ? metrics.horizontalAdvance(all.at(offset)) : 1;
        const QRect r(left, inside.top(), width, inside.height());
        return QRect(field()->mapToGlobal(r.topLeft()), r.size());
    }
    int offsetAtPoint(const QPoint& point) const override {
        return field()->cursorPositionAt(field()->mapFromGlobal(point));
    }
    void scrollToSubstring(int start, int) override { field()->setCursorPosition(start); }

  protected:
    QString plain() const override { return field()->QLineEdit::text(); }
    bool readOnly() const override { return field()->isReadOnly(); }
    std::pair<int, int> selectionRange() const override {
        const int position = field()->cursorPosition();
        if (!field()->hasSelectedText())
            return {position, position};
        const int start = field()->selectionStart();
        const int end = field()->selectionEnd();
        return {position == start ? end : start, position};
    }
    void replace(int start, int end, const QString& text) override {
        field()->replaceRange(start, end, text);
    }

  private:
    ByteLimitedLineEdit* field() const { return static_cast<ByteLimitedLineEdit*>(widget()); }
};

class MemoInterface : public FieldInterface {
  public:
    explicit MemoInterface(ByteLimitedMemo* w) : FieldInterface(w, true) {}

    void setSelection(int, int start, int end) override {
        QTextCursor c = field()->textCursor();
        c.setPosition(clamped(start));
        c.setPosition(clamped(end), QTextCursor::KeepAnchor);
        field()->setTextCursor(c);
    }
    int cursorPosition() const override { return field()->textCursor().position(); }
    void setCursorPosition(int position) override {
        QTextCursor c = field()->textCursor();
        c.setPosition(clamped(position));
        field()->setTextCursor(c);
    }
    QRect characterRect(int offset) const override {
        QTextCursor c(field()->document());
        c.setPosition(clamped(offset));
        const QRect r = field()->cursorRect(c);
        const QRect wide(r.topLeft(), QSize(std::max(r.width(), 1), r.height()));
        return QRect(field()->viewport()->mapToGlobal(wide.topLeft()), wide.size());
    }
    int offsetAtPoint(const QPoint& point) const override {
        return field()->cursorForPosition(field()->viewport()->mapFromGlobal(point)).position();
    }
    void scrollToSubstring(int start, int) override {
        setCursorPosition(start);
        field()->ensureCursorVisible();
    }

  protected:
    QString plain() const override { return field()->toPlainText(); }
    bool readOnly() const override { return field()->isReadOnly(); }
    std::pair<int, int> selectionRange() const override {
        const QTextCursor c = field()->textCursor();
        return {c.anchor(), c.position()};
    }
    void replace(int start, int end, const QString& text) override {
        field()->replaceRange(start, end, text);
    }

  private:
    ByteLimitedMemo* field() const { return static_cast<ByteLimitedMemo*>(widget()); }
    int clamped(int offset) const { return std::clamp(offset, 0, characterCount()); }
};

QAccessibleInterface* factory(const QString& className, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget)
        return nullptr;
    if (className == QLatin1String("toolkit::ByteLimitedLineEdit"))
        return new LineEditInterface(static_cast<ByteLimitedLineEdit*>(widget));
    if (className == QLatin1String("toolkit::ByteLimitedMemo"))
        return new MemoInterface(static_cast<ByteLimitedMemo*>(widget));
    if (className == QLatin1String("toolkit::StatusBar"))
        return new QAccessibleWidget(widget, QAccessible::StatusBar);
    // A plain frame holds other controls: a panel, not a window's frame.
    if (className == QLatin1String("QFrame") && !widget->isWindow())
        return new QAccessibleWidget(widget, QAccessible::Pane);
    // A window of our own is a window, or a dialog when it has a dialog's frame.
    if (className == QLatin1String("QWidget") && widget->isWindow()) {
        const bool dialog = widget->windowType() == Qt::Dialog;
        return new QAccessibleWidget(widget, dialog ? QAccessible::Dialog : QAccessible::Window);
    }
    return nullptr;
}

}  // namespace

void nameScrollArea(QAbstractScrollArea* area, const QString& name) {
    if (!name.isEmpty())
        area->setAccessibleName(name);
    const QString owner = name.isEmpty() ? buddyCaption(area) : name;
    area->verticalScrollBar()->setAccessibleName(owner + QStringLiteral(" 縦スクロール"));
    area->horizontalScrollBar()->setAccessibleName(owner + QStringLiteral(" 横スクロール"));
}

void install() {
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(factory);
}

}  // namespace toolkit::accessibility
