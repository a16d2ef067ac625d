#pragma once

#include "ui/animation/frame_clock.h"
#include "ui/paint/glow.h"

#include <QImage>
#include <QTransform>
#include <QWidget>

#include <array>
#include <functional>
#include <limits>

namespace clarivex {

// The emblem's picture as a function of time: pure arithmetic for the view and its tests.
struct PixelResolveScene {
    static constexpr std::array<int, 4> grids{3, 6, 12, 24};
    static constexpr double reducedPhase = 1.2;
    static constexpr double activeSpeed = 1.6;
    static constexpr double idleSpeed = 0.8;

    // Radians into the sharpen-and-coarsen cycle at `seconds` on the clock.
    static double phase(double seconds, bool active, bool reduceMotion);
    // 0 (coarse) … 1 (sharp).
    static double progress(double phase);
    // 0..3: ⌊4p⌋, with p = 1 kept on the finest level.
    static int level(double progress);
    static int gridSize(double progress) { return grids[size_t(level(progress))]; }

    // The square tile: 0.8 of the shorter side, centred.
    static QRectF tile(const QSizeF& canvas);
    static qreal cornerRadius(const QRectF& tile) { return 0.22 * tile.width(); }
    // 0..4, a fixed dither per cell.
    static int dither(int column, int row) { return (7 * column + 13 * row) % 5; }
    static double cellOpacity(double progress, int dither);
    static double outlineOpacity(double progress) { return 0.07 * (1.0 - progress); }
    static double glossOpacity(double progress) { return 0.35 * progress; }
    // The four viewfinder corners as one path, around the tile grown by a tenth of its side.
    static QPainterPath brackets(const QRectF& tile);
    static GlowSpec glow(bool active);

    // The first time after `from` at which a picture shown at `shown` progress lies a colour
    // step or a grid level away from the exact one, for a picture whose pixels move at most
    // `stepsPerProgress` colour steps per unit of progress; a second on at the latest.
    static double nextVisibleChange(double from, double shown, bool active,
                                    double stepsPerProgress);
    // Whether pictures at the two progresses lie on one grid level and within a colour step.
    static bool looksTheSame(double progress, double shown, double stepsPerProgress);
};

// The animated emblem of the drop area: a red tile whose pixel grid keeps refining from 3×3 to
// 24×24 and back while a gloss grows and fades, framed by viewfinder brackets. Faster and
// glowing more while `active`. Redraws its tile only while shown and reduce motion is off, and
// only on the frames where it looks different, from layers made once per size. The widget is the
// canvas with growthRoom around it; the glow overhangs it by overhang() (see GlowOverhang). Main
// thread only.
class PixelResolveIcon : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool active READ isActive WRITE setActive NOTIFY activeChanged)
public:
    explicit PixelResolveIcon(QWidget* parent = nullptr);

    bool isActive() const { return active_; }
    void setActive(bool active);
    bool isAnimating() const { return ticker_.isActive(); }

    // Room kept inside the widget around the canvas for the growth below: the drop area's
    // 1.5 % moves the canvas' edges by under 3.
    static constexpr int growthRoom = 4;

    // The canvas the tile and brackets are laid out in: the widget less growthRoom.
    QRectF canvasRect() const;
    // Draws the emblem grown by `scale` about `origin` (in the widget's coordinates), for a
    // parent that grows everything it shows by a few percent: the drop area under a drag.
    void setGrowth(qreal scale, QPointF origin);
    // Where the canvas is drawn, grown.
    QRectF drawnCanvasRect() const;
    double currentProgress() const;
    // The progress of the tile as last painted whole, NaN before the first paint.
    double shownProgress() const { return shownProgress_; }
    // The most any pixel of the tile moves, in colour steps, per unit of progress.
    double colourStepsPerProgress() const { return layers_.stepsPerProgress; }

    static QMargins overhang();

    QSize sizeHint() const override;

Q_SIGNALS:
    void activeChanged(bool active);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void updateTicker();
    // A frame of the clock: the tile is repainted only when it would look different, and the
    // clock sleeps until it will.
    void tick(double now);
    // The tile's pixels in the widget, grown or not.
    QRect drawnTileRect() const;
    QTransform growth() const;
    void paintGlow(QPainter& painter, const QRectF& tile);
    // Where the glow is not hidden under the opaque middle of the tile.
    QRegion glowVisibleRegion(const QRectF& tile) const;
    // The still parts of a tile, made once per size: its gradient, the pattern of each level at
    // full strength, the gloss at full strength, the rounded-square mask.
    struct Layers {
        QRectF tile;
        qreal ratio = 0.0;
        QImage base;
        std::array<QImage, 4> grids;
        QImage gloss;
        QImage mask;
        QImage frame;
        double stepsPerProgress = 0.0;
    };

    static void paintGrid(QPainter& painter, const QRectF& tile, int count);
    QImage tileImage(const QRectF& tile, qreal ratio,
                     const std::function<void(QPainter&)>& paint) const;
    void ensureLayers(const QRectF& tile, qreal ratio);
    double stepsPerProgress() const;

    bool active_ = false;
    qreal growthScale_ = 1.0;
    QPointF growthOrigin_;
    FrameTicker ticker_;
    QRectF silhouetteTile_;
    QPainterPath silhouette_;
    Layers layers_;
    double shownProgress_ = std::numeric_limits<double>::quiet_NaN();
    GlowCache glowCache_;
};

} // namespace clarivex
