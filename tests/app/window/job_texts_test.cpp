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

TEST(JobTexts, AnAnimationsDoneLineSaysHowManyFramesItKept) {
    UpscaleResult result{"/a/clip-2x.png", std::nullopt, {256, 192}, "realesrgan-x4plus", 2.6};
    for (const auto& [frames, words] : {std::pair{1, "1 кадр"},
                                        {3, "3 кадра"},
                                        {11, "11 кадров"},
                                        {22, "22 кадра"},
                                        {112, "112 кадров"}}) {
        result.frames = frames;
        EXPECT_EQ(JobTexts::doneDetail(result), QStringLiteral("clip-2x.png · ") +
                                                    QString::fromUtf8(words) +
                                                    QStringLiteral(" · 3 с · realesrgan-x4plus"));
    }
}

} // namespace
} // namespace clarivex
