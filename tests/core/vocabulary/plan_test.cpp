#include "core/vocabulary/plan.h"

#include <gtest/gtest.h>

using namespace clarivex;

namespace {

struct PlanCase {
    Size source;
    Target target;
    ModelChoice model;
    MediaKind kind;
    double factor;
    int scale;
    Size output;
    bool alreadyAtTarget;
};

} // namespace

TEST(Plan, WorkedExamples) {
    const auto image = MediaKind::image;
    const auto video = MediaKind::video;
    const auto photo = ModelChoice::photo;
    const auto fast = ModelChoice::video;
    const std::vector<PlanCase> cases{
        {{1000, 750}, Target::uhd4k, photo, image, 2.88, 4, {2880, 2160}, false},
        {{853, 480}, Target::fullHD, photo, image, 2.25, 4, {1919, 1080}, false},
        {{853, 480}, Target::fullHD, fast, video, 2.25, 3, {1920, 1080}, false},
        {{1280, 720}, Target::fullHD, fast, video, 1.5, 2, {1920, 1080}, false},
        {{640, 480}, Target::uhd4k, fast, video, 4.5, 4, {2880, 2160}, false},
        {{720, 1280}, Target::uhd4k, fast, video, 3, 3, {2160, 3840}, false},
        {{1000, 1000}, Target::x2, photo, image, 2, 4, {2000, 2000}, false},
        {{1000, 1000}, Target::x2, fast, video, 2, 2, {2000, 2000}, false},
        {{1000, 1000}, Target::fullHD, photo, image, 1.08, 4, {1080, 1080}, true},
        {{1080, 1920}, Target::fullHD, photo, image, 1.0, 4, {1080, 1920}, true},
        // A square source counts as landscape.
        {{1000, 1000}, Target::uhd4k, photo, image, 2.16, 4, {2160, 2160}, false},
        // Larger than the box: the factor drops below 1.
        {{5000, 3000}, Target::uhd4k, photo, image, 0.72, 4, {3600, 2160}, true},
        // Beyond the largest scale the rest is left to resampling.
        {{100, 100}, Target::uhd4k, fast, video, 21.6, 4, {2160, 2160}, false},
    };
    for (const auto& c : cases) {
        const Plan plan = Plan::make(c.source, c.target, c.model, c.kind);
        SCOPED_TRACE(c.source.description() + " " + std::string(rawValue(c.target)));
        EXPECT_NEAR(plan.factor, c.factor, 1e-9);
        EXPECT_EQ(plan.esrganScale, c.scale);
        EXPECT_EQ(plan.output, c.output);
        EXPECT_EQ(plan.alreadyAtTarget(), c.alreadyAtTarget);
    }
}

// Video sizes are rounded up to even numbers (4:2:0 needs them), and halves away from zero.
TEST(Plan, Rounding) {
    for (const auto& [value, even] : {std::pair{1919.25, 1920}, {5.0, 6}, {0.9, 2}, {-7.0, 2}})
        EXPECT_EQ(Plan::even(value), even) << value;
    for (const auto& [value, rounded] : {std::pair{2.5, 3}, {-2.5, -3}, {2.4999, 2}})
        EXPECT_EQ(roundHalfAway(value), rounded) << value;
}

TEST(Plan, DegenerateSourcesDoNotCrash) {
    EXPECT_NO_THROW(Plan::make({0, 0}, Target::uhd4k, ModelChoice::automatic, MediaKind::video));
    EXPECT_NO_THROW(Plan::make({-5, 3}, Target::fullHD, ModelChoice::automatic, MediaKind::image));
    EXPECT_NO_THROW(Plan::make({INT64_MAX, 1}, Target::x4, ModelChoice::photo, MediaKind::image));
}
