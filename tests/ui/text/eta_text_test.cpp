#include "ui/text/eta_text.h"

#include <gtest/gtest.h>

#include <limits>

namespace clarivex {
namespace {

TEST(EtaTextTest, GivesTheExpectedTextAtTheBoundaries) {
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    constexpr double infinity = std::numeric_limits<double>::infinity();
    // Too little known, just past both thresholds, the unit chosen before rounding, halves
    // rounded away from zero, never below a second while the job runs (at 95 % after 8 s a
    // few tenths are left, once shown as "~0 с"), and hours past an hour.
    const struct {
        double fraction;
        double elapsed;
        const char* expected; // nullptr: no text
    } cases[] = {
        {0.03, 100.0, nullptr},         {0.5, 2.0, nullptr},
        {nan, 50.0, nullptr},           {0.5, nan, nullptr},
        {0.5, infinity, nullptr},       {0.0301, 2.01, "осталось ~1 мин"},
        {0.5, 2.01, "осталось ~2 с"},   {0.5, 59.6, "осталось ~60 с"},
        {0.5, 60.0, "осталось ~1 мин"}, {0.5, 150.0, "осталось ~3 мин"},
        {0.95, 8.0, "осталось ~1 с"},   {0.95, 30.0, "осталось ~2 с"},
        {1.0, 30.0, "осталось ~1 с"},   {1.25, 30.0, "осталось ~1 с"},
        {0.5, 3600.0, "осталось ~1 ч"}, {0.25, 1600.0, "осталось ~1 ч 20 мин"},
    };
    for (const auto& c : cases) {
        const std::optional<QString> text = etaText(c.fraction, c.elapsed);
        EXPECT_EQ(text ? text->toStdString() : std::string("(none)"),
                  c.expected ? c.expected : "(none)")
            << "fraction " << c.fraction << ", elapsed " << c.elapsed;
    }
}

} // namespace
} // namespace clarivex
