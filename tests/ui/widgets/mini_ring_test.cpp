#include "ui/widgets/mini_ring.h"

#include <gtest/gtest.h>

#include <cmath>

namespace clarivex {
namespace {

TEST(MiniRingTest, ArcIsNeverEmptyAndNeverMoreThanTheCircle) {
    const std::pair<qreal, qreal> cases[] = {{0.0, 0.02},  {-1.0, 0.02},        {0.01, 0.02},
                                             {0.02, 0.02}, {0.5, 0.5},          {1.0, 1.0},
                                             {3.0, 1.0},   {std::nan(""), 0.02}};
    for (const auto& [value, sweep] : cases)
        EXPECT_DOUBLE_EQ(MiniRing::sweepFraction(value), sweep) << value;
}

} // namespace
} // namespace clarivex
