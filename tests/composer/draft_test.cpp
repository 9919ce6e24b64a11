#include <gtest/gtest.h>

#include <QtGui/private/qguiapplication_p.h>
#include <QtGui/private/qsessionmanager_p.h>
#include <qpa/qplatformsessionmanager.h>
#include <qpa/qwindowsysteminterface.h>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "app/ini_document.h"
#include "composer/composer_window.h"
#include "program/application.h"
#include "support/test_support.h"
#include "toolkit/byte_limited_edit.h"
#include "toolkit/cp932.h"
#include "toolkit/message_box.h"
#include "toolkit/status_bar.h"

using toolkit::Answer;
using toolkit::Button;

namespace {

const QString kSaveQuestion =
    QStringLiteral("メールは変更されています。\r\nこのメールを保存しますか？");
const QString kOverwriteQuestion =
    QStringLiteral("以前に保存してあったメールは破棄されます。\r\nよろしいですか？");
const QString kOpenQuestion =
    QStringLiteral("保存メールを開くと\r\n今編集中のメールは破棄されます。\r\nよろしいですか？");

// The platform's side of a desktop session that is ending: the application's own
// QSessionManager is kept, only what it asks of the session is scripted.
class ScriptedSession : public QPlatformSessionManager {
  public:
    explicit ScriptedSession(bool interactive)
        : QPlatformSessionManager(QString(), QString()), interactive_(interactive) {}
    bool allowsInteraction() override {
        interactionRequested = true;
        return interactive_;
    }
    void release() override { released = true; }
    void cancel() override { cancelled = true; }

    bool interactionRequested = false;
    bool released = false;
    bool cancelled = false;

  private:
    bool interactive_;
};

// Ends the session once, the way the platform integration does when the session
// manager asks the program to save its state before logging off.
class SessionEnd {
  public:
    explicit SessionEnd(bool interactive) : session(interactive) {
        QSessionManager* manager = QGuiApplicationPrivate::instance()->session_manager;
        EXPECT_NE(manager, nullptr);
        d_ = static_cast<QSessionManagerPrivate*>(QObjectPrivate::get(manager));
        previous_ = d_->platformSessionManager;
        d_->platformSessionManager = &session;
    }
    ~SessionEnd() { d_->platformSessionManager = previous_; }
    void request() { session.appCommitData(); }

    ScriptedSession session;

  private:
    QSessionManagerPrivate* d_ = nullptr;
    QPlatformSessionManager* previous_ = nullptr;
};

class Draft : public ::testing::Test {
  protected:
    void SetUp() override { start(); }

    void start() {
        program.reset();
        // An earlier end of the program leaves Qt ending every event loop at once (a
        // message box's too) until the application's loop has run again.
        QCoreApplication::processEvents();
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        QCoreApplication::exec();
        program = std::make_unique<Application>();
        program->show();
        form1 = program->forms().form1;
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form1));
        QApplication::setActiveWindow(form1);
    }

    void choose(QMenu* menu, Qt::Key key) { chooseFromMenu(form1, menu, key); }
    void saveDraft() { choose(form1->N1, Qt::Key_P); }
    void openDraft() { choose(form1->N1, Qt::Key_O); }
    bool enabledInFileMenu(QAction* item) {
        form1->N1->popup(form1->mapToGlobal(QPoint(0, 0)));
        const bool enabled = item->isEnabled();
        form1->N1->hide();
        return enabled;
    }

    void typeBody(const QString& ascii) {
        form1->Memo1->setFocus();
        for (const QChar c : ascii) {
            if (c == u'\n') {
                QTest::keyClick(form1->Memo1, Qt::Key_Return);
            } else {
                QTest::keyClicks(form1->Memo1, QString(c));
            }
        }
    }
    void fill(const QString& to, const QString& subject, const QString& body) {
        form1->Edit2->setFocus();
        QTest::keyClicks(form1->Edit2, to);
        form1->Edit3->setFocus();
        QTest::keyClicks(form1->Edit3, subject);
        typeBody(body);
    }
    // A draft stored in the settings file as an earlier run left it.
    void storeDraft(const QByteArray& entries) {
        dir.write(QStringLiteral("mirvane.ini"), "[Preservation]\r\n" + entries);
    }
    QByteArray stored(const char* key) const {
        return dir.settings().readString("Preservation", key);
    }
    // Closes the main window by its title bar.
    bool closeWindow() {
        QSignalSpy closed(form1, &TForm1::closed);
        form1->close();
        return closed.count() == 1;
    }

    TempProgramDir dir;
    toolkit::MessageBoxScript boxes;
    std::unique_ptr<Application> program;
    TForm1* form1 = nullptr;
};

}  // namespace

