#pragma once

#include <QString>

namespace settings_test {

// `text` with the program's CR LF line breaks as a label shows them.
QString lf(const char* utf8);

}  // namespace settings_test
