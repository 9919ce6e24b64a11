#pragma once

#include <memory>

#include "app/forms.h"

// The program: its seven windows, created in a fixed order, with only the main
// window shown. The program ends when the main window has closed.
class Application {
  public:
    Application();
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    Forms& forms() { return forms_; }
    // Shows the main window.
    void show();

  private:
    Forms forms_;
};
