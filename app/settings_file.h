#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

#include "app/ini_document.h"

// Where the program's files are, and the settings file (the executable's path with
// ".ini") opened through IniDocument.
namespace settings_file {

// The running executable's directory, or the directory set for tests.
QString programDirectory();
// The running executable's full path (inside the test directory when one is set).
QString executablePath();
// Tests only: puts every file of the program into `dir`, so tests never touch a real
// user's files. An empty string goes back to the executable's directory.
void setProgramDirectoryForTests(const QString& dir);

// The executable's path with its extension replaced by `extension` (".ini", ".hlp");
// appended when the file name has none.
QString pathWithExtension(const QString& extension);
// A file of the program directory found by name ("address.ini", "log.txt").
QString programFile(const QString& fileName);

// The settings file's path, computed afresh at every call.
QString path();
// Opens the settings file (throws FileError(Open) when it exists but cannot be read).
IniDocument open();

// Opens the settings file, runs `change` on it and writes it back whatever branch
// `change` took; when `change` throws, the file is still written back and the error
// goes on (a failed write-back then wins).
template <class F>
void modify(F&& change) {
    IniDocument doc = open();
    try {
        change(doc);
    } catch (...) {
        doc.writeBack();
        throw;
    }
    doc.writeBack();
}

// The key of subject phrase `i`: "AttachSubject(Items[" i "])".
QByteArray subjectPhraseKey(qsizetype i);

// Passes each subject phrase of section "Subject" to `take`, in order, up to the first
// gap in the numbering. Returns false, passing nothing, when the section is missing or
// empty (the built-in list stands). Each phrase costs one lookup.
template <class F>
bool forEachSubjectPhrase(const IniDocument& doc, F&& take) {
    if (!doc.sectionExists("Subject"))
        return false;
    for (qsizetype i = 0;; ++i) {
        const QByteArray key = subjectPhraseKey(i);
        if (!doc.valueExists("Subject", key))
            return true;
        take(doc.readString("Subject", key));
    }
}

// The subject phrases as a list: nullopt when the built-in list stands.
std::optional<QList<QByteArray>> readSubjectPhrases(const IniDocument& doc);
// Replaces section "Subject" by `phrases`; an empty list leaves no section.
void writeSubjectPhrases(IniDocument& doc, const QList<QByteArray>& phrases);

}  // namespace settings_file
