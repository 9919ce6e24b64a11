#pragma once

#include <QByteArray>
#include <QString>

#include "app/secondary_window.h"

class QLabel;
class QPushButton;
class QTimer;

// The version dialog "バージョン情報": picture, icon, version, copyright and the home
// page's address over a background picture. Centred on the screen the first time it
// is shown in a run; at its stored place after that.
class TAboutBox : public SecondaryWindow {
    Q_OBJECT
  public:
    explicit TAboutBox(Forms& forms);

    // The project's home page: the link's text and the address it opens.
    static QString homePage();

    // Decodes `jpeg` as the background; a damaged picture leaves it empty.
    void setBackground(const QByteArray& jpeg);

    // Controls, back to front.
    QLabel* Image1;
    QLabel* ProgramIcon;
    QLabel* Version;
    QLabel* Copyright;
    QLabel* HPLabel;
    QLabel* Link;
    QPushButton* OKButton;

    void OKButtonClick();
    void LinkClick();
    // Stores the dialog's place at once; never refuses the close.
    bool FormCloseQuery();

  protected:
    void FormShow() override;
    void FormClose() override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void completeControls();
    void centre();
    void showLinkFocus(bool focused);
    void watchFrame();

    bool completed_ = false;
    bool backgroundSet_ = false;
    bool centred_ = false;
    QTimer* frameWatch_ = nullptr;
    int framePolls_ = 0;
};
