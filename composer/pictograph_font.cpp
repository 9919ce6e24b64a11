#include "composer/pictograph_font.h"

#include <QFile>
#include <QFontDatabase>
#include <QStringList>

#include "toolkit/fonts.h"

// The resource lives in a static library: without this reference the linker would
// drop it. Q_INIT_RESOURCE must be used outside any namespace.
static void initResource() {
    Q_INIT_RESOURCE(pictograph_font);
}

namespace pictograph_font {

QByteArray data() {
    initResource();
    QFile file(QStringLiteral(":/fonts/MirvanePictographs.ttf"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QString load() {
    static const QString family = [] {
        const int id = QFontDatabase::addApplicationFontFromData(data());
        if (id < 0)
            return QString();
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        return families.isEmpty() ? QString() : families.front();
    }();
    toolkit::fonts::setPictographFamily(family);
    return family;
}

}  // namespace pictograph_font
