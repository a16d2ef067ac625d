#include "ui/widgets/scan_preview.h"

#include "ui/paint/aspect_fit.h"
#include "ui/paint/glow_overhang.h"
#include "ui/paint/shapes.h"
#include "ui/paint/theme.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace clarivex {

namespace {

GlowSpec accentShadow() {
    return {Theme::withOpacity(Theme::accent(), 0.18), 40.0, {}};
}
GlowSpec blackShadow() {
    return {Theme::color(0x000000, 0.6), 30.0, {0.0, 16.0}};
}
GlowSpec lineGlowNear() {
    return {Theme::accent(), 10.0, {}};
}
GlowSpec lineGlowFar() {
    return {Theme::withOpacity(Theme::accent(), 0.6), 26.0, {}};
}

// Luminance weights of sRGB (Rec. 709).
constexpr double redWeight = 0.2126;
constexpr double greenWeight = 0.7152;
constexpr double blueWeight = 0.0722;
constexpr double saturation = 0.6;
constexpr double brightnessShift = -0.12;

} // namespace

ScanLayout ScanLayout::make(const QSize& imagePixels, const QRectF& space, qreal fraction) {
    const qreal clamped = std::isnan(fraction) ? 0.0 : std::clamp(fraction, 0.0, 1.0);
    return {aspectFitBox(imagePixels, space), clamped};
}

qreal ScanLayout::scanX() const {
    return box.left() + fraction * box.width();
}

QRectF ScanLayout::processedRect() const {
    return {box.left(), box.top(), fraction * box.width(), box.height()};
}

QRectF ScanLayout::lineRect() const {
    return {scanX() - lineWidth / 2.0, box.top(), lineWidth, box.height()};
}

QRectF ScanLayout::trailRect() const {
    return {scanX() - trailWidth, box.top(), trailWidth, box.height()};
}

ScanPreview::ScanPreview(QWidget* parent)
    : QWidget(parent)
    , fraction_(
          0.0, 350, Theme::easeOut(), [this] { scanMoved(); }, this) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    GlowOverhang::install(this, QMarginsF(overhang()),
                          [this](QPainter& painter) { paintShadows(painter); });
}

QImage ScanPreview::dimmed(const QImage& image) {
    if (image.isNull())
        return {};
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < result.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            const QRgb pixel = row[x];
            const double red = qRed(pixel) / 255.0;
            const double green = qGreen(pixel) / 255.0;
            const double blue = qBlue(pixel) / 255.0;
            const double luma = redWeight * red + greenWeight * green + blueWeight * blue;
            const auto adjust = [luma](double channel) {
                const double value = luma + saturation * (channel - luma) + brightnessShift;
                return int(std::lround(std::clamp(value, 0.0, 1.0) * 255.0));
            };
            row[x] = qRgba(adjust(red), adjust(green), adjust(blue), qAlpha(pixel));
        }
    }
    return result.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

void ScanPreview::setImage(const QImage& image) {
    image_ = image;
    if (pixelated_.isNull())
        dimmed_ = dimmed(image_);
    update();
}

void ScanPreview::setPixelated(const QImage& pixelated) {
    pixelated_ = pixelated;
    dimmed_ = dimmed(pixelated_.isNull() ? image_ : pixelated_);
    update();
}

void ScanPreview::setFraction(qreal fraction) {
    const qreal previous = fraction_.target();
    fraction_.animateTo(fraction);
    if (fraction != previous)
        Q_EMIT fractionChanged(fraction);
}

void ScanPreview::setFractionImmediately(qreal fraction) {
    const qreal previous = fraction_.target();
    fraction_.jumpTo(fraction);
    if (fraction != previous)
        Q_EMIT fractionChanged(fraction);
}

void ScanPreview::setOpacity(qreal opacity) {
    if (opacity_ == opacity)
        return;
    opacity_ = opacity;
    update();
}

QMargins ScanPreview::overhang() {
    const QMargins black = glowRoom(blackShadow());
    const QMargins accent = glowRoom(accentShadow());
    return {std::max(black.left(), accent.left()), std::max(black.top(), accent.top()),
            std::max(black.right(), accent.right()), std::max(black.bottom(), accent.bottom())};
}

