#include "ui/widgets/big_progress.h"

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

} // namespace
} // namespace clarivex
