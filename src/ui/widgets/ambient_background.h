#pragma once

#include "ui/animation/eased_value.h"
#include "ui/animation/frame_clock.h"

#include <QImage>
#include <QWidget>

#include <array>
#include <vector>

namespace clarivex {

// The backdrop's picture as a function of size, time and intensity: pure arithmetic for the
// view and its tests.
struct AmbientScene {
    static constexpr qreal gridStep = 22.0;
    static constexpr qreal gridLine = 0.5;
    static constexpr double frameInterval = 1.0 / 30.0;

    struct Blob {
        QPointF centre;
        qreal radius = 0.0;
        // The accent's opacity at the centre.
        qreal opacity = 0.0;
    };

    static std::array<Blob, 2> blobs(const QSizeF& size, double seconds, qreal intensity);
    // The thin rectangles of the grid: columns every 22 points, then rows; none for an empty
    // side.
    static std::vector<QRectF> gridRects(const QSizeF& size);
    // Radius of the clear centre of the grid.
    static qreal gridFadeRadius(const QSizeF& size);
    // How far (in points) a glow must move before a pixel of the picture changes by a whole
    // colour step: the glows fade so gently from centre to rim that smaller moves cannot be
    // seen, and redrawing for them would only spend time.
    static qreal visibleShift(const QSizeF& size, qreal intensity);
    // The fastest a glow's centre moves, in points per second.
    static qreal fastestDrift(const QSizeF& size);
};

// The breathing backdrop of the window: two soft red glows drifting on near-black under a
// faint grid that fades towards the centre. Its clock ticks at most 30 times a second, and it
// redraws only when a glow has moved far enough to change a colour (visibleShift()); never while
// hidden or with reduce motion on (then it shows time 0). Main thread only.
class AmbientBackground : public QWidget {
    Q_OBJECT
    Q_PROPERTY(qreal intensity READ intensity WRITE setIntensity NOTIFY intensityChanged)
public:
    explicit AmbientBackground(QWidget* parent = nullptr);

    qreal intensity() const { return intensity_.target(); }
    // Eases to the new intensity over 0.2 s (the window's drag highlight).
    void setIntensity(qreal intensity);
    void setIntensityImmediately(qreal intensity);

    // The moment the picture shows. Every paint, partial ones under moving children included,
    // draws this same moment, so that no seam can open between old and new parts.
    double sceneTime() const { return shownTime_; }
    bool isAnimating() const { return ticker_.isActive(); }

Q_SIGNALS:
    void intensityChanged(qreal intensity);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void tick();
    void updateTicker();
    const QImage& gridLayer(qreal ratio);
    // The whole backdrop at the shown moment, drawn again only when that picture changes.
    const QImage& picture(qreal ratio);

    struct Picture {
        QSize pixels;
        qreal ratio = 0.0;
        double time = 0.0;
        qreal intensity = 0.0;
        bool operator==(const Picture&) const = default;
    };

    EasedValue intensity_;
    FrameTicker ticker_;
    double clockTime() const;

    double shownTime_ = 0.0;
    QImage grid_;
    QImage picture_;
    Picture pictureKey_;
};

} // namespace clarivex
