#include "ui/paint/glow_overhang.h"

#include <QPainter>
#include <QWidget>

namespace clarivex {

GlowOverhang::GlowOverhang(QMarginsF margins, PaintBeneath paintBeneath)
    : margins_(margins)
    , paintBeneath_(std::move(paintBeneath)) {}

GlowOverhang* GlowOverhang::install(QWidget* widget, QMarginsF margins, PaintBeneath paintBeneath) {
    auto* overhang = new GlowOverhang(margins, std::move(paintBeneath));
    widget->setGraphicsEffect(overhang);
    return overhang;
}

void GlowOverhang::setMargins(const QMarginsF& margins) {
    if (margins_ == margins)
        return;
    margins_ = margins;
    updateBoundingRect();
}

QRectF GlowOverhang::boundingRectFor(const QRectF& rect) const {
    return rect.marginsAdded(margins_);
}

void GlowOverhang::draw(QPainter* painter) {
    const QRect inside = sourceBoundingRect(Qt::LogicalCoordinates).toAlignedRect();
    const QRect outside = boundingRectFor(inside).toAlignedRect();
    painter->save();
    // The widget paints its part of the glow itself; whole pixels on both sides of its edge
    // keep the seam invisible.
    painter->setClipRegion(QRegion(outside).subtracted(QRegion(inside)), Qt::IntersectClip);
    painter->setRenderHint(QPainter::Antialiasing);
    paintBeneath_(*painter);
    painter->restore();
    drawSource(painter);
}

} // namespace clarivex
