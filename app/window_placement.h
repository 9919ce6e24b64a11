#pragma once

#include <QMargins>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <functional>
#include <optional>

class IniDocument;
class QWidget;

// A window's placement in section "Window": "Top<n>", "Left<n>", "Width<n>",
// "Height<n>", in outer (frame) pixels, with the window's current value as the
// default of each read.
namespace window_placement {

// One value of a window's placement, and its key for window `number` ("Top1", "Width7").
enum class Field { Top, Left, Width, Height };
QByteArray key(Field field, int number);
int read(const IniDocument& doc, Field field, int number, int fallback);
void write(IniDocument& doc, Field field, int number, int value);

// The window manager's frame around a window; none before it is framed.
QMargins frameMargins(const QWidget* window);
QSize frameExtra(const QWidget* window);
// The frame's top left corner on the screen.
QPoint outerPos(const QWidget* window);
int outerWidth(const QWidget* window);
int outerHeight(const QWidget* window);
// Resizes so that the frame is w × h.
void resizeOuter(QWidget* window, int w, int h);

// Reads and applies "Top<n>" then "Left<n>".
void readPosition(const IniDocument& doc, QWidget* window, int number);
// Writes "Top<n>" then "Left<n>".
void writePosition(IniDocument& doc, const QWidget* window, int number);
// Reads "Width<n>" then "Height<n>" with the current outer size as defaults.
QSize readSize(const IniDocument& doc, const QWidget* window, int number);
void writeSize(IniDocument& doc, const QWidget* window, int number);

// Keeps a top-level window's outer geometry what the program or the user last gave it.
// A window manager frames a window only after it is shown, and until then the frame
// is the window itself: when the frame appears or changes, the outer size asked for
// is applied again with the new frame, and a place read with readPosition before the
// frame was known is given to the frame, so that the window is as large as it was
// made and where it was put, and what it stores at close is what it read.
class FrameKeeper : public QObject {
    Q_OBJECT
  public:
    // `frameChanged` runs with the new frame extra before the size is applied again,
    // to set size limits that count the frame.
    explicit FrameKeeper(QWidget* window, std::function<void(QSize extra)> frameChanged = {});

    QSize extra() const { return extra_; }
    // The frame last seen around the window; kept while the window is hidden, when
    // the window manager has taken its frame away.
    QMargins knownMargins() const { return margins_; }
    // The frame's place asked for before the frame was known; it is applied again when
    // the frame appears.
    void placeAt(QPoint framePos) { asked_ = framePos; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* window_;
    std::function<void(QSize)> frameChanged_;
    QSize extra_;
    QMargins margins_;
    std::optional<QPoint> asked_;
    bool applying_ = false;
};

}  // namespace window_placement
