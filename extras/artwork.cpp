#include "extras/artwork.h"

#include <QFile>

// The resource lives in a static library: without this reference the linker would
// drop it. Q_INIT_RESOURCE must be used outside any namespace.
static void initResource() {
    Q_INIT_RESOURCE(artwork);
}

namespace artwork {

QByteArray aboutBackgroundJpeg() {
    initResource();
    QFile file(QStringLiteral(":/artwork/about.jpg"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QImage programIconImage() {
    initResource();
    return QImage(QStringLiteral(":/artwork/mirvane.png"));
}

QIcon programIcon() {
    initResource();
    // With their sizes given, the pictures are read when a size is first drawn, not
    // while the program starts.
    QIcon icon;
    icon.addFile(QStringLiteral(":/artwork/mirvane-16.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/artwork/mirvane.png"), QSize(32, 32));
    for (int size : {48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/artwork/mirvane-%1.png").arg(size), QSize(size, size));
    return icon;
}

}  // namespace artwork
