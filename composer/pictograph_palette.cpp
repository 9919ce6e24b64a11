#include "composer/pictograph_palette.h"

#include <qdrawutil.h>
#include <QColor>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QProxyStyle>
#include <QTabBar>

#include "composer/pictograph_table.h"
#include "toolkit/fonts.h"

namespace {

constexpr int kButtonSize = 14;
constexpr int kGridTop = 4;
// A thin outline around each glyph: at 12 pixels the line-art pictographs would
// otherwise fade to a pale tint of their colour.
constexpr qreal kGlyphOutline = 0.6;

// Tabs with little room beside their caption, so that the three fit the palette's width.
class CompactTabStyle : public QProxyStyle {
  public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_TabBarTabHSpace)
            return 12;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

}  // namespace

PictographButton::PictographButton(char32_t codePoint, QWidget* parent)
    : QAbstractButton(parent), codePoint_(codePoint) {
    setText(QString::fromUcs4(&codePoint_, 1));
    setFocusPolicy(Qt::NoFocus);
    // A flat button shows its edge only under the mouse.
    setAttribute(Qt::WA_Hover);
}

QSize PictographButton::sizeHint() const {
    return {kButtonSize, kButtonSize};
}

void PictographButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect r = rect();
    const bool down = isDown() || isChecked();
    if (down) {
        qDrawShadePanel(&p, r, palette(), true, 1);
    } else if (underMouse() && isEnabled()) {
        qDrawShadePanel(&p, r, palette(), false, 1);
    }
    const QColor colour = isEnabled() ? QColor::fromRgb(pictographs::colour(codePoint_))
                                      : palette().color(QPalette::Disabled, QPalette::WindowText);
    // Centred like a caption; it sinks by one pixel while the button is held down.
    const QFontMetricsF metrics(font());
    QPointF origin((r.width() - metrics.horizontalAdvance(text())) / 2,
                   (r.height() - metrics.height()) / 2 + metrics.ascent());
    if (down)
        origin += QPointF(1, 1);
    QPainterPath glyph;
    glyph.addText(origin, font(), text());
    p.setRenderHint(QPainter::Antialiasing);
    p.fillPath(glyph, colour);
    p.strokePath(glyph, QPen(colour, kGlyphOutline));
}

PictographPalette::PictographPalette(QWidget* parent) : QTabWidget(parent) {
    setObjectName(QStringLiteral("PageControl1"));
    setFont(toolkit::fonts::windowFont());
    auto* tabStyle = new CompactTabStyle;
    tabStyle->setParent(this);
    tabBar()->setStyle(tabStyle);
    resize(136, 175);
    // The tab strip is reached with Tab but a click on it leaves the focus where it was.
    tabBar()->setFocusPolicy(Qt::TabFocus);
    setFocusPolicy(Qt::TabFocus);
    setUsesScrollButtons(false);
    setElideMode(Qt::ElideNone);

    TabSheet1 = makeTab(0);
    TabSheet2 = makeTab(1);
    TabSheet3 = makeTab(2);
    setCurrentIndex(0);
}

QWidget* PictographPalette::makeTab(int tab) {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet%1").arg(tab + 1));
    const auto codes = pictographs::tabCodes(tab);
    for (std::size_t k = 0; k < codes.size(); ++k) {
        auto* button = new PictographButton(codes[k], page);
        button->setObjectName(QStringLiteral("SpeedButton%1").arg(buttons_.size() + 1));
        const int col = int(k % pictographs::kColumns);
        const int row = int(k / pictographs::kColumns);
        button->setGeometry(kButtonSize * col, kGridTop + kButtonSize * row, kButtonSize,
                            kButtonSize);
        connect(button, &QAbstractButton::clicked, this,
                [this, button] { emit buttonClicked(button); });
        buttons_.append(button);
    }
    addTab(page, pictographs::tabCaption(tab));
    return page;
}
