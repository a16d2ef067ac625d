#pragma once

#include "ui/animation/eased_value.h"
#include "ui/animation/frame_clock.h"
#include "ui/paint/glow.h"

#include <QWidget>

namespace clarivex {

// The arithmetic of the glowing progress bar, for the view and its tests.
struct GlowBarGeometry {
    static constexpr qreal shimmerWidth = 60.0;
    static constexpr double shimmerPeriod = 1.6;

    // The fill's width: `value` clamped to 0..1 of the track (NaN counts as 0), but never
    // narrower than `height`, so that the bar is at least a circle.
    static qreal fillWidth(qreal trackWidth, qreal value, qreal height);
    // 0..1 through the current shimmer sweep, from the shared clock.
    static double shimmerPhase(double seconds);
    // The highlight's left edge: it enters at the fill's left and leaves past its right end.
    static qreal shimmerLeft(qreal fillWidth, double phase);
};

// A capsule progress bar: the accent fill glows on a faint track and, unless reduce motion is
// on, a highlight sweeps across the fill every 1.6 s. Only the highlight's strip of the fill is
// repainted per frame, and nothing while hidden. The widget is the track (the bar's height,
// centred in a taller widget); the fill's glow overhangs it by overhang() (see GlowOverhang).
// Main thread only.
class GlowBar : public QWidget {
    Q_OBJECT
    Q_PROPERTY(qreal value READ value WRITE setValue NOTIFY valueChanged)
public:
    explicit GlowBar(qreal height = 6.0, QWidget* parent = nullptr);

    qreal value() const { return value_.target(); }
    // Eases the fill to the new value over 0.35 s.
    void setValue(qreal value);
    void setValueImmediately(qreal value);
    qreal barHeight() const { return height_; }

    QRectF trackRect() const;
    // The fill as drawn now.
    QRectF fillRect() const;
    bool isShimmering() const { return shimmer_.isActive(); }

    static GlowSpec glow();
    static QMargins overhang() { return glowRoom(glow()); }
    // The fill's glow as drawn now, in the bar's coordinates; for a parent whose edge the bar
    // reaches, to paint the part beyond itself.
    void paintGlow(QPainter& painter);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void valueChanged(qreal value);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void updateShimmer();
    void fillMoved();
    void shimmerMoved(double now);
    QRectF highlightRect(double seconds) const;

    qreal height_;
    EasedValue value_;
    FrameTicker shimmer_;
    QRectF paintedFill_;
    QRectF paintedHighlight_;
    GlowCache glowCache_;
};

} // namespace clarivex
