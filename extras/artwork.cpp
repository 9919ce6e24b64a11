#include "extras/artwork.h"

#include <QFile>
#include <QIconEngine>
#include <QMap>
#include <QPainter>
#include <QPixmap>
#include <array>

// The resource lives in a static library: without this reference the linker would
// drop it. Q_INIT_RESOURCE must be used outside any namespace.
static void initResource() {
    Q_INIT_RESOURCE(artwork);
}

namespace artwork {
namespace {

// The program icon in every size painted, each picture read the first time its size is
// drawn: QIcon::addFile decodes every file at once, while the program starts.
class ProgramIconEngine : public QIconEngine {
  public:
    QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override {
        // The smallest picture that covers the size, else the largest; scaled down only,
        // as Qt's own engine does.
        const int wanted = qMax(size.width(), size.height());
        int side = kSides.back();
        for (int s : kSides) {
            if (s >= wanted) {
                side = s;
                break;
            }
        }
        QPixmap& picture = pictures_[side];
        if (picture.isNull()) {
            picture.load(side == 32 ? QStringLiteral(":/artwork/mirvane.png")
                                    : QStringLiteral(":/artwork/mirvane-%1.png").arg(side));
        }
        if (picture.width() > size.width() || picture.height() > size.height())
            return picture.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        return picture;
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatio() : 1.0;
        painter->drawPixmap(rect, pixmap(rect.size() * ratio, mode, state));
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (int s : kSides)
            sizes.append(QSize(s, s));
        return sizes;
    }

    QIconEngine* clone() const override { return new ProgramIconEngine(*this); }

  private:
    static constexpr std::array<int, 6> kSides = {16, 32, 48, 64, 128, 256};
    QMap<int, QPixmap> pictures_;
};

}  // namespace

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
    return QIcon(new ProgramIconEngine);
}

}  // namespace artwork