TEST_F(Draft, SavedBodyKeepsItsLinesAsTabsAndComesBackWhole) {
    EXPECT_FALSE(enabledInFileMenu(form1->P1));
    EXPECT_FALSE(enabledInFileMenu(form1->O1));
    fill(QStringLiteral("taro@example.jp"), QStringLiteral("hello"), QStringLiteral("a\nb"));
    EXPECT_TRUE(enabledInFileMenu(form1->P1));
    saveDraft();

    EXPECT_TRUE(boxes.shown().isEmpty());
    EXPECT_TRUE(form1->isBlank());
    EXPECT_EQ(form1->Label3->text(), QStringLiteral("0"));
    const QByteArray file = dir.read(QStringLiteral("mirvane.ini"));
    EXPECT_TRUE(file.startsWith(
        "[Preservation]\r\nTo=taro@example.jp\r\nSubject=hello\r\nBody=a\tb\r\nAttachFile=\r\n" +
        cp932::encode(QStringLiteral("Panels[0]=宛先：\r\nPanels[1]=添付：なし\r\n"))))
        << file.constData();

    EXPECT_TRUE(enabledInFileMenu(form1->O1));
    openDraft();
    EXPECT_TRUE(boxes.shown().isEmpty());
    EXPECT_EQ(form1->Edit2->text(), QStringLiteral("taro@example.jp"));
    EXPECT_EQ(form1->Edit3->text(), QStringLiteral("hello"));
    EXPECT_EQ(form1->Memo1->text(), QStringLiteral("a\r\nb"));
    EXPECT_EQ(form1->Memo1->document()->blockCount(), 2);
    EXPECT_EQ(form1->Label3->text(), QStringLiteral("4"));
    // The draft now lives only in the window.
    EXPECT_FALSE(dir.settings().sectionExists("Preservation"));
    EXPECT_FALSE(enabledInFileMenu(form1->O1));
}

TEST_F(Draft, OuterBlanksAndLineBreaksAreLostAndInnerTabsBecomeLineBreaks) {
    fill(QStringLiteral("a@example.jp"), QStringLiteral(" hi "), QStringLiteral("\nx"));
    form1->Memo1->replaceSelection(QStringLiteral("\t"));
    typeBody(QStringLiteral("y\n"));
    ASSERT_EQ(form1->Memo1->text(), QStringLiteral("\r\nx\ty\r\n"));
    saveDraft();
    EXPECT_EQ(stored("Body"), "x\ty");
    openDraft();
    EXPECT_EQ(form1->Edit3->text(), QStringLiteral("hi"));
    EXPECT_EQ(form1->Memo1->text(), QStringLiteral("x\r\ny"));
}

