#include "ui/text/format_size.h"

#include <gtest/gtest.h>

namespace clarivex {
namespace {

TEST(FormatSizeTest, UsesDecimalUnitsAndHandsNegativeCountsOn) {
    EXPECT_EQ(formatSize(0).toStdString(), "0 байт");
    EXPECT_EQ(formatSize(4'320'000'000).toStdString(), "4,32 ГБ");
    EXPECT_TRUE(formatSize(-3'400'000).startsWith('-'));
}

} // namespace
} // namespace clarivex
