#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "app/settings_file.h"
#include "composer/composer_window.h"
#include "program/application.h"
#include "settings/live_settings.h"
#include "settings/settings_dialog.h"
#include "settings_test_support.h"
#include "support/test_support.h"
#include "toolkit/byte_limited_edit.h"
#include "toolkit/clipboard.h"
#include "toolkit/message_box.h"

using settings_test::lf;
using toolkit::Answer;
using toolkit::MessageBoxScript;

namespace {

const QStringList kBuiltInPhrases = {QStringLiteral("Message from SkyMail"),
                                     QStringLiteral("message from TU-KA SkyMessage"),
                                     QStringLiteral("Re:"),
                                     QStringLiteral("Re:Message from SkyMail"),
                                     QStringLiteral("Re:message from TU-KA SkyMessa"),
                                     QStringLiteral("Re>"),
                                     QStringLiteral("Re>Message from SkyMail"),
                                     QStringLiteral("Re>message from TU-KA SkyMessa")};

QStringList listRows(const TForm2* form2) {
    QStringList rows;
    for (int i = 0; i < form2->ListBox1->count(); ++i) {
        rows.append(form2->ListBox1->item(i)->text());
    }
    return rows;
}

void selectRow(TForm2* form2, int row) {
    form2->ListBox1->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
}

void clickChoice(TForm2* form2, int index) {
    QTest::mouseClick(form2->RadioGroup1Items[index], Qt::LeftButton);
}

void pressKey(QWidget* w, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(w, key, mods);
}

QString repeated(char c, int n) {
    return QString(n, QLatin1Char(c));
}

}  // namespace

TEST(SettingsDialog, FirstStartShowsBuiltInSettingsAndClosingCreatesTheFile) {
    TempProgramDir dir;
    Application program;
    TForm2* form2 = program.forms().form2;

    EXPECT_TRUE(form2->LabeledEdit1->text().isEmpty());
    EXPECT_TRUE(form2->LabeledEdit2->text().isEmpty());
    EXPECT_TRUE(form2->Memo1->text().isEmpty());
    EXPECT_FALSE(form2->CheckBox1->isChecked());
    EXPECT_TRUE(form2->CheckBox2->isChecked());
    EXPECT_TRUE(form2->CheckBox3->isChecked());
    EXPECT_TRUE(form2->CheckBox4->isChecked());
    EXPECT_EQ(form2->ComboBox2->currentText(), QStringLiteral("k"));
    EXPECT_TRUE(form2->RadioGroup1Items[0]->isChecked());
    EXPECT_EQ(listRows(form2), kBuiltInPhrases);
    EXPECT_EQ(form2->ListBox1->selectedItems().size(), 0);

    const LiveSettings& live = liveSettings(program.forms());
    EXPECT_EQ(&live, static_cast<const LiveSettings*>(form2));
    EXPECT_EQ(live.regionLetter(), QByteArray("k"));
    EXPECT_EQ(live.byteLimitChoice(), 0);
    EXPECT_EQ(live.subjectPhrases().size(), 8);
    EXPECT_FALSE(QFile::exists(dir.settingsPath()));

    ASSERT_TRUE(showActive(form2));
    QTest::mouseClick(form2->Button1, Qt::LeftButton);
    EXPECT_FALSE(form2->isVisible());
    EXPECT_EQ(program.forms().form1->bodyLimit(), 500);
    EXPECT_EQ(dir.settingsBytes(),
              QByteArray("[Window]\r\nTop2=103\r\nLeft2=574\r\n\r\n"
                         "[Setting]\r\nSMTP=\r\nFrom=\r\nSignature=\r\nSignature(Automatic)=0\r\n"
                         "MakeLogFile=1\r\nAutomaticalClear=1\r\nBeep=1\r\nj-sky=5\r\n"
                         "BiteLimit=0\r\n\r\n"
                         "[Subject]\r\n"
                         "AttachSubject(Items[0])=Message from SkyMail\r\n"
                         "AttachSubject(Items[1])=message from TU-KA SkyMessage\r\n"
                         "AttachSubject(Items[2])=Re:\r\n"
                         "AttachSubject(Items[3])=Re:Message from SkyMail\r\n"
                         "AttachSubject(Items[4])=Re:message from TU-KA SkyMessa\r\n"
                         "AttachSubject(Items[5])=Re>\r\n"
                         "AttachSubject(Items[6])=Re>Message from SkyMail\r\n"
                         "AttachSubject(Items[7])=Re>message from TU-KA SkyMessa\r\n\r\n"));
}