TEST_F(Draft, OverwriteCancelledKeepsBothMailsWhereTheyWere) {
    fill(QStringLiteral("first@example.jp"), QStringLiteral("one"), QStringLiteral("1"));
    saveDraft();
    fill(QStringLiteral("second@example.jp"), QStringLiteral("two"), QStringLiteral("2"));
    boxes.answer(Answer::Cancel);
    saveDraft();

    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(boxes.shown()[0].caption, QStringLiteral("確認"));
    EXPECT_EQ(boxes.shown()[0].text, kOverwriteQuestion);
    EXPECT_EQ(boxes.shown()[0].buttons, (QList<Button>{Button::Yes, Button::Cancel}));
    EXPECT_EQ(form1->Edit2->text(), QStringLiteral("second@example.jp"));
    EXPECT_EQ(stored("To"), "first@example.jp");

    // "はい" replaces the six entries where they stand.
    boxes.answer(Answer::Yes);
    saveDraft();
    EXPECT_TRUE(form1->isBlank());
    EXPECT_EQ(stored("To"), "second@example.jp");
    EXPECT_EQ(dir.settings().sectionNames(), QList<QByteArray>{"Preservation"});
}

TEST_F(Draft, NewMailAsksOnlyForAMailThatIsNotBlank) {
    QTest::keyClick(form1->Memo1, Qt::Key_N, Qt::ControlModifier);
    EXPECT_TRUE(boxes.shown().isEmpty());
    EXPECT_FALSE(QFile::exists(dir.settingsPath()));

    fill(QStringLiteral("a@example.jp"), QString(), QStringLiteral("x"));
    boxes.answer(Answer::No);
    QTest::keyClick(form1->Memo1, Qt::Key_N, Qt::ControlModifier);
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(boxes.shown()[0].text, kSaveQuestion);
    EXPECT_EQ(boxes.shown()[0].buttons, (QList<Button>{Button::Yes, Button::No}));
    EXPECT_TRUE(form1->isBlank());
    EXPECT_FALSE(QFile::exists(dir.settingsPath()));

    // Escape on the real two-button box answers "いいえ": emptied, nothing saved.
    fill(QStringLiteral("b@example.jp"), QString(), QString());
    boxes.drive([](QWidget* box) { pressOnBox(box, Qt::Key_Escape); });
    choose(form1->N1, Qt::Key_N);
    EXPECT_TRUE(form1->isBlank());
    EXPECT_FALSE(QFile::exists(dir.settingsPath()));

    fill(QStringLiteral("c@example.jp"), QString(), QStringLiteral("y"));
    boxes.answer(Answer::Yes);
    QTest::keyClick(form1->Memo1, Qt::Key_N, Qt::ControlModifier);
    EXPECT_TRUE(form1->isBlank());
    EXPECT_EQ(stored("To"), "c@example.jp");

    // "はい" with a draft stored, then "キャンセル" to the overwrite: the mail stays.
    fill(QStringLiteral("d@example.jp"), QString(), QString());
    boxes.answer(Answer::Yes);
    boxes.answer(Answer::Cancel);
    QTest::keyClick(form1->Memo1, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(form1->Edit2->text(), QStringLiteral("d@example.jp"));
    EXPECT_EQ(stored("To"), "c@example.jp");
}

TEST_F(Draft, OpenDraftAsksWhenEvenOnlyAnAttachmentIsInTheWindow) {
    const QByteArray entries =
        "To=x@example.jp\r\nSubject=s\r\nBody=b\r\nAttachFile=/nowhere/photo.jpg\r\n" +
        cp932::encode(
            QStringLiteral("Panels[0]=宛先：山田\r\nPanels[1]=添付：photo.jpg (12KB)\r\n"));
    storeDraft(entries);
    dir.write(QStringLiteral("other.jpg"), "jpeg");
    ASSERT_TRUE(form1->attach(dir.file(QStringLiteral("other.jpg")), true));
    EXPECT_TRUE(form1->D1->isEnabled());

    boxes.answer(Answer::Cancel);
    openDraft();
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(boxes.shown()[0].text, kOpenQuestion);
    EXPECT_EQ(boxes.shown()[0].buttons, (QList<Button>{Button::Yes, Button::Cancel}));
    EXPECT_EQ(form1->attachmentPath(), dir.file(QStringLiteral("other.jpg")));
    EXPECT_TRUE(dir.settings().sectionExists("Preservation"));

    boxes.answer(Answer::Yes);
    openDraft();
    // Taken back as stored, though no such file exists; the removal item is untouched.
    EXPECT_EQ(form1->attachmentPath(), QStringLiteral("/nowhere/photo.jpg"));
    EXPECT_EQ(form1->StatusBar1->panelText(0), QStringLiteral("宛先：山田"));
    EXPECT_EQ(form1->StatusBar1->panelText(1), QStringLiteral("添付：photo.jpg (12KB)"));
    EXPECT_TRUE(form1->D1->isEnabled());
    EXPECT_FALSE(dir.settings().sectionExists("Preservation"));
}

TEST_F(Draft, ABodyLongerThanTheLimitIsLoadedWhole) {
    storeDraft("Body=" + QByteArray(600, 'z') + "\r\n");
    openDraft();
    EXPECT_EQ(form1->bodySize(), 600);
    EXPECT_EQ(form1->Label3->text(), QStringLiteral("600"));
}

TEST_F(Draft, CloseWithADraftStoredAndNoToTheOverwriteStaysOpenWithPlacementWritten) {
    storeDraft("To=old@example.jp\r\n");
    form1->move(100, 120);
    fill(QStringLiteral("new@example.jp"), QString(), QString());
    boxes.answer(Answer::Yes);
    boxes.answer(Answer::No);
    EXPECT_FALSE(closeWindow());

    ASSERT_EQ(boxes.shown().size(), 2);
    EXPECT_EQ(boxes.shown()[0].text, kSaveQuestion);
    EXPECT_EQ(boxes.shown()[0].buttons, (QList<Button>{Button::Yes, Button::No, Button::Cancel}));
    EXPECT_EQ(boxes.shown()[1].text, kOverwriteQuestion);
    EXPECT_EQ(boxes.shown()[1].buttons, (QList<Button>{Button::Yes, Button::No}));
    EXPECT_TRUE(form1->isVisible());
    EXPECT_EQ(form1->Edit2->text(), QStringLiteral("new@example.jp"));
    const IniDocument doc = dir.settings();
    EXPECT_EQ(doc.readInteger("Window", "Top1", 0), 120);
    EXPECT_EQ(doc.readInteger("Window", "Left1", 0), 100);
    EXPECT_EQ(doc.readInteger("Window", "Width1", 0), 297);
    EXPECT_EQ(doc.readString("Preservation", "To"), "old@example.jp");
}

TEST_F(Draft, CloseCancelledEscapedOrBoxClosedKeepsTheWindowAndTheMail) {
    fill(QStringLiteral("a@example.jp"), QStringLiteral("s"), QStringLiteral("b"));
    // "キャンセル", then Escape and the title bar's close on the real box.
    boxes.answer(Answer::Cancel);
    boxes.drive([](QWidget* box) { pressOnBox(box, Qt::Key_Escape); });
    boxes.drive(closeBoxByFrame);
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(closeWindow());
        EXPECT_TRUE(form1->isVisible());
        EXPECT_EQ(form1->Memo1->text(), QStringLiteral("b"));
    }
    EXPECT_EQ(boxes.pending(), 0);
    EXPECT_FALSE(dir.settings().sectionExists("Preservation"));
    EXPECT_TRUE(dir.settings().valueExists("Window", "Top1"));

    // "いいえ" drops the mail and ends the program.
    boxes.answer(Answer::No);
    EXPECT_TRUE(closeWindow());
    EXPECT_FALSE(dir.settings().sectionExists("Preservation"));
}

