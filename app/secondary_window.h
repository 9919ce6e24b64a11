#pragma once

#include <QWidget>

#include "app/forms.h"

class IniDocument;

// A window other than the main one: created hidden at start-up, shown modeless by a
// command (a visible one comes to the front), hidden again when closed. By default
// it reads "Top<n>"/"Left<n>" each time it is shown and writes them each time it
// closes; subclasses change what they read and write.
class QAbstractButton;

class SecondaryWindow : public QWidget {
    Q_OBJECT
  public:
    SecondaryWindow(Forms& forms, int placementNumber, QWidget* parent = nullptr);

    int placementNumber() const { return number_; }
    // Shows the window, or brings it to the front when it is visible already.
    void showWindow();

  protected:
    // Show handler: by default reads the position.
    virtual void FormShow();
    // Close handler: by default writes the position.
    virtual void FormClose();
    // Placement written at close (inside the settings file's write-back).
    virtual void writePlacement(IniDocument& doc);
    virtual void readPlacement(const IniDocument& doc);

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

    // The window manager's frame appeared or changed (extra: its outer size less the
    // client size); size limits that count the frame are set here. The outer geometry
    // is applied again right after.
    virtual void frameChanged(QSize extra);

    // A fixed-size dialog frame with only a close box.
    void makeFixedDialog(int clientWidth, int clientHeight);
    // The button Escape presses: the window's cancel or close button. Without one,
    // Escape does nothing.
    void setEscapeButton(QAbstractButton* button) { escapeButton_ = button; }
    void keyPressEvent(QKeyEvent* event) override;

    Forms& forms_;

  private:
    int number_;
    QAbstractButton* escapeButton_ = nullptr;
};
