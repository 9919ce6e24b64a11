// bsendmail SERVER TO FROM SUBJECT BODYFILE [ATTACHMENT]
//
// Sends one mail through BSendMail, for trying a server by hand and for benchmarks. The
// arguments are in the user's locale and go to the library in code page 932; BODYFILE's
// bytes are the body as they stand (code page 932). Exit status 0 when the mail was sent,
// otherwise 1 with the library's message on stderr.

#include "bsmtp/bsmtp.h"
#include "bsmtp/cp932_text.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstdio>

namespace {

int fail(const QString& message) {
    std::fprintf(stderr, "bsendmail: %s\n", message.toLocal8Bit().constData());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6 && argc != 7) {
        std::fprintf(stderr, "usage: bsendmail SERVER TO FROM SUBJECT BODYFILE [ATTACHMENT]\n");
        return 1;
    }
    QByteArray args[5];
    const int textArgs[] = {1, 2, 3, 4, 6};
    for (int i = 0; i < 5; ++i) {
        const int index = textArgs[i];
        if (index >= argc) {
            break;
        }
        std::optional<QByteArray> cp932 = bsmtp::encodeCp932(QString::fromLocal8Bit(argv[index]));
        if (!cp932) {
            return fail(
                QStringLiteral("argument %1 cannot be written in code page 932").arg(index));
        }
        args[i] = *cp932;
    }
    QFile bodyFile(QString::fromLocal8Bit(argv[5]));
    if (!bodyFile.open(QIODevice::ReadOnly)) {
        return fail(
            QStringLiteral("cannot read %1: %2").arg(bodyFile.fileName(), bodyFile.errorString()));
    }
    const QByteArray body = bodyFile.readAll();
    if (body.contains('\0')) {
        return fail(QStringLiteral("%1 holds a zero byte").arg(bodyFile.fileName()));
    }

    char error[81] = {};
    if (BSendMail(args[0].constData(), args[1].constData(), args[2].constData(),
                  args[3].constData(), body.constData(), args[4].constData(), error) != 0) {
        return 0;
    }
    const QString text = bsmtp::decodeCp932(error).value_or(QString::fromLatin1(error));
    return fail(text);
}
