#include "core/video/video_space.h"

#include <gtest/gtest.h>

#include <limits>

using namespace clarivex;

TEST(VideoSpace, ChunksInTheTemporaryFolderSegmentsAndResultBesideIt) {
    // 640×360 at ×2: 2 chunks of 48 frames, each frame 345,600 extracted and 1,382,400 enlarged,
    // whatever the length.
    EXPECT_EQ(temporarySpaceNeeded({640, 360}, 2, 48), 96 * (345'600 + 1'382'400) + 16'000'000);
    // 1280×720 encodes at 921,600 × 3 ÷ 160 bytes a frame: the segments still to make, and the
    // joined result of all frames.
    EXPECT_EQ(destinationSpaceNeeded({1280, 720}, 5400, 5400),
              2 * (921'600LL * 5400 / 160 * 3) + 16'000'000);
    EXPECT_EQ(destinationSpaceNeeded({1280, 720}, 5400, 0),
              921'600LL * 5400 / 160 * 3 + 16'000'000);
}

TEST(VideoSpace, AbsurdCountsSaturateInsteadOfWrapping) {
    constexpr auto largest = std::numeric_limits<std::int64_t>::max();
    EXPECT_EQ(destinationSpaceNeeded({15360, 8640}, largest / 2, largest / 2), largest);
    EXPECT_EQ(temporarySpaceNeeded({largest, 2}, 4, 48), largest);
}
