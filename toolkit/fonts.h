#pragma once

#include <QFont>
#include <QString>

// The program's two fonts, asked for by their Japanese Windows names and falling
// back to the IPA fonts that stand in for them here.
namespace toolkit::fonts {

// Proportional window font, 12 pixels high.
QFont windowFont();
// Fixed-pitch font of the text fields, 12 pixels high.
QFont fieldFont();

// The family that draws the pictographs (U+E63E-U+E757). Both fonts above name it
// right after their own families, ahead of any system font that claims those code
// points. Empty (the default) leaves it out.
void setPictographFamily(const QString& family);
QString pictographFamily();

}  // namespace toolkit::fonts
