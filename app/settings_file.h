#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

#include "app/ini_document.h"

// Where the program's files are, and the settings file (the executable's path with
// ".ini") opened through IniDocument.
namespace settings_file {

// Where the settings file, the address book and the history live. Beside the program
// for a build tree and for an install the user owns; in the user's own folders when
// the program directory is a system install or not the user's to write.
enum class Place { ProgramDirectory, UserFolders };

// The file a system install (a package, an install made by root) puts in the program
// directory: such a directory is shared by every user and never holds their files.
inline constexpr char kSystemInstallMarker[] = "system-install";

// The place for a program in `dir`: the program directory only when it holds no
// system-install marker, belongs to the effective user and can be written by them.
// Root therefore never keeps files in a system install, nor in another user's one.
Place placeFor(const QString& dir);

// Decides the place once, at start, for the running program, and creates the user's
// folders (0700) when they are used. Until it is called, the program directory.
void decidePlace();
Place place();

// The user's folders after the XDG rules: $XDG_CONFIG_HOME/mirvane and
// $XDG_DATA_HOME/mirvane; an unset, empty or relative variable means ~/.config or
// ~/.local/share.
QString userConfigDirectory();
QString userDataDirectory();

// The running executable's directory, or the directory set for tests.
QString programDirectory();
// The running executable's full path (inside the test directory when one is set).
QString executablePath();
// Tests only: puts every file of the program into `dir`, so tests never touch a real
// user's files (the place is then always that directory). An empty string goes back
// to the executable's directory.
void setProgramDirectoryForTests(const QString& dir);

// The executable's path with its extension replaced by `extension` (".ini", ".hlp");
// appended when the file name has none.
QString pathWithExtension(const QString& extension);
// A file of the program directory found by name ("emoji.exe").
QString programFile(const QString& fileName);
// A file the program keeps for the user, found by name ("address.ini", "log.txt"): in
// the program directory or the user's data folder, after the place.
QString dataFile(const QString& fileName);

// The settings file's path, computed afresh at every call: beside the executable, or
// with the same name in the user's config folder.
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
