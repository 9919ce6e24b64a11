#include "toolkit/message_box.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

namespace toolkit {
namespace {

MessageBoxScript*& activeScript() {
    static MessageBoxScript* script = nullptr;
    return script;
}

std::function<void(const ShownBox&)>& unansweredHandler() {
    static std::function<void(const ShownBox&)> handler;
    return handler;
}

QString buttonText(Button b) {
    switch (b) {
        case Button::Ok:
            return QStringLiteral("OK");
        case Button::Yes:
            return QStringLiteral("はい(&Y)");
        case Button::No:
            return QStringLiteral("いいえ(&N)");
        case Button::Cancel:
            return QStringLiteral("キャンセル");
    }
    return {};
}

Answer answerOf(Button b) {
    switch (b) {
        case Button::Ok:
            return Answer::Ok;
        case Button::Yes:
            return Answer::Yes;
        case Button::No:
            return Answer::No;
        case Button::Cancel:
            return Answer::Cancel;
    }
    return Answer::Closed;
}

QMessageBox::Icon qtIcon(Icon icon) {
    switch (icon) {
        case Icon::None:
            return QMessageBox::NoIcon;
        case Icon::Error:
            return QMessageBox::Critical;
        case Icon::Question:
            return QMessageBox::Question;
        case Icon::Warning:
            return QMessageBox::Warning;
        case Icon::Information:
            return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

// Tells a close by the title bar apart from a button or Escape.
class Box : public QMessageBox {
  public:
    using QMessageBox::QMessageBox;
    bool closedByFrame = false;

  protected:
    void closeEvent(QCloseEvent* event) override {
        closedByFrame = true;
        QMessageBox::closeEvent(event);
    }
    void keyPressEvent(QKeyEvent* event) override {
        closedByFrame = false;
        QMessageBox::keyPressEvent(event);
    }
};

Answer show(QWidget* parent, const ShownBox& box, Button escape) {
    MessageBoxScript* script = MessageBoxScript::active();
    if (script && !script->look())
        return script->take(box);

    Box mb(nullptr);
    Q_UNUSED(parent);  // centred on the screen, not on the window
    mb.setWindowModality(Qt::ApplicationModal);
    mb.setWindowTitle(box.caption);
    mb.setText(box.text);
    mb.setIcon(qtIcon(box.icon));
    QList<QPair<QAbstractButton*, Button>> made;
    for (Button b : box.buttons) {
        const auto role = b == Button::Cancel || b == Button::No ? QMessageBox::RejectRole
                                                                 : QMessageBox::AcceptRole;
        QPushButton* pb = mb.addButton(buttonText(b), role);
        made.append({pb, b});
        if (b == escape)
            mb.setEscapeButton(pb);
    }
    if (!made.isEmpty())
        mb.setDefaultButton(qobject_cast<QPushButton*>(made.first().first));
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        mb.adjustSize();
        mb.move(screen->availableGeometry().center() - mb.rect().center());
    }
    if (script) {
        QTimer::singleShot(0, &mb, [&] {
            script->look()(&mb);
            mb.reject();
        });
        mb.exec();
        return script->take(box);
    }
    mb.exec();
    QAbstractButton* clicked = mb.clickedButton();
    if (mb.closedByFrame && made.size() > 1)
        return Answer::Closed;
    for (const auto& [pb, b] : made) {
        if (pb == clicked)
            return answerOf(b);
    }
    return Answer::Closed;
}

}  // namespace

Answer errorBox(QWidget* parent, const QString& text) {
    return show(parent, ShownBox{QStringLiteral("エラー"), text, Icon::Error, {Button::Ok}},
                Button::Ok);
}

Answer confirmBox(QWidget* parent, const QString& text, const QList<Button>& buttons) {
    QList<Button> ordered;
    for (Button b : {Button::Yes, Button::No, Button::Cancel}) {
        if (buttons.contains(b))
            ordered.append(b);
    }
    const Button escape = ordered.contains(Button::Cancel) ? Button::Cancel : Button::No;
    return show(parent, ShownBox{QStringLiteral("確認"), text, Icon::Question, ordered}, escape);
}

Answer plainBox(QWidget* parent, const QString& text, const QString& caption, Icon icon,
                const QList<Button>& buttons) {
    const QList<Button> list = buttons.isEmpty() ? QList<Button>{Button::Ok} : buttons;
    Button escape = list.last();
    if (list.contains(Button::Cancel)) {
        escape = Button::Cancel;
    } else if (list.contains(Button::No)) {
        escape = Button::No;
    } else if (list.contains(Button::Ok)) {
        escape = Button::Ok;
    }
    return show(parent, ShownBox{caption, text, icon, list}, escape);
}

MessageBoxScript::MessageBoxScript() : previous_(activeScript()) {
    activeScript() = this;
}

MessageBoxScript::~MessageBoxScript() {
    activeScript() = previous_;
}

void MessageBoxScript::answer(Answer a) {
    answers_.append(a);
}

void MessageBoxScript::clear() {
    answers_.clear();
    shown_.clear();
}

void MessageBoxScript::setUnansweredHandler(std::function<void(const ShownBox&)> handler) {
    unansweredHandler() = std::move(handler);
}

MessageBoxScript* MessageBoxScript::active() {
    return activeScript();
}

Answer MessageBoxScript::take(const ShownBox& box) {
    shown_.append(box);
    if (answers_.isEmpty()) {
        if (unansweredHandler())
            unansweredHandler()(box);
        return Answer::Closed;
    }
    return answers_.takeFirst();
}

}  // namespace toolkit
