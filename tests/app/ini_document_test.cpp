#include <gtest/gtest.h>

#include "app/ini_document.h"

TEST(IniDocument, LoadingTrimsSkipsCommentsAndKeepsBareLines) {
    const IniDocument doc = IniDocument::fromBytes(
        "stray=1\r\n"
        "  [ Setting ]  \n"
        "\t SMTP = mail.example.jp \r"
        "; a comment\r\n"
        "\r\n"
        "bare line  \r\n"
        "From=\x82\xa0\x81\x40\r\n"  // "あ" then a full-width space, which is not trimmed
        "[Empty]\r\n");
    EXPECT_EQ(doc.sectionNames(), (QList<QByteArray>{"Setting", "Empty"}));
    EXPECT_EQ(doc.readString("Setting", "SMTP"), QByteArray("mail.example.jp"));
    EXPECT_EQ(doc.readString("setting", "from"), QByteArray("\x82\xa0\x81\x40"));
    EXPECT_FALSE(doc.valueExists("Setting", "stray"));
    EXPECT_EQ(
        doc.toBytes(),
        QByteArray("[Setting]\r\nSMTP=mail.example.jp\r\nbare line\r\nFrom=\x82\xa0\x81\x40\r\n\r\n"
                   "[Empty]\r\n\r\n"));
    EXPECT_TRUE(doc.sectionExists("Setting"));
    EXPECT_FALSE(doc.sectionExists("Empty"));  // a header alone counts as missing
    EXPECT_FALSE(doc.sectionExists("Subject"));
}

TEST(IniDocument, WritesReplaceInPlaceWithTheWritersCaseAndAppendOtherwise) {
    IniDocument doc =
        IniDocument::fromBytes("[window]\r\ntop1=5\r\nLeft1=6\r\n[Setting]\r\nBeep=0\r\n");
    doc.writeInteger("Window", "Top1", 272);
    doc.writeInteger("Window", "Width1", 297);
    doc.writeString("Subject", "AttachSubject(Items[0])", "Re:");
    EXPECT_EQ(doc.toBytes(), QByteArray("[window]\r\nTop1=272\r\nLeft1=6\r\nWidth1=297\r\n\r\n"
                                        "[Setting]\r\nBeep=0\r\n\r\n"
                                        "[Subject]\r\nAttachSubject(Items[0])=Re:\r\n\r\n"));
    // An erased section written again moves to the end.
    doc.eraseSection("WINDOW");
    doc.eraseSection("Missing");
    doc.writeInteger("Window", "Top1", 1);
    EXPECT_EQ(doc.sectionNames(), (QList<QByteArray>{"Setting", "Subject", "Window"}));
}

TEST(IniDocument, ValueTypes) {
    IniDocument doc = IniDocument::fromBytes(
        "[S]\r\nn=-12\r\nh=$1F\r\nx=0x10\r\nu=0XfF\r\nw=false\r\ne=\r\nb=2\r\nbig=99999999999\r\n");
    EXPECT_EQ(doc.readInteger("S", "n", 0), -12);
    EXPECT_EQ(doc.readInteger("S", "h", 0), 31);
    EXPECT_EQ(doc.readInteger("S", "x", 0), 16);
    EXPECT_EQ(doc.readInteger("S", "u", 0), 255);
    EXPECT_EQ(doc.readInteger("S", "w", 7), 7);
    EXPECT_EQ(doc.readInteger("S", "e", 7), 7);
    EXPECT_EQ(doc.readInteger("S", "big", 7), 7);
    EXPECT_EQ(doc.readInteger("S", "none", 7), 7);
    // A word is no integer: "false" still reads as the default true.
    EXPECT_TRUE(doc.readBool("S", "w", true));
    EXPECT_TRUE(doc.readBool("S", "b", false));
    doc.writeBool("S", "w", false);
    EXPECT_EQ(doc.readString("S", "w"), QByteArray("0"));

    doc.writeMultiLine("S", "Signature", "--\r\n\x82\xa0\r\nend");
    EXPECT_EQ(doc.readString("S", "Signature"), QByteArray("--\t\x82\xa0\tend"));
    EXPECT_EQ(doc.readMultiLine("S", "Signature"), QByteArray("--\r\n\x82\xa0\r\nend"));
    // A line break of any kind inside a value must not split the entry.
    doc.writeString("S", "odd", "a\nb");
    doc.writeMultiLine("S", "ml", "a\nb\rc");
    const IniDocument again = IniDocument::fromBytes(doc.toBytes());
    EXPECT_EQ(again.readString("S", "odd"), QByteArray("a b"));
    EXPECT_EQ(again.readMultiLine("S", "ml"), QByteArray("a\r\nb\r\nc"));
    EXPECT_EQ(again.readInteger("S", "n", 0), -12);
}

TEST(IniDocument, ShiftJisBytesRoundTripAndTrailBytesAreNotCaseFolded) {
    // "ア" is 83 41 and "ヂ" is 83 61: their trail bytes are 'A' and 'a'.
    IniDocument doc;
    doc.writeString("S", "\x83\x41", "one");
    doc.writeString("S", "\x83\x61", "two");
    EXPECT_EQ(doc.readString("S", "\x83\x41"), QByteArray("one"));
    EXPECT_EQ(doc.readString("S", "\x83\x61"), QByteArray("two"));
    const QByteArray value("\x95\x5c\x8e\xa6\x81\x5b\x5c\xf8\x9f");  // 表示ー\ and a pictograph
    doc.writeString("S", "v", value);
    EXPECT_EQ(IniDocument::fromBytes(doc.toBytes()).readString("S", "v"), value);
}

