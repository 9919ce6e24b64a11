#pragma once

#include "app/secondary_window.h"

// The version dialog "バージョン情報". Centred on the screen the first time it is
// shown in a run; at its stored place after that.
class TAboutBox : public SecondaryWindow {
    Q_OBJECT
  public:
    explicit TAboutBox(Forms& forms);

  protected:
    void FormShow() override;

  private:
    bool centred_ = false;
};
