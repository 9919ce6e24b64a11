#include "app/settings_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace settings_file {
namespace {

QString& testDirectory() {
    static QString dir;
    return dir;
}

QByteArray phraseKey(int i) {
    return "AttachSubject(Items[" + QByteArray::number(i) + "])";
}

}  // namespace

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

QString path() {
    return pathWithExtension(QStringLiteral(".ini"));
}

IniDocument open() {
    return IniDocument(path());
}

std::optional<QList<QByteArray>> readSubjectPhrases(const IniDocument& doc) {
    if (!doc.sectionExists("Subject"))
        return std::nullopt;
    QList<QByteArray> phrases;
    for (int i = 0;; ++i) {
        const QByteArray key = phraseKey(i);
        if (!doc.valueExists("Subject", key))
            break;
        phrases.append(doc.readString("Subject", key));
    }
    return phrases;
}

void writeSubjectPhrases(IniDocument& doc, const QList<QByteArray>& phrases) {
    doc.eraseSection("Subject");
    for (int i = 0; i < phrases.size(); ++i)
        doc.writeString("Subject", phraseKey(i), phrases[i]);
}

}  // namespace settings_file
