#include "toolkit/program_style.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>

namespace toolkit::program_style {
namespace {

class ProgramStyle : public QProxyStyle {
  public:
    using QProxyStyle::QProxyStyle;
    QIcon standardIcon(StandardPixmap which, const QStyleOption* option,
                       const QWidget* widget) const override;
};

// The picture a style gives for `which`, asked for the first time it is needed.
class DeferredIcon : public QIconEngine {
  public:
    DeferredIcon(QStyle* style, QStyle::StandardPixmap which) : style_(style), which_(which) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().pixmap(size, 1.0, mode, state);
    }
    // `size` in device pixels, as for a screen of `scale`.
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        return icon().pixmap(size / scale, scale, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return icon().availableSizes(mode, state);
    }
    QIconEngine* clone() const override { return new DeferredIcon(*this); }

  private:
    QIcon& icon() {
        if (!made_) {
            made_ = true;
            // The style may have been replaced meanwhile: then the application's.
            QStyle* style = style_ ? style_.data() : QApplication::style();
            if (auto* program = dynamic_cast<ProgramStyle*>(style))
                style = program->baseStyle();
            icon_ = style->standardIcon(which_);
        }
        return icon_;
    }

    QPointer<QStyle> style_;
    QStyle::StandardPixmap which_;
    bool made_ = false;
    QIcon icon_;
};

QIcon ProgramStyle::standardIcon(StandardPixmap which, const QStyleOption* option,
                                 const QWidget* widget) const {
    if (which == SP_ToolBarHorizontalExtensionButton || which == SP_ToolBarVerticalExtensionButton)
        return QIcon(new DeferredIcon(baseStyle(), which));
    return QProxyStyle::standardIcon(which, option, widget);
}

}  // namespace

void install() {
    // Over the same style, made anew from its name: the application owns the one it had.
    QApplication::setStyle(new ProgramStyle(QApplication::style()->name()));
}

}  // namespace toolkit::program_style
