#include "ui/text/eta_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>

namespace clarivex {
namespace {

struct EtaCase {
    double fraction;
    double elapsed;
    const char* expected; // nullptr: no text
};

void PrintTo(const EtaCase& c, std::ostream* out) {
    *out << "fraction " << c.fraction << ", elapsed " << c.elapsed;
}

class EtaTextTest : public ::testing::TestWithParam<EtaCase> {};

TEST_P(EtaTextTest, GivesTheExpectedText) {
    const EtaCase& c = GetParam();
    const std::optional<QString> text = etaText(c.fraction, c.elapsed);
    if (!c.expected) {
        EXPECT_FALSE(text.has_value()) << text->toStdString();
    } else {
        ASSERT_TRUE(text.has_value());
        EXPECT_EQ(text->toStdString(), c.expected);
    }
}

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Boundaries, EtaTextTest,
    ::testing::Values(
        // Too little known: both tests are strict.
        EtaCase{0.03, 100.0, nullptr}, EtaCase{0.5, 2.0, nullptr}, EtaCase{0.0, 50.0, nullptr},
        EtaCase{nan, 50.0, nullptr}, EtaCase{0.5, nan, nullptr}, EtaCase{0.5, infinity, nullptr},
        // Just past both thresholds.
        EtaCase{0.0301, 2.01, "осталось ~1 мин"}, EtaCase{0.5, 2.01, "осталось ~2 с"},
        // The examples of the design.
        EtaCase{0.5, 20.0, "осталось ~20 с"}, EtaCase{0.25, 60.0, "осталось ~3 мин"},
        EtaCase{0.5, 119.0, "осталось ~2 мин"},
        // The unit is chosen before rounding.
        EtaCase{0.5, 59.6, "осталось ~60 с"}, EtaCase{0.5, 60.0, "осталось ~1 мин"},
        // Halves round away from zero, in seconds and in minutes.
        EtaCase{0.5, 2.5, "осталось ~3 с"}, EtaCase{0.5, 150.0, "осталось ~3 мин"},
        EtaCase{0.5, 89.0, "осталось ~1 мин"},
        // Finished or past the end: nothing remains, never a negative time.
        EtaCase{1.0, 30.0, "осталось ~0 с"}, EtaCase{1.25, 30.0, "осталось ~0 с"},
        // Past an hour the hours are counted.
        EtaCase{0.5, 3540.0, "осталось ~59 мин"}, EtaCase{0.5, 3600.0, "осталось ~1 ч"},
        EtaCase{0.25, 1600.0, "осталось ~1 ч 20 мин"}));

} // namespace
} // namespace clarivex
