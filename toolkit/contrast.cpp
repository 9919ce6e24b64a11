#include "toolkit/contrast.h"

#include <QHash>
#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

namespace toolkit::contrast {
namespace {

double channel(double c) {
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& c) {
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

// The colour `readable` gives, or nothing when `colour` stands out as it is.
std::optional<QColor> adjusted(const QColor& colour, const QColor& background, double minimum) {
    if (ratio(colour, background) >= minimum)
        return std::nullopt;
    // Towards black on a light background, towards white on a dark one, in small
    // steps of lightness so the hue stays.
    const bool darken = luminance(background) > 0.18;
    const float h = colour.hslHueF();
    const float s = colour.hslSaturationF();
    float l = colour.lightnessF();
    QColor candidate = colour;
    for (int step = 0; step < 100 && ratio(candidate, background) < minimum; ++step) {
        l = std::clamp(l + (darken ? -0.01f : 0.01f), 0.0f, 1.0f);
        candidate = QColor::fromHslF(h < 0 ? 0 : h, s, l);
    }
    return candidate;
}

}  // namespace

double ratio(const QColor& a, const QColor& b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor readable(const QColor& colour, const QColor& background, double minimum) {
    // The palette asks for the same few colours on the same background for each of its
    // buttons at each paint, and the search takes up to a hundred steps. GUI thread only.
    static QHash<std::pair<quint64, double>, std::optional<QColor>> known;
    const std::pair<quint64, double> key{quint64(colour.rgba()) << 32 | background.rgba(), minimum};
    auto found = known.constFind(key);
    if (found == known.cend()) {
        if (known.size() > 1024)
            known.clear();
        found = known.insert(key, adjusted(colour, background, minimum));
    }
    return found->value_or(colour);
}

}  // namespace toolkit::contrast
