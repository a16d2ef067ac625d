#include "ui/paint/aspect_fit.h"

#include <algorithm>
#include <cmath>

namespace clarivex {

qreal aspectRatio(const QSize& pixels) {
    return qreal(pixels.width()) / std::max(pixels.height(), 1);
}

QRectF aspectFitBox(const QSize& pixels, const QRectF& space) {
    const qreal aspect = aspectRatio(pixels);
    if (!(aspect > 0.0) || !std::isfinite(aspect) || space.isEmpty())
        return {space.center(), QSizeF(0, 0)};
    const qreal width = std::min(space.height() * aspect, space.width());
    const qreal height = width / aspect;
    return {space.center().x() - width / 2.0, space.center().y() - height / 2.0, width, height};
}

} // namespace clarivex
