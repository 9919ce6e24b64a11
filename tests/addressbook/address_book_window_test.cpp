#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>
#include <clocale>

#include "address_book_test_support.h"
#include "addressbook/address_book_model.h"
#include "addressbook/address_book_window.h"
#include "addressbook/address_entry_dialogs.h"
#include "addressbook/reading_collator.h"
#include "app/ini_document.h"
#include "composer/composer_window.h"
#include "program/application.h"
#include "support/test_support.h"
#include "toolkit/byte_limited_edit.h"
#include "toolkit/clipboard.h"
#include "toolkit/cp932.h"
#include "toolkit/message_box.h"
#include "toolkit/status_bar.h"

using address_test::clickRow;
using address_test::entry;
using address_test::fileFor;
using address_test::readings;
using address_test::storedBook;
using toolkit::Answer;
using toolkit::MessageBoxScript;

namespace {

const QString kBook = QStringLiteral("address.ini");

// Six people with hiragana, katakana and Latin readings, not in reading order.
TAddressBook sixPeople() {
    return {entry("山田太郎", "やまだたろう", "taro@docomo.ne.jp"),
            entry("佐藤花子", "さとうはなこ", "hanako@ezweb.ne.jp"),
            entry("John Smith", "Smith", "john@example.com"),
            entry("鈴木一郎", "スズキイチロウ", "ichiro@k.vodafone.ne.jp"),
            entry("加藤", "かとう", "kato@softbank.ne.jp"),
            entry("Anna", "anna", "anna@example.org")};
}

struct Book {
    explicit Book(const TAddressBook& stored = {}) {
        if (!stored.isEmpty()) {
            dir.write(kBook, fileFor(stored));
        }
        form4 = program.forms().form4;
    }
    // Opens the book as the main window's button does.
    bool open() {
        QTest::mouseClick(program.forms().form1->Button1, Qt::LeftButton);
        return QTest::qWaitForWindowExposed(form4) && form4->isVisible();
    }
    TempProgramDir dir;
    Application program;
    TForm4* form4;
};

QString countText(const TForm4* form4) {
    return form4->Label1->text();
}

}  // namespace

TEST(AddressBookWindow, NoFileShowsAnEmptyListAndClosingWritesAnEmptyFile) {
    Book book;
    ASSERT_TRUE(book.open());
    EXPECT_EQ(book.form4->model()->rowCount(), 0);
    EXPECT_EQ(countText(book.form4), QStringLiteral("アドレス登録数： 0"));
    QTest::mouseClick(book.form4->ToolButton3, Qt::LeftButton);
    EXPECT_FALSE(book.form4->isVisible());
    ASSERT_TRUE(QFile::exists(book.dir.file(kBook)));
    EXPECT_EQ(book.dir.read(kBook), QByteArray());
    // The position went to the settings file first.
    const IniDocument settings = book.dir.settings();
    EXPECT_EQ(settings.readInteger("Window", "Left4", -1), 190);
}

TEST(AddressBookWindow, ShowsTheFileInFileOrderAndWritesItBackUnchanged) {
    Book book(sixPeople());
    const QByteArray before = book.dir.read(kBook);
    ASSERT_TRUE(book.open());
    EXPECT_EQ(book.form4->model()->book(), sixPeople());
    EXPECT_EQ(countText(book.form4), QStringLiteral("アドレス登録数： 6"));
    EXPECT_EQ(book.form4->currentRow(), -1);
    EXPECT_EQ(book.form4->firstSelectedRow(), -1);
    const QHeaderView* header = book.form4->ListView1->header();
    EXPECT_EQ(header->sectionSize(0), 100);
    EXPECT_EQ(header->sectionSize(1), 120);
    EXPECT_EQ(header->sectionSize(2), 168);
    EXPECT_EQ(book.form4->model()->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(),
              QStringLiteral("ふりがな"));

    // Clicking a header sorts nothing.
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionPosition(1) + 10, header->height() / 2));
    EXPECT_EQ(book.form4->model()->book(), sixPeople());
    saveScreenshot(book.form4, QStringLiteral("address_book_six_entries"));

    QTest::mouseClick(book.form4->ToolButton3, Qt::LeftButton);
    EXPECT_EQ(book.dir.read(kBook), before);
}

