#pragma once

#include <QRectF>
#include <QSize>

namespace clarivex {

// Width over height of a picture, with the height taken as at least 1 pixel so that a picture
// that reports no height divides by nothing.
qreal aspectRatio(const QSize& pixels);

// The largest rectangle of the picture's aspect ratio that fits `space`, centred in it. A
// picture without width gives an empty rectangle at the centre.
QRectF aspectFitBox(const QSize& pixels, const QRectF& space);

} // namespace clarivex
