#include "ui/paint/glow_overhang.h"

#include <QPaintEngine>
#include <QPainter>
#include <QWidget>

#include <algorithm>

namespace clarivex {

GlowOverhang::GlowOverhang(QMarginsF margins, PaintGlow paintGlow)
    : margins_(margins)
    , paintGlow_(std::move(paintGlow)) {}

GlowOverhang* GlowOverhang::install(QWidget* widget, QMarginsF margins, PaintGlow paintGlow) {
    auto* overhang = new GlowOverhang(margins, std::move(paintGlow));
    widget->setGraphicsEffect(overhang);
    return overhang;
}

QMargins GlowOverhang::room(std::initializer_list<QMargins> overhangs) {
    QMargins result;
    for (const QMargins& margins : overhangs)
        result = QMargins(
            std::max(result.left(), margins.left()), std::max(result.top(), margins.top()),
            std::max(result.right(), margins.right()), std::max(result.bottom(), margins.bottom()));
    return result;
}

void GlowOverhang::setMargins(const QMarginsF& margins) {
    if (margins_ == margins)
        return;
    margins_ = margins;
    updateBoundingRect();
}

QRectF GlowOverhang::boundingRectFor(const QRectF& rect) const {
    const QRectF widget = sourceBoundingRect(Qt::LogicalCoordinates);
    // The whole widget comes in its parent's coordinates as well as in its own.
    if (widget.isEmpty() || rect.size() == widget.size())
        return rect.marginsAdded(margins_);
    // Qt asks this for every repainted part too, in the widget's coordinates: a part inside
    // the widget (a shimmer, an emblem's tile) leaves the glow outside as it is, and growing it
    // would repaint the parent's area around it on every frame.
    return rect.marginsAdded(QMarginsF(rect.left() <= widget.left() ? margins_.left() : 0.0,
                                       rect.top() <= widget.top() ? margins_.top() : 0.0,
                                       rect.right() >= widget.right() ? margins_.right() : 0.0,
                                       rect.bottom() >= widget.bottom() ? margins_.bottom() : 0.0));
}

void GlowOverhang::draw(QPainter* painter) {
    const QRect inside = sourceBoundingRect(Qt::LogicalCoordinates).toAlignedRect();
    const QRect outside = boundingRectFor(inside).toAlignedRect();
    // The widget paints its part of the glow itself; whole pixels on both sides of its edge
    // keep the seam invisible.
    const QRegion around = QRegion(outside).subtracted(QRegion(inside));
    if (reaches(*painter, around)) {
        painter->save();
        painter->setClipRegion(around, Qt::IntersectClip);
        painter->setRenderHint(QPainter::Antialiasing);
        paintGlow_(*painter);
        painter->restore();
    }
    drawSource(painter);
}

bool GlowOverhang::reaches(QPainter& painter, const QRegion& area) {
    // A frame that repaints only inside the widget (a shimmer, an emblem's tile) leaves the glow
    // around it as it was; blending it again would only spend the frame's time.
    const QPaintEngine* engine = painter.paintEngine();
    const QRegion dirty = engine ? engine->systemClip() : QRegion();
    if (dirty.isEmpty())
        return true;
    bool invertible = false;
    const QTransform toLogical = painter.deviceTransform().inverted(&invertible);
    return !invertible || toLogical.map(dirty).intersects(area);
}

} // namespace clarivex
