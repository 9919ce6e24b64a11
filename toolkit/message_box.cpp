#include "toolkit/message_box.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

namespace toolkit {
namespace {

int& shownCount() {
    static int count = 0;
    return count;
}

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
    ++shownCount();
    MessageBoxScript* script = MessageBoxScript::active();
    std::function<void(QWidget*)> act = script ? script->takeDriver(box) : nullptr;
    if (script && !act && !script->look())
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
    bool stuck = false;
    if (act) {
        QTimer::singleShot(0, &mb, [&] {
            if (script->look())
                script->look()(&mb);
            act(&mb);
            // An access key clicks its button after a short animation; a box still open
            // after that would wait for ever.
            const QDeadlineTimer deadline(5000);
            QEventLoop wait;
            QTimer poll;
            QObject::connect(&poll, &QTimer::timeout, &wait, [&] {
                if (!mb.isVisible() || deadline.hasExpired())
                    wait.quit();
            });
            poll.start(10);
            if (mb.isVisible())
                wait.exec();
            if (mb.isVisible()) {
                stuck = true;
                mb.done(-1);
            }
        });
    } else if (script) {
        QTimer::singleShot(0, &mb, [&] {
            script->look()(&mb);
            mb.reject();
        });
        mb.exec();
        return script->take(box);
    }
    mb.exec();
    if (stuck) {
        if (unansweredHandler())
            unansweredHandler()(box);
        return Answer::Closed;
    }
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

int boxesShown() {
    return shownCount();
}

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
    steps_.append({a, nullptr});
}

void MessageBoxScript::drive(std::function<void(QWidget*)> act) {
    steps_.append({Answer::Closed, std::move(act)});
}

void MessageBoxScript::clear() {
    steps_.clear();
    shown_.clear();
}

void MessageBoxScript::setUnansweredHandler(std::function<void(const ShownBox&)> handler) {
    unansweredHandler() = std::move(handler);
}

MessageBoxScript* MessageBoxScript::active() {
    return activeScript();
}

std::function<void(QWidget*)> MessageBoxScript::takeDriver(const ShownBox& box) {
    if (steps_.isEmpty() || !steps_.first().act)
        return nullptr;
    shown_.append(box);
    return steps_.takeFirst().act;
}

Answer MessageBoxScript::take(const ShownBox& box) {
    shown_.append(box);
    if (steps_.isEmpty()) {
        if (unansweredHandler())
            unansweredHandler()(box);
        return Answer::Closed;
    }
    return steps_.takeFirst().answer;
}

}  // namespace toolkit
