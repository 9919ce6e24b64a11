#include "settings_test_support.h"

#include <QTest>
#include <QWidget>

#include "support/test_support.h"

namespace settings_test {

QByteArray settingsBytes(const TempProgramDir& dir) {
    return dir.read(QStringLiteral("mirvane.ini"));
}

IniDocument storedSettings(const TempProgramDir& dir) {
    return IniDocument::fromBytes(settingsBytes(dir));
}

bool showActive(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

QString lf(const char* utf8) {
    QString text = QString::fromUtf8(utf8);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

}  // namespace settings_test