TEST(AddressBookWindow, ACapitalisedNameKeyLoadsAndIsWrittenBackInMixedCase) {
    Book book;
    book.dir.write(kBook, "[ADDRESS]\r\nNAME0=" + ScrambleValue("Ken") +
                              "\r\nAddress0=" + ScrambleValue("ken@a.jp") + "\r\n");
    ASSERT_TRUE(book.open());
    ASSERT_EQ(book.form4->model()->rowCount(), 1);
    EXPECT_EQ(book.form4->model()->entry(0), entry("Ken", "", "ken@a.jp"));
    QTest::mouseClick(book.form4->ToolButton3, Qt::LeftButton);
    const QByteArray written = book.dir.read(kBook);
    EXPECT_TRUE(written.contains("\r\nName0=" + ScrambleValue("Ken") + "\r\nKana0=\r\n"))
        << written.toStdString();
    EXPECT_FALSE(written.contains("NAME0"));
}

TEST(AddressBookWindow, DeletingEveryEntryRemovesTheSectionAndKeepsOthers) {
    Book book;
    book.dir.write(kBook, "[Mine]\r\nkeep=yes\r\n\r\n" + fileFor(sixPeople()));
    ASSERT_TRUE(book.open());
    TForm4* f = book.form4;
    // Select all from the context menu.
    clickRow(f, 2);
    const QRect r = f->ListView1->visualRect(f->model()->index(2, 1));
    address_test::rightClick(f->ListView1->viewport(), r.center());
    ASSERT_TRUE(f->PopupMenu1->isVisible());
    QTest::mouseClick(f->PopupMenu1, Qt::LeftButton, {},
                      f->PopupMenu1->actionGeometry(f->A1).center());
    EXPECT_EQ(f->selectedRows().size(), 6);

    MessageBoxScript boxes;
    boxes.answer(Answer::Yes);
    QTest::mouseClick(f->ToolButton2, Qt::LeftButton);
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(boxes.shown()[0].caption, QStringLiteral("確認"));
    EXPECT_EQ(boxes.shown()[0].text, QStringLiteral("山田太郎\r\n\r\nを削除しますか？"));
    EXPECT_EQ(f->model()->rowCount(), 0);
    EXPECT_EQ(countText(f), QStringLiteral("アドレス登録数： 0"));

    QTest::mouseClick(f->ToolButton3, Qt::LeftButton);
    EXPECT_EQ(book.dir.read(kBook), QByteArray("[Mine]\r\nkeep=yes\r\n\r\n"));
}

TEST(AddressBookWindow, ThreeSelectedRowsMailInputEditAndDelete) {
    Book book(sixPeople());
    ASSERT_TRUE(book.open());
    TForm4* f = book.form4;
    clickRow(f, 1);
    clickRow(f, 4, Qt::ControlModifier);
    clickRow(f, 3, Qt::ControlModifier);
    EXPECT_EQ(f->selectedRows(), (QList<int>{1, 3, 4}));
    EXPECT_EQ(f->currentRow(), 3);

    // Edit fills the dialog from the current entry, not the first selected one.
    QTest::mouseClick(f->ToolButton5, Qt::LeftButton);
    TForm6* form6 = book.program.forms().form6;
    EXPECT_TRUE(form6->isVisible());
    EXPECT_EQ(form6->LabeledEdit1->text(), QStringLiteral("鈴木一郎"));
    form6->close();

    // Delete names the first selected entry only and removes all three.
    {
        MessageBoxScript boxes;
        boxes.answer(Answer::No);
        QTest::mouseClick(f->ToolButton2, Qt::LeftButton);
        ASSERT_EQ(boxes.shown().size(), 1);
        EXPECT_EQ(boxes.shown()[0].text, QStringLiteral("佐藤花子\r\n\r\nを削除しますか？"));
        EXPECT_EQ(f->model()->rowCount(), 6);
        boxes.answer(Answer::Yes);
        QTest::mouseClick(f->ToolButton2, Qt::LeftButton);
    }
    // What stays is sorted by reading, in the order of the user's locale.
    QStringList left = readings(f);
    ASSERT_EQ(left.size(), 3);
    const ReadingCollator collator;
    for (int i = 1; i < 3; ++i) {
        EXPECT_LT(collator.compare(f->model()->entry(i - 1).reading, f->model()->entry(i).reading),
                  0);
    }
    left.sort();
    EXPECT_EQ(left, (QStringList{QStringLiteral("Smith"), QStringLiteral("anna"),
                                 QStringLiteral("やまだたろう")}));
    EXPECT_EQ(f->model()->rowCount(), 3);
    EXPECT_EQ(f->model()->rowOf(entry("加藤", "かとう", "kato@softbank.ne.jp")), -1);
    EXPECT_EQ(countText(f), QStringLiteral("アドレス登録数： 3"));

    // Mail input puts in the current entry's address alone, and closes.
    clickRow(f, 0);
    clickRow(f, 2, Qt::ShiftModifier);
    const TAddressEntry current = f->model()->entry(2);
    QTest::mouseClick(f->ToolButton4, Qt::LeftButton);
    TForm1* form1 = book.program.forms().form1;
    EXPECT_EQ(form1->Edit2->text(), cp932::decode(current.address));
    EXPECT_EQ(form1->StatusBar1->panelText(0),
              QStringLiteral("宛先：") + cp932::decode(current.name));
    EXPECT_FALSE(f->isVisible());
    EXPECT_EQ(storedBook(book.dir).size(), 3);
}