TEST_F(Draft, ExitAndABlankWindowGoThroughTheCloseRequest) {
    // Blank: no question, the placement is written and the program ends.
    QSignalSpy closed(form1, &TForm1::closed);
    form1->Exit1->trigger();
    EXPECT_EQ(closed.count(), 1);
    EXPECT_TRUE(boxes.shown().isEmpty());
    EXPECT_EQ(dir.settings().readInteger("Window", "Left1", 0), 559);

    start();
    QSignalSpy closedAgain(form1, &TForm1::closed);
    fill(QStringLiteral("a@example.jp"), QString(), QString());
    boxes.answer(Answer::Cancel);
    choose(form1->N1, Qt::Key_Q);
    EXPECT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(closedAgain.count(), 0);
    EXPECT_TRUE(form1->isVisible());
}

TEST_F(Draft, AMailKeptAtCloseIsOfferedAtTheNextStart) {
    fill(QStringLiteral("taro@example.jp"), QStringLiteral("subject"), QStringLiteral("body"));
    form1->StatusBar1->setPanelText(0, QStringLiteral("宛先：太郎"));
    dir.write(QStringLiteral("photo.jpg"), "jpeg");
    ASSERT_TRUE(form1->attach(dir.file(QStringLiteral("photo.jpg")), false));
    const QString panel = form1->StatusBar1->panelText(1);
    boxes.answer(Answer::Yes);
    EXPECT_TRUE(closeWindow());

    start();
    EXPECT_TRUE(form1->isBlank());
    ASSERT_TRUE(enabledInFileMenu(form1->O1));
    openDraft();
    EXPECT_EQ(form1->Edit2->text(), QStringLiteral("taro@example.jp"));
    EXPECT_EQ(form1->Edit3->text(), QStringLiteral("subject"));
    EXPECT_EQ(form1->Memo1->text(), QStringLiteral("body"));
    EXPECT_EQ(form1->StatusBar1->panelText(0), QStringLiteral("宛先：太郎"));
    EXPECT_EQ(form1->attachmentPath(), dir.file(QStringLiteral("photo.jpg")));
    EXPECT_EQ(form1->StatusBar1->panelText(1), panel);
}

