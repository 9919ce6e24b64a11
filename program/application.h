#pragma once

#include <memory>

#include <QObject>

#include "app/forms.h"

class QTranslator;

// The program: its seven windows, created in a fixed order, with only the main
// window shown. The program ends when the main window has closed.
//
// Only the main window is made at once. The six hidden ones follow, in their order,
// right after the main window's first paint, so that the user sees it sooner; they
// are made earlier when anything needs them: the first input event of the user (a key,
// a click, a drop, a close), the session's question before a log-off, or forms().
class Application : public QObject {
  public:
    Application();
    ~Application() override;
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // All seven windows, made now if they are not yet.
    Forms& forms();
    // The main window, without making the others.
    TForm1* mainWindow() const { return forms_.form1; }
    // Shows the main window; the others are made after its first paint.
    void show();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void createHiddenWindows();

    // Qt's own texts (file dialog, standard context menus and buttons) in Japanese,
    // like the program's, whatever the locale.
    std::unique_ptr<QTranslator> qtTexts_;
    Forms forms_;
    std::unique_ptr<QObject> inputWatch_;
    bool hiddenMade_ = false;
    bool painted_ = false;
};
