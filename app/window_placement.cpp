#include "app/window_placement.h"

#include <QEvent>
#include <QWidget>

#include "app/ini_document.h"

namespace window_placement {
namespace {

QByteArray key(const char* name, int number) {
    return name + QByteArray::number(number);
}

}  // namespace

QSize frameExtra(const QWidget* window) {
    // Before the window manager has framed the window, the frame is the window.
    return window->frameGeometry().size() - window->geometry().size();
}

int outerWidth(const QWidget* window) {
    return window->frameGeometry().width();
}

int outerHeight(const QWidget* window) {
    return window->frameGeometry().height();
}

void resizeOuter(QWidget* window, int w, int h) {
    const QSize extra = frameExtra(window);
    window->resize(w - extra.width(), h - extra.height());
}

void readPosition(const IniDocument& doc, QWidget* window, int number) {
    // pos() and move() of a top-level window are those of its frame.
    const int top = doc.readInteger("Window", key("Top", number), window->pos().y());
    window->move(window->pos().x(), top);
    const int left = doc.readInteger("Window", key("Left", number), window->pos().x());
    window->move(left, window->pos().y());
}

void writePosition(IniDocument& doc, const QWidget* window, int number) {
    doc.writeInteger("Window", key("Top", number), window->pos().y());
    doc.writeInteger("Window", key("Left", number), window->pos().x());
}

QSize readSize(const IniDocument& doc, const QWidget* window, int number) {
    const int w = doc.readInteger("Window", key("Width", number), outerWidth(window));
    const int h = doc.readInteger("Window", key("Height", number), outerHeight(window));
    return {w, h};
}

void writeSize(IniDocument& doc, const QWidget* window, int number) {
    doc.writeInteger("Window", key("Width", number), outerWidth(window));
    doc.writeInteger("Window", key("Height", number), outerHeight(window));
}

FrameKeeper::FrameKeeper(QWidget* window, std::function<void(QSize)> frameChanged)
    : QObject(window),
      window_(window),
      frameChanged_(std::move(frameChanged)),
      extra_(frameExtra(window)) {
    window->installEventFilter(this);
}

bool FrameKeeper::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched != window_ || applying_ ||
        (type != QEvent::Move && type != QEvent::Resize && type != QEvent::Show)) {
        return false;
    }
    const QSize extra = frameExtra(window_);
    if (extra == extra_)
        return false;
    // The client size is still the one set under the old frame: the outer size asked
    // for was that plus the old frame.
    const QSize outer = window_->size() + extra_;
    extra_ = extra;
    applying_ = true;
    if (frameChanged_)
        frameChanged_(extra);
    const QSize client = outer - extra;
    if (window_->size() != client)
        window_->resize(client);
    applying_ = false;
    return false;
}

}  // namespace window_placement
