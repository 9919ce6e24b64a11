// draw_palette FONT.ttf OUT.bin
//
// Draws the palette's 252 pictographs ahead, with the palette's own drawing, at 12
// pixels and scale 1 in the window font, and writes their coverage for the program to
// embed (composer/pictograph_pictures.h). Run by the build on the offscreen platform.
#include <QFile>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>
#include <cstring>

#include "codepage/pictograph_table.h"
#include "composer/pictograph_glyph.h"
#include "composer/pictograph_pictures.h"
#include "toolkit/fonts.h"

namespace {

template <typename T>
void append(QByteArray& out, T value) {
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: draw_palette FONT.ttf OUT.bin\n", stderr);
        return 2;
    }
    QGuiApplication app(argc, argv);
    const int id = QFontDatabase::addApplicationFont(QString::fromLocal8Bit(argv[1]));
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    if (families.isEmpty()) {
        std::fprintf(stderr, "draw_palette: cannot load %s\n", argv[1]);
        return 1;
    }
    toolkit::fonts::setPictographFamily(families.front());
    const QFont font = toolkit::fonts::windowFont();
    const QFontMetricsF metrics(font);

    constexpr int side = pictograph_glyph::kButtonSize;
    QByteArray out;
    out.append(pictograph_pictures::kMagic, 4);
    append<quint32>(out, pictograph_pictures::kFormat);
    append<double>(out, metrics.ascent());
    append<double>(out, metrics.height());
    append<quint32>(out, quint32(font.pixelSize()));
    QByteArray entries;
    quint32 count = 0;
    for (int tab = 0; tab < pictographs::kTabCount; ++tab) {
        for (char32_t cp : pictographs::tabCodes(tab)) {
            const QImage image = pictograph_glyph::buttonPicture(cp, font, metrics);
            append<quint32>(entries, quint32(cp));
            for (int y = 0; y < side; ++y) {
                const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
                for (int x = 0; x < side; ++x)
                    entries.append(char(qAlpha(line[x])));
            }
            ++count;
        }
    }
    append<quint32>(out, count);
    out.append(entries);
    QFile file(QString::fromLocal8Bit(argv[2]));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(out) != out.size() ||
        !file.flush()) {
        std::fprintf(stderr, "draw_palette: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