TEST(SettingsDialog, BuiltInSettingsStandBeforeTheDialogExists) {
    const Forms none;
    const LiveSettings& live = liveSettings(none);
    EXPECT_TRUE(live.smtpServer().isEmpty());
    EXPECT_FALSE(live.automaticSignature());
    EXPECT_TRUE(live.makeLogFile() && live.automaticalClear() && live.beep());
    EXPECT_EQ(live.regionLetter(), QByteArray("k"));
    EXPECT_EQ(live.byteLimitChoice(), 0);
    QStringList phrases;
    for (const QByteArray& p : live.subjectPhrases()) {
        phrases.append(QString::fromLatin1(p));
    }
    EXPECT_EQ(phrases, kBuiltInPhrases);
}

TEST(SettingsDialog, ControlsFollowTheDesign) {
    TempProgramDir dir;
    Application program;
    TForm2* form2 = program.forms().form2;

    EXPECT_EQ(form2->windowTitle(), QStringLiteral("設定"));
    EXPECT_EQ(form2->size(), QSize(282, 274));
    EXPECT_EQ(form2->minimumSize(), form2->maximumSize());
    EXPECT_EQ(form2->PageControl1->geometry(), QRect(0, 0, 281, 241));
    const QStringList tabs = {QStringLiteral("全般"), QStringLiteral("接続設定"),
                              QStringLiteral("メール"), QStringLiteral("履歴"),
                              QStringLiteral("アドレス帳")};
    ASSERT_EQ(form2->PageControl1->count(), tabs.size());
    for (int i = 0; i < tabs.size(); ++i) {
        EXPECT_EQ(form2->PageControl1->tabText(i), tabs[i]);
    }
    EXPECT_EQ(form2->PageControl1->currentIndex(), 0);

    EXPECT_EQ(form2->Button1->text(), QStringLiteral("&OK"));
    EXPECT_TRUE(form2->Button1->isDefault());
    EXPECT_EQ(form2->Button1->geometry(), QRect(144, 248, 65, 25));
    EXPECT_EQ(form2->Button2->text(), QStringLiteral("ヘルプ(&H)"));
    EXPECT_FALSE(form2->Button2->isEnabled());
    EXPECT_FALSE(form2->Button2->isHidden());

    EXPECT_EQ(form2->ListBox1->geometry(), QRect(8, 16, 185, 41));
    EXPECT_EQ(form2->ListBox1->sizeHintForRow(0), 12);
    EXPECT_EQ(form2->LabeledEdit3->geometry(), QRect(8, 80, 185, 20));
    EXPECT_EQ(form2->LabeledEdit3->byteLimit(), 30);
    EXPECT_EQ(form2->LabeledEdit3Label->text(), QStringLiteral("題名挿入リストに追加(&S)"));
    EXPECT_EQ(form2->LabeledEdit3Label->buddy(), form2->LabeledEdit3);
    EXPECT_EQ(form2->SpeedButton1->toolTip(),
              QStringLiteral("左に入力した文字列をリストに追加します。"));
    EXPECT_EQ(form2->SpeedButton2->toolTip(),
              QStringLiteral("選択した文字列をリストから削除します。"));
    EXPECT_EQ(form2->Label3->text(), lf("※メール作成画面の題名ボタンを押した時に\r\n"
                                        "　 挿入される文字を設定して下さい。"));
    for (QToolButton* b :
         {form2->SpeedButton1, form2->SpeedButton2, form2->SpeedButton3, form2->SpeedButton4}) {
        EXPECT_EQ(b->focusPolicy(), Qt::NoFocus) << b->objectName().toStdString();
    }

    EXPECT_EQ(form2->LabeledEdit1->geometry(), QRect(16, 48, 209, 20));
    EXPECT_TRUE(
        form2->LabeledEdit1Label->text().startsWith(QStringLiteral("SMTPサーバー(&S)　（例：")));
    EXPECT_TRUE(form2->LabeledEdit1Label->text().endsWith(QStringLiteral("など）")));
    EXPECT_EQ(form2->Label1->text(),
              lf("※メールの送信に使用するSMTPサーバーを\r\n　入力して下さい。"));
    EXPECT_EQ(form2->LabeledEdit2->toolTip(),
              lf("ここに入力したアドレスが差出人の\r\nアドレスとして相手に表示されます。"));
    EXPECT_EQ(form2->Label2->text(),
              lf("※あなたの携帯、またはパソコンのメール\r\n　アドレスを入力して下さい"));
    // Direct single-byte input only in the server and sender fields.
    EXPECT_FALSE(form2->LabeledEdit1->testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_FALSE(form2->LabeledEdit2->testAttribute(Qt::WA_InputMethodEnabled));

    EXPECT_EQ(form2->Memo1->geometry(), QRect(16, 16, 126, 54));
    EXPECT_EQ(form2->CheckBox1->text(), QStringLiteral("自動的に署名をメールに添付して送信(&A)"));
    EXPECT_EQ(form2->RadioGroup1->title(), QStringLiteral("メールバイト数制限"));
    EXPECT_EQ(form2->RadioGroup1->toolTip(),
              lf("送信する本文の最大文字数の制限を\r\nどれだけにするかをここで選択して下さい。"));
    EXPECT_EQ(form2->RadioGroup1Items[0]->text(), QStringLiteral("500バイト（i-modeの制限）"));
    EXPECT_EQ(form2->RadioGroup1Items[1]->text(), QStringLiteral("無制限"));

    EXPECT_EQ(form2->SpeedButton4->text(), QStringLiteral("履歴削除(&D)"));
    EXPECT_EQ(form2->Label4->text(), QStringLiteral("※送信履歴を削除します。"));

    ASSERT_EQ(form2->ComboBox2->count(), 9);
    EXPECT_EQ(form2->ComboBox2->itemText(0) + form2->ComboBox2->itemText(8), QStringLiteral("dq"));
    EXPECT_FALSE(form2->ComboBox2->isEditable());
    EXPECT_GE(form2->ComboBox2->maxVisibleItems(), 9);
    const QStringList hint = form2->ComboBox2->toolTip().split(u'\n');
    ASSERT_EQ(hint.size(), 3);
    EXPECT_TRUE(hint[0].startsWith(QStringLiteral("j-skyは地域によって「")));
    EXPECT_EQ(hint[1], QStringLiteral("の○入る文字が違います。"));
    EXPECT_EQ(hint[2], QStringLiteral("お住まいの地域に合った文字を選んで下さい。"));
    const QStringList label5 = form2->Label5->text().split(u'\n');
    ASSERT_EQ(label5.size(), 4);
    EXPECT_EQ(label5[0], QStringLiteral("※アドレス登録画面のvodafoneボタン"));
    EXPECT_EQ(label5[1], QStringLiteral("　を押した時に入力される"));
    EXPECT_EQ(label5[2], QStringLiteral("　「○.vodafone.ne.jp」の○に入れた"));
    EXPECT_EQ(label5[3], QStringLiteral("　い文字を選んで下さい"));
}

// Every caption must show whole: nothing may reach past the control that holds it.
TEST(SettingsDialog, NoTextIsCutOffOnAnyTab) {
    TempProgramDir dir;
    Application program;
    TForm2* form2 = program.forms().form2;
    ASSERT_TRUE(showActive(form2));
    for (int tab = 0; tab < form2->PageControl1->count(); ++tab) {
        form2->PageControl1->setCurrentIndex(tab);
        QWidget* page = form2->PageControl1->currentWidget();
        ASSERT_TRUE(QTest::qWaitFor([page] { return page->isVisible(); }));
        // Laid out as shown.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        for (QWidget* w : page->findChildren<QWidget*>()) {
            const bool captioned = qobject_cast<QLabel*>(w) || qobject_cast<QCheckBox*>(w) ||
                                   qobject_cast<QRadioButton*>(w);
            if (!captioned) {
                continue;
            }
            const QString name = w->objectName();
            EXPECT_GE(w->width(), w->sizeHint().width()) << name.toStdString();
            EXPECT_GE(w->height(), w->sizeHint().height()) << name.toStdString();
            EXPECT_LE(w->geometry().right(), w->parentWidget()->contentsRect().right())
                << name.toStdString();
            EXPECT_LE(w->geometry().bottom(), w->parentWidget()->contentsRect().bottom())
                << name.toStdString();
        }
        for (QGroupBox* g : page->findChildren<QGroupBox*>()) {
            EXPECT_LE(g->geometry().right(), page->width()) << g->objectName().toStdString();
            EXPECT_LE(g->geometry().bottom(), page->height()) << g->objectName().toStdString();
        }
        saveScreenshot(form2, QStringLiteral("settings_tab%1_%2").arg(tab).arg(page->objectName()));
    }
    form2->close();
}

