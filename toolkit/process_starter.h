#pragma once

#include <QList>
#include <QString>

// Starts another program and lets it run on its own. Tests record the starts, and
// can make them fail, through ProcessStartScript.
namespace toolkit {

// Starts `program` (a full path) without arguments, with this program's environment
// and current directory, and does not wait for it. False when it could not be
// started (missing, not executable).
bool startDetached(const QString& program);

// While one exists, nothing is started: each start is recorded and succeeds unless
// the script was told to fail.
class ProcessStartScript {
  public:
    ProcessStartScript();
    ~ProcessStartScript();
    ProcessStartScript(const ProcessStartScript&) = delete;
    ProcessStartScript& operator=(const ProcessStartScript&) = delete;

    void setFailing(bool failing) { failing_ = failing; }
    const QList<QString>& started() const { return started_; }

    static ProcessStartScript* active();
    bool take(const QString& program);

  private:
    QList<QString> started_;
    bool failing_ = false;
    ProcessStartScript* previous_;
};

}  // namespace toolkit
