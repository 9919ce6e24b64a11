#pragma once

#include <QObject>
#include <QStringList>
#include <functional>

class QMimeData;
class QWidget;

// Files dropped anywhere on a window, its text fields included, go to one handler:
// the fields would otherwise take a file manager's drop as the text of its URLs.
// A drop without local files passes on untouched and stays text.
class FileDropFilter : public QObject {
    Q_OBJECT
  public:
    using Handler = std::function<void(const QStringList& paths)>;

    // Watches every widget under `window` that accepts drops.
    FileDropFilter(QWidget* window, Handler handler);

    // The local files of a drop, in the order given; empty for text.
    static QStringList localFiles(const QMimeData* data);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    Handler handler_;
};
