#include "settings_test_support.h"

namespace settings_test {

QString lf(const char* utf8) {
    QString text = QString::fromUtf8(utf8);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

}  // namespace settings_test