TEST(SettingsDialog, StoredSettingsAreReadOnceAtCreation) {
    TempProgramDir dir;
    dir.write(QStringLiteral("mirvane.ini"),
              "[Window]\r\nTop2=40\r\nLeft2=30\r\n"
              "[setting]\r\nsmtp=mail.example.jp\r\nFrom=me@example.jp\r\n"
              "Signature=Taro\tline two\t\r\nSignature(Automatic)=1\r\nMakeLogFile=0\r\n"
              "AutomaticalClear=0\r\nBeep=false\r\nj-sky=2\r\nBiteLimit=1\r\n"
              "[Subject]\r\nAttachSubject(Items[0])=one\r\nAttachSubject(Items[1])=two\r\n"
              "AttachSubject(Items[3])=after a gap\r\n");
    Application program;
    TForm2* form2 = program.forms().form2;
    EXPECT_EQ(form2->pos(), QPoint(30, 40));
    EXPECT_EQ(form2->LabeledEdit1->text(), QStringLiteral("mail.example.jp"));
    EXPECT_EQ(form2->LabeledEdit2->text(), QStringLiteral("me@example.jp"));
    // The trailing TAB was trimmed away at load.
    EXPECT_EQ(form2->Memo1->text(), QStringLiteral("Taro\r\nline two"));
    EXPECT_TRUE(form2->CheckBox1->isChecked());
    EXPECT_FALSE(form2->CheckBox2->isChecked());
    EXPECT_FALSE(form2->CheckBox3->isChecked());
    EXPECT_TRUE(form2->CheckBox4->isChecked());  // a word reads as the default
    EXPECT_EQ(form2->ComboBox2->currentText(), QStringLiteral("t"));
    EXPECT_TRUE(form2->RadioGroup1Items[1]->isChecked());
    EXPECT_EQ(listRows(form2), (QStringList{QStringLiteral("one"), QStringLiteral("two")}));
    const LiveSettings& live = liveSettings(program.forms());
    EXPECT_EQ(live.signature(), QByteArray("Taro\r\nline two"));
    EXPECT_EQ(live.regionLetter(), QByteArray("t"));

    // Showing reads nothing: a file changed meanwhile is not seen.
    dir.write(QStringLiteral("mirvane.ini"),
              "[Window]\r\nTop2=90\r\nLeft2=80\r\n[Setting]\r\nSMTP=other\r\n");
    ASSERT_TRUE(showActive(form2));
    EXPECT_EQ(form2->pos(), QPoint(30, 40));
    EXPECT_EQ(form2->LabeledEdit1->text(), QStringLiteral("mail.example.jp"));
    form2->close();

    const IniDocument doc = dir.settings();
    EXPECT_EQ(doc.readString("Setting", "SMTP"), QByteArray("mail.example.jp"));
    EXPECT_EQ(doc.readString("Setting", "Signature"), QByteArray("Taro\tline two"));
    EXPECT_EQ(doc.readString("Setting", "Beep"), QByteArray("1"));
    EXPECT_EQ(doc.readString("Setting", "j-sky"), QByteArray("2"));
    EXPECT_FALSE(doc.valueExists("Subject", "AttachSubject(Items[2])"));
    EXPECT_FALSE(doc.valueExists("Subject", "AttachSubject(Items[3])"));
}

