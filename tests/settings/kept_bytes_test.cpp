#include <gtest/gtest.h>

#include <QApplication>
#include <QInputMethodEvent>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "program/application.h"
#include "settings/live_settings.h"
#include "settings/settings_dialog.h"
#include "settings_test_support.h"
#include "support/test_support.h"
#include "toolkit/byte_limited_edit.h"
#include "toolkit/cp932.h"

namespace {

// Values no code page 932 round trip gives back: a UTF-8 signature ("署名", a line
// break, "署") whose last byte reads as a lone lead byte, a sender ending in a lead
// byte, an unassigned pair, an extension character with two codes, a phrase cut
// after its lead byte.
const QByteArray kSignature = "\xE7\xBD\xB2\xE5\x90\x8D\t\xE7\xBD\xB2";
const QByteArray kFrom = "me@example.jp\x81";
const QList<QByteArray> kPhrases = {"Re:\\~", "\x85\x40x", "\xED\x40", "end\x82"};

QByteArray settingsFile() {
    QByteArray file = "[Setting]\r\nSMTP=smtp.example.jp\r\nFrom=" + kFrom +
                      "\r\nSignature=" + kSignature + "\r\n[Subject]\r\n";
    for (qsizetype i = 0; i < kPhrases.size(); ++i)
        file += "AttachSubject(Items[" + QByteArray::number(i) + "])=" + kPhrases[i] + "\r\n";
    return file;
}

QList<QByteArray> storedPhrases(const IniDocument& doc) {
    QList<QByteArray> phrases;
    for (int i = 0;
         doc.valueExists("Subject", "AttachSubject(Items[" + QByteArray::number(i) + "])"); ++i)
        phrases.append(
            doc.readString("Subject", "AttachSubject(Items[" + QByteArray::number(i) + "])"));
    return phrases;
}

}  // namespace

TEST(KeptBytes, DecodingNeverDropsALeadByteAtTheEnd) {
    const QString cut = QString(QChar::ReplacementCharacter);
    EXPECT_EQ(cp932::decode("\x82"), cut);
    EXPECT_EQ(cp932::decode("a\x82\xA0\x82"), QStringLiteral("aあ") + cut);
    EXPECT_EQ(cp932::decode("\x82\xA0"), QStringLiteral("あ"));
    EXPECT_EQ(cp932::decode("\x82\xA0\x82\xA2"), QStringLiteral("あい"));
    EXPECT_TRUE(cp932::decode("x\xE7\xBD\xB2\xE5\x90\x8D").endsWith(cut));
}

TEST(KeptBytes, ClosingTheUntouchedDialogWritesInvalidValuesBackByteForByte) {
    TempProgramDir dir;
    dir.write(QStringLiteral("mirvane.ini"), settingsFile());
    Application program;
    TForm2* form2 = program.forms().form2;
    // The cut-off byte is shown, not silently dropped.
    EXPECT_TRUE(form2->LabeledEdit2->text().endsWith(QChar::ReplacementCharacter));
    EXPECT_TRUE(form2->ListBox1->item(3)->text().endsWith(QChar::ReplacementCharacter));
    // Readers of the live settings get the stored bytes too.
    const LiveSettings& live = liveSettings(program.forms());
    EXPECT_EQ(live.senderAddress(), kFrom);
    EXPECT_EQ(live.signature(), QByteArray(kSignature).replace('\t', "\r\n"));
    EXPECT_EQ(live.subjectPhrases(), kPhrases);

    ASSERT_TRUE(showActive(form2));
    form2->PageControl1->setCurrentWidget(form2->TabSheet1);
    QTest::mouseClick(form2->Button1, Qt::LeftButton);
    ASSERT_FALSE(form2->isVisible());

    const IniDocument doc = dir.settings();
    EXPECT_EQ(doc.readString("Setting", "SMTP"), QByteArray("smtp.example.jp"));
    EXPECT_EQ(doc.readString("Setting", "From"), kFrom);
    EXPECT_EQ(doc.readString("Setting", "Signature"), kSignature);
    EXPECT_EQ(storedPhrases(doc), kPhrases);
    // And a second close, from the window as it now stands, keeps them again.
    ASSERT_TRUE(showActive(form2));
    form2->LabeledEdit1->setFocus();
    QTest::keyClick(form2->LabeledEdit1, Qt::Key_Return);
    ASSERT_FALSE(form2->isVisible());
    EXPECT_TRUE(
        dir.settingsBytes().contains("\r\nFrom=" + kFrom + "\r\nSignature=" + kSignature + "\r\n"));
}

TEST(KeptBytes, EditedFieldsAreWrittenAsTheyNowReadAndOtherRowsKeepTheirBytes) {
    TempProgramDir dir;
    dir.write(QStringLiteral("mirvane.ini"), settingsFile());
    Application program;
    TForm2* form2 = program.forms().form2;
    ASSERT_TRUE(showActive(form2));

    // Delete the unassigned pair's row: the rows after it move up with their bytes.
    form2->ListBox1->setCurrentRow(1, QItemSelectionModel::ClearAndSelect);
    QTest::mouseClick(form2->SpeedButton2, Qt::LeftButton);
    form2->LabeledEdit3->setFocus();
    // Japanese arrives from the input method as committed text.
    QInputMethodEvent typed;
    typed.setCommitString(QStringLiteral("新しい"));
    QApplication::sendEvent(form2->LabeledEdit3, &typed);
    QTest::mouseClick(form2->SpeedButton1, Qt::LeftButton);

    form2->PageControl1->setCurrentWidget(form2->TabSheet5);
    QTest::mouseClick(form2->SpeedButton3, Qt::LeftButton);
    form2->Memo1->setFocus();
    QTest::keyClicks(form2->Memo1, QStringLiteral("Taro"));

    form2->PageControl1->setCurrentWidget(form2->TabSheet1);
    form2->LabeledEdit2->setFocus();
    form2->LabeledEdit2->selectAll();
    QTest::keyClicks(form2->LabeledEdit2, QStringLiteral("you@example.jp"));
    QTest::keyClick(form2->LabeledEdit2, Qt::Key_Return);
    ASSERT_FALSE(form2->isVisible());

    const IniDocument doc = dir.settings();
    EXPECT_EQ(doc.readString("Setting", "From"), QByteArray("you@example.jp"));
    EXPECT_EQ(doc.readString("Setting", "Signature"), QByteArray("Taro"));
    EXPECT_EQ(storedPhrases(doc),
              (QList<QByteArray>{"Re:\\~", "\xED\x40", "end\x82", "\x90\x56\x82\xb5\x82\xa2"}));
}
