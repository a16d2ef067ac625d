#include "ui/widgets/glow_bar.h"

#include "ui/animation/reduce_motion.h"
#include "ui/paint/glow_overhang.h"
#include "ui/paint/shapes.h"
#include "ui/paint/theme.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace clarivex {

qreal GlowBarGeometry::fillWidth(qreal trackWidth, qreal value, qreal height) {
    const qreal clamped = std::isnan(value) ? 0.0 : std::clamp(value, 0.0, 1.0);
    return std::max(trackWidth * clamped, height);
}

double GlowBarGeometry::shimmerPhase(double seconds) {
    const double within = std::fmod(seconds, shimmerPeriod);
    return (within < 0.0 ? within + shimmerPeriod : within) / shimmerPeriod;
}

qreal GlowBarGeometry::shimmerLeft(qreal fillWidth, double phase) {
    return (fillWidth + shimmerWidth) * phase - shimmerWidth;
}

GlowBar::GlowBar(qreal height, QWidget* parent)
    : QWidget(parent)
    , height_(height)
    , value_(
          0.0, 350, Theme::easeOut(), [this] { fillMoved(); }, this)
    , shimmer_([this](double now) { shimmerMoved(now); }) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    GlowOverhang::install(this, QMarginsF(overhang()),
                          [this](QPainter& painter) { paintGlow(painter); });
}

GlowSpec GlowBar::glow() {
    return {Theme::withOpacity(Theme::accent(), 0.7), 8.0, {}};
}

QSize GlowBar::sizeHint() const {
    return {200, int(std::ceil(height_))};
}

QSize GlowBar::minimumSizeHint() const {
    return {int(std::ceil(height_)), int(std::ceil(height_))};
}

void GlowBar::setValue(qreal value) {
    const qreal previous = value_.target();
    value_.animateTo(value);
    if (value != previous)
        Q_EMIT valueChanged(value);
}

void GlowBar::setValueImmediately(qreal value) {
    const qreal previous = value_.target();
    value_.jumpTo(value);
    if (value != previous)
        Q_EMIT valueChanged(value);
}

QRectF GlowBar::trackRect() const {
    const QRectF whole(rect());
    return {whole.left(), whole.center().y() - height_ / 2.0, whole.width(), height_};
}

QRectF GlowBar::fillRect() const {
    const QRectF track = trackRect();
    return {track.left(), track.top(),
            GlowBarGeometry::fillWidth(track.width(), value_.value(), height_), height_};
}

void GlowBar::fillMoved() {
    const QRectF fill = fillRect();
    const QMarginsF reach = glowMargins(glow());
    const QRect reached = fill.united(paintedFill_).marginsAdded(reach).toAlignedRect();
    update(reached);
    // Without its overhang (inside a parent that paints the glow around the bar itself) the
    // glow beyond the bar is the parent's to repaint.
    if (!graphicsEffect() && parentWidget())
        parentWidget()->update(reached.translated(pos()));
}

QRectF GlowBar::highlightRect(double seconds) const {
    const QRectF fill = paintedFill_;
    const qreal left = fill.left() + GlowBarGeometry::shimmerLeft(
                                         fill.width(), GlowBarGeometry::shimmerPhase(seconds));
    return QRectF(left, fill.top(), GlowBarGeometry::shimmerWidth, fill.height()).intersected(fill);
}

void GlowBar::shimmerMoved(double now) {
    // Only where the highlight was and is now; the rest of the fill does not change.
    const QRectF next = highlightRect(now);
    update(next.united(paintedHighlight_).toAlignedRect());
    paintedHighlight_ = next;
}

void GlowBar::updateShimmer() {
    if (isVisible() && !ReduceMotion::enabled())
        shimmer_.start();
    else
        shimmer_.stop();
}

void GlowBar::showEvent(QShowEvent* event) {
    updateShimmer();
    QWidget::showEvent(event);
}

void GlowBar::hideEvent(QHideEvent* event) {
    shimmer_.stop();
    value_.finish();
    QWidget::hideEvent(event);
}

void GlowBar::paintGlow(QPainter& painter) {
    glowCache_.paintCapsule(painter, fillRect(), glow());
}

void GlowBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF track = trackRect();
    painter.fillPath(capsule(track), Theme::color(0xFFFFFF, 0.07));

    const QRectF fill = fillRect();
    paintedFill_ = fill;
    paintGlow(painter);
    const QPainterPath fillShape = capsule(fill);
    painter.fillPath(fillShape, Theme::accentGradient(fill));

    if (ReduceMotion::enabled())
        return;
    paintedHighlight_ = highlightRect(FrameClock::now());
    const double phase = GlowBarGeometry::shimmerPhase(FrameClock::now());
    const qreal left = fill.left() + GlowBarGeometry::shimmerLeft(fill.width(), phase);
    QLinearGradient highlight(left, 0, left + GlowBarGeometry::shimmerWidth, 0);
    highlight.setColorAt(0.0, Theme::color(0xFFFFFF, 0.0));
    highlight.setColorAt(0.5, Theme::color(0xFFFFFF, 0.55));
    highlight.setColorAt(1.0, Theme::color(0xFFFFFF, 0.0));
    painter.setClipPath(fillShape);
    painter.fillRect(QRectF(left, fill.top(), GlowBarGeometry::shimmerWidth, fill.height()),
                     highlight);
}

} // namespace clarivex
