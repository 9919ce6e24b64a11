#include "toolkit/beep.h"

#include <QApplication>

namespace toolkit {
namespace {

BeepRecorder*& activeRecorder() {
    static BeepRecorder* recorder = nullptr;
    return recorder;
}

}  // namespace

void systemBeep() {
    if (BeepRecorder* r = BeepRecorder::active()) {
        r->recordSystemBeep();
        return;
    }
    QApplication::beep();
}

void messageBeep(unsigned type) {
    if (BeepRecorder* r = BeepRecorder::active()) {
        r->recordMessageBeep(type);
        return;
    }
    // The desktop has one alert sound; every type sounds it.
    QApplication::beep();
}

BeepRecorder::BeepRecorder() : previous_(activeRecorder()) {
    activeRecorder() = this;
}

BeepRecorder::~BeepRecorder() {
    activeRecorder() = previous_;
}

void BeepRecorder::clear() {
    systemBeeps_ = 0;
    messageBeeps_.clear();
}

BeepRecorder* BeepRecorder::active() {
    return activeRecorder();
}

}  // namespace toolkit
