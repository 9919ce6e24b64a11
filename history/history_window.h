#pragma once

#include "app/secondary_window.h"

// The send-history window "送信履歴": resizable, with its size stored beside its
// position.
class TForm7 : public SecondaryWindow {
    Q_OBJECT
  public:
    explicit TForm7(Forms& forms);

    static constexpr int kMinWidth = 316;
    static constexpr int kMinHeight = 62;
    // Whether the window may take the outer size w × h.
    static bool canResize(int w, int h) { return w >= kMinWidth && h >= kMinHeight; }

  protected:
    void readPlacement(const IniDocument& doc) override;
    void writePlacement(IniDocument& doc) override;
};
