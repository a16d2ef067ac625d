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

TEST(JobTexts, DoneLinesNameSizeFileSecondsAndModel) {
    UpscaleResult result;
    result.output = "/photos/photo-4k.png";
    result.size = {3840, 2160};
    result.model = "realesrgan-x4plus";
    result.seconds = 12.4;
    EXPECT_EQ(JobTexts::doneTitle(result.size), QStringLiteral("Готово — 3840×2160"));
    EXPECT_EQ(JobTexts::afterLabel(result.size), QStringLiteral("ПОСЛЕ · 3840×2160"));
    EXPECT_EQ(JobTexts::doneDetail(result),
              QStringLiteral("photo-4k.png · 12 с · realesrgan-x4plus"));
    result.modelInsteadOf = "realesr-animevideov3";
    EXPECT_EQ(JobTexts::doneDetail(result),
              QStringLiteral("photo-4k.png · 12 с · realesrgan-x4plus (нет realesr-animevideov3)"));
    // No grouping separators, however large.
    EXPECT_EQ(JobTexts::sizeText({15360, 8640}), QStringLiteral("15360×8640"));
}

TEST(JobTexts, CardNamesDropOnlyTheLastExtension) {
    const struct {
        const char* file;
        const char* card;
    } cases[] = {
        {"holiday.photo.jpg", "holiday.photo"},
        {"clip.mp4", "clip"},
        {"README", "README"},
        {".hidden", ".hidden"},
    };
    for (const auto& entry : cases)
        EXPECT_EQ(JobTexts::cardName(QString::fromUtf8(entry.file)), QString::fromUtf8(entry.card));
}

TEST(JobTexts, CounterReadsPendingJobsWithTheirTimeOrAllDone) {
    EXPECT_EQ(JobTexts::counter(0, 30.0), QStringLiteral("всё готово"));
    EXPECT_EQ(JobTexts::counter(1), QStringLiteral("1 в работе"));
    EXPECT_EQ(JobTexts::counter(3, 12 * 60.0), QStringLiteral("3 в работе · ~12 мин"));
}

} // namespace
} // namespace clarivex
