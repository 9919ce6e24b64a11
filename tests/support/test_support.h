#pragma once

#include <QString>
#include <QTemporaryDir>

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
