#include "ui/paint/fade_scale_effect.h"

#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QWidget>

#include <algorithm>

namespace clarivex {

namespace {

// A picture drawn once over black and once over white, back as premultiplied colour and alpha:
// over black a pixel is colour × alpha, over white that plus 255 × (1 − alpha).
QImage unmatted(const QImage& black, const QImage& white) {
    QImage picture(black.size(), QImage::Format_ARGB32_Premultiplied);
    picture.setDevicePixelRatio(black.devicePixelRatio());
    for (int y = 0; y < black.height(); ++y) {
        const auto* onBlack = reinterpret_cast<const QRgb*>(black.constScanLine(y));
        const auto* onWhite = reinterpret_cast<const QRgb*>(white.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < black.width(); ++x) {
            const QRgb b = onBlack[x];
            const QRgb w = onWhite[x];
            const int through =
                (qRed(w) - qRed(b) + qGreen(w) - qGreen(b) + qBlue(w) - qBlue(b)) / 3;
            const int alpha = std::clamp(255 - through, 0, 255);
            out[x] = qRgba(std::min(qRed(b), alpha), std::min(qGreen(b), alpha),
                           std::min(qBlue(b), alpha), alpha);
        }
    }
    return picture;
}

} // namespace

FadeScaleEffect::FadeScaleEffect(QObject* parent)
    : QGraphicsEffect(parent) {}

void FadeScaleEffect::setOpacity(qreal opacity) {
    if (opacity_ == opacity)
        return;
    opacity_ = opacity;
    update();
}

void FadeScaleEffect::setScale(qreal scale) {
    if (scale_ == scale)
        return;
    scale_ = scale;
    update();
}

void FadeScaleEffect::setShift(QPointF shift) {
    if (shift_ == shift)
        return;
    shift_ = shift;
    update();
}

void FadeScaleEffect::capture(QWidget* widget) {
    // A view that has just been made lays itself out on its first events; the picture shows it
    // laid out, as it will rest.
    widget->ensurePolished();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    // The grab must not go through this effect.
    const bool enabled = isEnabled();
    setEnabled(false);
    // Only a grab, which fills the widget's background first, draws the children's effects in
    // place; a render onto a clear picture loses them. So the widget is grabbed on black and on
    // white, and the difference gives back what it paints, glows' soft edges included.
    const bool ownPalette = widget->testAttribute(Qt::WA_SetPalette);
    const QPalette saved = widget->palette();
    const auto grabOn = [&](const QColor& backdrop) {
        QPalette palette = saved;
        palette.setColor(QPalette::Window, backdrop);
        widget->setPalette(palette);
        return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
    };
    const QImage black = grabOn(Qt::black);
    const QImage white = grabOn(Qt::white);
    widget->setPalette(ownPalette ? saved : QPalette());
    picture_ = QPixmap::fromImage(unmatted(black, white));
    setEnabled(enabled);
}

void FadeScaleEffect::draw(QPainter* painter) {
    if (picture_.isNull()) {
        drawSource(painter);
        return;
    }
    if (opacity_ <= 0.0)
        return;
    const QRectF bounds = sourceBoundingRect(Qt::LogicalCoordinates);
    const QPointF centre = bounds.center();
    painter->save();
    painter->setOpacity(painter->opacity() * opacity_);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->translate(centre + shift_);
    painter->scale(scale_, scale_);
    painter->translate(-centre);
    painter->drawPixmap(bounds, picture_, QRectF(picture_.rect()));
    painter->restore();
}

} // namespace clarivex
