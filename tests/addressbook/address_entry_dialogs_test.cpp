#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "address_book_test_support.h"
#include "addressbook/address_book_model.h"
#include "addressbook/address_book_window.h"
#include "addressbook/address_entry_dialogs.h"
#include "app/ini_document.h"
#include "composer/composer_window.h"
#include "program/application.h"
#include "settings/settings_dialog.h"
#include "support/test_support.h"
#include "toolkit/byte_limited_edit.h"
#include "toolkit/clipboard.h"
#include "toolkit/cp932.h"
#include "toolkit/message_box.h"

using address_test::clickRow;
using address_test::entry;
using address_test::fileFor;
using address_test::readings;
using address_test::storedBook;
using toolkit::Answer;
using toolkit::MessageBoxScript;

namespace {

const QString kBook = QStringLiteral("address.ini");

TAddressBook threePeople() {
    return {entry("山田", "やまだ", "yamada@docomo.ne.jp"), entry("伊藤", "いとう", "ito@a.jp"),
            entry("Bob", "bob", "bob@b.jp")};
}

struct Program {
    explicit Program(const TAddressBook& stored = {}) {
        if (!stored.isEmpty()) {
            dir.write(kBook, fileFor(stored));
        }
        forms = &program.forms();
    }
    TempProgramDir dir;
    Application program;
    Forms* forms;
};

void click(QAbstractButton* b) {
    QTest::mouseClick(b, Qt::LeftButton);
}

}  // namespace

TEST(AddressEntryDialogs, CarrierButtonsAppendTheirDomainEveryTime) {
    Program p;
    TForm5* f = p.forms->form5;
    ASSERT_TRUE(showActive(f));
    address_test::typeText(f->LabeledEdit3, QStringLiteral("taro"));
    click(f->SpeedButton1);
    EXPECT_EQ(f->LabeledEdit3->text(), QStringLiteral("taro@docomo.ne.jp"));
    click(f->SpeedButton1);
    EXPECT_EQ(f->LabeledEdit3->text(), QStringLiteral("taro@docomo.ne.jp@docomo.ne.jp"));

    f->LabeledEdit3->clear();
    click(f->SpeedButton2);
    EXPECT_EQ(f->LabeledEdit3->text(), QStringLiteral("@k.vodafone.ne.jp"));
    // The region letter as the settings dialog shows it at the moment of the click.
    p.forms->form2->ComboBox2->setCurrentIndex(0);
    click(f->SpeedButton2);
    EXPECT_EQ(f->LabeledEdit3->text(), QStringLiteral("@k.vodafone.ne.jp@d.vodafone.ne.jp"));
    p.forms->form2->ComboBox2->setCurrentIndex(-1);
    f->LabeledEdit3->clear();
    click(f->SpeedButton2);
    EXPECT_EQ(f->LabeledEdit3->text(), QStringLiteral("@.vodafone.ne.jp"));

    f->LabeledEdit3->clear();
    click(f->SpeedButton3);
    click(f->SpeedButton4);
    EXPECT_EQ(f->LabeledEdit3->text(), QStringLiteral("@softbank.ne.jp@ezweb.ne.jp"));
    // The buttons never take the focus from the field.
    EXPECT_EQ(f->SpeedButton1->focusPolicy(), Qt::NoFocus);
    saveScreenshot(f, QStringLiteral("new_address_dialog"));
}

