#include "toolkit/url_opener.h"

#include <QDesktopServices>

namespace toolkit {
namespace {

UrlOpenRecorder*& activeRecorder() {
    static UrlOpenRecorder* recorder = nullptr;
    return recorder;
}

}  // namespace

bool openUrl(QWidget* owner, const QUrl& url) {
    Q_UNUSED(owner);  // the desktop places its own window
    if (UrlOpenRecorder* recorder = UrlOpenRecorder::active()) {
        recorder->record(url);
        return true;
    }
    return QDesktopServices::openUrl(url);
}

UrlOpenRecorder::UrlOpenRecorder() : previous_(activeRecorder()) {
    activeRecorder() = this;
}

UrlOpenRecorder::~UrlOpenRecorder() {
    activeRecorder() = previous_;
}

UrlOpenRecorder* UrlOpenRecorder::active() {
    return activeRecorder();
}

}  // namespace toolkit