TEST(AddressBookWindow, AfterCtrlClickUnselectsTheCurrentEntryEditAndMailInputStillUseIt) {
    Book book(sixPeople());
    ASSERT_TRUE(book.open());
    TForm4* f = book.form4;
    clickRow(f, 4);
    clickRow(f, 4, Qt::ControlModifier);
    EXPECT_EQ(f->currentRow(), 4);
    EXPECT_TRUE(f->selectedRows().isEmpty());

    // Delete needs a selected row: the plain box without a title of its own.
    {
        MessageBoxScript boxes;
        boxes.answer(Answer::Ok);
        QTest::mouseClick(f->ToolButton2, Qt::LeftButton);
        ASSERT_EQ(boxes.shown().size(), 1);
        EXPECT_EQ(boxes.shown()[0].text, QStringLiteral("アドレスを選択してください。"));
        EXPECT_TRUE(boxes.shown()[0].caption.isEmpty());
        EXPECT_EQ(boxes.shown()[0].icon, toolkit::Icon::Error);
        EXPECT_EQ(f->model()->rowCount(), 6);
    }
    // The context menu still offers edit, delete and copy: there is a current entry.
    f->PopupMenu1Popup();
    EXPECT_TRUE(f->Edit1->isEnabled());

    QTest::mouseClick(f->ToolButton5, Qt::LeftButton);
    EXPECT_EQ(book.program.forms().form6->LabeledEdit2->text(), QStringLiteral("かとう"));
    book.program.forms().form6->close();

    QTest::mouseClick(f->ToolButton4, Qt::LeftButton);
    EXPECT_EQ(book.program.forms().form1->Edit2->text(), QStringLiteral("kato@softbank.ne.jp"));
}

TEST(AddressBookWindow, WithoutACurrentEntryCommandsAreRefused) {
    Book book(sixPeople());
    ASSERT_TRUE(book.open());
    TForm4* f = book.form4;
    // Tabbing into the list does not make a row current.
    ASSERT_TRUE(showActive(f));
    f->LabeledEdit1->setFocus();
    QTest::keyClick(f->LabeledEdit1, Qt::Key_Tab);
    EXPECT_TRUE(f->ListView1->hasFocus());
    EXPECT_EQ(f->currentRow(), -1);

    MessageBoxScript boxes;
    boxes.answer(Answer::Ok);
    boxes.answer(Answer::Ok);
    QTest::mouseClick(f->ToolButton4, Qt::LeftButton);
    QTest::mouseClick(f->ToolButton5, Qt::LeftButton);
    ASSERT_EQ(boxes.shown().size(), 2);
    for (const toolkit::ShownBox& box : boxes.shown()) {
        EXPECT_EQ(box.caption, QStringLiteral("エラー"));
        EXPECT_EQ(box.text, QStringLiteral("\r\nアドレスを選択してください。"));
    }
    EXPECT_TRUE(f->isVisible());
    EXPECT_FALSE(book.program.forms().form6->isVisible());

    // A double-click below the last row does nothing then.
    QTest::mouseDClick(f->ListView1->viewport(), Qt::LeftButton, {},
                       QPoint(50, f->ListView1->viewport()->height() - 5));
    EXPECT_TRUE(f->isVisible());

    // The context menu offers only new and select all.
    address_test::rightClick(f->ListView1->viewport(),
                             QPoint(50, f->ListView1->viewport()->height() - 5));
    ASSERT_TRUE(f->PopupMenu1->isVisible());
    EXPECT_TRUE(f->New1->isEnabled());
    EXPECT_FALSE(f->Edit1->isEnabled());
    EXPECT_FALSE(f->N1->isEnabled());
    EXPECT_FALSE(f->Copy1->isEnabled());
    EXPECT_TRUE(f->A1->isEnabled());
    saveScreenshot(f->PopupMenu1, QStringLiteral("address_book_popup_menu"));
    f->PopupMenu1->close();
}