TEST(AddressEntryDialogs, NewEntryFromTheMainMenuWhileTheBookIsHidden) {
    Program p(threePeople());
    TForm4* form4 = p.forms->form4;
    TForm5* f = p.forms->form5;
    p.forms->form1->N15->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f));
    EXPECT_FALSE(form4->isVisible());

    // Nothing typed: refused, the dialog stays.
    {
        MessageBoxScript boxes;
        boxes.answer(Answer::Ok);
        click(f->Button1);
        ASSERT_EQ(boxes.shown().size(), 1);
        EXPECT_EQ(boxes.shown()[0].caption, QStringLiteral("エラー"));
        EXPECT_EQ(boxes.shown()[0].text, QStringLiteral("\r\n何も記入されていません。"));
        EXPECT_TRUE(f->isVisible());
        EXPECT_FALSE(form4->isVisible());
    }
    // Only the reading.
    address_test::typeText(f->LabeledEdit2, QStringLiteral("あべ"));
    click(f->Button1);
    EXPECT_FALSE(f->isVisible());
    EXPECT_TRUE(f->LabeledEdit2->text().isEmpty());
    ASSERT_TRUE(form4->isVisible());
    EXPECT_EQ(readings(form4), (QStringList{QStringLiteral("bob"), QStringLiteral("あべ"),
                                            QStringLiteral("いとう"), QStringLiteral("やまだ")}));
    EXPECT_EQ(form4->Label1->text(), QStringLiteral("アドレス登録数： 4"));

    QTest::mouseClick(form4->ToolButton3, Qt::LeftButton);
    const TAddressBook stored = storedBook(p.dir);
    ASSERT_EQ(stored.size(), 4);
    EXPECT_EQ(stored[1], entry("", "あべ", ""));
    const IniDocument settings = p.dir.settings();
    EXPECT_EQ(settings.readInteger("Window", "Left5", -1), 277);
    EXPECT_EQ(settings.readInteger("Window", "Top5", -1), 152);
}

TEST(AddressEntryDialogs, CancellingTheNewDialogOpensTheBookAndKeepsTheFields) {
    Program p(threePeople());
    TForm5* f = p.forms->form5;
    p.forms->form1->N15->trigger();
    ASSERT_TRUE(showActive(f));
    address_test::typeText(f->LabeledEdit1, QStringLiteral("draft"));
    click(f->Button3);
    EXPECT_FALSE(f->isVisible());
    ASSERT_TRUE(p.forms->form4->isVisible());
    EXPECT_EQ(p.forms->form4->model()->rowCount(), 3);

    // "新規作成" shows it again with the text kept; clear all empties it.
    QTest::mouseClick(p.forms->form4->ToolButton1, Qt::LeftButton);
    ASSERT_TRUE(f->isVisible());
    EXPECT_EQ(f->LabeledEdit1->text(), QStringLiteral("draft"));
    click(f->Button2);
    EXPECT_TRUE(f->isVisible());
    EXPECT_TRUE(f->LabeledEdit1->text().isEmpty());
}

TEST(AddressEntryDialogs, ValuesAreStoredAsTheyWillComeBack) {
    Program p;
    TForm5* f = p.forms->form5;
    ASSERT_TRUE(showActive(f));
    address_test::typeText(f->LabeledEdit1, QStringLiteral("+Ann+"));
    address_test::typeText(f->LabeledEdit3, QStringLiteral("+81-90@x.jp"));
    QTest::keyClick(f->LabeledEdit3, Qt::Key_Return);
    EXPECT_FALSE(f->isVisible());
    TForm4* form4 = p.forms->form4;
    ASSERT_TRUE(form4->isVisible());
    EXPECT_EQ(form4->model()->entry(0), entry("Ann", "", "81-90@x.jp"));
    QTest::mouseClick(form4->ToolButton3, Qt::LeftButton);
    QTest::mouseClick(p.forms->form1->Button1, Qt::LeftButton);
    EXPECT_EQ(form4->model()->entry(0), entry("Ann", "", "81-90@x.jp"));

    // Only a "+" is nothing to register.
    form4->close();
    ASSERT_TRUE(showActive(f));
    address_test::typeText(f->LabeledEdit1, QStringLiteral("+"));
    MessageBoxScript boxes;
    boxes.answer(Answer::Ok);
    click(f->Button1);
    EXPECT_EQ(boxes.shown().size(), 1);
}

