#include "ui/paint/glow.h"

#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace clarivex {

namespace {

// Above this many pixels of deviation the glow is made at a smaller scale: blurring already
// removes every detail that the full resolution would keep.
constexpr qreal largestSigmaPixels = 4.0;
// Pixels of the largest glow kept at full resolution (1 MB); larger ones, the shadows of big
// cards, stay small and are enlarged while drawn, which happens only when they are repainted.
constexpr qint64 largestEnlargedGlow = 256 * 1024;

// The blurred image keeps three deviations; room around widgets is two and a half, where even
// an opaque glow has faded below one colour step.
qreal reach(const GlowSpec& spec) {
    return std::ceil(3.0 * spec.sigma());
}
qreal visibleReach(const GlowSpec& spec) {
    return std::ceil(2.5 * spec.sigma());
}

// Widths of three box filters whose succession approximates a Gaussian of `sigma`.
std::array<int, 3> boxRadii(qreal sigma) {
    constexpr int passes = 3;
    const double ideal = std::sqrt(12.0 * sigma * sigma / passes + 1.0);
    int lower = int(std::floor(ideal));
    if (lower % 2 == 0)
        --lower;
    const int upper = lower + 2;
    const double lowerCount =
        (12.0 * sigma * sigma - passes * lower * lower - 4.0 * passes * lower - 3.0 * passes) /
        (-4.0 * lower - 4.0);
    const int count = int(std::lround(lowerCount));
    std::array<int, 3> radii{};
    for (int i = 0; i < passes; ++i)
        radii[size_t(i)] = ((i < count ? lower : upper) - 1) / 2;
    return radii;
}

// One box pass over `length` values spaced `stride` apart in `source`, written contiguously
// into `target`.
void boxLine(const uchar* source, uchar* target, int length, qsizetype stride, int radius) {
    if (radius <= 0) {
        for (int i = 0; i < length; ++i)
            target[i] = source[i * stride];
        return;
    }
    const int window = 2 * radius + 1;
    int sum = 0;
    for (int i = 0; i <= std::min(radius, length - 1); ++i)
        sum += source[i * stride];
    for (int i = 0; i < length; ++i) {
        target[i] = uchar((sum + window / 2) / window);
        const int entering = i + radius + 1;
        const int leaving = i - radius;
        if (entering < length)
            sum += source[entering * stride];
        if (leaving >= 0)
            sum -= source[leaving * stride];
    }
}

} // namespace

QMarginsF glowMargins(const GlowSpec& spec) {
    const qreal extent = visibleReach(spec);
    return {std::max(0.0, extent - spec.offset.x()), std::max(0.0, extent - spec.offset.y()),
            std::max(0.0, extent + spec.offset.x()), std::max(0.0, extent + spec.offset.y())};
}

QMargins glowRoom(const GlowSpec& spec) {
    const QMarginsF margins = glowMargins(spec);
    return {int(std::ceil(margins.left())), int(std::ceil(margins.top())),
            int(std::ceil(margins.right())), int(std::ceil(margins.bottom()))};
}

void blurAlpha(QImage& alpha, qreal sigma) {
    if (sigma <= 0.0 || alpha.isNull())
        return;
    Q_ASSERT(alpha.format() == QImage::Format_Alpha8);
    const int width = alpha.width();
    const int height = alpha.height();
    const qsizetype stride = alpha.bytesPerLine();
    std::vector<uchar> line(size_t(std::max(width, height)));
    for (int radius : boxRadii(sigma)) {
        for (int y = 0; y < height; ++y) {
            uchar* row = alpha.scanLine(y);
            boxLine(row, line.data(), width, 1, radius);
            std::copy_n(line.data(), width, row);
        }
        uchar* bits = alpha.bits();
        for (int x = 0; x < width; ++x) {
            boxLine(bits + x, line.data(), height, stride, radius);
            for (int y = 0; y < height; ++y)
                bits[x + y * stride] = line[size_t(y)];
        }
    }
}