TEST(AddressBookWindow, DoubleClickPutsTheAddressIntoTheMailAndCopyTakesTheFirstSelected) {
    Book book(sixPeople());
    ASSERT_TRUE(book.open());
    TForm4* f = book.form4;
    clickRow(f, 5);
    clickRow(f, 2, Qt::ControlModifier);
    address_test::rightClick(f->ListView1->viewport(),
                             f->ListView1->visualRect(f->model()->index(2, 1)).center());
    ASSERT_TRUE(f->PopupMenu1->isVisible());
    EXPECT_TRUE(f->Copy1->isEnabled());
    QTest::mouseClick(f->PopupMenu1, Qt::LeftButton, {},
                      f->PopupMenu1->actionGeometry(f->Copy1).center());
    EXPECT_EQ(toolkit::clipboard::text(), QStringLiteral("john@example.com"));

    const QPoint cell = f->ListView1->visualRect(f->model()->index(1, 2)).center();
    QTest::mouseClick(f->ListView1->viewport(), Qt::LeftButton, {}, cell);
    QTest::mouseDClick(f->ListView1->viewport(), Qt::LeftButton, {}, cell);
    EXPECT_FALSE(f->isVisible());
    EXPECT_EQ(book.program.forms().form1->Edit2->text(), QStringLiteral("hanako@ezweb.ne.jp"));
    EXPECT_EQ(book.program.forms().form1->StatusBar1->panelText(0),
              QStringLiteral("宛先：佐藤花子"));
}

TEST(AddressBookWindow, ReadingSearchSelectsTheFirstMatchAndMovesTheFocus) {
    TAddressBook many = sixPeople();
    for (int i = 0; i < 40; ++i) {
        many.append(entry("x", QStringLiteral("ん%1").arg(i).toUtf8().constData(), ""));
    }
    many.append(entry("後", "かとう2", ""));
    Book book(many);
    ASSERT_TRUE(book.open());
    TForm4* f = book.form4;
    ASSERT_TRUE(showActive(f));
    clickRow(f, 0);
    clickRow(f, 1, Qt::ControlModifier);
    f->LabeledEdit1->setFocus();

    // File order: the first "か" is entry 4; the old current entry alone is unselected.
    address_test::typeText(f->LabeledEdit1, QStringLiteral("か"));
    EXPECT_EQ(f->currentRow(), 4);
    EXPECT_EQ(f->selectedRows(), (QList<int>{0, 4}));
    EXPECT_TRUE(f->ListView1->hasFocus());
    EXPECT_EQ(f->ListView1->indexAt(QPoint(0, 0)).row(), 0);

    // The match becomes the top row when it is the first selected one.
    clickRow(f, 2);
    f->LabeledEdit1->setFocus();
    f->LabeledEdit1->selectAll();
    address_test::typeText(f->LabeledEdit1, QStringLiteral("ん"));
    EXPECT_EQ(f->currentRow(), 6);
    address_test::typeText(f->LabeledEdit1, QStringLiteral("3"));
    EXPECT_EQ(f->LabeledEdit1->text().toStdString(), "ん3");
    EXPECT_EQ(f->currentRow(), 9);
    EXPECT_EQ(f->selectedRows(), QList<int>{9});
    EXPECT_EQ(f->ListView1->indexAt(QPoint(0, 0)).row(), 9);

    // A longer text than every reading, and an empty one, change nothing.
    f->LabeledEdit1->setFocus();
    address_test::typeText(f->LabeledEdit1, QStringLiteral("-------"));
    EXPECT_EQ(f->currentRow(), 9);
    f->LabeledEdit1->setFocus();
    f->LabeledEdit1->selectAll();
    QTest::keyClick(f->LabeledEdit1, Qt::Key_Delete);
    EXPECT_EQ(f->currentRow(), 9);
    EXPECT_EQ(f->selectedRows(), QList<int>{9});

    // Exact bytes: katakana does not match hiragana, nor case another case.
    f->LabeledEdit1->setFocus();
    address_test::typeText(f->LabeledEdit1, QStringLiteral("サ"));
    EXPECT_EQ(f->currentRow(), 9);
    f->LabeledEdit1->setFocus();
    f->LabeledEdit1->selectAll();
    address_test::typeText(f->LabeledEdit1, QStringLiteral("smith"));
    EXPECT_EQ(f->currentRow(), 9);

    // The text stays over a close and reopening, and no search runs on opening.
    QTest::mouseClick(f->ToolButton3, Qt::LeftButton);
    ASSERT_TRUE(book.open());
    EXPECT_EQ(f->LabeledEdit1->text(), QStringLiteral("smith"));
    EXPECT_EQ(f->currentRow(), -1);
}

