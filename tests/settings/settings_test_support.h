#pragma once

#include <QByteArray>
#include <QString>

#include "app/ini_document.h"

class QWidget;
class TempProgramDir;

namespace settings_test {

// The settings file as it stands on disk.
QByteArray settingsBytes(const TempProgramDir& dir);
IniDocument storedSettings(const TempProgramDir& dir);

// Shows `window` and waits until it has the keyboard, so focus and keys work.
bool showActive(QWidget* window);

// `text` with the program's CR LF line breaks as a label shows them.
QString lf(const char* utf8);

}  // namespace settings_test
