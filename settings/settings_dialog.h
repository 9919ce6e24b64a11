#pragma once

#include "app/secondary_window.h"

// The settings dialog "設定". It reads its placement once, while it is created at
// start-up, and writes it each time it closes.
class TForm2 : public SecondaryWindow {
    Q_OBJECT
  public:
    explicit TForm2(Forms& forms);

  protected:
    void FormCreate();
    void FormShow() override;
};