TEST(AddressBookWindow, RenamingInPlaceChangesOnlyTheName) {
    Book book(sixPeople());
    ASSERT_TRUE(book.open());
    TForm4* f = book.form4;
    ASSERT_TRUE(showActive(f));
    clickRow(f, 2);
    // A click on the name of the selected row opens the editor.
    const QPoint name = f->ListView1->visualRect(f->model()->index(2, 0)).center();
    QTest::mouseClick(f->ListView1->viewport(), Qt::LeftButton, {}, name,
                      QApplication::doubleClickInterval() + 50);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return f->ListView1->indexWidget(f->model()->index(2, 0)) != nullptr; }));
    QWidget* editor = QApplication::focusWidget();
    ASSERT_TRUE(qobject_cast<toolkit::ByteLimitedLineEdit*>(editor));
    EXPECT_EQ(editor->parentWidget(), f->ListView1->viewport());
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(editor, Qt::Key_Delete);
    QTest::keyClick(editor, Qt::Key_Return);
    // The editor commits from the event loop.
    QCoreApplication::processEvents();
    EXPECT_EQ(f->model()->entry(2), entry("", "Smith", "john@example.com"));
    // A rename does not sort.
    EXPECT_EQ(f->model()->entry(0).name, sixPeople()[0].name);

    // F2 edits the name too; a name that would not come back is shown as stored.
    clickRow(f, 2);
    QTest::keyClick(f->ListView1, Qt::Key_F2);
    editor = QApplication::focusWidget();
    ASSERT_TRUE(qobject_cast<toolkit::ByteLimitedLineEdit*>(editor));
    address_test::typeText(editor, QStringLiteral("+John+"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(f->model()->data(f->model()->index(2, 0), Qt::DisplayRole).toString(),
              QStringLiteral("John"));

    QTest::mouseClick(f->ToolButton3, Qt::LeftButton);
    EXPECT_EQ(storedBook(book.dir)[2], entry("John", "Smith", "john@example.com"));
}

TEST(AddressBookWindow, SortingSeparatesKanaTypeAndWidthAndIsStable) {
    Book book({entry("1", "ア", ""), entry("2", "A", ""), entry("3", "あ", ""),
               entry("4", "Ａ", ""), entry("5", "あ", ""), entry("6", "ア", "")});
    ASSERT_TRUE(book.open());
    TForm4* f = book.form4;
    QTest::mouseClick(f->ToolButton1, Qt::LeftButton);
    TForm5* form5 = book.program.forms().form5;
    ASSERT_TRUE(showActive(form5));
    address_test::typeText(form5->LabeledEdit2, QStringLiteral("あ"));
    address_test::typeText(form5->LabeledEdit1, QStringLiteral("7"));
    QTest::mouseClick(form5->Button1, Qt::LeftButton);

    QStringList names;
    for (int r = 0; r < f->model()->rowCount(); ++r) {
        names.append(cp932::decode(f->model()->entry(r).name));
    }
    // Equal readings keep their order; different kana types and widths stay apart.
    ASSERT_EQ(names.size(), 7);
    EXPECT_LT(names.indexOf(QStringLiteral("3")), names.indexOf(QStringLiteral("5")));
    EXPECT_LT(names.indexOf(QStringLiteral("5")), names.indexOf(QStringLiteral("7")));
    EXPECT_LT(names.indexOf(QStringLiteral("1")), names.indexOf(QStringLiteral("6")));
    auto block = [&](const char* a, const char* b, const char* c) {
        const int i = names.indexOf(QString::fromUtf8(a));
        return names.mid(i, 3) ==
               QStringList{QString::fromUtf8(a), QString::fromUtf8(b), QString::fromUtf8(c)};
    };
    EXPECT_TRUE(block("3", "5", "7")) << names.join(u',').toStdString();
    EXPECT_EQ(qAbs(names.indexOf(QStringLiteral("1")) - names.indexOf(QStringLiteral("6"))), 1);

    // After the registration the search finds the first in sort order.
    f->LabeledEdit1->setFocus();
    address_test::typeText(f->LabeledEdit1, QStringLiteral("あ"));
    EXPECT_EQ(cp932::decode(f->model()->entry(f->currentRow()).name), QStringLiteral("3"));
}

TEST(AddressBookWindow, WithoutALocaleReadingsSortInTheRootOrder) {
    // No locale set: the program sees "C", as from an empty environment.
    const QByteArray saved = std::setlocale(LC_COLLATE, nullptr);
    std::setlocale(LC_COLLATE, "C");
    {
        Book book({entry("1", "B", ""), entry("2", "ア", ""), entry("3", "a", ""),
                   entry("4", "Ａ", ""), entry("5", "あ", ""), entry("6", "A", "")});
        ASSERT_TRUE(book.open());
        QTest::mouseClick(book.form4->ToolButton1, Qt::LeftButton);
        TForm5* form5 = book.program.forms().form5;
        ASSERT_TRUE(showActive(form5));
        address_test::typeText(form5->LabeledEdit2, QStringLiteral("b"));
        address_test::typeText(form5->LabeledEdit1, QStringLiteral("7"));
        QTest::mouseClick(form5->Button1, Qt::LeftButton);
        // Not by code points, where every capital comes before "a".
        EXPECT_EQ(readings(book.form4),
                  (QStringList{QStringLiteral("a"), QStringLiteral("A"), QStringLiteral("Ａ"),
                               QStringLiteral("b"), QStringLiteral("B"), QStringLiteral("あ"),
                               QStringLiteral("ア")}));
    }
    std::setlocale(LC_COLLATE, saved.constData());
}

TEST(AddressBookWindow, TheListStartsAtItsFirstRowEachTimeItIsShown) {
    TAddressBook many;
    for (int i = 0; i < 60; ++i) {
        many.append({"name" + QByteArray::number(i), "yomi" + QByteArray::number(100 + i),
                     "a" + QByteArray::number(i) + "@example.jp"});
    }
    Book book(many);
    ASSERT_TRUE(book.open());
    TForm4* f = book.form4;
    QScrollBar* bar = f->ListView1->verticalScrollBar();
    clickRow(f, 0);
    QTest::keyClick(f->ListView1, Qt::Key_End);
    ASSERT_GT(bar->value(), 0);
    QTest::mouseClick(f->ToolButton3, Qt::LeftButton);

    ASSERT_TRUE(book.open());
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(f->ListView1->indexAt(QPoint(2, 2)).row(), 0);
}

TEST(AddressBookWindow, AUtf8SignatureIsSkippedAndAFileThatIsNoBookIsNeverSavedOver) {
    Book book;
    // An editor put a UTF-8 signature in front of the book.
    book.dir.write(kBook, "\xEF\xBB\xBF" + fileFor(sixPeople()));
    ASSERT_TRUE(book.open());
    EXPECT_EQ(book.form4->model()->book(), sixPeople());
    EXPECT_EQ(countText(book.form4), QStringLiteral("アドレス登録数： 6"));
    QTest::mouseClick(book.form4->ToolButton3, Qt::LeftButton);
    EXPECT_EQ(book.dir.read(kBook), fileFor(sixPeople()));

    // Bytes of some other file, in which no line is a section header.
    QRandomGenerator random(22);
    QByteArray noise(20000, Qt::Uninitialized);
    for (char& c : noise) {
        c = char(random.bounded(256));
    }
    ASSERT_TRUE(IniDocument::fromBytes(noise).sectionNames().isEmpty());
    book.dir.write(kBook, noise);
    {
        MessageBoxScript boxes;
        boxes.answer(Answer::Ok);
        ASSERT_TRUE(book.open());
        ASSERT_EQ(boxes.shown().size(), 1);
        EXPECT_EQ(boxes.shown()[0].text,
                  QStringLiteral("ファイル %1 は開けません.").arg(book.dir.file(kBook)));
    }
    EXPECT_EQ(countText(book.form4), QStringLiteral("アドレス帳を開けません"));
    QTest::mouseClick(book.form4->ToolButton3, Qt::LeftButton);
    EXPECT_FALSE(book.form4->isVisible());
    EXPECT_EQ(book.dir.read(kBook), noise);
}

TEST(AddressBookWindow, AnUnreadableBookIsReportedAndNeverOverwritten) {
    Book book;
    ASSERT_TRUE(QDir(book.dir.path()).mkdir(kBook));
    {
        MessageBoxScript boxes;
        boxes.answer(Answer::Ok);
        ASSERT_TRUE(book.open());
        ASSERT_EQ(boxes.shown().size(), 1);
        EXPECT_EQ(boxes.shown()[0].caption, QStringLiteral("Mirvane"));
        EXPECT_TRUE(boxes.shown()[0].text.contains(book.dir.file(kBook)));
    }
    EXPECT_FALSE(book.form4->bookLoaded());
    EXPECT_EQ(countText(book.form4), QStringLiteral("アドレス帳を開けません"));
    QTest::mouseClick(book.form4->ToolButton3, Qt::LeftButton);
    EXPECT_FALSE(book.form4->isVisible());
    EXPECT_TRUE(QFileInfo(book.dir.file(kBook)).isDir());
}

TEST(AddressBookWindow, APipeInPlaceOfTheBookIsRefusedWithoutWaiting) {
    Book book;
    ASSERT_EQ(mkfifo(QFile::encodeName(book.dir.file(kBook)).constData(), 0600), 0);
    MessageBoxScript boxes;
    boxes.answer(Answer::Ok);
    ASSERT_TRUE(book.open());
    EXPECT_EQ(boxes.shown().size(), 1);
    EXPECT_FALSE(book.form4->bookLoaded());
    QTest::mouseClick(book.form4->ToolButton3, Qt::LeftButton);
    EXPECT_FALSE(QFileInfo(book.dir.file(kBook)).isFile());
}

TEST(AddressBookWindow, AFailedSaveKeepsTheWindowOpenWithItsList) {
    Book book(sixPeople());
    ASSERT_TRUE(book.open());
    clickRow(book.form4, 1);
    // The file becomes something that cannot be replaced.
    ASSERT_TRUE(QFile::remove(book.dir.file(kBook)));
    ASSERT_TRUE(QDir(book.dir.path()).mkdir(kBook));
    {
        MessageBoxScript boxes;
        boxes.answer(Answer::Ok);
        QTest::mouseClick(book.form4->ToolButton3, Qt::LeftButton);
        ASSERT_EQ(boxes.shown().size(), 1);
        EXPECT_EQ(boxes.shown()[0].caption, QStringLiteral("Mirvane"));
    }
    EXPECT_TRUE(book.form4->isVisible());
    EXPECT_EQ(book.form4->model()->book(), sixPeople());
    EXPECT_EQ(book.form4->currentRow(), 1);

    ASSERT_TRUE(QDir(book.dir.path()).rmdir(kBook));
    QTest::mouseClick(book.form4->ToolButton3, Qt::LeftButton);
    EXPECT_FALSE(book.form4->isVisible());
    EXPECT_EQ(storedBook(book.dir), sixPeople());
}
