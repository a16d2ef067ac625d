#pragma once

#include <QColor>
#include <QImage>
#include <QMarginsF>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>

#include <optional>

class QPainter;

namespace clarivex {

// A coloured, blurred shadow as the design gives it. `blur` is a blur radius read the way CSS
// reads one: the Gaussian's standard deviation is half of it, so the glow fades out about one
// radius beyond the shape and is gone after one and a quarter.
struct GlowSpec {
    QColor color;
    qreal blur = 0.0;
    QPointF offset;

    qreal sigma() const { return blur / 2.0; }
    bool operator==(const GlowSpec&) const = default;
};

// How far the glow reaches beyond the shape on each side; widgets whose glow spills over their
// shape keep this much room around it, since a widget cannot paint outside its rectangle.
QMarginsF glowMargins(const GlowSpec& spec);
// The same in whole points, rounded up, for layouts.
QMargins glowRoom(const GlowSpec& spec);

// Blurs an 8-bit alpha image in place with three box passes (close to a Gaussian of `sigma`
// pixels). Pixels outside the image count as clear.
void blurAlpha(QImage& alpha, qreal sigma);

// One cached glow: the blurred image is made again only when the shape's form (not its
// position), the colour, the blur or the device pixel ratio change, never once per frame.
// Large blurs are made at a reduced resolution and drawn smoothly enlarged, which a blur cannot
// tell apart. Main thread only.
class GlowCache {
public:
    void paint(QPainter& painter, const QPainterPath& shape, const GlowSpec& spec);
    // The glow of a capsule of any width, stitched from the two ends and the straight middle of
    // one cached capsule of the same height: for fills and capsules that slide and stretch.
    void paintCapsule(QPainter& painter, const QRectF& capsule, const GlowSpec& spec);

    // How many blurred images this cache has made so far.
    int renderCount() const { return renderCount_; }

private:
    struct Key {
        QPainterPath form;
        QColor color;
        qreal blur = 0.0;
        qreal ratio = 1.0;
        bool operator==(const Key&) const = default;
    };

    void ensure(const Key& key);

    std::optional<Key> key_;
    QImage image_;
    // Image pixels per point.
    qreal imageScale_ = 1.0;
    // Where the image's top-left corner lies relative to the shape's bounding box, unshifted.
    QPointF imageOrigin_;
    int renderCount_ = 0;
};

} // namespace clarivex
