#include "core/video/video_space.h"

#include <gtest/gtest.h>

#include <limits>

using namespace clarivex;

TEST(VideoSpace, AFewChunksBesideTheEncodeWhateverTheLength) {
    // 640×360 at ×2: chunks 2 × 48 × (345,600 + 1,382,400); encode 1280 × 720 × E × 3 ÷ 160.
    const std::int64_t chunks = 96 * (345'600 + 1'382'400);
    EXPECT_EQ(videoSpaceNeeded({640, 360}, 2, {1280, 720}, 300, 48, false),
              chunks + 921'600 * 300 / 160 * 3 + 16'000'000);
    // Three minutes: the chunks are the same, only the encode grows; its copy in the final
    // pass outweighs the chunks once the encode is larger than they are.
    const std::int64_t encode = 921'600LL * 5400 / 160 * 3;
    EXPECT_EQ(videoSpaceNeeded({640, 360}, 2, {1280, 720}, 5400, 48, false),
              chunks + encode + 16'000'000);
    EXPECT_EQ(videoSpaceNeeded({640, 360}, 2, {1280, 720}, 5400, 48, true),
              std::max(chunks + encode, 2 * encode) + 16'000'000);
    EXPECT_EQ(videoSpaceNeeded({64, 48}, 2, {128, 96}, 0, 48, true),
              96 * (4608 + 4 * 4608) + 16'000'000);
}

TEST(VideoSpace, AbsurdCountsSaturateInsteadOfWrapping) {
    constexpr auto largest = std::numeric_limits<std::int64_t>::max();
    EXPECT_EQ(videoSpaceNeeded({3840, 2160}, 4, {15360, 8640}, largest / 2, 48, true), largest);
    EXPECT_EQ(videoSpaceNeeded({largest, 2}, 4, {largest, 8}, 1, 48, false), largest);
}