TEST(AddressEntryDialogs, EditNeedsAChangeAndReplacesItsOwnEntry) {
    Program p(threePeople());
    TForm4* form4 = p.forms->form4;
    TForm6* f = p.forms->form6;
    QTest::mouseClick(p.forms->form1->Button1, Qt::LeftButton);
    clickRow(form4, 0);
    QTest::mouseClick(form4->ToolButton5, Qt::LeftButton);
    ASSERT_TRUE(showActive(f));
    EXPECT_EQ(f->LabeledEdit1->text(), QStringLiteral("山田"));
    {
        MessageBoxScript boxes;
        boxes.answer(Answer::Ok);
        click(f->Button1);
        ASSERT_EQ(boxes.shown().size(), 1);
        EXPECT_EQ(boxes.shown()[0].text, QStringLiteral("\r\nアドレスが変更されていません。"));
        EXPECT_TRUE(f->isVisible());
    }
    // Selecting other rows meanwhile does not change the entry replaced.
    clickRow(form4, 2);
    clickRow(form4, 1, Qt::ControlModifier);
    click(f->SpeedButton4);
    click(f->Button1);
    EXPECT_FALSE(f->isVisible());
    EXPECT_TRUE(f->LabeledEdit3->text().isEmpty());
    EXPECT_EQ(form4->model()->rowCount(), 3);
    EXPECT_EQ(form4->model()->rowOf(entry("山田", "やまだ", "yamada@docomo.ne.jp@ezweb.ne.jp")), 2);
    EXPECT_EQ(readings(form4), (QStringList{QStringLiteral("bob"), QStringLiteral("いとう"),
                                            QStringLiteral("やまだ")}));
    saveScreenshot(form4, QStringLiteral("address_book_after_edit"));

    // Changing a field and back still counts: the entry takes its place in the order.
    const int bob = form4->model()->rowOf(threePeople()[2]);
    clickRow(form4, bob);
    QTest::mouseClick(form4->ToolButton5, Qt::LeftButton);
    ASSERT_TRUE(showActive(f));
    f->LabeledEdit2->setFocus();
    QTest::keyClick(f->LabeledEdit2, Qt::Key_End);
    QTest::keyClick(f->LabeledEdit2, Qt::Key_Backspace);
    address_test::typeText(f->LabeledEdit2, QStringLiteral("b"));
    saveScreenshot(f, QStringLiteral("edit_address_dialog"));
    click(f->Button1);
    EXPECT_EQ(form4->model()->rowCount(), 3);
    EXPECT_EQ(form4->model()->rowOf(threePeople()[2]), 0);

    QTest::mouseClick(form4->ToolButton3, Qt::LeftButton);
    EXPECT_EQ(storedBook(p.dir).size(), 3);
    const IniDocument settings = p.dir.settings();
    EXPECT_EQ(settings.readInteger("Window", "Left6", -1), 287);
}

TEST(AddressEntryDialogs, EditOfAnEntryDeletedMeanwhileAddsTheEditedEntry) {
    Program p(threePeople());
    TForm4* form4 = p.forms->form4;
    TForm6* f = p.forms->form6;
    QTest::mouseClick(p.forms->form1->Button1, Qt::LeftButton);
    clickRow(form4, 1);
    QTest::mouseClick(form4->ToolButton5, Qt::LeftButton);
    {
        MessageBoxScript boxes;
        boxes.answer(Answer::Yes);
        QTest::mouseClick(form4->ToolButton2, Qt::LeftButton);
    }
    ASSERT_EQ(form4->model()->rowCount(), 2);
    ASSERT_TRUE(showActive(f));
    address_test::typeText(f->LabeledEdit1, QStringLiteral("さん"));
    click(f->Button1);
    EXPECT_EQ(form4->model()->rowCount(), 3);
    EXPECT_GE(form4->model()->rowOf(entry("伊藤さん", "いとう", "ito@a.jp")), 0);
    EXPECT_EQ(form4->Label1->text(), QStringLiteral("アドレス登録数： 3"));
}

