#include "app/window_placement.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>

#include "app/ini_document.h"

namespace window_placement {
namespace {

constexpr char kSection[] = "Window";

}  // namespace

QByteArray key(Field field, int number) {
    static constexpr const char* kNames[] = {"Top", "Left", "Width", "Height"};
    return kNames[int(field)] + QByteArray::number(number);
}

int read(const IniDocument& doc, Field field, int number, int fallback) {
    return doc.readInteger(kSection, key(field, number), fallback);
}

void write(IniDocument& doc, Field field, int number, int value) {
    doc.writeInteger(kSection, key(field, number), value);
}

QMargins frameMargins(const QWidget* window) {
    // A shown window asks its platform window, which reads the frame as soon as the
    // window manager has put one around it; Qt's own copy follows only when the
    // window moves, and a window manager that frames a window where it stands does
    // not move it. Before the window is framed, the frame is the window.
    if (const QWindow* handle = window->windowHandle(); handle && window->isVisible())
        return handle->frameMargins();
    const QRect f = window->frameGeometry();
    const QRect g = window->geometry();
    return {g.left() - f.left(), g.top() - f.top(), f.right() - g.right(), f.bottom() - g.bottom()};
}

QSize frameExtra(const QWidget* window) {
    const QMargins m = frameMargins(window);
    return {m.left() + m.right(), m.top() + m.bottom()};
}

QPoint outerPos(const QWidget* window) {
    const QMargins m = frameMargins(window);
    return window->geometry().topLeft() - QPoint(m.left(), m.top());
}

int outerWidth(const QWidget* window) {
    return window->width() + frameExtra(window).width();
}

int outerHeight(const QWidget* window) {
    return window->height() + frameExtra(window).height();
}

void resizeOuter(QWidget* window, int w, int h) {
    const QSize extra = frameExtra(window);
    window->resize(w - extra.width(), h - extra.height());
}

void readPosition(const IniDocument& doc, QWidget* window, int number) {
    auto* keeper = window->findChild<FrameKeeper*>(QString(), Qt::FindDirectChildrenOnly);
    // Shown again, the window has no frame until the window manager gives it back, and
    // move() would then take the frame's place for the client's: each showing would
    // creep by the frame. The client goes inside the frame it had.
    if (const QMargins known = keeper ? keeper->knownMargins() : QMargins();
        !known.isNull() && frameExtra(window).isNull()) {
        const QPoint frame = window->geometry().topLeft() - QPoint(known.left(), known.top());
        const int top = read(doc, Field::Top, number, frame.y());
        const int left = read(doc, Field::Left, number, frame.x());
        window->setGeometry(QRect(QPoint(left + known.left(), top + known.top()), window->size()));
        keeper->placeAt(QPoint(left, top));
        return;
    }
    // pos() and move() of a top-level window are those of its frame.
    const int top = read(doc, Field::Top, number, outerPos(window).y());
    window->move(outerPos(window).x(), top);
    const int left = read(doc, Field::Left, number, outerPos(window).x());
    window->move(left, outerPos(window).y());
    // Placed before its frame is known, the window may get its frame around the spot
    // instead of at it; the keeper puts the frame there once it is known.
    if (keeper)
        keeper->placeAt(QPoint(left, top));
}

void writePosition(IniDocument& doc, const QWidget* window, int number) {
    write(doc, Field::Top, number, outerPos(window).y());
    write(doc, Field::Left, number, outerPos(window).x());
}

QSize readSize(const IniDocument& doc, const QWidget* window, int number) {
    const int w = read(doc, Field::Width, number, outerWidth(window));
    const int h = read(doc, Field::Height, number, outerHeight(window));
    return {w, h};
}

void writeSize(IniDocument& doc, const QWidget* window, int number) {
    write(doc, Field::Width, number, outerWidth(window));
    write(doc, Field::Height, number, outerHeight(window));
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
    // The frame may come without a move or a resize, in which case the first paint
    // after it is the first moment it shows.
    if (watched != window_ || applying_ ||
        (type != QEvent::Move && type != QEvent::Resize && type != QEvent::Show &&
         type != QEvent::Paint && type != QEvent::UpdateRequest)) {
        return false;
    }
    const QSize extra = frameExtra(window_);
    if (!extra.isNull())
        margins_ = frameMargins(window_);
    if (extra == extra_) {
        if (type == QEvent::Move && extra_ != QSize(0, 0))
            asked_.reset();  // framed and moved: where it is now is its place
        return false;
    }
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
    if (asked_ && outerPos(window_) != *asked_)
        window_->move(*asked_);
    applying_ = false;
    return false;
}

}  // namespace window_placement
