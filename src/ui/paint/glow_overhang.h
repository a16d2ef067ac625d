#pragma once

#include <QGraphicsEffect>
#include <QMarginsF>

#include <functional>

class QWidget;

namespace clarivex {

// The one rule of every component that glows or casts a shadow: the widget's rectangle is its
// visible edge (the card, the capsule, the tile, the bar), so that layouts line edges up with
// the spacings of the design. The glow overhangs that rectangle: the widget paints the part
// inside itself as usual, and this effect paints the same glow again into the parent's area
// around the widget, `margins()` wide on each side, clipped to outside the widget so that the
// two parts meet without a seam. Nothing of a glow is cut as long as the parent keeps that much
// room around the widget (its layout margins and spacing); like any child, nothing is drawn
// beyond the parent. Main thread only.
class GlowOverhang : public QGraphicsEffect {
    Q_OBJECT
public:
    using PaintBeneath = std::function<void(QPainter&)>;

    // Installs a new overhang on `widget`, which then owns it. `paintGlow` paints the glow in
    // the widget's coordinates, as the widget's own paintEvent does.
    static GlowOverhang* install(QWidget* widget, QMarginsF margins, PaintBeneath paintGlow);

    QMarginsF margins() const { return margins_; }
    void setMargins(const QMarginsF& margins);

protected:
    QRectF boundingRectFor(const QRectF& rect) const override;
    void draw(QPainter* painter) override;

private:
    GlowOverhang(QMarginsF margins, PaintBeneath paintBeneath);

    QMarginsF margins_;
    PaintBeneath paintBeneath_;
};

} // namespace clarivex
