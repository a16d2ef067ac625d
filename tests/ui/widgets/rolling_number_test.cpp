#include "ui/widgets/big_progress.h"
#include "ui/widgets/rolling_number.h"

#include <gtest/gtest.h>

#include <cmath>

namespace clarivex {
namespace {

QString shown(const RollingNumber& number, double progress) {
    // The settled glyphs (full opacity, no offset), units last.
    QString text;
    for (const RollingNumber::Glyph& glyph : number.glyphs(progress)) {
        if (glyph.opacity == 1.0 && glyph.offset == 0.0)
            text.prepend(glyph.digit);
    }
    return text;
}

TEST(RollingNumberTest, ShowsTheOldNumberAtTheStartAndTheNewAtTheEnd) {
    const RollingNumber number{47, 52};
    EXPECT_EQ(shown(number, 0.0), "47");
    EXPECT_EQ(shown(number, 1.0), "52");
}

TEST(RollingNumberTest, OnlyChangedDigitsRollUpwardsWhenCountingUp) {
    const RollingNumber number{41, 42};
    const auto glyphs = number.glyphs(0.25);
    ASSERT_EQ(glyphs.size(), 3u);
    EXPECT_EQ(glyphs[0], (RollingNumber::Glyph{'1', 0, -0.25, 0.75}));
    EXPECT_EQ(glyphs[1], (RollingNumber::Glyph{'2', 0, 0.75, 0.25}));
    EXPECT_EQ(glyphs[2], (RollingNumber::Glyph{'4', 1, 0.0, 1.0}));
}

TEST(RollingNumberTest, DigitsRollDownwardsWhenCountingDownAndWidthEasesBetweenLengths) {
    const RollingNumber number{100, 99};
    for (const RollingNumber::Glyph& glyph : number.glyphs(0.5)) {
        if (glyph.digit == '1') {
            EXPECT_GT(glyph.offset, 0.0);
        }
    }
    EXPECT_DOUBLE_EQ(number.width(0.0), 3.0);
    EXPECT_DOUBLE_EQ(number.width(0.5), 2.5);
    EXPECT_DOUBLE_EQ(number.width(1.0), 2.0);
}

TEST(BigProgressTest, PercentIsTruncatedAndNotClamped) {
    EXPECT_EQ(BigProgress::percentFor(0.479), 47);
    EXPECT_EQ(BigProgress::percentFor(0.0), 0);
    EXPECT_EQ(BigProgress::percentFor(0.999), 99);
    EXPECT_EQ(BigProgress::percentFor(1.25), 125);
    EXPECT_EQ(BigProgress::percentFor(std::nan("")), 0);
}

} // namespace
} // namespace clarivex
