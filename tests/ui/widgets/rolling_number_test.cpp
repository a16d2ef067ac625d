#include "ui/widgets/big_progress.h"
#include "ui/widgets/rolling_number.h"

#include <gtest/gtest.h>

#include <cmath>

namespace clarivex {
namespace {

TEST(BigProgressTest, PercentIsTruncatedAndNotClamped) {
    EXPECT_EQ(BigProgress::percentFor(0.479), 47);
    EXPECT_EQ(BigProgress::percentFor(0.0), 0);
    EXPECT_EQ(BigProgress::percentFor(0.999), 99);
    EXPECT_EQ(BigProgress::percentFor(1.25), 125);
    EXPECT_EQ(BigProgress::percentFor(std::nan("")), 0);
}

TEST(RollingNumberTest, DigitsStayWithinTheNumberAndClearOfWhatFollowsIt) {
    // A digit left of the number's edge is cut off; one still half there past its width lies
    // under the sign that follows.
    for (const auto& [from, to] : {std::pair{2LL, 69LL}, {69LL, 2LL}, {9LL, 10LL}, {99LL, 100LL}}) {
        for (int step = 0; step <= 10; ++step) {
            const RollingNumber number{from, to};
            for (const RollingNumber::Glyph& glyph : number.glyphs(step / 10.0)) {
                EXPECT_GE(glyph.left, 0.0) << from << "→" << to << " at " << step;
                EXPECT_TRUE(glyph.opacity < 0.5 ||
                            glyph.left + 1.0 <= number.width(step / 10.0) + 0.15)
                    << from << "→" << to << " at " << step;
            }
        }
    }
}

} // namespace
} // namespace clarivex
