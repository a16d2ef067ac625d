#include "ui/paint/fade_scale_effect.h"

#include <QPainter>

namespace clarivex {

FadeScaleEffect::FadeScaleEffect(QObject* parent)
    : QGraphicsEffect(parent) {}

void FadeScaleEffect::setOpacity(qreal opacity) {
    if (opacity_ == opacity)
        return;
    opacity_ = opacity;
    update();
}

void FadeScaleEffect::setScale(qreal scale) {
    if (scale_ == scale)
        return;
    scale_ = scale;
    update();
}

void FadeScaleEffect::setShift(QPointF shift) {
    if (shift_ == shift)
        return;
    shift_ = shift;
    update();
}

bool FadeScaleEffect::isAtRest() const {
    return opacity_ >= 1.0 && scale_ == 1.0 && shift_.isNull();
}

void FadeScaleEffect::draw(QPainter* painter) {
    if (isAtRest()) {
        drawSource(painter);
        return;
    }
    if (opacity_ <= 0.0)
        return;
    QPoint offset;
    const QPixmap pixmap =
        sourcePixmap(Qt::LogicalCoordinates, &offset, QGraphicsEffect::PadToEffectiveBoundingRect);
    if (pixmap.isNull())
        return;
    const QPointF centre = sourceBoundingRect(Qt::LogicalCoordinates).center();
    painter->save();
    painter->setOpacity(painter->opacity() * opacity_);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->translate(centre + shift_);
    painter->scale(scale_, scale_);
    painter->translate(-centre);
    painter->drawPixmap(offset, pixmap);
    painter->restore();
}

} // namespace clarivex
