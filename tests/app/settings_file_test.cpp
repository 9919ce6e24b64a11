#include <gtest/gtest.h>

#include "app/settings_file.h"
#include "support/test_support.h"
#include "toolkit/file_error.h"

TEST(SettingsFile, PathIsTheExecutablesWithIni) {
    TempProgramDir dir;
    EXPECT_EQ(settings_file::path(), dir.file(QStringLiteral("mirvane.ini")));
    EXPECT_EQ(settings_file::pathWithExtension(QStringLiteral(".hlp")),
              dir.file(QStringLiteral("mirvane.hlp")));
    EXPECT_EQ(settings_file::programFile(QStringLiteral("log.txt")),
              dir.file(QStringLiteral("log.txt")));
}

TEST(SettingsFile, ModifyWritesBackEvenWhenTheChangeFails) {
    TempProgramDir dir;
    EXPECT_THROW(settings_file::modify([](IniDocument& doc) {
                     doc.writeInteger("Window", "Top2", 5);
                     throw FileError(FileError::Kind::Open, QStringLiteral("x"));
                 }),
                 FileError);
    EXPECT_EQ(dir.read(QStringLiteral("mirvane.ini")), QByteArray("[Window]\r\nTop2=5\r\n\r\n"));
}

TEST(SettingsFile, SubjectPhrasesStopAtAGapAndAnEmptyListLeavesNoSection) {
    IniDocument doc = IniDocument::fromBytes(
        "[Subject]\r\nAttachSubject(Items[0])=Re:\r\nAttachSubject(Items[1])=  \r\n"
        "AttachSubject(Items[3])=lost\r\n");
    const auto phrases = settings_file::readSubjectPhrases(doc);
    ASSERT_TRUE(phrases.has_value());
    EXPECT_EQ(*phrases, (QList<QByteArray>{"Re:", ""}));

    EXPECT_FALSE(settings_file::readSubjectPhrases(IniDocument::fromBytes("[Subject]\r\n")));
    EXPECT_FALSE(settings_file::readSubjectPhrases(IniDocument()));

    QList<QByteArray> eleven;
    for (int i = 0; i < 11; ++i)
        eleven.append("p" + QByteArray::number(i));
    settings_file::writeSubjectPhrases(doc, eleven);
    EXPECT_EQ(doc.readString("Subject", "AttachSubject(Items[10])"), QByteArray("p10"));
    EXPECT_FALSE(doc.valueExists("Subject", "AttachSubject(Items[11])"));
    settings_file::writeSubjectPhrases(doc, {});
    EXPECT_FALSE(doc.sectionNames().contains("Subject"));
}