TEST(AddressEntryDialogs, EditLeftOpenOverAReopeningReplacesTheStoredEntry) {
    Program p(threePeople());
    TForm4* form4 = p.forms->form4;
    TForm6* f = p.forms->form6;
    QTest::mouseClick(p.forms->form1->Button1, Qt::LeftButton);
    clickRow(form4, 2);
    QTest::mouseClick(form4->ToolButton5, Qt::LeftButton);
    QTest::mouseClick(form4->ToolButton3, Qt::LeftButton);

    // Registered while the book is hidden: held until it opens, then saved with it.
    ASSERT_TRUE(showActive(f));
    address_test::typeText(f->LabeledEdit1, QStringLiteral("by"));
    click(f->Button1);
    EXPECT_FALSE(form4->isVisible());
    QTest::mouseClick(p.forms->form1->Button1, Qt::LeftButton);
    EXPECT_EQ(form4->model()->rowCount(), 3);
    EXPECT_EQ(form4->model()->rowOf(entry("Bobby", "bob", "bob@b.jp")), 0);
    QTest::mouseClick(form4->ToolButton3, Qt::LeftButton);
    EXPECT_EQ(storedBook(p.dir)[0], entry("Bobby", "bob", "bob@b.jp"));

    // Filled, then the book closed and opened again before the registration.
    QTest::mouseClick(p.forms->form1->Button1, Qt::LeftButton);
    clickRow(form4, 0);
    QTest::mouseClick(form4->ToolButton5, Qt::LeftButton);
    QTest::mouseClick(form4->ToolButton3, Qt::LeftButton);
    QTest::mouseClick(p.forms->form1->Button1, Qt::LeftButton);
    ASSERT_TRUE(showActive(f));
    address_test::typeText(f->LabeledEdit1, QStringLiteral("!"));
    click(f->Button1);
    EXPECT_EQ(form4->model()->rowCount(), 3);
    EXPECT_EQ(form4->model()->rowOf(entry("Bobby!", "bob", "bob@b.jp")), 0);
}

TEST(AddressEntryDialogs, TheInvisibleMenuEditsTheFocusedField) {
    Program p;
    TForm5* f = p.forms->form5;
    ASSERT_TRUE(showActive(f));
    address_test::typeText(f->LabeledEdit1, QStringLiteral("name"));
    QTest::keyClick(f->LabeledEdit1, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(f->LabeledEdit1, Qt::Key_X, Qt::ControlModifier);
    EXPECT_TRUE(f->LabeledEdit1->text().isEmpty());
    EXPECT_EQ(toolkit::clipboard::text(), QStringLiteral("name"));
    f->LabeledEdit3->setFocus();
    QTest::keyClick(f->LabeledEdit3, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(f->LabeledEdit3, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(f->LabeledEdit3->text(), QStringLiteral("namename"));
    QTest::keyClick(f->LabeledEdit3, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(f->LabeledEdit3->text(), QStringLiteral("name"));

    // With the focus on a button the keys edit nothing.
    f->Button3->setFocus();
    toolkit::clipboard::setText(QStringLiteral("other"));
    QTest::keyClick(f->Button3, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(f->LabeledEdit3->text(), QStringLiteral("name"));
    EXPECT_EQ(f->LabeledEdit1->text(), QString());
}

TEST(AddressEntryDialogs, AChangeMarkComesFromTheUserOrACarrierButtonOnly) {
    Program p(threePeople());
    TForm4* form4 = p.forms->form4;
    TForm6* f = p.forms->form6;
    QTest::mouseClick(p.forms->form1->Button1, Qt::LeftButton);
    clickRow(form4, 1);
    QTest::mouseClick(form4->ToolButton5, Qt::LeftButton);
    ASSERT_TRUE(showActive(f));
    EXPECT_FALSE(f->changed());
    // Pasting into a field marks it.
    toolkit::clipboard::setText(QStringLiteral("x"));
    f->LabeledEdit3->setFocus();
    QTest::keyClick(f->LabeledEdit3, Qt::Key_V, Qt::ControlModifier);
    EXPECT_TRUE(f->changed());
    // A new edit command refills the fields and clears the marks.
    clickRow(form4, 2);
    QTest::mouseClick(form4->ToolButton5, Qt::LeftButton);
    EXPECT_FALSE(f->changed());
    EXPECT_EQ(f->LabeledEdit1->text(), QStringLiteral("Bob"));
    click(f->SpeedButton1);
    EXPECT_TRUE(f->changed());
}
