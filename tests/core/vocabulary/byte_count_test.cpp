#include "core/vocabulary/byte_count.h"

#include <gtest/gtest.h>

using namespace clarivex;

TEST(ByteCount, DecimalUnitsWithRussianNamesAndComma) {
    EXPECT_EQ(formatByteCount(0), "0 байт");
    EXPECT_EQ(formatByteCount(1000), "1 КБ");
    EXPECT_EQ(formatByteCount(3'400'000), "3,4 МБ");
    EXPECT_EQ(formatByteCount(4'320'000'000), "4,32 ГБ");
    EXPECT_EQ(formatByteCount(-1'500'000), "-1,5 МБ");
}

TEST(ByteCount, RoundingNeverShowsAThousandOfAUnit) {
    EXPECT_EQ(formatByteCount(999'999), "1 МБ");
    EXPECT_EQ(formatByteCount(999'960'000), "1 ГБ");
}
