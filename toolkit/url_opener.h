#pragma once

#include <QList>
#include <QUrl>

class QWidget;

// Opens an address (a home page, a mail address) with the desktop's handler, as a
// user's click on a link would. Tests record the addresses instead through
// UrlOpenRecorder.
namespace toolkit {

// Hands `url` to the desktop (QDesktopServices::openUrl). The result is the
// desktop's: false when no handler took it. `owner` is the window the request
// comes from.
bool openUrl(QWidget* owner, const QUrl& url);

// While one exists, nothing is opened: each address is recorded and reported as
// opened.
class UrlOpenRecorder {
  public:
    UrlOpenRecorder();
    ~UrlOpenRecorder();
    UrlOpenRecorder(const UrlOpenRecorder&) = delete;
    UrlOpenRecorder& operator=(const UrlOpenRecorder&) = delete;

    const QList<QUrl>& opened() const { return opened_; }
    static UrlOpenRecorder* active();
    void record(const QUrl& url) { opened_.append(url); }

  private:
    QList<QUrl> opened_;
    UrlOpenRecorder* previous_;
};

}  // namespace toolkit
