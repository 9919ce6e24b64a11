#pragma once

#include <QAbstractButton>
#include <QAccessible>
#include <QColor>
#include <QList>
#include <QTabWidget>

class QMenu;

// One flat 14 × 14 button of the palette: its caption is the pictograph, drawn in the
// pictograph's colour. It never takes the keyboard focus, so a click leaves the caret
// and the selection in the field the user was typing in.
class PictographButton : public QAbstractButton {
    Q_OBJECT
  public:
    PictographButton(char32_t codePoint, QWidget* parent);

    char32_t codePoint() const { return codePoint_; }
    // The colour the pictograph is drawn in: its design colour, made darker or lighter
    // where the palette's background would leave it less than 3:1 of contrast.
    QColor shownColour() const;
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    char32_t codePoint_;
};

// The pictograph palette `PageControl1`: three tabs `TabSheet1` to `TabSheet3` with
// the 252 pictograph buttons `SpeedButton1` to `SpeedButton252` in tab and code order.
// The buttons of the second and third tabs are made when a tab is first shown or the
// buttons are asked for, and right after the palette's first paint while a screen
// reader (any assistive technology) is active, so that it finds all 252.
class PictographPalette : public QTabWidget, private QAccessible::ActivationObserver {
    Q_OBJECT
  public:
    explicit PictographPalette(QWidget* parent = nullptr);
    ~PictographPalette() override;

    QWidget* TabSheet1;
    QWidget* TabSheet2;
    QWidget* TabSheet3;

    // All buttons, in tab and code order.
    const QList<PictographButton*>& buttons();

    // The palette for the keyboard: a menu of the three tabs at `globalPos`, each
    // pictograph with its picture and spoken name. Choosing one clicks its button once
    // the menu has closed, so the focus is back in the field it was typed from.
    void chooseFromMenu(const QPoint& globalPos);

  signals:
    // Any of the buttons was clicked; its text() is the pictograph.
    void buttonClicked(QAbstractButton* button);

  protected:
    bool event(QEvent* event) override;
    void accessibilityActiveChanged(bool active) override;

  private:
    QWidget* makeTab(int tab);
    void fillTab(int tab);
    void fillTabs();

    QList<PictographButton*> buttons_;
    int filledTabs_ = 0;
    bool painted_ = false;
    QMenu* menu_ = nullptr;
};
