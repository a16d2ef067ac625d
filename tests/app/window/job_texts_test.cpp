#include "app/window/job_texts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace clarivex {
namespace {

TEST(JobTexts, RoundsSecondsHalfAwayFromZeroAndSurvivesUnrepresentableValues) {
    const struct {
        double seconds;
        const char* shown;
    } cases[] = {
        {0.4, "0"},
        {1.5, "2"},
        {2.5, "3"},
        {-0.5, "-1"},
        {std::numeric_limits<double>::quiet_NaN(), "—"},
        {std::numeric_limits<double>::infinity(), "—"},
        {1e300, "—"},
    };
    for (const auto& entry : cases)
        EXPECT_EQ(JobTexts::roundedSeconds(entry.seconds), QString::fromUtf8(entry.shown))
            << entry.seconds;
}

} // namespace
} // namespace clarivex
