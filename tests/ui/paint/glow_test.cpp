#include "ui/paint/glow.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace clarivex {
namespace {

TEST(GlowTest, BlurSpreadsAlphaAndKeepsItsAmount) {
    QImage alpha(61, 61, QImage::Format_Alpha8);
    alpha.fill(0);
    for (int y = 25; y < 36; ++y) {
        for (int x = 25; x < 36; ++x)
            alpha.scanLine(y)[x] = 255;
    }
    const auto total = [](const QImage& image) {
        long long sum = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                sum += image.constScanLine(y)[x];
        }
        return sum;
    };
    const long long before = total(alpha);
    blurAlpha(alpha, 4.0);
    EXPECT_NEAR(double(total(alpha)), double(before), before * 0.02);
    EXPECT_LT(alpha.constScanLine(30)[30], 255);
    EXPECT_GT(alpha.constScanLine(30)[40], 0);
    EXPECT_EQ(alpha.constScanLine(30)[0], 0);
    // Symmetric about the square's centre.
    EXPECT_NEAR(alpha.constScanLine(30)[22], alpha.constScanLine(30)[38], 1);
}

TEST(GlowCacheTest, BlursOnceAndOnlyAgainWhenFormOrColourChange) {
    QImage canvas(300, 200, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    GlowCache cache;
    const GlowSpec spec{QColor(241, 38, 23, 150), 14.0, {0.0, 4.0}};
    QPainterPath shape;
    shape.addRoundedRect(QRectF(40, 40, 100, 34), 17, 17);
    for (int frame = 0; frame < 10; ++frame)
        cache.paint(painter, shape.translated(frame * 3, 0), spec);
    EXPECT_EQ(cache.renderCount(), 1);

    cache.paint(painter, shape, {Qt::white, 14.0, {}});
    EXPECT_EQ(cache.renderCount(), 2);
    QPainterPath wider;
    wider.addRoundedRect(QRectF(40, 40, 120, 34), 17, 17);
    cache.paint(painter, wider, {Qt::white, 14.0, {}});
    EXPECT_EQ(cache.renderCount(), 3);
}

TEST(GlowCacheTest, CapsuleGlowOfAnyWidthComesFromOneBlur) {
    QImage canvas(400, 100, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    GlowCache cache;
    const GlowSpec spec{QColor(241, 38, 23), 8.0, {}};
    for (qreal width = 6.0; width < 300.0; width += 7.3)
        cache.paintCapsule(painter, QRectF(20, 40, width, 6), spec);
    EXPECT_EQ(cache.renderCount(), 1);
    painter.end();
    // Glow above the middle of the last (widest) capsule, and none far beyond its end.
    EXPECT_GT(qAlpha(canvas.pixel(150, 37)), 0);
    EXPECT_EQ(qAlpha(canvas.pixel(395, 43)), 0);
}

} // namespace
} // namespace clarivex
