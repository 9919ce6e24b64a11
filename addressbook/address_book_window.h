#pragma once

#include "app/secondary_window.h"

// The address book window "アドレス帳".
class TForm4 : public SecondaryWindow {
    Q_OBJECT
  public:
    explicit TForm4(Forms& forms);
};