void ScanPreview::paintShadows(QPainter& painter) {
    const ScanLayout layout = currentLayout();
    if (layout.box.isEmpty() || image_.isNull())
        return;
    const QPainterPath frame = continuousRoundedRect(layout.box, ScanLayout::cornerRadius);
    painter.setOpacity(painter.opacity() * opacity_);
    if (opacity_ < 1.0) {
        // Faded as one picture, the box hides what lies beneath it; the shadows must not
        // darken it through the translucent pictures.
        QPainterPath outside;
        outside.addRect(layout.box.marginsAdded(QMarginsF(overhang())));
        painter.setClipPath(outside.subtracted(frame), Qt::IntersectClip);
    }
    // The later shadow lies beneath the earlier one.
    blackShadow_.paint(painter, frame, blackShadow());
    accentShadow_.paint(painter, frame, accentShadow());
}

ScanLayout ScanPreview::currentLayout() const {
    return ScanLayout::make(image_.size(), QRectF(rect()), fraction_.value());
}

QRect ScanPreview::movingArea(qreal fromX, qreal toX) const {
    const ScanLayout layout = currentLayout();
    const qreal reach = glowMargins(lineGlowFar()).left() + 1.0;
    const qreal left = std::min(fromX, toX) - ScanLayout::trailWidth - reach;
    const qreal right = std::max(fromX, toX) + reach;
    return QRectF(left, layout.box.top(), right - left, layout.box.height())
        .intersected(layout.box)
        .toAlignedRect();
}

void ScanPreview::scanMoved() {
    const qreal scanX = currentLayout().scanX();
    update(movingArea(paintedScanX_, scanX));
    paintedScanX_ = scanX;
}

void ScanPreview::hideEvent(QHideEvent* event) {
    fraction_.finish();
    QWidget::hideEvent(event);
}

void ScanPreview::paintEvent(QPaintEvent*) {
    const ScanLayout layout = currentLayout();
    paintedScanX_ = layout.scanX();
    if (layout.box.isEmpty() || image_.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath frame = continuousRoundedRect(layout.box, ScanLayout::cornerRadius);

    painter.save();
    paintShadows(painter);
    painter.restore();
    painter.setOpacity(opacity_);

    fillWithImage(painter, frame, dimmed_, layout.box, false);
    QPainterPath processed;
    processed.addRect(layout.processedRect());
    fillWithImage(painter, frame.intersected(processed), image_, layout.box, true);

    const QRectF line = layout.lineRect();
    QPainterPath lineShape;
    lineShape.addRect(line);
    painter.save();
    // Glows are soft, so the hard edge of a clip path cannot show on them.
    painter.setClipPath(frame, Qt::IntersectClip);
    lineGlowFar_.paint(painter, lineShape, lineGlowFar());
    lineGlowNear_.paint(painter, lineShape, lineGlowNear());
    painter.restore();
    QLinearGradient lineFill(line.topLeft(), line.bottomLeft());
    lineFill.setColorAt(0.0, Theme::withOpacity(Theme::accentGlow(), 0.0));
    lineFill.setColorAt(0.25, Theme::accentGlow());
    lineFill.setColorAt(0.5, Qt::white);
    lineFill.setColorAt(0.75, Theme::accentGlow());
    lineFill.setColorAt(1.0, Theme::withOpacity(Theme::accentGlow(), 0.0));
    painter.fillPath(frame.intersected(lineShape), lineFill);

    const QRectF trail = layout.trailRect();
    QPainterPath trailShape;
    trailShape.addRect(trail);
    QLinearGradient trailFill(trail.topLeft(), trail.topRight());
    trailFill.setColorAt(0.0, Theme::withOpacity(Theme::accent(), 0.0));
    trailFill.setColorAt(1.0, Theme::withOpacity(Theme::accent(), 0.22));
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_Screen);
    painter.fillPath(frame.intersected(trailShape), trailFill);
    painter.restore();

    strokeInside(painter, layout.box, ScanLayout::cornerRadius, Theme::lineStrong(), 1.0);
}

} // namespace clarivex
