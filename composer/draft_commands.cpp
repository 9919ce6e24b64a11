// The main window's draft commands and its close request.
#include <QCloseEvent>
#include <QCoreApplication>
#include <QSessionManager>

#include "app/settings_file.h"
#include "app/window_placement.h"
#include "composer/composer_window.h"
#include "composer/draft.h"
#include "toolkit/byte_limited_edit.h"
#include "toolkit/error_report.h"
#include "toolkit/message_box.h"
#include "toolkit/status_bar.h"

namespace {

using toolkit::Answer;
using toolkit::Button;

const QString kSaveQuestion =
    QStringLiteral("メールは変更されています。\r\nこのメールを保存しますか？");
const QString kOverwriteQuestion =
    QStringLiteral("以前に保存してあったメールは破棄されます。\r\nよろしいですか？");
const QString kOpenQuestion =
    QStringLiteral("保存メールを開くと\r\n今編集中のメールは破棄されます。\r\nよろしいですか？");

}  // namespace

void TForm1::saveDraft(IniDocument& doc) {
    draft::Mail mail;
    mail.to = Edit2->text();
    mail.subject = Edit3->text();
    mail.body = Memo1->text();
    mail.attachmentPath = attachmentPath_;
    mail.recipientPanel = StatusBar1->panelText(0);
    mail.attachmentPanel = StatusBar1->panelText(1);
    draft::write(doc, mail);
}

void TForm1::writePlacement(IniDocument& doc) const {
    using window_placement::Field;
    window_placement::write(doc, Field::Top, 1, pos().y());
    window_placement::write(doc, Field::Left, 1, pos().x());
    window_placement::write(doc, Field::Width, 1, window_placement::outerWidth(this));
}

void TForm1::P1Click() {
    bool saved = false;
    toolkit::guarded(this, [&] {
        settings_file::modify([&](IniDocument& doc) {
            if (draft::exists(doc) &&
                toolkit::confirmBox(this, kOverwriteQuestion, {Button::Yes, Button::Cancel}) !=
                    Answer::Yes) {
                return;
            }
            saveDraft(doc);
            saved = true;
        });
        // Only once the draft has reached the file is the mail cleared.
        if (saved) {
            resetComposer();
        }
    });
}

void TForm1::N4Click() {
    if (isBlank()) {
        return;
    }
    if (toolkit::confirmBox(this, kSaveQuestion, {Button::Yes, Button::No}) == Answer::Yes) {
        P1Click();
    } else {
        resetComposer();
    }
}

void TForm1::O1Click() {
    toolkit::guarded(this, [&] {
        settings_file::modify([&](IniDocument& doc) {
            if (!isBlank() && toolkit::confirmBox(this, kOpenQuestion,
                                                  {Button::Yes, Button::Cancel}) != Answer::Yes) {
                return;
            }
            const draft::Mail mail = draft::read(doc);
            Edit2->setText(mail.to);
            Edit3->setText(mail.subject);
            Memo1->setText(mail.body);
            // Taken back as stored: a file moved since stays named.
            attachmentPath_ = mail.attachmentPath;
            StatusBar1->setPanelText(0, mail.recipientPanel);
            StatusBar1->setPanelText(1, mail.attachmentPanel);
            draft::erase(doc);
        });
    });
}

bool TForm1::FormCloseQuery() {
    bool canClose = false;
    // Whether closing now could lose nothing the user wanted kept.
    bool nothingAtStake = isBlank();
    const bool done = toolkit::guarded(this, [&] {
        settings_file::modify([&](IniDocument& doc) {
            writePlacement(doc);
            if (isBlank()) {
                canClose = true;
                return;
            }
            const Answer answer =
                toolkit::confirmBox(this, kSaveQuestion, {Button::Yes, Button::No, Button::Cancel});
            if (answer == Answer::No) {
                nothingAtStake = true;
                canClose = true;
            } else if (answer == Answer::Yes) {
                if (!draft::exists(doc) ||
                    toolkit::confirmBox(this, kOverwriteQuestion, {Button::Yes, Button::No}) ==
                        Answer::Yes) {
                    saveDraft(doc);
                    canClose = true;
                }
            }
        });
    });
    // A settings file that cannot be read or written is reported; the window then
    // stays open while the mail would be lost with it.
    if (!done) {
        return nothingAtStake;
    }
    return canClose;
}

void TForm1::closeEvent(QCloseEvent* event) {
    // The session manager ends the program after a log-off whose query was answered;
    // the same mail is not asked about twice.
    const bool answered = sessionEnding_ && sessionAnswer_ == mailState();
    if (closeAgreed_ || answered || FormCloseQuery()) {
        closeAgreed_ = true;
        event->accept();
        emit closed();
    } else {
        event->ignore();
    }
}

QStringList TForm1::mailState() const {
    return {Edit2->text(), Edit3->text(), Memo1->text(), attachmentPath_};
}

namespace {

// The session's end reaches the program as a quit from the platform; the windows are
// closed right after.
class SessionEndWatch : public QObject {
  public:
    SessionEndWatch(QObject* parent, bool* ending) : QObject(parent), ending_(ending) {
        qApp->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == qApp && event->type() == QEvent::Quit && event->spontaneous()) {
            *ending_ = true;
        }
        return false;
    }

  private:
    bool* ending_;
};

}  // namespace

void TForm1::watchSessionEnd() {
    new SessionEndWatch(this, &sessionEnding_);
}

void TForm1::sessionEndQuery(QSessionManager& manager) {
    // The query comes before a log-off and also at a checkpoint, when the session goes
    // on, and Qt does not tell them apart. So the mail stays in the window whatever the
    // answer, and the program never ends here: after a log-off the session manager
    // ends it, and the close then asks nothing more about the same mail.
    if (closeAgreed_) {
        return;
    }
    sessionAnswer_.reset();
    if (isBlank()) {
        FormCloseQuery();
    } else if (manager.allowsInteraction()) {
        if (!FormCloseQuery()) {
            manager.cancel();
            return;
        }
        manager.release();
    } else {
        // Nothing may be asked: keep the mail as the draft unless that would destroy
        // a draft the user saved; then ask the session not to end.
        bool kept = false;
        const bool written = toolkit::guarded(this, [&] {
            settings_file::modify([&](IniDocument& doc) {
                writePlacement(doc);
                if (!draft::exists(doc)) {
                    saveDraft(doc);
                    kept = true;
                }
            });
        });
        if (!kept || !written) {
            manager.cancel();
            return;
        }
    }
    sessionAnswer_ = mailState();
}
