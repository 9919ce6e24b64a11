#include "registration_window.h"

#include <QFontInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "codepage/pictograph_table.h"

namespace {

constexpr int kColumns = 18;

QFont uiFont(int pixels) {
    QFont font(QStringList{QStringLiteral("IPAPGothic"), QStringLiteral("IPA Pゴシック")});
    font.setPixelSize(pixels);
    return font;
}

}  // namespace

RegistrationWindow::RegistrationWindow(const font_registration::Outcome& outcome)
    : QWidget(nullptr, Qt::Window) {
    using Kind = font_registration::Outcome::Kind;
    setObjectName(QStringLiteral("RegistrationWindow"));
    setWindowTitle(QStringLiteral("外字登録 - Mirvane"));
    setFont(uiFont(12));

    const bool failed = outcome.kind == Kind::Failed;
    auto* icon = new QLabel(this);
    icon->setPixmap(style()
                        ->standardIcon(failed ? QStyle::SP_MessageBoxCritical
                                              : QStyle::SP_MessageBoxInformation)
                        .pixmap(32, 32));
    auto* message = new QLabel(outcome.message, this);
    message->setObjectName(QStringLiteral("Message"));
    message->setTextInteractionFlags(Qt::TextSelectableByMouse);
    message->setWordWrap(true);
    message->setMinimumWidth(420);
    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addWidget(message, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);

    if (!failed) {
        // Asked for by name alone, without falling back on other fonts: what shows is
        // what fontconfig gives for the family.
        QFont pictographFont(QString::fromLatin1(font_registration::kFamily));
        pictographFont.setPixelSize(20);
        pictographFont.setStyleStrategy(QFont::NoFontMerging);
        drawnWithFamily_ =
            QFontInfo(pictographFont).family() == QString::fromLatin1(font_registration::kFamily);

        auto* caption = new QLabel(
            drawnWithFamily_
                ? QStringLiteral("fontconfig が「%1」として見つけたフォントで描いた 252 の絵文字:")
                      .arg(QString::fromLatin1(font_registration::kFamily))
                : QStringLiteral("fontconfig がフォント「%1」を見つけられません。"
                                 "下の絵文字は正しく表示されていません。")
                      .arg(QString::fromLatin1(font_registration::kFamily)),
            this);
        caption->setObjectName(QStringLiteral("Caption"));
        layout->addWidget(caption);

        auto* grid = new QGridLayout;
        grid->setSpacing(2);
        int k = 0;
        for (int tab = 0; tab < pictographs::kTabCount; ++tab) {
            for (char32_t cp : pictographs::tabCodes(tab)) {
                auto* cell = new QLabel(QString::fromUcs4(&cp, 1), this);
                cell->setFont(pictographFont);
                cell->setAlignment(Qt::AlignCenter);
                cell->setFixedSize(26, 26);
                cell->setToolTip(
                    QStringLiteral("U+%1").arg(uint(cp), 4, 16, QLatin1Char('0')).toUpper());
                QPalette colours = cell->palette();
                colours.setColor(QPalette::WindowText, QColor::fromRgb(pictographs::colour(cp)));
                cell->setPalette(colours);
                grid->addWidget(cell, k / kColumns, k % kColumns);
                ++k;
            }
        }
        auto* frame = new QWidget(this);
        frame->setObjectName(QStringLiteral("Pictographs"));
        frame->setAutoFillBackground(true);
        QPalette white = frame->palette();
        white.setColor(QPalette::Window, Qt::white);
        frame->setPalette(white);
        frame->setLayout(grid);
        layout->addWidget(frame);
    }

    auto* close = new QPushButton(QStringLiteral("閉じる(&C)"), this);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(close);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
