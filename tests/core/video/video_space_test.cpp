#include "core/video/video_space.h"

#include <gtest/gtest.h>

#include <limits>

using namespace clarivex;

TEST(VideoSpace, AbsurdCountsSaturateInsteadOfWrapping) {
    constexpr auto largest = std::numeric_limits<std::int64_t>::max();
    EXPECT_EQ(destinationSpaceNeeded({15360, 8640}, largest / 2, largest / 2), largest);
    EXPECT_EQ(temporarySpaceNeeded({largest, 2}, 4, 48), largest);
}