void GlowCache::ensure(const Key& key) {
    if (key_ && *key_ == key)
        return;
    key_ = key;
    ++renderCount_;

    const GlowSpec spec{key.color, key.blur, {}};
    const qreal extent = reach(spec);
    const qreal sigmaPixels = spec.sigma() * key.ratio;
    const qreal scale =
        key.ratio * (sigmaPixels > largestSigmaPixels ? largestSigmaPixels / sigmaPixels : 1.0);
    const QRectF bounds = key.form.boundingRect().adjusted(-extent, -extent, extent, extent);
    const QSize pixels(std::max(1, int(std::ceil(bounds.width() * scale))),
                       std::max(1, int(std::ceil(bounds.height() * scale))));

    QImage mask(pixels, QImage::Format_Alpha8);
    mask.fill(0);
    {
        QPainter painter(&mask);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(scale, scale);
        painter.translate(-bounds.topLeft());
        painter.fillPath(key.form, Qt::black);
    }
    blurAlpha(mask, spec.sigma() * scale);

    image_ = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    image_.fill(Qt::transparent);
    {
        QPainter painter(&image_);
        painter.drawImage(0, 0, mask);
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(image_.rect(), key.color);
    }
    imageScale_ = scale;
    // A glow small enough is enlarged once to the device's resolution, so that drawing it (over
    // and over, under an animation) is a plain blend rather than a smooth scaling every frame.
    const QSize devicePixels = (bounds.size() * key.ratio).toSize();
    if (scale < key.ratio &&
        qint64(devicePixels.width()) * devicePixels.height() <= largestEnlargedGlow) {
        image_ = image_.scaled(devicePixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        imageScale_ = qreal(image_.width()) / bounds.width();
    }
    imageOrigin_ = bounds.topLeft();
}

void GlowCache::paint(QPainter& painter, const QPainterPath& shape, const GlowSpec& spec) {
    if (shape.isEmpty() || spec.color.alpha() == 0)
        return;
    const QRectF bounds = shape.boundingRect();
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    ensure({shape.translated(-bounds.topLeft()), spec.color, spec.blur, ratio});
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // Drawn into an explicit rectangle: QPainter ignores a device pixel ratio below 1.
    const QSizeF logical(image_.width() / imageScale_, image_.height() / imageScale_);
    painter.drawImage(QRectF(bounds.topLeft() + spec.offset + imageOrigin_, logical), image_,
                      QRectF(image_.rect()));
    painter.restore();
}

void GlowCache::paintCapsule(QPainter& painter, const QRectF& capsule, const GlowSpec& spec) {
    if (capsule.isEmpty() || spec.color.alpha() == 0)
        return;
    const qreal height = capsule.height();
    const GlowSpec plain{spec.color, spec.blur, {}};
    const qreal extent = reach(plain);
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    // Long enough that its middle column is untouched by either rounded end.
    const qreal referenceWidth = height + 2.0 * extent + 2.0;
    QPainterPath reference;
    reference.addRoundedRect(QRectF(0, 0, referenceWidth, height), height / 2, height / 2);
    ensure({reference, spec.color, spec.blur, ratio});

    const qreal scale = imageScale_;
    const qreal endWidth = extent + height / 2.0;
    const qreal imageWidth = image_.width() / scale;
    const qreal imageHeight = image_.height() / scale;
    const QPointF origin = capsule.topLeft() + spec.offset + imageOrigin_;
    // Slice edges on whole points, so that the three pieces meet without a seam.
    const qreal left = std::round(origin.x());
    const qreal middleStart = std::round(origin.x() + endWidth);
    const qreal middleEnd =
        std::max(middleStart, std::round(origin.x() + extent + capsule.width() - height / 2.0));
    const qreal right = middleEnd + endWidth;
    const qreal top = origin.y();

    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(left, top, middleStart - left, imageHeight), image_,
                      QRectF(0, 0, endWidth * scale, image_.height()));
    if (middleEnd > middleStart) {
        const qreal column = (extent + referenceWidth / 2.0) * scale;
        painter.drawImage(QRectF(middleStart, top, middleEnd - middleStart, imageHeight), image_,
                          QRectF(std::floor(column), 0, 1, image_.height()));
    }
    painter.drawImage(
        QRectF(middleEnd, top, right - middleEnd, imageHeight), image_,
        QRectF((imageWidth - endWidth) * scale, 0, endWidth * scale, image_.height()));
    painter.restore();
}

} // namespace clarivex
