#include "composer/pictograph_palette.h"

#include <qdrawutil.h>
#include <QAccessible>
#include <QColor>
#include <QEvent>
#include <QFontMetricsF>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QProxyStyle>
#include <QStyleOptionTab>
#include <QTabBar>

#include "codepage/pictograph_table.h"
#include "composer/pictograph_glyph.h"
#include "composer/pictograph_pictures.h"
#include "toolkit/contrast.h"
#include "toolkit/fonts.h"

namespace {

constexpr int kButtonSize = pictograph_glyph::kButtonSize;
constexpr int kGridTop = 4;
// The pictograph at a caption's end drawn like a button's: filled and outlined in its
// colour. The text draws it as a thin line in the caption's colour otherwise.
void drawPictograph(QPainter* p, const QPointF& origin, const QFont& font, char32_t cp,
                    const QColor& background) {
    const QColor colour =
        toolkit::contrast::readable(QColor::fromRgb(pictographs::colour(cp)), background);
    pictograph_glyph::draw(p, pictograph_glyph::glyphFor(cp, font).outline, origin, colour);
}

// Tabs with little room beside their caption, so that the three fit the palette's width,
// and captions whose pictograph shows in its colour.
class CompactTabStyle : public QProxyStyle {
  public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_TabBarTabHSpace)
            return 12;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        const auto* tab = qstyleoption_cast<const QStyleOptionTab*>(option);
        const QString text = tab ? tab->text : QString();
        const char32_t last = text.isEmpty() ? 0 : text.back().unicode();
        if (element != CE_TabBarTabLabel || !pictographs::isPictograph(last)) {
            QProxyStyle::drawControl(element, option, painter, widget);
            return;
        }
        // The digit as the style draws text, then the pictograph beside it.
        const QString digit = text.left(text.size() - 1);
        const QFontMetricsF metrics(painter->font());
        const QRect r = subElementRect(SE_TabBarTabText, tab, widget);
        const qreal width = metrics.horizontalAdvance(text);
        const qreal x = r.x() + (r.width() - width) / 2;
        const qreal baseline = r.y() + (r.height() - metrics.height()) / 2 + metrics.ascent();
        painter->save();
        painter->setPen(tab->palette.color(QPalette::WindowText));
        painter->drawText(QPointF(x, baseline), digit);
        painter->restore();
        drawPictograph(painter, QPointF(x + metrics.horizontalAdvance(digit), baseline),
                       painter->font(), last, tab->palette.color(QPalette::Window));
    }
};

}  // namespace

PictographButton::PictographButton(char32_t codePoint, QWidget* parent)
    : QAbstractButton(parent), codePoint_(codePoint) {
    setText(QString::fromUcs4(&codePoint_, 1));
    // A screen reader says the pictograph's name, not its private-use character.
    setAccessibleName(pictographs::spokenName(codePoint_));
    setFocusPolicy(Qt::NoFocus);
    // A flat button shows its edge only under the mouse.
    setAttribute(Qt::WA_Hover);
}

QColor PictographButton::shownColour() const {
    // The design's colour, unless the desktop's palette puts it on a background it
    // would barely stand out from.
    return toolkit::contrast::readable(QColor::fromRgb(pictographs::colour(codePoint_)),
                                       palette().color(backgroundRole()));
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
    const QColor colour =
        isEnabled() ? shownColour() : palette().color(QPalette::Disabled, QPalette::WindowText);
    // Centred like a caption; it sinks by one pixel while the button is held down.
    const QFontMetricsF metrics(font());
    const QPoint sunk = down ? QPoint(1, 1) : QPoint();
    if (devicePixelRatioF() == 1.0) {
        if (const uchar* cover = pictograph_pictures::coverage(codePoint_, font(), metrics)) {
            constexpr int side = pictograph_glyph::kButtonSize;
            QImage picture(side, side, QImage::Format_ARGB32_Premultiplied);
            const QRgb c = colour.rgb();
            for (int y = 0; y < side; ++y) {
                auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
                for (int x = 0; x < side; ++x)
                    line[x] =
                        qPremultiply(qRgba(qRed(c), qGreen(c), qBlue(c), cover[y * side + x]));
            }
            p.drawImage(sunk, picture);
            return;
        }
    }
    const pictograph_glyph::Glyph shape = pictograph_glyph::glyphFor(codePoint_, font());
    pictograph_glyph::draw(&p, shape.outline,
                           pictograph_glyph::buttonOrigin(metrics, shape.advance) + sunk, colour);
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
    fillTab(0);
    setCurrentIndex(0);
    QAccessible::installActivationObserver(this);
    connect(this, &QTabWidget::currentChanged, this, [this] { fillTabs(); });
}

PictographPalette::~PictographPalette() {
    QAccessible::removeActivationObserver(this);
}

const QList<PictographButton*>& PictographPalette::buttons() {
    fillTabs();
    return buttons_;
}

bool PictographPalette::event(QEvent* event) {
    if (event->type() == QEvent::Paint && !painted_) {
        painted_ = true;
        // A screen reader finds every button, as soon as the window is on the screen.
        if (QAccessible::isActive())
            QMetaObject::invokeMethod(
                this, [this] { fillTabs(); }, Qt::QueuedConnection);
    }
    return QTabWidget::event(event);
}

void PictographPalette::accessibilityActiveChanged(bool active) {
    if (active && painted_)
        QMetaObject::invokeMethod(
            this, [this] { fillTabs(); }, Qt::QueuedConnection);
}

void PictographPalette::fillTabs() {
    // In tab order, so that the buttons are numbered in it.
    while (filledTabs_ < count())
        fillTab(filledTabs_);
}

void PictographPalette::chooseFromMenu(const QPoint& globalPos) {
    if (!menu_) {
        fillTabs();
        menu_ = new QMenu(this);
        for (int tab = 0; tab < count(); ++tab) {
            QMenu* page = menu_->addMenu(QStringLiteral("&%1 ").arg(tab + 1) +
                                         tabBar()->accessibleTabName(tab));
            for (PictographButton* button : buttons_) {
                if (button->parentWidget() != widget(tab))
                    continue;
                QString caption = button->accessibleName();
                caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
                QAction* action = page->addAction(QIcon(button->grab()), caption);
                action->setData(QVariant::fromValue(static_cast<QObject*>(button)));
            }
        }
    }
    if (QAction* chosen = menu_->exec(globalPos)) {
        if (auto* button = qobject_cast<PictographButton*>(chosen->data().value<QObject*>()))
            emit buttonClicked(button);
    }
}

QWidget* PictographPalette::makeTab(int tab) {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet%1").arg(tab + 1));
    const QString caption = pictographs::tabCaption(tab);
    const int index = addTab(page, caption);
    tabBar()->setAccessibleTabName(index,
                                   QStringLiteral("絵文字%1 %2")
                                       .arg(tab + 1)
                                       .arg(pictographs::spokenName(caption.back().unicode())));
    page->setAccessibleName(tabBar()->accessibleTabName(index));
    return page;
}

void PictographPalette::fillTab(int tab) {
    QWidget* page = widget(tab);
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
        // Made under a page already on the screen.
        if (page->isVisible())
            button->show();
    }
    filledTabs_ = tab + 1;
}
