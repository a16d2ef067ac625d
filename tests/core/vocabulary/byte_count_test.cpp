#include "core/vocabulary/byte_count.h"

#include <gtest/gtest.h>

using namespace clarivex;

TEST(ByteCount, RoundingNeverShowsAThousandOfAUnit) {
    EXPECT_EQ(formatByteCount(999'999), "1 МБ");
    EXPECT_EQ(formatByteCount(999'960'000), "1 ГБ");
}
