#include "sending/send_command.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <array>
#include <thread>

#include "bsmtp/bsmtp.h"
#include "toolkit/user_input.h"

namespace send_command {
namespace {

constexpr int kErrorBufferSize = 81;

// Swallows every user input while the library works, so the windows stay painted
// but nothing can change the mail or close a window under the call.
class InputBlocker : public QObject {
  public:
    InputBlocker() { qApp->installEventFilter(this); }
    ~InputBlocker() override { qApp->removeEventFilter(this); }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        return toolkit::isUserInput(event->type());
    }
};

}  // namespace

Outcome callLibrary(const Mail& mail) {
    std::array<char, kErrorBufferSize + 1> buffer{};  // one more, always zero
    int result = 0;
    QEventLoop loop;
    InputBlocker blocker;
    std::thread worker([&] {
        result = BSendMail(mail.server.constData(), mail.to.constData(), mail.from.constData(),
                           mail.subject.constData(), mail.body.constData(),
                           mail.attachment.constData(), buffer.data());
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    Outcome outcome;
    outcome.sent = result != 0;
    if (!outcome.sent)
        outcome.error = QByteArray(buffer.data(), qstrnlen(buffer.data(), kErrorBufferSize));
    return outcome;
}

}  // namespace send_command
