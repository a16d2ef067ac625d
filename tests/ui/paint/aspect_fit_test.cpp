#include "ui/paint/aspect_fit.h"

#include <gtest/gtest.h>

namespace clarivex {
namespace {

TEST(AspectFitTest, PictureFillsTheSpaceAlongItsLongerSideAndIsCentred) {
    EXPECT_EQ(aspectFitBox(QSize(400, 200), QRectF(0, 0, 300, 600)), QRectF(0, 225, 300, 150));
    EXPECT_EQ(aspectFitBox(QSize(300, 600), QRectF(10, 20, 800, 400)), QRectF(310, 20, 200, 400));
    // A picture without height counts it as one pixel.
    EXPECT_EQ(aspectFitBox(QSize(100, 0), QRectF(0, 0, 400, 300)), QRectF(0, 148, 400, 4));
}

TEST(AspectFitTest, PictureWithoutWidthOrSpaceGivesAnEmptyBoxNotNaN) {
    for (const auto& [pixels, space] : {std::pair{QSize(0, 100), QRectF(0, 0, 400, 300)},
                                        std::pair{QSize(0, 0), QRectF(0, 0, 400, 300)},
                                        std::pair{QSize(400, 300), QRectF(0, 0, 400, 0)},
                                        std::pair{QSize(400, 300), QRectF(0, 0, 0, 300)}}) {
        const QRectF box = aspectFitBox(pixels, space);
        EXPECT_TRUE(box.isEmpty());
        EXPECT_EQ(box.center(), space.center());
        EXPECT_FALSE(std::isnan(box.width()) || std::isnan(box.height()));
    }
}

} // namespace
} // namespace clarivex
