#pragma once

#include <QColor>

// Colours that stay readable on whatever background the desktop's palette gives.
namespace toolkit::contrast {

// The contrast ratio of two colours by their relative luminance, 1 to 21.
double ratio(const QColor& a, const QColor& b);

// `colour` itself when it stands out from `background` by at least `minimum`;
// otherwise the same hue made darker on a light background or lighter on a dark
// one, just far enough.
QColor readable(const QColor& colour, const QColor& background, double minimum = 3.0);

}  // namespace toolkit::contrast
