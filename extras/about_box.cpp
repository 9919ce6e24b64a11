#include "extras/about_box.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QUrl>

#include "app/window_placement.h"
#include "extras/artwork.h"
#include "extras/jpeg_picture.h"
#include "toolkit/fonts.h"
#include "toolkit/url_opener.h"

namespace {

constexpr int kFramePollMs = 20;
constexpr int kFramePolls = 100;

// The labels stand on the light picture, not on the palette's background: they keep the
// dark text they were designed with whatever colours the desktop uses.
void designColour(QLabel* label) {
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(colours);
}

QLabel* transparentLabel(QWidget* parent, const QString& text, int left, int top) {
    auto* label = new QLabel(text, parent);
    designColour(label);
    label->setAttribute(Qt::WA_TranslucentBackground);
    label->move(left, top);
    label->adjustSize();
    return label;
}

}  // namespace

TAboutBox::TAboutBox(Forms& forms) : SecondaryWindow(forms, 3) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    makeFixedDialog(296, 177);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(0, 0, 300, 177);
    // Drawn unscaled from the top left corner; the label cuts it at its edge.
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    ProgramIcon = new QLabel(this);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setGeometry(24, 96, 33, 33);
    ProgramIcon->setScaledContents(true);
    ProgramIcon->setAttribute(Qt::WA_TranslucentBackground);

    Version = new QLabel(QStringLiteral("Ver" MIRVANE_VERSION), this);
    Version->setObjectName(QStringLiteral("Version"));
    QFont mincho(QStringList{QStringLiteral("ＭＳ Ｐ明朝"), QStringLiteral("IPAPMincho"),
                             QStringLiteral("IPA P明朝")});
    mincho.setPixelSize(16);
    Version->setFont(mincho);
    Version->setAttribute(Qt::WA_TranslucentBackground);
    designColour(Version);
    Version->move(80, 96);

    Copyright =
        transparentLabel(this, QStringLiteral("Copyright (C) 2026 Mirvane Project"), 80, 120);
    Copyright->setObjectName(QStringLiteral("Copyright"));
    HPLabel = transparentLabel(this, QStringLiteral("HP："), 57, 136);
    HPLabel->setObjectName(QStringLiteral("HPLabel"));

    Link = new QLabel(homePage(), this);
    Link->setObjectName(QStringLiteral("Link"));
    QFont linkFont = toolkit::fonts::windowFont();
    linkFont.setUnderline(true);
    Link->setFont(linkFont);
    QPalette linkColours = Link->palette();
    linkColours.setColor(QPalette::WindowText, Qt::blue);
    Link->setPalette(linkColours);
    Link->setCursor(Qt::PointingHandCursor);
    Link->setAttribute(Qt::WA_TranslucentBackground);
    Link->move(80, 136);
    Link->adjustSize();
    Link->installEventFilter(this);
    // Reached with Tab and opened with Enter or Space, as well as by a click.
    Link->setFocusPolicy(Qt::TabFocus);
    Link->setAccessibleDescription(QStringLiteral("ホームページを開きます。"));

    OKButton = new QPushButton(QStringLiteral("閉じる(&C)"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(215, 148, 75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, [this] { OKButtonClick(); });
    setEscapeButton(OKButton);
    setTabOrder(Link, OKButton);

    frameWatch_ = new QTimer(this);
    frameWatch_->setInterval(kFramePollMs);
    connect(frameWatch_, &QTimer::timeout, this, [this] { watchFrame(); });
}

QString TAboutBox::homePage() {
    return QStringLiteral("https://mirvane.example.org/");
}

void TAboutBox::completeControls() {
    if (completed_)
        return;
    completed_ = true;
    // The pictures are decoded and the Mincho font loaded when the dialog is first
    // shown, not while the program starts.
    ProgramIcon->setPixmap(QPixmap::fromImage(artwork::programIconImage()));
    Version->adjustSize();
    if (!backgroundSet_)
        setBackground(artwork::aboutBackgroundJpeg());
}

void TAboutBox::setBackground(const QByteArray& jpeg) {
    backgroundSet_ = true;
    const jpeg_picture::Picture picture = jpeg_picture::decode(jpeg);
    if (picture.isNull()) {
        qWarning("mirvane: the version dialog's picture cannot be shown: %s",
                 qUtf8Printable(picture.error));
        Image1->clear();
        return;
    }
    const QImage image(reinterpret_cast<const uchar*>(picture.rgb.constData()), picture.width,
                       picture.height, picture.width * 3, QImage::Format_RGB888);
    // copy(): the image must not outlive the decoded bytes it points into.
    Image1->setPixmap(QPixmap::fromImage(image.copy()));
}

void TAboutBox::FormShow() {
    completeControls();
    SecondaryWindow::FormShow();
    // The first showing of a run is centred, whatever the stored place said.
    if (!centred_) {
        centred_ = true;
        centre();
        // A window manager frames the window only after it is on the screen, and tells
        // no widget event when it has: look for the frame for a moment, then centre the
        // real frame again.
        if (window_placement::frameExtra(this).isNull()) {
            framePolls_ = 0;
            frameWatch_->start();
        }
    }
    OKButton->setFocus();
}

void TAboutBox::centre() {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame(QPoint(),
                QSize(window_placement::outerWidth(this), window_placement::outerHeight(this)));
    frame.moveCenter(screen->geometry().center());
    move(frame.topLeft());
}

void TAboutBox::watchFrame() {
    if (!isVisible() || ++framePolls_ > kFramePolls) {
        frameWatch_->stop();
    } else if (!window_placement::frameExtra(this).isNull()) {
        frameWatch_->stop();
        centre();
    }
}

void TAboutBox::FormClose() {
    frameWatch_->stop();
    FormCloseQuery();
}

bool TAboutBox::FormCloseQuery() {
    SecondaryWindow::FormClose();
    return true;
}

void TAboutBox::OKButtonClick() {
    close();
}

void TAboutBox::LinkClick() {
    // The result is the desktop's business; the dialog stays open either way.
    toolkit::openUrl(this, QUrl(homePage()));
}

void TAboutBox::showLinkFocus(bool focused) {
    // The focused link stands out in the selection's colours, as a focused item does.
    Link->setAutoFillBackground(focused);
    Link->setAttribute(Qt::WA_TranslucentBackground, !focused);
    QPalette colours = Link->palette();
    colours.setColor(QPalette::Window, palette().color(QPalette::Highlight));
    colours.setColor(QPalette::WindowText,
                     focused ? palette().color(QPalette::HighlightedText) : QColor(Qt::blue));
    Link->setPalette(colours);
}

void TAboutBox::keyPressEvent(QKeyEvent* event) {
    // The close button is the default button.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        OKButton->click();
        return;
    }
    SecondaryWindow::keyPressEvent(event);
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Link && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
            LinkClick();
            return true;
        }
    }
    if (watched == Link && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut))
        showLinkFocus(event->type() == QEvent::FocusIn);
    if (watched == Link && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            Link->rect().contains(mouse->position().toPoint())) {
            LinkClick();
            return true;
        }
    }
    return SecondaryWindow::eventFilter(watched, event);
}
