// Rewrites the file named on the command line in a loop, each time wholly with one
// letter, until it is killed; says "saved" once after the first save.
#include <cstdio>

#include <QByteArray>
#include <QString>

#include "app/atomic_save.h"

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    const QString path = QString::fromLocal8Bit(argv[1]);
    for (unsigned i = 0;; ++i) {
        atomicSave(path, QByteArray(64 * 1024, char('a' + i % 26)));
        if (i == 0) {
            std::puts("saved");
            std::fflush(stdout);
        }
    }
}
