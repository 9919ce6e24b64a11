#include "toolkit/status_bar.h"

#include <QLabel>

namespace toolkit {

StatusBar::StatusBar(int panelCount, QWidget* parent) : QFrame(parent) {
    for (int i = 0; i < panelCount; ++i) {
        auto* panel = new QLabel(this);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setIndent(2);
        panel->setTextFormat(Qt::PlainText);
        panels_.append(panel);
        widths_.append(50);
    }
    layoutPanels();
}

QString StatusBar::panelText(int index) const {
    return panels_.at(index)->text();
}

void StatusBar::setPanelText(int index, const QString& text) {
    panels_.at(index)->setText(text);
}

int StatusBar::panelWidth(int index) const {
    return panels_.at(index)->width();
}

void StatusBar::setPanelWidth(int index, int width) {
    widths_[index] = width;
    layoutPanels();
}

void StatusBar::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    layoutPanels();
}

void StatusBar::layoutPanels() {
    int x = 0;
    const int h = height();
    for (int i = 0; i < panels_.size(); ++i) {
        const bool last = i == panels_.size() - 1;
        const int w = last ? qMax(0, width() - x) : qMax(0, widths_.at(i));
        // Panels touch each other with a 2-pixel gap, as status bars draw them.
        panels_.at(i)->setGeometry(x, 2, last ? w : qMax(0, w - 2), qMax(0, h - 2));
        x += w;
    }
}

}  // namespace toolkit
