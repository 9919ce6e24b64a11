#include "toolkit/fonts.h"

#include <QStringList>

namespace toolkit::fonts {
namespace {

QString& pictographs() {
    static QString family;
    return family;
}

QFont make(QStringList families) {
    // The Japanese fonts have no glyphs in the private use area, so the pictographs
    // fall through to the next family; it must be ours, not the system's fallback.
    if (!pictographs().isEmpty())
        families.append(pictographs());
    QFont f;
    f.setFamilies(families);
    f.setPixelSize(12);
    return f;
}

}  // namespace

QFont windowFont() {
    return make({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                 QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic")});
}

QFont fieldFont() {
    return make({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic"),
                 QStringLiteral("IPAGothic")});
}

void setPictographFamily(const QString& family) {
    pictographs() = family;
}

QString pictographFamily() {
    return pictographs();
}

}  // namespace toolkit::fonts