TEST(SettingsDialog, OutOfRangeByteLimitAndRegionValues) {
    {
        TempProgramDir dir;
        dir.write(QStringLiteral("mirvane.ini"), "[Setting]\r\nBiteLimit=7\r\nj-sky=12\r\n");
        Application program;
        TForm2* form2 = program.forms().form2;
        TForm1* form1 = program.forms().form1;
        EXPECT_EQ(form1->bodyLimit(), 0);
        EXPECT_TRUE(form2->RadioGroup1Items[1]->isChecked());
        EXPECT_EQ(form2->ComboBox2->currentIndex(), -1);
        EXPECT_TRUE(liveSettings(program.forms()).regionLetter().isEmpty());
        form1->setBodyLimit(500);
        form2->close();
        EXPECT_EQ(form1->bodyLimit(), 0);
        const IniDocument doc = dir.settings();
        EXPECT_EQ(doc.readString("Setting", "BiteLimit"), QByteArray("1"));
        EXPECT_EQ(doc.readString("Setting", "j-sky"), QByteArray("-1"));
    }
    {
        TempProgramDir dir;
        dir.write(QStringLiteral("mirvane.ini"), "[Setting]\r\nBiteLimit=-3\r\nj-sky=-2\r\n");
        Application program;
        TForm2* form2 = program.forms().form2;
        TForm1* form1 = program.forms().form1;
        EXPECT_FALSE(form2->RadioGroup1Items[0]->isChecked());
        EXPECT_FALSE(form2->RadioGroup1Items[1]->isChecked());
        EXPECT_EQ(liveSettings(program.forms()).byteLimitChoice(), -1);
        EXPECT_EQ(form2->ComboBox2->currentIndex(), -1);
        // No choice: whatever limit the main window has stays.
        for (int limit : {500, 0}) {
            form1->setBodyLimit(limit);
            form2->close();
            EXPECT_EQ(form1->bodyLimit(), limit);
        }
        const IniDocument doc = dir.settings();
        EXPECT_EQ(doc.readString("Setting", "BiteLimit"), QByteArray("-1"));
        EXPECT_EQ(doc.readString("Setting", "j-sky"), QByteArray("-1"));
    }
}

