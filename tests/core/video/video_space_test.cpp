#include "core/video/video_space.h"

#include <gtest/gtest.h>

#include <limits>

using namespace clarivex;

TEST(VideoSpace, ExtractedFramesOneEnlargedChunkAndAMargin) {
    EXPECT_EQ(videoSpaceNeeded({1920, 1080}, 4, 300, 48), 4'321'907'200);
    // (5 × 5 × 3) ÷ 2 rounds down to 37.
    EXPECT_EQ(videoSpaceNeeded({5, 5}, 2, 10, 48), 37 * 10 + 37 * 4 * 48 + 1'000'000'000);
    EXPECT_EQ(videoSpaceNeeded({64, 48}, 2, 0, 48), 4608 * 4 * 48 + 1'000'000'000);
}

TEST(VideoSpace, AbsurdCountsSaturateInsteadOfWrapping) {
    constexpr auto largest = std::numeric_limits<std::int64_t>::max();
    EXPECT_EQ(videoSpaceNeeded({3840, 2160}, 4, largest / 2, 48), largest);
    EXPECT_EQ(videoSpaceNeeded({largest, 2}, 4, 1, 48), largest);
}
