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
        {12.49, "12"},
        {-0.5, "-1"},
        {std::numeric_limits<double>::quiet_NaN(), "—"},
        {std::numeric_limits<double>::infinity(), "—"},
        {1e300, "—"},
    };
    for (const auto& entry : cases)
        EXPECT_EQ(JobTexts::roundedSeconds(entry.seconds), QString::fromUtf8(entry.shown))
            << entry.seconds;
}

TEST(JobTexts, CounterReadsPendingJobsWithTheirTimeOrAllDone) {
    EXPECT_EQ(JobTexts::counter(0, 30.0), QStringLiteral("всё готово"));
    EXPECT_EQ(JobTexts::counter(1), QStringLiteral("1 в работе"));
    EXPECT_EQ(JobTexts::counter(3, 12 * 60.0), QStringLiteral("3 в работе · ~12 мин"));
}

} // namespace
} // namespace clarivex