TEST(SettingsDialog, EditedFieldsAreLiveBeforeTheFileIsWritten) {
    TempProgramDir dir;
    dir.write(QStringLiteral("mirvane.ini"), "[Setting]\r\nSMTP=old.example.jp\r\n");
    Application program;
    TForm2* form2 = program.forms().form2;
    const LiveSettings& live = liveSettings(program.forms());
    ASSERT_TRUE(showActive(form2));
    form2->PageControl1->setCurrentWidget(form2->TabSheet1);

    form2->LabeledEdit1->setFocus();
    form2->LabeledEdit1->selectAll();
    QTest::keyClicks(form2->LabeledEdit1, QStringLiteral("new.example.jp"));
    QTest::keyClicks(form2->LabeledEdit2, QStringLiteral("me@example.jp"));
    form2->CheckBox4->click();
    form2->ComboBox2->setCurrentIndex(0);
    form2->Memo1->setFocus();
    QTest::keyClicks(form2->Memo1, QStringLiteral("Taro"));
    pressKey(form2->Memo1, Qt::Key_Return);
    QTest::keyClicks(form2->Memo1, QStringLiteral("Tokyo"));

    EXPECT_TRUE(form2->isVisible());
    EXPECT_EQ(live.smtpServer(), QByteArray("new.example.jp"));
    EXPECT_EQ(live.senderAddress(), QByteArray("me@example.jp"));
    EXPECT_EQ(live.signature(), QByteArray("Taro\r\nTokyo"));
    EXPECT_FALSE(live.beep());
    EXPECT_EQ(live.regionLetter(), QByteArray("d"));
    EXPECT_EQ(dir.settings().readString("Setting", "SMTP"), QByteArray("old.example.jp"));

    form2->close();
    const IniDocument doc = dir.settings();
    EXPECT_EQ(doc.readString("Setting", "SMTP"), QByteArray("new.example.jp"));
    EXPECT_EQ(doc.readString("Setting", "Signature"), QByteArray("Taro\tTokyo"));
    EXPECT_EQ(doc.readString("Setting", "Beep"), QByteArray("0"));
    EXPECT_EQ(doc.readString("Setting", "j-sky"), QByteArray("0"));
}

TEST(SettingsDialog, EnterInASingleLineFieldClosesAndSavesEscapeDoesNothing) {
    TempProgramDir dir;
    Application program;
    TForm2* form2 = program.forms().form2;
    int round = 0;
    for (int tab : {1, 1, 0}) {
        toolkit::ByteLimitedLineEdit* field =
            QList{form2->LabeledEdit1, form2->LabeledEdit2, form2->LabeledEdit3}[round];
        ASSERT_TRUE(showActive(form2));
        form2->PageControl1->setCurrentIndex(tab);
        form2->LabeledEdit1->setText(QStringLiteral("round%1").arg(round));
        field->setFocus();
        pressKey(field, Qt::Key_Escape);
        EXPECT_TRUE(form2->isVisible());
        pressKey(field, Qt::Key_Return);
        EXPECT_FALSE(form2->isVisible()) << round;
        EXPECT_EQ(dir.settings().readString("Setting", "SMTP"),
                  QStringLiteral("round%1").arg(round).toLatin1());
        ++round;
    }

    // Enter in the signature is a new line; Enter on a check box is the OK button.
    ASSERT_TRUE(showActive(form2));
    form2->PageControl1->setCurrentWidget(form2->TabSheet5);
    form2->Memo1->setFocus();
    pressKey(form2->Memo1, Qt::Key_Return);
    EXPECT_TRUE(form2->isVisible());
    EXPECT_EQ(form2->Memo1->text(), QStringLiteral("\r\n"));
    form2->CheckBox1->setFocus();
    pressKey(form2->CheckBox1, Qt::Key_Return);
    EXPECT_FALSE(form2->isVisible());

    // The close box saves too.
    ASSERT_TRUE(showActive(form2));
    form2->LabeledEdit1->setText(QStringLiteral("closebox"));
    form2->close();
    EXPECT_EQ(dir.settings().readString("Setting", "SMTP"), QByteArray("closebox"));
}

TEST(SettingsDialog, TabListSelectionAndValuesPersistBetweenShows) {
    TempProgramDir dir;
    Application program;
    TForm2* form2 = program.forms().form2;
    ASSERT_TRUE(showActive(form2));
    selectRow(form2, 3);
    form2->PageControl1->setCurrentIndex(3);
    form2->CheckBox2->setChecked(false);
    form2->close();
    // Whatever the file says now, the next show keeps the dialog's state.
    dir.write(QStringLiteral("mirvane.ini"), "[Setting]\r\nMakeLogFile=1\r\n");
    ASSERT_TRUE(showActive(form2));
    EXPECT_EQ(form2->PageControl1->currentIndex(), 3);
    ASSERT_EQ(form2->ListBox1->selectedItems().size(), 1);
    EXPECT_EQ(form2->ListBox1->row(form2->ListBox1->selectedItems().first()), 3);
    EXPECT_FALSE(form2->CheckBox2->isChecked());
    form2->close();
}

