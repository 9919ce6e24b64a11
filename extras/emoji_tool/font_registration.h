#pragma once

#include <QByteArray>
#include <QList>
#include <QProcessEnvironment>
#include <QString>

// Registers the pictograph font for the user's whole desktop: the font file goes
// into the user's font folder and fontconfig's cache is brought up to date, so that
// every program that asks fontconfig for the family draws the pictographs.
namespace font_registration {

inline constexpr char kFamily[] = "Mirvane Pictographs";
inline constexpr char kFileName[] = "MirvanePictographs.ttf";

// $XDG_DATA_HOME/fonts, or ~/.local/share/fonts when XDG_DATA_HOME is unset, empty
// or not an absolute path; empty when neither it nor HOME is usable.
QString fontsDirectory(const QProcessEnvironment& env);

// What fontconfig lists for the family: each file with how many of the 252
// pictographs it covers. A fresh fontconfig set-up is read each time, as another
// program starting now would see it.
struct Listed {
    QString file;
    int pictographs = 0;
};
QList<Listed> listFamily(const QString& family = QString::fromLatin1(kFamily));

struct Outcome {
    enum class Kind { Installed, Updated, AlreadyRegistered, Failed };
    Kind kind = Kind::Failed;
    QString fontFile;
    // For the user: what was done, or why nothing was.
    QString message;
};

// Installs `font` (the font file's bytes) as fontsDir/MirvanePictographs.ttf and runs
// `fcCache` (fc-cache found in PATH when empty) on that folder. Running it again
// changes nothing. On any failure the folder is left as it was.
Outcome registerFont(const QByteArray& font, const QString& fontsDir, QString fcCache = {});

}  // namespace font_registration
