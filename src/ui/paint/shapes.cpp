#include "ui/paint/shapes.h"

#include <QPainter>
#include <QPen>

#include <algorithm>

namespace clarivex {

namespace {

// A corner curve reaches this many radii along each edge and keeps its handles this many radii
// from the corner; its middle then sits near that of a circular arc of the same radius.
constexpr qreal cornerReach = 1.5;
constexpr qreal handleInset = 0.327;

} // namespace

qreal continuousCornerReach(qreal radius) {
    return std::max(0.0, radius) * cornerReach;
}

QPainterPath continuousRoundedRect(const QRectF& rect, qreal radius) {
    QPainterPath path;
    const QRectF r = rect.normalized();
    const qreal shorter = std::min(r.width(), r.height());
    radius = std::max(0.0, radius);
    if (radius <= 0.0) {
        path.addRect(r);
        return path;
    }
    if (radius * cornerReach > shorter / 2.0) {
        const qreal circular = std::min(radius, shorter / 2.0);
        path.addRoundedRect(r, circular, circular);
        return path;
    }
    const qreal reach = radius * cornerReach;
    const qreal handle = radius * handleInset;
    const qreal left = r.left(), right = r.right(), top = r.top(), bottom = r.bottom();
    path.moveTo(left + reach, top);
    path.lineTo(right - reach, top);
    path.cubicTo(right - handle, top, right, top + handle, right, top + reach);
    path.lineTo(right, bottom - reach);
    path.cubicTo(right, bottom - handle, right - handle, bottom, right - reach, bottom);
    path.lineTo(left + reach, bottom);
    path.cubicTo(left + handle, bottom, left, bottom - handle, left, bottom - reach);
    path.lineTo(left, top + reach);
    path.cubicTo(left, top + handle, left + handle, top, left + reach, top);
    path.closeSubpath();
    return path;
}

QPainterPath capsule(const QRectF& rect) {
    QPainterPath path;
    const qreal radius = std::min(rect.width(), rect.height()) / 2.0;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

void strokeInside(QPainter& painter, const QRectF& rect, qreal radius, const QBrush& brush,
                  qreal lineWidth) {
    const qreal half = lineWidth / 2.0;
    painter.save();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(brush, lineWidth));
    painter.drawPath(continuousRoundedRect(rect.adjusted(half, half, -half, -half),
                                           std::max(0.0, radius - half)));
    painter.restore();
}

void strokeCapsuleInside(QPainter& painter, const QRectF& rect, const QBrush& brush,
                         qreal lineWidth) {
    const qreal half = lineWidth / 2.0;
    painter.save();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(brush, lineWidth));
    painter.drawPath(capsule(rect.adjusted(half, half, -half, -half)));
    painter.restore();
}

void fillWithImage(QPainter& painter, const QPainterPath& area, const QImage& image,
                   const QRectF& target, bool smooth) {
    if (image.isNull() || area.isEmpty() || target.isEmpty())
        return;
    QBrush brush(image);
    QTransform transform;
    transform.translate(target.left(), target.top());
    transform.scale(target.width() / image.width(), target.height() / image.height());
    brush.setTransform(transform);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    painter.fillPath(area, brush);
    painter.restore();
}

} // namespace clarivex