TEST(SettingsDialog, AddingAndDeletingPhrases) {
    TempProgramDir dir;
    {
        Application program;
        TForm2* form2 = program.forms().form2;
        ASSERT_TRUE(showActive(form2));
        {
            MessageBoxScript boxes;
            boxes.answer(Answer::Ok);
            form2->SpeedButton1->click();
            ASSERT_EQ(boxes.shown().size(), 1);
            EXPECT_EQ(boxes.shown()[0].caption, QStringLiteral("エラー"));
            EXPECT_EQ(boxes.shown()[0].icon, toolkit::Icon::Error);
            EXPECT_EQ(boxes.shown()[0].text, QStringLiteral("\r\n何も記入されていません。"));
        }
        EXPECT_EQ(form2->ListBox1->count(), 8);

        QTest::keyClicks(form2->LabeledEdit3, QStringLiteral("Re:"));
        form2->SpeedButton1->click();
        EXPECT_TRUE(form2->LabeledEdit3->text().isEmpty());
        QTest::keyClicks(form2->LabeledEdit3, QStringLiteral("   "));
        form2->SpeedButton1->click();
        EXPECT_EQ(form2->ListBox1->count(), 10);
        EXPECT_EQ(form2->ListBox1->item(8)->text(), QStringLiteral("Re:"));
        EXPECT_EQ(form2->ListBox1->item(9)->text(), QStringLiteral("   "));

        // Deleting asks nothing; with no row selected it does nothing.
        selectRow(form2, 0);
        form2->SpeedButton2->click();
        EXPECT_EQ(form2->ListBox1->count(), 9);
        EXPECT_EQ(form2->ListBox1->item(0)->text(), kBuiltInPhrases[1]);
        form2->SpeedButton2->click();
        EXPECT_EQ(form2->ListBox1->count(), 9);
        form2->close();
    }
    // Stored values are trimmed at load: the phrase of spaces comes back empty.
    Application program;
    const QStringList rows = listRows(program.forms().form2);
    ASSERT_EQ(rows.size(), 9);
    EXPECT_EQ(rows[7], QStringLiteral("Re:"));
    EXPECT_EQ(rows[8], QString());
}

TEST(SettingsDialog, DeletingEveryPhraseLeavesNoSubjectSection) {
    TempProgramDir dir;
    {
        Application program;
        TForm2* form2 = program.forms().form2;
        ASSERT_TRUE(showActive(form2));
        while (form2->ListBox1->count() > 0) {
            selectRow(form2, form2->ListBox1->count() - 1);
            form2->SpeedButton2->click();
        }
        EXPECT_TRUE(liveSettings(program.forms()).subjectPhrases().isEmpty());
        form2->close();
        EXPECT_EQ(dir.settings().sectionNames(), (QList<QByteArray>{"Window", "Setting"}));
        // A later close keeps it that way, also after another window wrote the file.
        settings_file::modify([](IniDocument& doc) { doc.writeInteger("Window", "Top4", 1); });
        ASSERT_TRUE(showActive(form2));
        form2->close();
        EXPECT_FALSE(dir.settings().sectionExists("Subject"));
    }
    Application program;
    EXPECT_EQ(listRows(program.forms().form2), kBuiltInPhrases);
}

TEST(SettingsDialog, TheByteLimitChoiceChecksTheBody) {
    TempProgramDir dir;
    dir.write(QStringLiteral("mirvane.ini"), "[Setting]\r\nBiteLimit=1\r\n");
    Application program;
    TForm1* form1 = program.forms().form1;
    TForm2* form2 = program.forms().form2;
    EXPECT_EQ(form1->bodyLimit(), 0);
    ASSERT_TRUE(showActive(form2));
    form2->PageControl1->setCurrentWidget(form2->TabSheet5);

    // 500 bytes, two of them a line break, fit.
    form1->Memo1->setText(repeated('a', 249) + QStringLiteral("\r\n") + repeated('b', 249));
    ASSERT_EQ(form1->bodySize(), 500);
    clickChoice(form2, 0);
    EXPECT_TRUE(form2->RadioGroup1Items[0]->isChecked());
    // The main window's limit follows only at the close.
    EXPECT_EQ(form1->bodyLimit(), 0);
    clickChoice(form2, 1);

    form1->Memo1->setText(repeated('a', 499) + QStringLiteral("あ"));
    ASSERT_EQ(form1->bodySize(), 501);
    {
        MessageBoxScript boxes;
        boxes.answer(Answer::Ok);
        clickChoice(form2, 0);
        ASSERT_EQ(boxes.shown().size(), 1);
        EXPECT_EQ(boxes.shown()[0].caption, QStringLiteral("エラー"));
        EXPECT_EQ(boxes.shown()[0].text,
                  QStringLiteral("\r\nメール本文の文字数が今500バイト以上\r\nになっています。\r\n"
                                 "500バイト以内に減らしてから設定して下さい。"));
    }
    EXPECT_TRUE(form2->RadioGroup1Items[1]->isChecked());
    EXPECT_EQ(liveSettings(program.forms()).byteLimitChoice(), 1);
    // "無制限" never checks.
    clickChoice(form2, 1);
    form2->close();
    EXPECT_EQ(form1->bodyLimit(), 0);
    EXPECT_EQ(dir.settings().readString("Setting", "BiteLimit"), QByteArray("1"));
}