TEST_F(Draft, ASettingsFileThatCannotBeWrittenKeepsTheWindowWhileAMailIsAtStake) {
    // A directory where the settings file should be: it can be neither read nor written.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("mirvane.ini")));
    fill(QStringLiteral("a@example.jp"), QString(), QString());
    boxes.answer(Answer::Ok);
    EXPECT_FALSE(closeWindow());
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(boxes.shown()[0].caption, QStringLiteral("Mirvane"));
    EXPECT_TRUE(boxes.shown()[0].text.contains(dir.settingsPath()));
    EXPECT_EQ(form1->Edit2->text(), QStringLiteral("a@example.jp"));

    // A blank mail loses nothing: the program ends after the report.
    form1->resetComposer();
    boxes.answer(Answer::Ok);
    EXPECT_TRUE(closeWindow());
}

TEST_F(Draft, SessionEndRefusedByCancelKeepsTheProgramRunning) {
    fill(QStringLiteral("a@example.jp"), QStringLiteral("s"), QStringLiteral("b"));
    QSignalSpy closed(form1, &TForm1::closed);
    SessionEnd end(true);
    boxes.answer(Answer::Cancel);
    end.request();

    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(boxes.shown()[0].text, kSaveQuestion);
    EXPECT_TRUE(end.session.interactionRequested);
    EXPECT_TRUE(end.session.cancelled);
    EXPECT_FALSE(end.session.released);
    EXPECT_EQ(closed.count(), 0);
    EXPECT_TRUE(form1->isVisible());
    EXPECT_EQ(form1->Memo1->text(), QStringLiteral("b"));
    EXPECT_TRUE(dir.settings().valueExists("Window", "Top1"));
}

