#pragma once

#include <QWidget>

#include "font_registration.h"

// Says what the registration did and shows the 252 pictographs drawn by the font
// that fontconfig finds under the family's name, as the proof that other programs
// will find it too.
class RegistrationWindow : public QWidget {
    Q_OBJECT
  public:
    explicit RegistrationWindow(const font_registration::Outcome& outcome);

    // Whether the toolkit drew the pictographs with the registered family.
    bool drawnWithFamily() const { return drawnWithFamily_; }

  private:
    bool drawnWithFamily_ = false;
};
