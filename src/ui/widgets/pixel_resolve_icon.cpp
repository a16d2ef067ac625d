#include "ui/widgets/pixel_resolve_icon.h"

#include "ui/animation/reduce_motion.h"
#include "ui/paint/glow_overhang.h"
#include "ui/paint/shapes.h"
#include "ui/paint/theme.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace clarivex {

namespace {

constexpr qreal bracketWidth = 3.0;

// Qt's raster engine hands a blend of 96 lines or more that has no fast path (another
// composition mode, a clip) to its thread pool. For a tile this small, waking the pool on every
// frame costs far more than the blend, so the tile is drawn in bands below that height.
void drawInBands(QPainter& painter, const QPointF& at, const QImage& image) {
    constexpr int bandLines = 64;
    const qreal ratio = image.devicePixelRatio();
    for (int top = 0; top < image.height(); top += bandLines) {
        const QRect band(0, top, image.width(), std::min(bandLines, image.height() - top));
        painter.drawImage(at + QPointF(0, top / ratio), image, band);
    }
}

} // namespace

double PixelResolveScene::phase(double seconds, bool active, bool reduceMotion) {
    if (reduceMotion)
        return reducedPhase;
    return (active ? activeSpeed : idleSpeed) * seconds;
}

double PixelResolveScene::progress(double phase) {
    return (std::sin(phase) + 1.0) / 2.0;
}

int PixelResolveScene::level(double progress) {
    if (!(progress > 0.0))
        return 0;
    return std::min(int(std::floor(4.0 * progress)), 3);
}

QRectF PixelResolveScene::tile(const QSizeF& canvas) {
    const qreal side = 0.8 * std::min(canvas.width(), canvas.height());
    return {(canvas.width() - side) / 2.0, (canvas.height() - side) / 2.0, side, side};
}

double PixelResolveScene::cellOpacity(double progress, int dither) {
    return (1.0 - progress) * (0.05 + 0.2 * dither / 5.0);
}

QPainterPath PixelResolveScene::brackets(const QRectF& tile) {
    const qreal side = tile.width();
    const QRectF frame = tile.adjusted(-0.1 * side, -0.1 * side, 0.1 * side, 0.1 * side);
    const qreal arm = 0.18 * side;
    QPainterPath path;
    const auto corner = [&path, arm](QPointF point, qreal horizontal, qreal vertical) {
        path.moveTo(point + QPointF(horizontal * arm, 0));
        path.lineTo(point);
        path.lineTo(point + QPointF(0, vertical * arm));
    };
    corner(frame.topLeft(), 1, 1);
    corner(frame.topRight(), -1, 1);
    corner(frame.bottomLeft(), 1, -1);
    corner(frame.bottomRight(), -1, -1);
    return path;
}

double PixelResolveScene::nextVisibleChange(double from, double shown, bool active,
                                            double stepsPerProgress) {
    // Steps finer than a frame; a second is far beyond the slowest move worth a step.
    constexpr double step = 1.0 / 240.0;
    constexpr double latest = 1.0;
    for (double at = from + step; at < from + latest; at += step) {
        if (!looksTheSame(progress(phase(at, active, false)), shown, stepsPerProgress))
            return at;
    }
    return from + latest;
}

bool PixelResolveScene::looksTheSame(double progress, double shown, double stepsPerProgress) {
    return level(progress) == level(shown) && std::abs(progress - shown) * stepsPerProgress < 1.0;
}

GlowSpec PixelResolveScene::glow(bool active) {
    return active ? GlowSpec{Theme::withOpacity(Theme::accent(), 0.6), 30.0, {}}
                  : GlowSpec{Theme::withOpacity(Theme::accent(), 0.35), 20.0, {}};
}

PixelResolveIcon::PixelResolveIcon(QWidget* parent)
    : QWidget(parent)
    , ticker_([this](double now) { tick(now); }) {
    setAttribute(Qt::WA_NoSystemBackground);
    GlowOverhang::install(this, QMarginsF(overhang()), [this](QPainter& painter) {
        const QRectF canvas = canvasRect();
        if (canvas.isEmpty())
            return;
        painter.setTransform(growth(), true);
        paintGlow(painter, PixelResolveScene::tile(canvas.size()).translated(canvas.topLeft()));
    });
}