TEST_F(Draft, SessionQueryAgreedToKeepsTheMailAndTheSessionEndsItWithoutAskingAgain) {
    fill(QStringLiteral("a@example.jp"), QString(), QString());
    QSignalSpy closed(form1, &TForm1::closed);
    SessionEnd end(true);
    boxes.answer(Answer::Yes);
    end.request();

    EXPECT_EQ(boxes.shown().size(), 1);
    EXPECT_TRUE(end.session.released);
    EXPECT_FALSE(end.session.cancelled);
    EXPECT_EQ(stored("To"), "a@example.jp");
    // The query may have been a checkpoint: the program goes on with the mail.
    EXPECT_EQ(closed.count(), 0);
    EXPECT_TRUE(form1->isVisible());
    EXPECT_EQ(form1->Edit2->text(), QStringLiteral("a@example.jp"));

    // The session manager ends the program: nothing more is asked.
    QWindowSystemInterface::handleApplicationTermination<
        QWindowSystemInterface::SynchronousDelivery>();
    EXPECT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(form1->isVisible());
}

TEST_F(Draft, SessionQueryAnsweredNoOrOnABlankMailNeverEndsTheProgram) {
    QSignalSpy closed(form1, &TForm1::closed);
    {
        SessionEnd end(true);
        end.request();
        EXPECT_FALSE(end.session.interactionRequested);
    }
    EXPECT_TRUE(form1->isVisible());
    fill(QStringLiteral("a@example.jp"), QStringLiteral("s"), QStringLiteral("body"));
    {
        SessionEnd end(true);
        boxes.answer(Answer::No);
        end.request();
        EXPECT_TRUE(end.session.released);
    }
    EXPECT_EQ(closed.count(), 0);
    EXPECT_EQ(form1->Memo1->text(), QStringLiteral("body"));
    EXPECT_FALSE(dir.settings().sectionExists("Preservation"));
    // Edited after the query, the mail is asked about again at a close.
    typeBody(QStringLiteral("!"));
    boxes.answer(Answer::Cancel);
    QWindowSystemInterface::handleApplicationTermination<
        QWindowSystemInterface::SynchronousDelivery>();
    EXPECT_EQ(boxes.shown().size(), 2);
    EXPECT_TRUE(form1->isVisible());
}

TEST_F(Draft, SessionEndWithoutInteractionKeepsTheMailUnlessThatWouldLoseADraft) {
    {
        fill(QStringLiteral("a@example.jp"), QString(), QString());
        SessionEnd end(false);
        end.request();
        EXPECT_TRUE(boxes.shown().isEmpty());
        EXPECT_FALSE(end.session.cancelled);
        EXPECT_EQ(stored("To"), "a@example.jp");
    }
    start();
    {
        fill(QStringLiteral("b@example.jp"), QString(), QString());
        SessionEnd end(false);
        end.request();
        EXPECT_TRUE(boxes.shown().isEmpty());
        // The draft saved earlier is not destroyed unasked; the session is asked to stay.
        EXPECT_TRUE(end.session.cancelled);
        EXPECT_EQ(stored("To"), "a@example.jp");
        EXPECT_TRUE(form1->isVisible());
    }
    // A blank window asks for no interaction at all, and goes on.
    form1->resetComposer();
    SessionEnd end(true);
    end.request();
    EXPECT_FALSE(end.session.interactionRequested);
    EXPECT_FALSE(end.session.cancelled);
    EXPECT_TRUE(form1->isVisible());
}

TEST_F(Draft, PicturesOfTheThreeQuestions) {
    QStringList names = {QStringLiteral("draft-overwrite-question"),
                         QStringLiteral("draft-open-question"),
                         QStringLiteral("draft-save-question")};
    boxes.lookAtEach([&](QWidget* box) {
        EXPECT_TRUE(box->isVisible());
        saveScreenshot(box, names.takeFirst());
    });
    storeDraft("To=old@example.jp\r\n");
    fill(QStringLiteral("a@example.jp"), QStringLiteral("s"), QStringLiteral("b"));
    boxes.answer(Answer::Cancel);
    saveDraft();
    boxes.answer(Answer::Cancel);
    openDraft();
    boxes.answer(Answer::Cancel);
    EXPECT_FALSE(closeWindow());
    EXPECT_TRUE(names.isEmpty());
    EXPECT_EQ(boxes.shown().size(), 3);
}
