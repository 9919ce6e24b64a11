#include "app/settings_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace settings_file {
namespace {

QString& testDirectory() {
    static QString dir;
    return dir;
}

Place& decidedPlace() {
    static Place p = Place::ProgramDirectory;
    return p;
}

// An XDG base directory: the variable when it holds an absolute path, else the default
// under the home directory.
QString baseDirectory(const char* variable, const char* underHome) {
    const QString value = qEnvironmentVariable(variable);
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return QDir::cleanPath(value);
    return QDir::cleanPath(QDir::homePath() + u'/' + QLatin1String(underHome));
}

// Creates `dir` and each missing parent private to the user, as the XDG rules ask;
// folders that exist keep their mode. A failure shows later, at the first save.
void makePrivatePath(const QString& dir) {
    const QString parent = QFileInfo(dir).path();
    if (parent != dir && !QFileInfo::exists(parent))
        makePrivatePath(parent);
    ::mkdir(QFile::encodeName(dir).constData(), 0700);
}

}  // namespace

Place placeFor(const QString& dir) {
    const QByteArray native = QFile::encodeName(dir);
    if (QFileInfo::exists(QDir(dir).filePath(QLatin1String(kSystemInstallMarker))))
        return Place::UserFolders;
    struct stat st {};
    if (::stat(native.constData(), &st) != 0 || st.st_uid != ::geteuid())
        return Place::UserFolders;
    if (::faccessat(AT_FDCWD, native.constData(), W_OK, AT_EACCESS) != 0)
        return Place::UserFolders;
    return Place::ProgramDirectory;
}

void decidePlace() {
    decidedPlace() = placeFor(programDirectory());
    if (place() == Place::UserFolders) {
        makePrivatePath(userConfigDirectory());
        makePrivatePath(userDataDirectory());
    }
}

Place place() {
    if (!testDirectory().isEmpty())
        return Place::ProgramDirectory;
    return decidedPlace();
}

QString userConfigDirectory() {
    return baseDirectory("XDG_CONFIG_HOME", ".config") + QStringLiteral("/mirvane");
}

QString userDataDirectory() {
    return baseDirectory("XDG_DATA_HOME", ".local/share") + QStringLiteral("/mirvane");
}

void setProgramDirectoryForTests(const QString& dir) {
    testDirectory() = dir;
}

QString executablePath() {
    if (!testDirectory().isEmpty())
        return QDir(testDirectory()).filePath(QStringLiteral("mirvane"));
    QString exe = QCoreApplication::applicationFilePath();
    if (exe.isEmpty())
        exe = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    return exe;
}

QString programDirectory() {
    if (!testDirectory().isEmpty())
        return testDirectory();
    return QFileInfo(executablePath()).absolutePath();
}

QString pathWithExtension(const QString& extension) {
    const QString exe = executablePath();
    const qsizetype slash = exe.lastIndexOf(u'/');
    const qsizetype dot = exe.lastIndexOf(u'.');
    if (dot > slash + 1)
        return exe.left(dot) + extension;
    return exe + extension;
}

QString programFile(const QString& fileName) {
    return QDir(programDirectory()).filePath(fileName);
}

QString dataFile(const QString& fileName) {
    if (place() == Place::UserFolders)
        return QDir(userDataDirectory()).filePath(fileName);
    return programFile(fileName);
}

QString path() {
    const QString beside = pathWithExtension(QStringLiteral(".ini"));
    if (place() == Place::UserFolders)
        return QDir(userConfigDirectory()).filePath(QFileInfo(beside).fileName());
    return beside;
}

IniDocument open() {
    return IniDocument(path());
}

QByteArray subjectPhraseKey(qsizetype i) {
    return "AttachSubject(Items[" + QByteArray::number(i) + "])";
}

std::optional<QList<QByteArray>> readSubjectPhrases(const IniDocument& doc) {
    QList<QByteArray> phrases;
    if (!forEachSubjectPhrase(doc, [&](QByteArray phrase) { phrases.append(std::move(phrase)); }))
        return std::nullopt;
    return phrases;
}

void writeSubjectPhrases(IniDocument& doc, const QList<QByteArray>& phrases) {
    doc.eraseSection("Subject");
    for (qsizetype i = 0; i < phrases.size(); ++i)
        doc.writeString("Subject", subjectPhraseKey(i), phrases[i]);
}

}  // namespace settings_file
