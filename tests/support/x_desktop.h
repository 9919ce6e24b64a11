#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <functional>

// An X server of its own (Xvfb, on a display it picks itself, so that tests run side
// by side never share one) with openbox managing it, as run_under_openbox.sh starts
// them. The programs a test starts on it are driven with X input (xdotool), as a user
// would.
class XDesktop {
  public:
    // Starts both and waits until openbox manages the screen; a failure is the test's.
    XDesktop();
    ~XDesktop();
    XDesktop(const XDesktop&) = delete;
    XDesktop& operator=(const XDesktop&) = delete;

    // Whether the server and the window manager came up.
    bool started() const { return started_; }
    // For a program on this display: xcb, and no session manager of the caller's.
    QProcessEnvironment environment() const;

    struct Result {
        bool ok = false;
        QByteArray out;  // without surrounding white space
    };
    // Runs an X client on this display to its end.
    Result run(const QString& program, const QStringList& args, int timeoutMs = 10000) const;
    Result xdo(const QStringList& args, int timeoutMs = 10000) const {
        return run(QStringLiteral("xdotool"), args, timeoutMs);
    }

    // Waits for a visible window whose name matches `pattern` and gives it the focus;
    // its id, empty when none came.
    QByteArray activate(const QString& pattern) const;
    // Presses keys (xdotool's names) one after the other where the focus is.
    void keys(const QStringList& keys) const;
    // Waits until the window `id` is off the screen; false when it stays.
    bool waitUntilGone(const QByteArray& id) const;
    // The visible windows right below the root: frames, and pop-ups such as open menus.
    QByteArrayList shownWindows() const;
    // Presses `opening` (say "alt+f") and, once the menu is on the screen, the access
    // key of one of its items; false when no menu came.
    bool chooseFromMenu(const QString& opening, const QString& item) const;
    // Runs `action`, then waits until a window that was not there before is shown,
    // such as a menu it opens.
    bool showsNewWindow(const std::function<void()>& action) const;

  private:
    QProcess x_;
    QString display_;
    bool started_ = false;
};
