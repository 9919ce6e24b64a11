#pragma once

#include <QString>
#include <QTemporaryDir>
#include <Qt>
#include <functional>

#include "app/ini_document.h"

class QMenu;
class QWidget;

// A fresh, empty program directory for one test: the settings file, the address
// book and the history all live in it, never in a real user's directory.
class TempProgramDir {
  public:
    TempProgramDir();
    ~TempProgramDir();
    TempProgramDir(const TempProgramDir&) = delete;
    TempProgramDir& operator=(const TempProgramDir&) = delete;

    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }
    QString settingsPath() const;
    // The settings file as it stands on disk.
    QByteArray settingsBytes() const;
    IniDocument settings() const;

    QByteArray read(const QString& name) const;
    void write(const QString& name, const QByteArray& bytes) const;

  private:
    QTemporaryDir dir_;
};

// Saves a picture of `widget` as <name>.png in the screenshot directory
// (MIRVANE_SCREENSHOTS, else ./screenshots) and returns the file's path.
QString saveScreenshot(QWidget* widget, const QString& name);

// Script steps (toolkit::MessageBoxScript::drive) that work the real message box as a
// user does: a key pressed where the box has its focus, and a close by the title bar as
// the window system delivers it.
void pressOnBox(QWidget* box, int key);
void closeBoxByFrame(QWidget* box);

// The settings file in a program directory, as it stands on disk.
IniDocument settingsIn(const QString& programDir);

// A path as the system calls take it.
QByteArray native(const QString& path);

// Shows `window` and waits until it has the keyboard, so focus and keys work.
bool showActive(QWidget* window);
// Gives `field` the keyboard focus, failing the test when it cannot take it.
void focus(QWidget* field);

// Opens `menu` at the top left of `window` as the menu bar does (its opening handler
// runs), then presses the access key of one of its items, or Escape to close it
// again. Returns whether the key closed the menu; it is closed in any case.
bool chooseFromMenu(QWidget* window, QMenu* menu, Qt::Key key);

// Whether `condition` holds all through the next `ms` milliseconds, events handled
// meanwhile. For checks that something does NOT happen, where no event tells that the
// chance for it is over: keep `ms` short.
bool holdsFor(const std::function<bool()>& condition, int ms);
