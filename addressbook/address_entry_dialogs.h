#pragma once

#include "app/secondary_window.h"

// The new-address dialog "新規アドレス作成".
class TForm5 : public SecondaryWindow {
    Q_OBJECT
  public:
    explicit TForm5(Forms& forms);
};

// The edit-address dialog "アドレス編集".
class TForm6 : public SecondaryWindow {
    Q_OBJECT
  public:
    explicit TForm6(Forms& forms);
};
