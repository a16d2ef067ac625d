#include "ui/widgets/scan_preview.h"

#include "ui/rendering.h"

#include <gtest/gtest.h>

namespace clarivex {
namespace {

using testing::renderTransparent;
using testing::sameColor;
using testing::solidImage;

TEST(ScanLayoutTest, FractionIsClampedSoANegativeOneShowsNothingProcessed) {
    const ScanLayout before = ScanLayout::make(QSize(400, 300), QRectF(0, 0, 400, 300), -0.2);
    EXPECT_DOUBLE_EQ(before.fraction, 0.0);
    EXPECT_DOUBLE_EQ(before.processedRect().width(), 0.0);
    EXPECT_DOUBLE_EQ(ScanLayout::make(QSize(400, 300), QRectF(0, 0, 400, 300), 1.4).scanX(), 400.0);
    EXPECT_DOUBLE_EQ(
        ScanLayout::make(QSize(400, 300), QRectF(0, 0, 400, 300), std::nan("")).fraction, 0.0);
}

TEST(ScanPreviewTest, PicturesMeetAtTheScanLine) {
    const QColor processed(30, 60, 200);
    const QColor coarse(40, 160, 40);
    ScanPreview preview;
    preview.resize(400, 300);
    preview.setImage(solidImage(QSize(400, 300), processed));
    preview.setPixelated(solidImage(QSize(8, 6), coarse));
    preview.setFractionImmediately(0.5);
    ASSERT_DOUBLE_EQ(preview.currentLayout().scanX(), 200.0);

    const QImage image = renderTransparent(preview);
    const int y = 150;
    EXPECT_TRUE(sameColor(image.pixelColor(60, y), processed));
    EXPECT_TRUE(sameColor(image.pixelColor(340, y),
                          ScanPreview::dimmed(solidImage(QSize(1, 1), coarse)).pixelColor(0, 0)));
    // Without a coarse version the picture stands in.
    preview.setPixelated(QImage());
    EXPECT_TRUE(
        sameColor(renderTransparent(preview).pixelColor(340, y),
                  ScanPreview::dimmed(solidImage(QSize(1, 1), processed)).pixelColor(0, 0)));
}

} // namespace
} // namespace clarivex
