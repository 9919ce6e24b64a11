#pragma once

#include <QFrame>
#include <QList>

class QLabel;

namespace toolkit {

// A status bar of fixed-width text panels; the last panel takes the rest.
class StatusBar : public QFrame {
    Q_OBJECT
  public:
    explicit StatusBar(int panelCount, QWidget* parent = nullptr);

    int panelCount() const { return int(panels_.size()); }
    QString panelText(int index) const;
    void setPanelText(int index, const QString& text);
    int panelWidth(int index) const;
    // Width of a panel other than the last.
    void setPanelWidth(int index, int width);

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void layoutPanels();

    QList<QLabel*> panels_;
    QList<int> widths_;
};

}  // namespace toolkit