QMargins PixelResolveIcon::overhang() {
    return glowRoom(PixelResolveScene::glow(true));
}

QSize PixelResolveIcon::sizeHint() const {
    return {150 + 2 * growthRoom, 150 + 2 * growthRoom};
}

void PixelResolveIcon::setActive(bool active) {
    if (active_ == active)
        return;
    active_ = active;
    update();
    // A sleep reckoned at the other speed would be wrong from now on.
    ticker_.sleepUntil(-std::numeric_limits<double>::infinity());
    Q_EMIT activeChanged(active);
}

QRectF PixelResolveIcon::canvasRect() const {
    return QRectF(rect()).adjusted(growthRoom, growthRoom, -growthRoom, -growthRoom);
}

void PixelResolveIcon::setGrowth(qreal scale, QPointF origin) {
    if (scale == growthScale_ && origin == growthOrigin_)
        return;
    growthScale_ = scale;
    growthOrigin_ = origin;
    update();
}

QTransform PixelResolveIcon::growth() const {
    return QTransform::fromTranslate(growthOrigin_.x(), growthOrigin_.y())
        .scale(growthScale_, growthScale_)
        .translate(-growthOrigin_.x(), -growthOrigin_.y());
}

QRectF PixelResolveIcon::drawnCanvasRect() const {
    return growth().mapRect(canvasRect());
}

void PixelResolveIcon::paintGlow(QPainter& painter, const QRectF& tile) {
    // The glow follows the finished canvas' outline, which never changes with time: the tile
    // and the brackets.
    if (silhouetteTile_ != tile) {
        QPainterPathStroker stroker;
        stroker.setWidth(bracketWidth);
        stroker.setCapStyle(Qt::RoundCap);
        stroker.setJoinStyle(Qt::RoundJoin);
        silhouette_ = continuousRoundedRect(tile, PixelResolveScene::cornerRadius(tile))
                          .united(stroker.createStroke(PixelResolveScene::brackets(tile)));
        silhouetteTile_ = tile;
    }
    glowCache_.paint(painter, silhouette_, PixelResolveScene::glow(active_));
}

double PixelResolveIcon::currentProgress() const {
    const bool reduce = ReduceMotion::enabled();
    return PixelResolveScene::progress(
        PixelResolveScene::phase(FrameClock::now(), active_, reduce));
}

QRect PixelResolveIcon::drawnTileRect() const {
    const QRectF canvas = canvasRect();
    const QRectF tile = PixelResolveScene::tile(canvas.size()).translated(canvas.topLeft());
    return growth().mapRect(tile).toAlignedRect().intersected(rect());
}

void PixelResolveIcon::tick(double now) {
    const double exact = PixelResolveScene::progress(PixelResolveScene::phase(now, active_, false));
    const double steps = layers_.stepsPerProgress;
    if (PixelResolveScene::looksTheSame(exact, shownProgress_, steps)) {
        ticker_.sleepUntil(
            PixelResolveScene::nextVisibleChange(now, shownProgress_, active_, steps));
        return;
    }
    // Only the tile changes with time; the brackets and the glow stand still.
    update(drawnTileRect());
}

void PixelResolveIcon::updateTicker() {
    if (isVisible() && !ReduceMotion::enabled())
        ticker_.start();
    else
        ticker_.stop();
}

void PixelResolveIcon::showEvent(QShowEvent* event) {
    updateTicker();
    QWidget::showEvent(event);
}

void PixelResolveIcon::hideEvent(QHideEvent* event) {
    ticker_.stop();
    QWidget::hideEvent(event);
}

