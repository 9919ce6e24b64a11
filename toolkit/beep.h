#pragma once

#include <QList>

// The system beep and MessageBeep. Tests record them instead of sounding them.
namespace toolkit {

void systemBeep();
void messageBeep(unsigned type);

class BeepRecorder {
public:
    BeepRecorder();
    ~BeepRecorder();
    BeepRecorder(const BeepRecorder&) = delete;
    BeepRecorder& operator=(const BeepRecorder&) = delete;

    int systemBeeps() const { return systemBeeps_; }
    // The type of every MessageBeep in order.
    const QList<unsigned>& messageBeeps() const { return messageBeeps_; }
    void clear();

    static BeepRecorder* active();
    void recordSystemBeep() { ++systemBeeps_; }
    void recordMessageBeep(unsigned type) { messageBeeps_.append(type); }

private:
    int systemBeeps_ = 0;
    QList<unsigned> messageBeeps_;
    BeepRecorder* previous_;
};

}  // namespace toolkit
