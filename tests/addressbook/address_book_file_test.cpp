#include <gtest/gtest.h>

#include <QDir>

#include "address_book_test_support.h"
#include "addressbook/address_book.h"
#include "addressbook/reading_collator.h"
#include "app/ini_document.h"
#include "support/test_support.h"
#include "toolkit/cp932.h"
#include "toolkit/file_error.h"

using address_test::entry;

TEST(AddressBookFile, ScramblingIsItsOwnInverseAndKeepsTheByteLength) {
    const QByteArray plain = cp932::encode(QStringLiteral("山田太郎 taro@example.jp ｱｲ"));
    const QByteArray scrambled = ScrambleValue(plain);
    EXPECT_EQ(scrambled.size(), plain.size());
    EXPECT_NE(scrambled, plain);
    EXPECT_EQ(ScrambleValue(scrambled), plain);
    // Byte by byte: the lead and trail byte of a double-byte character separately.
    EXPECT_EQ(ScrambleValue("\x8E\x52"), QByteArray("\x85\x59"));
}

TEST(AddressBookFile, TwoEntriesAreWrittenByteForByte) {
    TempProgramDir dir;
    address_book::save(address_book::path(), {entry("ab", "c", ""), entry("x", "", "m@n")});
    EXPECT_EQ(dir.read(QStringLiteral("address.ini")),
              QByteArray("[Address]\r\n"
                         "Name0=ji\r\nKana0=h\r\nAddress0=\r\n"
                         "Name1=s\r\nKana1=\r\nAddress1=fKe\r\n"
                         "\r\n"));
}

TEST(AddressBookFile, HandEditedFilesLoadAsStored) {
    TempProgramDir dir;
    // Capital key, missing reading key, a gap after entry 1.
    dir.write(QStringLiteral("address.ini"),
              "[Other]\r\nkeep=1\r\n\r\n[address]\r\nNAME0=ji\r\nADDRESS0=fKe\r\n"
              "Name1=\r\nName3=s\r\n");
    const TAddressBook book = address_book::load(address_book::path());
    ASSERT_EQ(book.size(), 2);
    EXPECT_EQ(book[0], entry("ab", "", "m@n"));
    // An empty name value still counts as present.
    EXPECT_EQ(book[1], entry("", "", ""));

    address_book::save(address_book::path(), book);
    EXPECT_EQ(dir.read(QStringLiteral("address.ini")),
              QByteArray("[Other]\r\nkeep=1\r\n\r\n[Address]\r\n"
                         "Name0=ji\r\nKana0=\r\nAddress0=fKe\r\n"
                         "Name1=\r\nKana1=\r\nAddress1=\r\n\r\n"));
}

TEST(AddressBookFile, AnEmptyBookLeavesNoSectionAndKeepsTheOthers) {
    TempProgramDir dir;
    dir.write(QStringLiteral("address.ini"),
              "[Address]\r\nName0=ji\r\n\r\n[Other]\r\nkeep=1\r\n\r\n");
    address_book::save(address_book::path(), {});
    EXPECT_EQ(dir.read(QStringLiteral("address.ini")), QByteArray("[Other]\r\nkeep=1\r\n\r\n"));
}

TEST(AddressBookFile, WhatIsStorableComesBackUnchanged) {
    // "+" and control characters at the ends would be trimmed away at load.
    const QList<QByteArray> values = {"+81 90",
                                      "taro+",
                                      "\tname",
                                      "a\x01"
                                      "b",
                                      "a+b",
                                      " spaced ",
                                      cp932::encode(QStringLiteral("＋全角＋")),
                                      cp932::encode(QStringLiteral("ア+")),
                                      "++",
                                      ""};
    for (const QByteArray& v : values) {
        const QByteArray kept = address_book::storable(v);
        TAddressBook book = {{kept, kept, kept}};
        IniDocument doc;
        address_book::write(doc, book);
        const TAddressBook back = address_book::read(IniDocument::fromBytes(doc.toBytes()));
        ASSERT_EQ(back.size(), 1) << v.toStdString();
        EXPECT_EQ(back[0], book[0]) << v.toStdString();
    }
    EXPECT_EQ(address_book::storable("+81 90+"), QByteArray("81 90"));
    EXPECT_EQ(address_book::storable("a+b"), QByteArray("a+b"));
    EXPECT_EQ(address_book::storable(" spaced "), QByteArray(" spaced "));
    EXPECT_EQ(address_book::storable("a\x01"
                                     "b\r\n"),
              QByteArray("ab"));
    // A double-byte character whose trail byte looks like "+" or a control is kept.
    const QByteArray kana = cp932::encode(QStringLiteral("ソ表"));
    EXPECT_EQ(address_book::storable(kana), kana);
}

TEST(AddressBookFile, FilesThatCannotBeReadAreReported) {
    TempProgramDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("address.ini")));
    EXPECT_THROW(address_book::load(address_book::path()), FileError);
    EXPECT_THROW(address_book::save(address_book::path(), {}), FileError);
}

TEST(ReadingOrder, KanaTypeWidthAndCaseAreNeverEqual) {
    const ReadingCollator collator;
    auto cmp = [&](const char* a, const char* b) {
        return collator.compare(cp932::encode(QString::fromUtf8(a)),
                                cp932::encode(QString::fromUtf8(b)));
    };
    EXPECT_NE(cmp("あ", "ア"), 0);
    EXPECT_NE(cmp("Ａ", "A"), 0);
    EXPECT_NE(cmp("a", "A"), 0);
    EXPECT_NE(cmp("ｱ", "ア"), 0);
    EXPECT_EQ(cmp("かな", "かな"), 0);
    // Antisymmetric, and kana in their own order.
    EXPECT_EQ(cmp("あ", "ア") < 0, cmp("ア", "あ") > 0);
    EXPECT_LT(cmp("あ", "い"), 0);
    EXPECT_LT(cmp("か", "かき"), 0);
    EXPECT_LT(cmp("", "あ"), 0);
}
