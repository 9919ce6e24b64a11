#pragma once

#include <memory>

#include "app/forms.h"

class QTranslator;

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
    // Qt's own texts (file dialog, standard context menus and buttons) in Japanese,
    // like the program's, whatever the locale.
    std::unique_ptr<QTranslator> qtTexts_;
    Forms forms_;
};