TEST(IniDocument, ParsesIntegersStrictly) {
    int v = 0;
    EXPECT_TRUE(parseIniInteger("+5", &v));
    EXPECT_EQ(v, 5);
    EXPECT_TRUE(parseIniInteger("-2147483648", &v));
    EXPECT_EQ(v, INT_MIN);
    EXPECT_TRUE(parseIniInteger("$FFFFFFFF", &v));
    EXPECT_EQ(v, -1);
    for (const char* bad : {"", "-", "$", "0x", "1 2", "12a", "2147483648", "yes"}) {
        EXPECT_FALSE(parseIniInteger(bad, &v)) << bad;
    }
}

TEST(IniDocument, NamesEndingInALoneLeadByteMatchThemselves) {
    IniDocument doc = IniDocument::fromBytes("[A\x81]\r\nK\x81=1\r\n\x81=2\r\n");
    EXPECT_TRUE(doc.sectionExists("A\x81"));
    EXPECT_TRUE(doc.sectionExists("a\x81"));  // the ASCII letter before it still folds
    EXPECT_EQ(doc.readString("A\x81", "K\x81"), QByteArray("1"));
    EXPECT_EQ(doc.readString("A\x81", "\x81"), QByteArray("2"));
    EXPECT_FALSE(doc.valueExists("A\x81", "K\x82"));
    EXPECT_FALSE(doc.valueExists("A\x81", "K"));
    // Writes replace the entries in place instead of adding duplicates.
    doc.writeString("A\x81", "k\x81", "3");
    doc.writeString("A\x81", "\x81", "4");
    EXPECT_EQ(doc.toBytes(), QByteArray("[A\x81]\r\nk\x81=3\r\n\x81=4\r\n\r\n"));
    // A lead byte followed by its trail byte is still one character: "\x81" + "A" is
    // not "\x81" + "a".
    doc.writeString("A\x81", "\x81\x41", "x");
    EXPECT_FALSE(doc.valueExists("A\x81", "\x81\x61"));
}

TEST(IniDocument, DuplicatesTheFirstEntryAndTheFirstSectionWin) {
    IniDocument doc = IniDocument::fromBytes(
        "[S]\r\nKey=first\r\nbare\r\nkey=second\r\n[Other]\r\nx=1\r\n[s]\r\nKey=third\r\nonly="
        "here\r\n");
    EXPECT_EQ(doc.readString("S", "KEY"), QByteArray("first"));
    EXPECT_FALSE(doc.valueExists("S", "only"));  // the second [s] is never looked into
    doc.writeString("s", "KEY", "new");
    doc.writeString("S", "bare", "entry");  // a bare line is no key
    EXPECT_EQ(doc.toBytes(), QByteArray("[S]\r\nKEY=new\r\nbare\r\nkey=second\r\nbare=entry\r\n\r\n"
                                        "[Other]\r\nx=1\r\n\r\n"
                                        "[s]\r\nKey=third\r\nonly=here\r\n\r\n"));
    // Erasing takes every section of that name; the next write starts a new one at the end.
    doc.eraseSection("S");
    EXPECT_FALSE(doc.valueExists("S", "Key"));
    EXPECT_EQ(doc.readString("Other", "x"), QByteArray("1"));
    doc.writeString("S", "Key", "again");
    EXPECT_EQ(doc.toBytes(), QByteArray("[Other]\r\nx=1\r\n\r\n[S]\r\nKey=again\r\n\r\n"));
}

TEST(IniDocument, ManyKeysStayInOrderAndFindableWhileTheIndexGrows) {
    QByteArray file = "[Book]\r\n";
    for (int i = 0; i < 3000; ++i)
        file += "Name" + QByteArray::number(i) + "=n" + QByteArray::number(i) + "\r\n";
    IniDocument doc = IniDocument::fromBytes(file);
    for (int i = 0; i < 3000; ++i)
        doc.writeString("book", "KANA" + QByteArray::number(i), "k" + QByteArray::number(i));
    for (int i = 0; i < 6000; i += 2)
        doc.writeString("BOOK", "name" + QByteArray::number(i), "m" + QByteArray::number(i));
    for (int i = 0; i < 3000; ++i) {
        const QByteArray n = QByteArray::number(i);
        ASSERT_EQ(doc.readString("Book", "Name" + n), (i % 2 ? "n" : "m") + n) << i;
        ASSERT_EQ(doc.readString("Book", "kana" + n), "k" + n) << i;
    }
    // Keys past 2999 did not exist: they went to the end, after the readings.
    const QList<QByteArray> lines = doc.toBytes().split('\n');
    ASSERT_EQ(lines.size(), 1 + 3000 + 3000 + 1500 + 2);
    EXPECT_EQ(lines[1], QByteArray("name0=m0\r"));
    EXPECT_EQ(lines[2], QByteArray("Name1=n1\r"));
    EXPECT_EQ(lines[3001], QByteArray("KANA0=k0\r"));
    EXPECT_EQ(lines[6001], QByteArray("name3000=m3000\r"));
}

TEST(IniDocument, CopiesChangeIndependently) {
    IniDocument a = IniDocument::fromBytes("[S]\r\nk=loaded\r\n");
    a.writeString("S", "w", "written");
    IniDocument b = a;
    a.writeString("S", "k", "a");
    b.writeString("S", "k", "b");
    b.writeString("S", "w", "bw");
    a = IniDocument();
    EXPECT_EQ(b.toBytes(), QByteArray("[S]\r\nk=b\r\nw=bw\r\n\r\n"));
}
