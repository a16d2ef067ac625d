#pragma once

#include <QGraphicsEffect>
#include <QMarginsF>

#include <functional>
#include <initializer_list>

class QWidget;

namespace clarivex {

// The one rule of every component that glows or casts a shadow: the widget's rectangle is its
// visible edge (the card, the capsule, the tile, the bar), so that layouts line edges up with
// the spacings of the design. The glow overhangs that rectangle: the widget paints the part
// inside itself as usual, and this effect paints the same glow again into the parent's area
// around the widget, `margins()` wide on each side, clipped to outside the widget so that the
// two parts meet without a seam. Nothing of a glow is cut as long as the parent keeps that much
// room around the widget (its layout margins and spacing); like any child, nothing is drawn
// beyond the parent. A repainted part of the widget repaints the glow only beyond the edges it
// reaches, so a change that alters the glow repaints up to the widget's edges (update() does).
// A widget holds one graphics effect, so another one set on such a widget
// would remove its overhang: fade a parent instead.
//
// A view that holds glowing children cannot carry an overhang itself: Qt draws a graphics
// effect nested in another one without a painter, so the inner glow would vanish beyond its
// widget (glowing children of a view that fades through an effect lose theirs the same way
// while it moves). Such a view keeps room() inside its own rectangle instead: its rectangle is
// what it shows grown by that room, its own glow is painted in the room, and its children's
// overhangs fall into it. Main thread only.
class GlowOverhang : public QGraphicsEffect {
    Q_OBJECT
public:
    using PaintGlow = std::function<void(QPainter&)>;

    // Installs a new overhang on `widget`, which then owns it. `paintGlow` paints the glow in
    // the widget's coordinates, as the widget's own paintEvent does.
    static GlowOverhang* install(QWidget* widget, QMarginsF margins, PaintGlow paintGlow);

    // The room a view keeps around what it shows for all of `overhangs`: its own glow's
    // (glowRoom()) and its glowing children's.
    static QMargins room(std::initializer_list<QMargins> overhangs);

    QMarginsF margins() const { return margins_; }
    void setMargins(const QMarginsF& margins);

protected:
    QRectF boundingRectFor(const QRectF& rect) const override;
    void draw(QPainter* painter) override;

private:
    GlowOverhang(QMarginsF margins, PaintGlow paintGlow);
    // Whether the part being repainted reaches into `area` (logical coordinates).
    static bool reaches(QPainter& painter, const QRegion& area);

    QMarginsF margins_;
    PaintGlow paintGlow_;
};

} // namespace clarivex
