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

} // namespace
} // namespace clarivex
