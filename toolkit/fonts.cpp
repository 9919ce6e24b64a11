#include "toolkit/fonts.h"

#include <QStringList>

namespace toolkit::fonts {
namespace {

QFont make(const QStringList& families) {
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

}  // namespace toolkit::fonts
