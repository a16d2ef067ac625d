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
    const std::pair<long long, long long> changes[] = {{2, 69}, {69, 2}, {9, 10}, {99, 100}};
    for (const auto& [from, to] : changes) {
        const RollingNumber number{from, to};
        for (int step = 0; step <= 10; ++step) {
            const double progress = step / 10.0;
            for (const RollingNumber::Glyph& glyph : number.glyphs(progress)) {
                EXPECT_GE(glyph.left, 0.0) << from << "→" << to << " at " << progress;
                if (glyph.opacity >= 0.5) {
                    EXPECT_LE(glyph.left + 1.0, number.width(progress) + 0.15)
                        << from << "→" << to << " at " << progress;
                }
            }
        }
    }
}

} // namespace
} // namespace clarivex
