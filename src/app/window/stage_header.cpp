#include "app/window/stage_header.h"

#include "ui/paint/shapes.h"
#include "ui/paint/theme.h"
#include "ui/widgets/engine_indicator.h"
#include "ui/widgets/pixel_resolve_icon.h"

#include <QFontMetricsF>
#include <QPainter>

namespace clarivex {

namespace {

constexpr qreal spacing = 14.0;
constexpr qreal lineSpacing = 2.0;
// The still icon shows the emblem half resolved: a 6 × 6 grid with some gloss.
constexpr double iconProgress = 0.45;

QFont nameFont() {
    QFont font = Theme::title(24);
    font.setLetterSpacing(QFont::AbsoluteSpacing, -0.4);
    return font;
}

} // namespace

StageHeader::StageHeader(QWidget* parent)
    : QWidget(parent)
    , indicator_(new EngineIndicator(this)) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize StageHeader::sizeHint() const {
    return {2 * sidePadding + 400, topPadding + int(iconSide) + bottomPadding};
}

QRectF StageHeader::iconRect() const {
    return {qreal(sidePadding), qreal(topPadding), iconSide, iconSide};
}

void StageHeader::resizeEvent(QResizeEvent* event) {
    const QSize size = indicator_->sizeHint();
    const QRectF icon = iconRect();
    // The capsule's right edge sits on the padding line.
    indicator_->setGeometry(width() - sidePadding - size.width(),
                            int(icon.center().y() - size.height() / 2.0 + 0.5), size.width(),
                            size.height());
    QWidget::resizeEvent(event);
}

void StageHeader::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF icon = iconRect();
    paintIcon(painter, icon);

    const QFont name = nameFont();
    const QFont subtitle = Theme::body(12);
    const qreal nameHeight = QFontMetricsF(name).height();
    const qreal subtitleHeight = QFontMetricsF(subtitle).height();
    const qreal total = nameHeight + lineSpacing + subtitleHeight;
    const qreal x = icon.right() + spacing;
    const qreal top = icon.center().y() - total / 2.0;
    const qreal width = indicator_->x() - x - spacing;
    painter.setFont(name);
    painter.setPen(Theme::text());
    painter.drawText(QRectF(x, top, width, nameHeight), Qt::AlignLeft | Qt::AlignTop,
                     QStringLiteral("Clarivex"));
    painter.setFont(subtitle);
    painter.setPen(Theme::muted());
    painter.drawText(QRectF(x, top + nameHeight + lineSpacing, width, subtitleHeight),
                     Qt::AlignLeft | Qt::AlignTop,
                     QStringLiteral("Нейросеть Real-ESRGAN · локально на GPU"));
}

// The application's icon drawn as a still frame of the drop area's emblem, so that both share
// one look without a bitmap.
void StageHeader::paintIcon(QPainter& painter, const QRectF& canvas) {
    const QRectF tile = PixelResolveScene::tile(canvas.size()).translated(canvas.topLeft());
    const QPainterPath shape = continuousRoundedRect(tile, PixelResolveScene::cornerRadius(tile));
    iconGlow_.paint(painter, shape, {Theme::withOpacity(Theme::accent(), 0.35), 12.0, {}});

    painter.save();
    painter.setClipPath(shape);
    painter.fillPath(shape, Theme::accentGradient(tile));
    const int cells = PixelResolveScene::gridSize(iconProgress);
    const qreal cell = tile.width() / cells;
    for (int column = 0; column < cells; ++column) {
        for (int row = 0; row < cells; ++row) {
            const QRectF square(tile.left() + column * cell, tile.top() + row * cell, cell, cell);
            const double opacity = PixelResolveScene::cellOpacity(
                iconProgress, PixelResolveScene::dither(column, row));
            painter.fillRect(square, Theme::color(0x000000, opacity));
        }
    }
    QRadialGradient gloss(tile.left() + 0.7 * tile.width(), tile.top() + 0.25 * tile.height(),
                          0.45 * tile.width());
    gloss.setColorAt(0.0, Theme::color(0xFFFFFF, PixelResolveScene::glossOpacity(iconProgress)));
    gloss.setColorAt(1.0, Theme::color(0xFFFFFF, 0.0));
    painter.fillRect(tile, gloss);
    painter.restore();

    QPen pen(Theme::withOpacity(Theme::text(), 0.85), 1.6);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    painter.strokePath(PixelResolveScene::brackets(tile), pen);
}

} // namespace clarivex
