#include "toolkit/fonts.h"

#include <QFontDatabase>
#include <QHash>
#include <QStringList>

namespace toolkit::fonts {
namespace {

QString& pictographs() {
    static QString family;
    return family;
}

// The families of `wanted` that are installed, in their order. Qt asks the system for
// substitutes of every family it cannot find, at each font it loads; that search over
// all the system's fonts costs more than the rest of the program's start together.
QStringList installed(const QStringList& wanted) {
    const QStringList all = QFontDatabase::families();
    QStringList found;
    for (const QString& family : wanted) {
        if (all.contains(family, Qt::CaseInsensitive))
            found.append(family);
    }
    // None of them: the first lets the system choose as before.
    if (found.isEmpty())
        found.append(wanted.front());
    return found;
}

QFont make(const QStringList& wanted) {
    static QHash<QString, QStringList> cache;
    const QString key = wanted.join(QLatin1Char(','));
    auto known = cache.find(key);
    if (known == cache.end())
        known = cache.insert(key, installed(wanted));
    QStringList families = *known;
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
