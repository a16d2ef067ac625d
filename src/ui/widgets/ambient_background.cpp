#include "ui/widgets/ambient_background.h"

#include "ui/animation/reduce_motion.h"
#include "ui/paint/theme.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <limits>

namespace clarivex {

namespace {

struct BlobRow {
    qreal x;
    qreal y;
    qreal radius;
    double phase;
};

constexpr std::array<BlobRow, 2> blobTable{{{0.18, 0.12, 0.55, 0.0}, {0.85, 0.95, 0.65, 2.1}}};

constexpr qreal gridOpacity = 0.035;
constexpr qreal gridFadeShare = 0.55;

} // namespace

std::array<AmbientScene::Blob, 2> AmbientScene::blobs(const QSizeF& size, double seconds,
                                                      qreal intensity) {
    const double a = seconds / 7.0;
    const double b = seconds / 9.0;
    const qreal longer = std::max(size.width(), size.height());
    std::array<Blob, 2> result;
    for (size_t i = 0; i < blobTable.size(); ++i) {
        const BlobRow& row = blobTable[i];
        result[i] = {QPointF(size.width() * (row.x + 0.06 * std::sin(a + row.phase)),
                             size.height() * (row.y + 0.05 * std::cos(b + row.phase))),
                     longer * row.radius, 0.2 * intensity};
    }
    return result;
}

std::vector<QRectF> AmbientScene::gridRects(const QSizeF& size) {
    std::vector<QRectF> rects;
    if (size.width() <= 0.0 || size.height() <= 0.0)
        return rects;
    for (qreal x = 0.0; x < size.width(); x += gridStep)
        rects.emplace_back(x, 0.0, gridLine, size.height());
    for (qreal y = 0.0; y < size.height(); y += gridStep)
        rects.emplace_back(0.0, y, size.width(), gridLine);
    return rects;
}

qreal AmbientScene::gridFadeRadius(const QSizeF& size) {
    return gridFadeShare * std::max(size.width(), size.height());
}

qreal AmbientScene::fastestDrift(const QSizeF& size) {
    // The largest derivative of blobs()' centres: amplitude times angular speed on each axis.
    const qreal drift = std::hypot(0.06 * size.width() / 7.0, 0.05 * size.height() / 9.0);
    return std::max(drift, 1e-6);
}

qreal AmbientScene::visibleShift(const QSizeF& size, qreal intensity) {
    // Opacity falls linearly from the centre to the rim, so the steepest slope is everywhere
    // the same: the centre's opacity over the radius, times the accent's brightest channel
    // (in colour steps) above the near-black beneath. A whole step: the backdrop then changes
    // by one step at most between two redraws, which no eye tells from a continuous drift,
    // and a redraw repaints the whole window.
    constexpr qreal oneStep = 1.0;
    const qreal radius =
        std::min(blobTable[0].radius, blobTable[1].radius) * std::max(size.width(), size.height());
    const qreal steps = Theme::accent().red() - Theme::background().red();
    const qreal slope = 0.2 * std::max(intensity, 0.0) * steps / std::max(radius, 1.0);
    // Without glows no move is ever visible.
    constexpr qreal never = 1e9;
    return slope > 0.0 ? std::min(oneStep / slope, never) : never;
}

AmbientBackground::AmbientBackground(QWidget* parent)
    : QWidget(parent)
    , intensity_(
          1.0, 200, Theme::easeOut(),
          [this] {
              // A brighter backdrop shows smaller moves: the next check cannot wait as long.
              ticker_.sleepUntil(-std::numeric_limits<double>::infinity());
              update();
          },
          this)
    , ticker_([this](double) { tick(); }, AmbientScene::frameInterval) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void AmbientBackground::setIntensity(qreal intensity) {
    const qreal previous = intensity_.target();
    intensity_.animateTo(intensity);
    if (intensity_.target() != previous)
        Q_EMIT intensityChanged(intensity);
}

void AmbientBackground::setIntensityImmediately(qreal intensity) {
    const qreal previous = intensity_.target();
    intensity_.jumpTo(intensity);
    if (intensity != previous)
        Q_EMIT intensityChanged(intensity);
}

double AmbientBackground::clockTime() const {
    return ReduceMotion::enabled() ? 0.0 : FrameClock::now();
}

void AmbientBackground::tick() {
    const double now = clockTime();
    const QSizeF canvas(size());
    const auto shown = AmbientScene::blobs(canvas, shownTime_, 1.0);
    const auto next = AmbientScene::blobs(canvas, now, 1.0);
    const qreal threshold = AmbientScene::visibleShift(canvas, intensity_.value());
    qreal farthest = 0.0;
    for (size_t i = 0; i < next.size(); ++i) {
        const QPointF moved = next[i].centre - shown[i].centre;
        farthest = std::max(farthest, std::hypot(moved.x(), moved.y()));
    }
    if (farthest >= threshold) {
        shownTime_ = now;
        update();
        farthest = 0.0;
    }
    // No glow can reach the threshold before this; the clock may sleep until then.
    ticker_.sleepUntil(now + (threshold - farthest) / AmbientScene::fastestDrift(canvas));
}

void AmbientBackground::updateTicker() {
    if (isVisible() && !ReduceMotion::enabled())
        ticker_.start();
    else
        ticker_.stop();
}

void AmbientBackground::showEvent(QShowEvent* event) {
    shownTime_ = clockTime();
    updateTicker();
    QWidget::showEvent(event);
}

void AmbientBackground::hideEvent(QHideEvent* event) {
    ticker_.stop();
    intensity_.finish();
    QWidget::hideEvent(event);
}

const QImage& AmbientBackground::gridLayer(qreal ratio) {
    // The grid never moves: its layer is made once per size.
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (grid_.size() == pixels && grid_.devicePixelRatio() == ratio)
        return grid_;
    grid_ = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    grid_.setDevicePixelRatio(ratio);
    grid_.fill(Qt::transparent);
    const QSizeF canvas(size());
    QPainter painter(&grid_);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath lines;
    for (const QRectF& rect : AmbientScene::gridRects(canvas))
        lines.addRect(rect);
    painter.fillPath(lines, Theme::color(0xFFFFFF, gridOpacity));

    const qreal radius = AmbientScene::gridFadeRadius(canvas);
    const QPointF centre(canvas.width() / 2.0, canvas.height() / 2.0);
    QRadialGradient eraser(centre, radius);
    eraser.setColorAt(0.0, Qt::black);
    eraser.setColorAt(1.0, Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_DestinationOut);
    painter.setPen(Qt::NoPen);
    painter.setBrush(eraser);
    painter.drawEllipse(centre, radius, radius);
    return grid_;
}

const QImage& AmbientBackground::picture(qreal ratio) {
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    const Picture wanted{pixels, ratio, shownTime_, intensity_.value()};
    if (picture_.size() == pixels && pictureKey_ == wanted)
        return picture_;
    pictureKey_ = wanted;
    if (picture_.size() != pixels)
        picture_ = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    picture_.setDevicePixelRatio(ratio);

    QPainter painter(&picture_);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), Theme::background());
    const auto blobs = AmbientScene::blobs(QSizeF(size()), shownTime_, intensity_.value());
    painter.setPen(Qt::NoPen);
    for (const AmbientScene::Blob& blob : blobs) {
        if (blob.opacity <= 0.0 || blob.radius <= 0.0)
            continue;
        QRadialGradient glow(blob.centre, blob.radius);
        glow.setColorAt(0.0, Theme::withOpacity(Theme::accent(), blob.opacity));
        glow.setColorAt(1.0, Theme::withOpacity(Theme::accent(), 0.0));
        painter.setBrush(glow);
        painter.drawEllipse(blob.centre, blob.radius, blob.radius);
    }
    painter.drawImage(QPointF(0, 0), gridLayer(ratio));
    return picture_;
}

void AmbientBackground::paintEvent(QPaintEvent* event) {
    // Children that animate over the backdrop make Qt repaint it beneath them every frame; those
    // repaints copy from the finished picture instead of drawing the glows again.
    const qreal ratio = devicePixelRatioF();
    const QImage& finished = picture(ratio);
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (const QRect& dirty : event->region()) {
        const QRectF source(dirty.x() * ratio, dirty.y() * ratio, dirty.width() * ratio,
                            dirty.height() * ratio);
        painter.drawImage(QRectF(dirty), finished, source);
    }
}

} // namespace clarivex
