#include "ui/widgets/mini_ring.h"

#include "ui/paint/glow_overhang.h"
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
    GlowOverhang::install(this, QMarginsF(overhang()), [this](QPainter& painter) {
        const QRectF ring = ringRect();
        painter.setPen(QPen(Theme::color(0xFFFFFF, 0.12), lineWidth, Qt::SolidLine, Qt::FlatCap));
        painter.drawEllipse(ring);
        paintArcGlow(painter);
        paintArc(painter);
    });
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
        Q_EMIT valueChanged(value);
}

void MiniRing::setValueImmediately(qreal value) {
    const qreal previous = value_.target();
    value_.jumpTo(value);
    if (value != previous)
        Q_EMIT valueChanged(value);
}

GlowSpec MiniRing::glow() {
    return {Theme::withOpacity(Theme::accent(), 0.7), 4.0, {}};
}

QMargins MiniRing::overhang() {
    // The strokes are centred on the circle, so half of them lies outside; the glow reaches past.
    const int stroke = int(std::ceil(lineWidth / 2.0));
    return glowRoom(glow()) + QMargins(stroke, stroke, stroke, stroke);
}

QSize MiniRing::sizeHint() const {
    return {14, 14};
}

QRectF MiniRing::ringRect() const {
    const QRectF whole(rect());
    const qreal side = std::min(whole.width(), whole.height());
    return {whole.center().x() - side / 2.0, whole.center().y() - side / 2.0, side, side};
}

QPainterPath MiniRing::arcPath(const QRectF& ring, qreal sweep) {
    // Drawn in a frame turned −90° about the centre, so that 0° (3 o'clock) is 12 o'clock on
    // screen; Qt counts anticlockwise, so a negative span runs clockwise.
    QPainterPath arc;
    arc.arcMoveTo(ring, 0.0);
    arc.arcTo(ring, 0.0, -sweep * 360.0);
    return arc;
}

void MiniRing::hideEvent(QHideEvent* event) {
    value_.finish();
    QWidget::hideEvent(event);
}

void MiniRing::paintArcGlow(QPainter& painter) {
    const QRectF ring = ringRect();
    if (ring.isEmpty())
        return;
    QPainterPathStroker stroker;
    stroker.setWidth(lineWidth);
    stroker.setCapStyle(Qt::RoundCap);
    // The glow follows the arc itself, caps included, so it ends as softly as the stroke.
    painter.save();
    painter.translate(ring.center());
    painter.rotate(-90.0);
    painter.translate(-ring.center());
    glowCache_.paint(painter, stroker.createStroke(arcPath(ring, sweepFraction(value_.value()))),
                     glow());
    painter.restore();
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

    paintArcGlow(painter);
    paintArc(painter);
}

void MiniRing::paintArc(QPainter& painter) {
    const QRectF ring = ringRect();
    // The gradient turns with the arc: it is laid out in the turned frame.
    painter.save();
    painter.translate(ring.center());
    painter.rotate(-90.0);
    painter.translate(-ring.center());
    painter.setPen(
        QPen(QBrush(Theme::accentGradient(ring)), lineWidth, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(arcPath(ring, sweepFraction(value_.value())));
    painter.restore();
}

} // namespace clarivex
