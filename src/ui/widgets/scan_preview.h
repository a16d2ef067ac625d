#pragma once

#include "ui/animation/eased_value.h"
#include "ui/paint/glow.h"

#include <QImage>
#include <QWidget>

namespace clarivex {

// Where the scan of one frame lies, in widget coordinates: pure geometry for the view and its
// tests.
struct ScanLayout {
    static constexpr qreal cornerRadius = 20.0;
    static constexpr qreal lineWidth = 2.0;
    static constexpr qreal trailWidth = 70.0;

    QRectF box;
    // The fraction clamped to 0..1.
    qreal fraction = 0.0;

    static ScanLayout make(const QSize& imagePixels, const QRectF& space, qreal fraction);

    qreal scanX() const;
    // The processed strip, from the box's left edge to the scan line.
    QRectF processedRect() const;
    // The 2-wide line centred on scanX.
    QRectF lineRect() const;
    // The 70-wide glow band that ends at the scan line.
    QRectF trailRect() const;
};

// The picture being worked on: the processed part shows the picture, the rest a dimmed,
// desaturated coarse-block version, and a glowing scan line sweeps left to right with the
// progress (easing 0.35 s to each new fraction). Only the moving strip is repainted. The box is
// fitted into the widget, so it reaches the widget's edges along one side; its shadows overhang
// the widget by overhang() (see GlowOverhang). Main thread only.
class ScanPreview : public QWidget {
    Q_OBJECT
    Q_PROPERTY(qreal fraction READ fraction WRITE setFraction NOTIFY fractionChanged)
    Q_PROPERTY(qreal opacity READ opacity WRITE setOpacity)
public:
    explicit ScanPreview(QWidget* parent = nullptr);

    void setImage(const QImage& image);
    // The coarse-block version; a null image means none, and the picture stands in.
    void setPixelated(const QImage& pixelated);
    void setFraction(qreal fraction);
    void setFractionImmediately(qreal fraction);
    qreal fraction() const { return fraction_.target(); }

    // The whole preview, shadows included, drawn at this opacity (a waiting job's is dimmed).
    // The widget's graphics effect is its overhang, so a fade cannot be one.
    qreal opacity() const { return opacity_; }
    void setOpacity(qreal opacity);

    ScanLayout currentLayout() const;

    static QMargins overhang();

    // The unprocessed side's look: saturation 0.6, then every channel lowered by 0.12.
    static QImage dimmed(const QImage& image);

Q_SIGNALS:
    void fractionChanged(qreal fraction);

protected:
    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void scanMoved();
    void paintShadows(QPainter& painter);
    QRect movingArea(qreal fromX, qreal toX) const;

    QImage image_;
    QImage pixelated_;
    QImage dimmed_;
    EasedValue fraction_;
    qreal paintedScanX_ = 0.0;
    qreal opacity_ = 1.0;
    GlowCache accentShadow_;
    GlowCache blackShadow_;
    GlowCache lineGlowNear_;
    GlowCache lineGlowFar_;
};

} // namespace clarivex
