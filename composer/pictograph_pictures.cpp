#include "composer/pictograph_pictures.h"

#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <cstring>

#include "composer/pictograph_glyph.h"

// The resource lives in a static library: without this reference the linker would
// drop it. Q_INIT_RESOURCE must be used outside any namespace.
static void initResource() {
    Q_INIT_RESOURCE(pictograph_font);
}

namespace pictograph_pictures {
namespace {

constexpr int kPicture = pictograph_glyph::kButtonSize * pictograph_glyph::kButtonSize;
constexpr int kHeader = 4 + 4 + 8 + 8 + 4 + 4;

struct Pictures {
    QByteArray file;
    double ascent = 0;
    double height = 0;
    quint32 pixelSize = 0;
    QHash<char32_t, qsizetype> at;
};

template <typename T>
T readAt(const QByteArray& file, qsizetype offset) {
    T value;
    std::memcpy(&value, file.constData() + offset, sizeof value);
    return value;
}

Pictures load() {
    initResource();
    Pictures p;
    QFile file(QStringLiteral(":/fonts/palette_pictures.bin"));
    if (!file.open(QIODevice::ReadOnly))
        return p;
    p.file = file.readAll();
    if (p.file.size() < kHeader || std::memcmp(p.file.constData(), kMagic, 4) != 0 ||
        readAt<quint32>(p.file, 4) != kFormat)
        return {};
    p.ascent = readAt<double>(p.file, 8);
    p.height = readAt<double>(p.file, 16);
    p.pixelSize = readAt<quint32>(p.file, 24);
    const quint32 count = readAt<quint32>(p.file, 28);
    if (p.file.size() != kHeader + qsizetype(count) * (4 + kPicture))
        return {};
    for (quint32 i = 0; i < count; ++i) {
        const qsizetype entry = kHeader + qsizetype(i) * (4 + kPicture);
        p.at.insert(readAt<quint32>(p.file, entry), entry + 4);
    }
    return p;
}

}  // namespace

const uchar* coverage(char32_t cp, const QFont& font, const QFontMetricsF& metrics) {
    static const Pictures pictures = load();
    if (pictures.at.isEmpty() || font.pixelSize() != int(pictures.pixelSize) ||
        metrics.ascent() != pictures.ascent || metrics.height() != pictures.height)
        return nullptr;
    const auto found = pictures.at.constFind(cp);
    if (found == pictures.at.cend())
        return nullptr;
    return reinterpret_cast<const uchar*>(pictures.file.constData()) + *found;
}

}  // namespace pictograph_pictures