TEST(SettingsDialog, ABodyThatGrowsAfterTheChoiceStillGetsTheLimit) {
    TempProgramDir dir;
    dir.write(QStringLiteral("mirvane.ini"), "[Setting]\r\nBiteLimit=1\r\n");
    Application program;
    TForm1* form1 = program.forms().form1;
    TForm2* form2 = program.forms().form2;
    ASSERT_TRUE(showActive(form2));
    form1->Memo1->setText(repeated('a', 100));
    clickChoice(form2, 0);
    const QString grown = repeated('a', 600);
    form1->Memo1->setText(grown);
    // Clicking the choice that is already made is no new choice: no check, no box.
    clickChoice(form2, 0);
    EXPECT_TRUE(form2->RadioGroup1Items[0]->isChecked());
    form2->close();
    EXPECT_EQ(form1->bodyLimit(), 500);
    EXPECT_EQ(form1->Memo1->text(), grown);
    EXPECT_EQ(dir.settings().readString("Setting", "BiteLimit"), QByteArray("0"));
}

TEST(SettingsDialog, DeletingTheSendHistory) {
    TempProgramDir dir;
    Application program;
    TForm2* form2 = program.forms().form2;
    ASSERT_TRUE(showActive(form2));
    form2->PageControl1->setCurrentWidget(form2->TabSheet3);
    const QString log = dir.file(QStringLiteral("log.txt"));
    {
        MessageBoxScript boxes;
        boxes.answer(Answer::Ok);
        form2->SpeedButton4->click();
        ASSERT_EQ(boxes.shown().size(), 1);
        EXPECT_EQ(boxes.shown()[0].caption, QStringLiteral("エラー"));
        EXPECT_EQ(boxes.shown()[0].text, QStringLiteral("\r\nlog.txtが存在しません。"));
    }
    dir.write(QStringLiteral("log.txt"), "entry\r\n");
    for (Answer refusal : {Answer::No, Answer::Closed}) {
        MessageBoxScript boxes;
        boxes.answer(refusal);
        form2->SpeedButton4->click();
        ASSERT_EQ(boxes.shown().size(), 1);
        const toolkit::ShownBox& box = boxes.shown()[0];
        EXPECT_EQ(box.caption, QStringLiteral("確認"));
        EXPECT_EQ(box.icon, toolkit::Icon::Question);
        EXPECT_EQ(box.text, QStringLiteral("送信履歴を削除します。\r\nよろしいですか？"));
        EXPECT_EQ(box.buttons, (QList{toolkit::Button::Yes, toolkit::Button::No}));
        EXPECT_TRUE(QFile::exists(log));
    }
    {
        MessageBoxScript boxes;
        boxes.answer(Answer::Yes);
        form2->SpeedButton4->click();
        EXPECT_EQ(boxes.shown().size(), 1);
        EXPECT_FALSE(QFile::exists(log));
    }
    // A history that cannot be removed is reported, not passed off as deleted.
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("log.txt/keep")));
    {
        MessageBoxScript boxes;
        boxes.answer(Answer::Yes);
        boxes.answer(Answer::Ok);
        form2->SpeedButton4->click();
        ASSERT_EQ(boxes.shown().size(), 2);
        EXPECT_EQ(boxes.shown()[1].caption, QStringLiteral("Mirvane"));
        EXPECT_EQ(boxes.shown()[1].icon, toolkit::Icon::Error);
        EXPECT_TRUE(boxes.shown()[1].text.contains(log));
    }
    form2->close();
}

