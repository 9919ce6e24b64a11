// Does one file operation of the program and says how it went, so that tests can run
// it under a memory limit, an injected system-call error or another user:
//   read PATH        loads PATH as an IniDocument
//   save PATH TEXT   replaces PATH by TEXT through the atomic save
//   log PATH         puts one history entry on top of PATH
//   place DIR        where a program in DIR keeps its files, printed instead of "ok"
// Prints "ok" and exits 0, or prints the error report's text and exits 3.
#include <cstdio>

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include "app/atomic_save.h"
#include "app/ini_document.h"
#include "app/settings_file.h"
#include "sending/history_log.h"
#include "toolkit/file_error.h"

int main(int argc, char** argv) {
    if (argc < 3)
        return 2;
    const QByteArray command = argv[1];
    const QString path = QString::fromLocal8Bit(argv[2]);
    try {
        if (command == "read") {
            IniDocument doc(path);
        } else if (command == "save" && argc >= 4) {
            atomicSave(path, QByteArray(argv[3]));
        } else if (command == "place") {
            const bool beside =
                settings_file::placeFor(path) == settings_file::Place::ProgramDirectory;
            std::fputs(beside ? "program directory" : "user folders", stdout);
            return 0;
        } else if (command == "log") {
            history_log::Entry entry;
            entry.to = QStringLiteral("friend@example.jp");
            entry.body = QStringLiteral("body");
            history_log::append(path, entry, QDateTime(QDate(2024, 5, 1), QTime(9, 30, 15)));
        } else {
            return 2;
        }
    } catch (const FileError& e) {
        std::fputs(e.message().toUtf8().constData(), stdout);
        return 3;
    }
    std::fputs("ok", stdout);
    return 0;
}