QImage PixelResolveIcon::tileImage(const QRectF& tile, qreal ratio,
                                   const std::function<void(QPainter&)>& paint) const {
    QImage image((tile.size() * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(-tile.topLeft());
    paint(painter);
    return image;
}

void PixelResolveIcon::ensureLayers(const QRectF& tile, qreal ratio) {
    if (layers_.tile == tile && layers_.ratio == ratio)
        return;
    layers_.tile = tile;
    layers_.ratio = ratio;
    layers_.base = tileImage(tile, ratio, [&tile](QPainter& painter) {
        painter.fillRect(tile, Theme::accentGradient(tile));
    });
    for (size_t level = 0; level < PixelResolveScene::grids.size(); ++level) {
        const int count = PixelResolveScene::grids[level];
        layers_.grids[level] = tileImage(
            tile, ratio, [&tile, count](QPainter& painter) { paintGrid(painter, tile, count); });
    }
    layers_.gloss = tileImage(tile, ratio, [&tile](QPainter& painter) {
        const QPointF centre(tile.left() + 0.7 * tile.width(), tile.top() + 0.25 * tile.height());
        QRadialGradient gloss(centre, 0.45 * tile.width());
        gloss.setColorAt(0.0, Theme::color(0xFFFFFF, PixelResolveScene::glossOpacity(1.0)));
        gloss.setColorAt(1.0, Theme::color(0xFFFFFF, 0.0));
        painter.fillRect(tile, gloss);
    });
    layers_.mask = tileImage(tile, ratio, [&tile](QPainter& painter) {
        painter.fillPath(continuousRoundedRect(tile, PixelResolveScene::cornerRadius(tile)),
                         Qt::black);
    });
    layers_.frame = QImage(layers_.base.size(), QImage::Format_ARGB32_Premultiplied);
    layers_.frame.setDevicePixelRatio(ratio);
    layers_.stepsPerProgress = stepsPerProgress();
}

double PixelResolveIcon::stepsPerProgress() const {
    // A pixel of the frame at progress p is the base b under the level's pattern (colour g,
    // alpha ga) at opacity 1 - p, under the gloss (l, la) at opacity p:
    //   after = g (1 - p) + b (1 - ga (1 - p)),  frame = l p + after (1 - la p),
    // so |d frame / dp| <= |b ga - g| + |l - la after|, the latter largest at p = 0 or 1. The
    // mask and the window beneath only ever scale the change down.
    double most = 0.0;
    const QImage& base = layers_.base;
    for (const QImage& grid : layers_.grids) {
        for (int y = 0; y < base.height(); ++y) {
            const auto* b = reinterpret_cast<const QRgb*>(base.constScanLine(y));
            const auto* g = reinterpret_cast<const QRgb*>(grid.constScanLine(y));
            const auto* l = reinterpret_cast<const QRgb*>(layers_.gloss.constScanLine(y));
            for (int x = 0; x < base.width(); ++x) {
                const double ga = qAlpha(g[x]) / 255.0;
                const double la = qAlpha(l[x]) / 255.0;
                // Red, green and blue.
                for (const int shift : {16, 8, 0}) {
                    const double bc = (b[x] >> shift) & 0xFF;
                    const double gc = (g[x] >> shift) & 0xFF;
                    const double lc = (l[x] >> shift) & 0xFF;
                    const double sharp = bc;
                    const double coarse = gc + bc * (1.0 - ga);
                    most = std::max(most,
                                    std::abs(bc * ga - gc) + std::max(std::abs(lc - la * sharp),
                                                                      std::abs(lc - la * coarse)));
                }
            }
        }
    }
    return most;
}

void PixelResolveIcon::paintGrid(QPainter& painter, const QRectF& tile, int count) {
    const qreal cell = tile.width() / count;
    // Cells of one dither value share an opacity: five fills instead of one per cell.
    std::array<QPainterPath, 5> shades;
    for (int column = 0; column < count; ++column) {
        for (int row = 0; row < count; ++row) {
            shades[size_t(PixelResolveScene::dither(column, row))].addRect(
                QRectF(tile.left() + column * cell, tile.top() + row * cell, cell, cell));
        }
    }
    for (int value = 0; value < 5; ++value) {
        painter.fillPath(shades[size_t(value)],
                         Theme::color(0x000000, PixelResolveScene::cellOpacity(0.0, value)));
    }

    // Every cell's 1-wide outline, drawn as grid lines: an inner line is where two outlines lie
    // on top of each other, so it carries their combined opacity.
    const qreal single = PixelResolveScene::outlineOpacity(0.0);
    const qreal doubled = 1.0 - (1.0 - single) * (1.0 - single);
    for (int line = 0; line <= count; ++line) {
        const bool edge = line == 0 || line == count;
        const QColor color = Theme::color(0xFFFFFF, edge ? single : doubled);
        const qreal offset = line * cell;
        painter.fillRect(
            QRectF(tile.left() + offset - 0.5, tile.top() - 0.5, 1.0, tile.height() + 1.0), color);
        painter.fillRect(
            QRectF(tile.left() - 0.5, tile.top() + offset - 0.5, tile.width() + 1.0, 1.0), color);
    }
}

QRegion PixelResolveIcon::glowVisibleRegion(const QRectF& tile) const {
    // The tile covers the glow beneath it but for its rounded corners: whole squares around
    // their curves keep the antialiased edge's pixels.
    const int corner =
        int(std::ceil(continuousCornerReach(PixelResolveScene::cornerRadius(tile)))) + 1;
    // Only pixels the tile covers whole: a partly covered edge pixel lets the glow through.
    const QRect inside(
        QPoint(int(std::ceil(tile.left())), int(std::ceil(tile.top()))),
        QPoint(int(std::floor(tile.right())) - 1, int(std::floor(tile.bottom())) - 1));
    QRegion covered(inside.adjusted(corner, 0, -corner, 0));
    covered += inside.adjusted(0, corner, 0, -corner);
    return QRegion(rect()).subtracted(covered);
}

void PixelResolveIcon::paintEvent(QPaintEvent* event) {
    const QRectF canvas = canvasRect();
    if (canvas.isEmpty())
        return;
    const QRectF tile = PixelResolveScene::tile(canvas.size()).translated(canvas.topLeft());
    const double progress = currentProgress();
    const qreal ratio = devicePixelRatioF();
    ensureLayers(tile, ratio);
    // A repaint of part of the tile leaves the rest as it was, older than this.
    if (QRegion(drawnTileRect()).subtracted(event->region()).isEmpty())
        shownProgress_ = progress;

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // Grown (under a drag) the whole emblem is resampled through one transform. At rest no
    // smooth-transform hint is set, since it takes every picture off Qt's fast path.
    const bool grown = growthScale_ != 1.0;
    if (grown) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.setTransform(growth());
        paintGlow(painter, tile);
    } else {
        // Every frame repaints the tile alone: the glow is blended only where it shows, part
        // by part, each rectangle a plain clip that keeps the blend below the height at which
        // Qt wakes its thread pool (see drawInBands).
        for (const QRect& part : glowVisibleRegion(tile).intersected(event->rect())) {
            painter.save();
            painter.setClipRect(part);
            paintGlow(painter, tile);
            painter.restore();
        }
    }

    // The tile's layer, cut to its rounded square with soft edges at the end. Every cell of a
    // level fades by the same factor (1 - p) and the gloss grows by p, so each frame blends the
    // level's pattern and the gloss, made once, at those opacities: the same picture as drawing
    // every cell anew, to well within one colour step, at a fraction of the cost.
    QImage& frame = layers_.frame;
    frame.fill(Qt::transparent);
    {
        QPainter layer(&frame);
        layer.drawImage(QPointF(0, 0), layers_.base);
        layer.setOpacity(1.0 - progress);
        layer.drawImage(QPointF(0, 0), layers_.grids[size_t(PixelResolveScene::level(progress))]);
        layer.setOpacity(progress);
        layer.drawImage(QPointF(0, 0), layers_.gloss);
        layer.setOpacity(1.0);
        layer.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        drawInBands(layer, QPointF(0, 0), layers_.mask);
    }
    // Grown, the picture is resampled: in bands its rows would meet with seams.
    if (grown)
        painter.drawImage(tile.topLeft(), frame);
    else
        drawInBands(painter, tile.topLeft(), frame);

    // The brackets lie outside the tile, which is all that a frame at rest repaints.
    if (!grown && event->region().subtracted(tile.toAlignedRect()).isEmpty())
        return;
    const QPainterPath brackets = PixelResolveScene::brackets(tile);
    painter.setPen(QPen(Theme::withOpacity(Theme::text(), 0.85), bracketWidth, Qt::SolidLine,
                        Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(brackets);
}

} // namespace clarivex