TEST(SettingsDialog, EditShortcutsActOnTheFocusedFieldOnly) {
    TempProgramDir dir;
    Application program;
    TForm2* form2 = program.forms().form2;
    ASSERT_TRUE(showActive(form2));
    form2->PageControl1->setCurrentWidget(form2->TabSheet1);
    form2->LabeledEdit1->setText(QStringLiteral("smtp.example.jp"));
    form2->LabeledEdit1->selectAll();
    form2->LabeledEdit2->setText(QStringLiteral("me@example.jp"));
    form2->LabeledEdit2->setSelection(0, 3);
    form2->Memo1->setText(QStringLiteral("Taro"));
    form2->Memo1->selectAll();

    form2->LabeledEdit2->setFocus();
    ASSERT_TRUE(form2->LabeledEdit2->hasFocus());
    pressKey(form2->LabeledEdit2, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(form2->LabeledEdit2->text(), QStringLiteral("example.jp"));
    EXPECT_EQ(toolkit::clipboard::text(), QStringLiteral("me@"));
    EXPECT_EQ(form2->LabeledEdit1->text(), QStringLiteral("smtp.example.jp"));
    EXPECT_EQ(form2->Memo1->text(), QStringLiteral("Taro"));

    // Ctrl+Z takes the cut back; Ctrl+A and Ctrl+C copy the whole field.
    pressKey(form2->LabeledEdit2, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(form2->LabeledEdit2->text(), QStringLiteral("me@example.jp"));
    pressKey(form2->LabeledEdit2, Qt::Key_A, Qt::ControlModifier);
    pressKey(form2->LabeledEdit2, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(toolkit::clipboard::text(), QStringLiteral("me@example.jp"));

    // The phrase field takes a paste only as far as its 30 bytes go.
    form2->PageControl1->setCurrentWidget(form2->TabSheet4);
    toolkit::clipboard::setText(QStringLiteral("あいうえおかきくけこさしすせそたち"));
    form2->LabeledEdit3->setFocus();
    pressKey(form2->LabeledEdit3, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(form2->LabeledEdit3->text(), QStringLiteral("あいうえおかきくけこさしすせそ"));

    // With the focus outside the four fields the keys do nothing.
    form2->ListBox1->setFocus();
    ASSERT_TRUE(form2->ListBox1->hasFocus());
    for (Qt::Key key : {Qt::Key_X, Qt::Key_V, Qt::Key_Z}) {
        pressKey(form2->ListBox1, key, Qt::ControlModifier);
    }
    EXPECT_EQ(form2->LabeledEdit1->text(), QStringLiteral("smtp.example.jp"));
    EXPECT_EQ(form2->LabeledEdit3->text(), QStringLiteral("あいうえおかきくけこさしすせそ"));
    EXPECT_EQ(form2->Memo1->text(), QStringLiteral("Taro"));
    form2->close();
}

TEST(SettingsDialog, ClearEmptiesTheSignature) {
    TempProgramDir dir;
    dir.write(QStringLiteral("mirvane.ini"), "[Setting]\r\nSignature=Taro\tTokyo\r\n");
    Application program;
    TForm2* form2 = program.forms().form2;
    ASSERT_TRUE(showActive(form2));
    form2->PageControl1->setCurrentWidget(form2->TabSheet5);
    form2->SpeedButton3->click();
    EXPECT_TRUE(form2->Memo1->text().isEmpty());
    EXPECT_TRUE(liveSettings(program.forms()).signature().isEmpty());
    form2->close();
    EXPECT_EQ(dir.settings().readString("Setting", "Signature", "unset"), QByteArray());
}

TEST(SettingsDialog, ASettingsFileThatCannotBeWrittenIsReportedAndTheDialogStillCloses) {
    TempProgramDir dir;
    dir.write(QStringLiteral("mirvane.ini"), "[Setting]\r\nBiteLimit=1\r\n");
    Application program;
    TForm2* form2 = program.forms().form2;
    ASSERT_TRUE(showActive(form2));
    clickChoice(form2, 0);
    ASSERT_TRUE(QFile::remove(dir.settingsPath()));
    ASSERT_TRUE(QDir().mkpath(dir.settingsPath()));
    {
        MessageBoxScript boxes;
        boxes.answer(Answer::Ok);
        form2->close();
        ASSERT_EQ(boxes.shown().size(), 1);
        EXPECT_EQ(boxes.shown()[0].caption, QStringLiteral("Mirvane"));
    }
    EXPECT_FALSE(form2->isVisible());
    EXPECT_EQ(program.forms().form1->bodyLimit(), 500);
    EXPECT_EQ(liveSettings(program.forms()).byteLimitChoice(), 0);
}

TEST(SettingsDialog, PhraseListShowsThreeRowsWithoutAHorizontalScrollBar) {
    TempProgramDir dir;
    Application program;
    TForm2* form2 = program.forms().form2;
    ASSERT_TRUE(showActive(form2));
    form2->PageControl1->setCurrentWidget(form2->TabSheet4);
    QApplication::processEvents();
    EXPECT_FALSE(form2->ListBox1->horizontalScrollBar()->isVisible());
    const QRect third = form2->ListBox1->visualItemRect(form2->ListBox1->item(2));
    EXPECT_EQ(third.height(), 12);
    EXPECT_LE(third.bottom(), form2->ListBox1->viewport()->height() - 1);
    saveScreenshot(form2, QStringLiteral("settings-phrases"));
    form2->close();
}
