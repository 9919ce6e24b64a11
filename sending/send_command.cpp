#include "sending/send_command.h"

#include <QApplication>
#include <QDateTime>
#include <QEvent>
#include <QEventLoop>
#include <array>
#include <thread>

#include "app/settings_file.h"
#include "bsmtp/bsmtp.h"
#include "composer/composer_window.h"
#include "sending/history_log.h"
#include "sending/signature.h"
#include "settings/live_settings.h"
#include "toolkit/beep.h"
#include "toolkit/byte_limited_edit.h"
#include "toolkit/cp932.h"
#include "toolkit/error_report.h"
#include "toolkit/message_box.h"
#include "toolkit/status_bar.h"

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
        switch (event->type()) {
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::ShortcutOverride:
            case QEvent::Shortcut:
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::Wheel:
            case QEvent::InputMethod:
            case QEvent::DragEnter:
            case QEvent::Drop:
            case QEvent::Close:
            case QEvent::ContextMenu:
            case QEvent::TouchBegin:
                return true;
            default:
                return false;
        }
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

void run(TForm1& form, const Forms& forms) {
    const LiveSettings& settings = liveSettings(forms);
    if (settings.automaticSignature()) {
        form.Memo1->setText(
            signature::appendTo(form.Memo1->text(), cp932::decode(settings.signature())));
    }
    form.StatusBar1->setPanelText(2, QStringLiteral("メール送信中"));
    form.StatusBar1->repaint();

    Mail mail;
    mail.server = settings.smtpServer();
    mail.to = cp932::encode(form.Edit2->text());
    mail.from = settings.senderAddress();
    mail.subject = cp932::encode(form.Edit3->text());
    mail.body = cp932::encode(form.Memo1->text());
    mail.attachment = cp932::encode(form.attachmentPath());
    const Outcome outcome = callLibrary(mail);

    if (!outcome.sent) {
        toolkit::errorBox(&form, cp932::decode(outcome.error));
        form.StatusBar1->setPanelText(2, QStringLiteral("メール作成中"));
        return;
    }
    if (settings.beep())
        toolkit::messageBeep(0);
    form.StatusBar1->setPanelText(2, QStringLiteral("送信完了"));
    if (settings.makeLogFile()) {
        history_log::Entry entry;
        entry.recipientPanel = form.StatusBar1->panelText(0);
        entry.to = form.Edit2->text();
        entry.subject = form.Edit3->text();
        entry.attachmentPath = form.attachmentPath();
        entry.body = form.Memo1->text();
        const bool written = toolkit::guarded(&form, [&] {
            history_log::append(settings_file::dataFile(QStringLiteral("log.txt")), entry,
                                QDateTime::currentDateTime());
        });
        // The mail went out, but the rest of the command is dropped.
        if (!written)
            return;
    }
    if (settings.automaticalClear())
        form.resetComposer();
}

}  // namespace send_command
