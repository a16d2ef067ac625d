#pragma once

#include <QBrush>
#include <QImage>
#include <QPainterPath>
#include <QRectF>

class QPainter;

namespace clarivex {

// The design's shapes. A rounded rectangle has "continuous" corners: the curve starts earlier
// than a circular arc and eases into the straight edge, as the design's corners do. Where the
// sides are too short for that, it falls back to circular corners.
QPainterPath continuousRoundedRect(const QRectF& rect, qreal radius);
// How far along each side from a corner the curve of continuousRoundedRect() reaches.
qreal continuousCornerReach(qreal radius);
// An oval-ended rectangle: the corner radius is half the shorter side.
QPainterPath capsule(const QRectF& rect);

// Strokes the outline of a continuous rounded rectangle (or a capsule), with the line lying
// fully inside the shape (the rectangle is inset by half the line width, the radius with it).
void strokeInside(QPainter& painter, const QRectF& rect, qreal radius, const QBrush& brush,
                  qreal lineWidth);
void strokeCapsuleInside(QPainter& painter, const QRectF& rect, const QBrush& brush,
                         qreal lineWidth);

// Fills `area` with `image` stretched onto `target`, sampled smoothly or as hard nearest
// pixels. Unlike a clip path, which Qt's raster engine does not antialias, the filled shape
// keeps soft edges, so rounded corners of pictures stay smooth.
void fillWithImage(QPainter& painter, const QPainterPath& area, const QImage& image,
                   const QRectF& target, bool smooth);

} // namespace clarivex
