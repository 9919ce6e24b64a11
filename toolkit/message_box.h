#pragma once

#include <QList>
#include <QString>
#include <functional>

class QWidget;

// Modal message boxes, centred on the screen. Tests answer them in advance through
// MessageBoxScript and read back what was shown.
namespace toolkit {

enum class Button { Ok, Yes, No, Cancel };
enum class Icon { None, Error, Question, Warning, Information };
// Closed: the box was closed by its title bar (neither yes nor no).
enum class Answer { Ok, Yes, No, Cancel, Closed };

// Caption "エラー", error icon, one button "OK".
Answer errorBox(QWidget* parent, const QString& text);
// Caption "確認", question icon, `buttons` from Yes ("はい(&Y)"), No ("いいえ(&N)") and
// Cancel ("キャンセル") in that order; the first is the default. Escape answers Cancel
// when the box has it, otherwise No.
Answer confirmBox(QWidget* parent, const QString& text, const QList<Button>& buttons);
// The platform's plain message box with the given caption, icon and buttons.
Answer plainBox(QWidget* parent, const QString& text, const QString& caption, Icon icon,
                const QList<Button>& buttons);

// How many boxes the program has shown so far, scripted ones included.
int boxesShown();

struct ShownBox {
    QString caption;
    QString text;
    Icon icon = Icon::None;
    QList<Button> buttons;
};

// While one exists, boxes are not shown: each takes the next queued answer and is
// recorded. A box with no answer left is reported to the unanswered handler (tests
// make it a failure) and answers Closed, so a test never hangs on a box.
class MessageBoxScript {
  public:
    MessageBoxScript();
    ~MessageBoxScript();
    MessageBoxScript(const MessageBoxScript&) = delete;
    MessageBoxScript& operator=(const MessageBoxScript&) = delete;

    void answer(Answer a);
    // Instead of an answer: the next box is really shown and `act` works it (presses keys,
    // closes its frame) as a user would; what the box itself makes of that is the answer.
    void drive(std::function<void(QWidget* box)> act);
    // While set, each box is also really shown: `look` gets it once it is on the screen
    // (to take its picture), then the box closes and the queued answer counts.
    void lookAtEach(std::function<void(QWidget* box)> look) { look_ = std::move(look); }
    const std::function<void(QWidget*)>& look() const { return look_; }
    const QList<ShownBox>& shown() const { return shown_; }
    int pending() const { return int(steps_.size()); }
    void clear();

    // Called for a box that found no answer; defaults to doing nothing.
    static void setUnansweredHandler(std::function<void(const ShownBox&)> handler);

    static MessageBoxScript* active();
    // Records `box`; the next step's driver, or none when the next step is an answer.
    std::function<void(QWidget*)> takeDriver(const ShownBox& box);
    Answer take(const ShownBox& box);

  private:
    struct Step {
        Answer answer = Answer::Closed;
        std::function<void(QWidget*)> act;
    };
    QList<Step> steps_;
    QList<ShownBox> shown_;
    std::function<void(QWidget*)> look_;
    MessageBoxScript* previous_;
};

}  // namespace toolkit
