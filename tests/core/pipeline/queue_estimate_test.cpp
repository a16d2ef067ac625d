#include "core/pipeline/queue_estimate.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace clarivex;

// A queue of a stand-in whose time is its work at a fixed rate: the learned rate finds it
// whatever the mix of sizes and models.
TEST(QueueEstimate, LearnsTheMachinesRateFromFinishedJobs) {
    constexpr double rate = 50'000; // work units per second
    QueueEstimate estimate;
    EXPECT_FALSE(estimate.rate());
    for (const double work : {workOf({4000, 3000}, 1, "realesrgan-x4plus"),
                              workOf({1920, 1080}, 1, "realesrgan-x4plus-anime"),
                              workOf({640, 360}, 240, "realesr-animevideov3")})
        estimate.learn(work, work / rate);
    ASSERT_TRUE(estimate.rate());
    EXPECT_NEAR(*estimate.rate(), rate, 1e-6 * rate);
}

TEST(QueueEstimate, AnOddJobMovesTheRateOnlyPartOfTheWayAndNonsenseNotAtAll) {
    QueueEstimate learned(1000);
    learned.learn(4000, 1);
    EXPECT_GT(*learned.rate(), 1000);
    EXPECT_LT(*learned.rate(), 2000);
    const double rate = *learned.rate();
    learned.learn(0, 1);
    learned.learn(100, 0);
    learned.learn(NAN, 3);
    EXPECT_EQ(learned.rate(), rate);
}

// A stored rate is a setting anyone can edit or damage: one that no machine works at is no
// rate, rather than hundreds of digits of hours or nothing left while jobs wait.
TEST(QueueEstimate, OnlyPlausibleRatesCount) {
    for (const double stored : std::initializer_list<double>{1e-300, 5e-324, 1e308, 1e12, 0.5,
                                                             -1000.0, 0.0, INFINITY, NAN}) {
        QueueEstimate estimate(stored);
        EXPECT_FALSE(estimate.rate()) << stored;
    }
    QueueEstimate learned(1000);
    learned.learn(1e300, 1);
    learned.learn(1, 1e300);
    EXPECT_EQ(learned.rate(), 1000);
}
