#include "ui/widgets/mini_ring.h"

#include "ui/paint/theme.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace clarivex {

MiniRing::MiniRing(QWidget* parent)
    : QWidget(parent)
    , value_(
          0.0, 300, Theme::easeOut(), [this] { update(); }, this) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

qreal MiniRing::sweepFraction(qreal value) {
    if (std::isnan(value))
        return minimumSweep;
    return std::max(minimumSweep, std::min(value, 1.0));
}

void MiniRing::setValue(qreal value) {
    const qreal previous = value_.target();
    value_.animateTo(value);
    if (value != previous)
        emit valueChanged(value);
}

void MiniRing::setValueImmediately(qreal value) {
    const qreal previous = value_.target();
    value_.jumpTo(value);
    if (value != previous)
        emit valueChanged(value);
}

GlowSpec MiniRing::glow() {
    return {Theme::withOpacity(Theme::accent(), 0.7), 4.0, {}};
}

QMargins MiniRing::room() {
    // The stroke is centred on the circle, so half of it lies outside; the glow reaches past it.
    const int stroke = int(std::ceil(lineWidth / 2.0));
    return glowRoom(glow()) + QMargins(stroke, stroke, stroke, stroke);
}

QSize MiniRing::sizeHint() const {
    const QMargins margins = room();
    return {14 + margins.left() + margins.right(), 14 + margins.top() + margins.bottom()};
}

QRectF MiniRing::ringRect() const {
    const QRectF inner = QRectF(rect()).marginsRemoved(QMarginsF(room()));
    const qreal side = std::min(inner.width(), inner.height());
    return {inner.center().x() - side / 2.0, inner.center().y() - side / 2.0, side, side};
}

void MiniRing::hideEvent(QHideEvent* event) {
    value_.finish();
    QWidget::hideEvent(event);
}

void MiniRing::paintEvent(QPaintEvent*) {
    const QRectF ring = ringRect();
    if (ring.isEmpty())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    painter.setPen(QPen(Theme::color(0xFFFFFF, 0.12), lineWidth, Qt::SolidLine, Qt::FlatCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(ring);

    const qreal sweep = sweepFraction(value_.value());
    // The glow of the whole ring is blurred once and cut to the arc's wedge, widened by the
    // round caps, so that an easing arc never needs a new blur.
    QPainterPath ringShape;
    ringShape.addEllipse(ring);
    QPainterPathStroker stroker;
    stroker.setWidth(lineWidth);
    const QPainterPath band = stroker.createStroke(ringShape);
    const qreal radius = ring.width() / 2.0;
    const qreal capDegrees = (lineWidth / 2.0) / std::max(radius, 0.5) * 180.0 / std::numbers::pi;
    const QRectF reach = QRectF(rect()).adjusted(-4, -4, 4, 4);
    const qreal side = std::max(reach.width(), reach.height());
    const QRectF wedgeBounds(ring.center().x() - side, ring.center().y() - side, 2 * side,
                             2 * side);
    QPainterPath wedge;
    wedge.moveTo(ring.center());
    wedge.arcTo(wedgeBounds, 90.0 + capDegrees, -(sweep * 360.0 + 2 * capDegrees));
    wedge.closeSubpath();
    painter.save();
    if (sweep < 1.0)
        painter.setClipPath(wedge);
    glowCache_.paint(painter, band, glow());
    painter.restore();

    // Qt counts angles anticlockwise from 3 o'clock in sixteenths of a degree: start at
    // 12 o'clock and run clockwise.
    painter.setPen(
        QPen(QBrush(Theme::accentGradient(ring)), lineWidth, Qt::SolidLine, Qt::RoundCap));
    painter.drawArc(ring, 90 * 16, -int(std::lround(sweep * 360.0 * 16.0)));
}

} // namespace clarivex
