#pragma once

#include <QFont>

// The program's two fonts, asked for by their Japanese Windows names and falling
// back to the IPA fonts that stand in for them here.
namespace toolkit::fonts {

// Proportional window font, 12 pixels high.
QFont windowFont();
// Fixed-pitch font of the text fields, 12 pixels high.
QFont fieldFont();

}  // namespace toolkit::fonts
