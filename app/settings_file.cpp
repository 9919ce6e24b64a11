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
