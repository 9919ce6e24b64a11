#pragma once

#include <QByteArray>
#include <QString>

// The pictograph font that the build makes and embeds in the program.
namespace pictograph_font {

// Registers the embedded font with the application, once, and makes the window and
// field fonts draw the pictographs with it. Call it after the QApplication exists and
// before any window is made. Returns the font's family, empty when it could not be
// loaded (the pictographs then show in whatever font the system falls back to).
QString load();

// The embedded font file.
QByteArray data();

}  // namespace pictograph_font
