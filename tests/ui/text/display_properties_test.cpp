#include "ui/text/model_choice_display.h"
#include "ui/text/target_display.h"

#include <gtest/gtest.h>

namespace clarivex {
namespace {

TEST(DisplayPropertiesTest, ModelChoicesHaveTheirSymbolsAndHints) {
    const std::tuple<ModelChoice, const char*, const char*> table[] = {
        {ModelChoice::automatic, "wand.and.sparkles", "Подберёт по типу файла"},
        {ModelChoice::photo, "camera.aperture", "Живая съёмка и видео с камеры"},
        {ModelChoice::art, "paintbrush.pointed", "Рисунки, аниме, иллюстрации"},
        {ModelChoice::video, "film.stack", "Быстро; для графики и анимации"},
    };
    for (const auto& [choice, symbolName, hint] : table) {
        EXPECT_EQ(symbol(choice), symbolName);
        EXPECT_EQ(shortHint(choice), hint);
    }
}

TEST(DisplayPropertiesTest, TargetsHaveTheirResolutionHintsWithTheMultiplicationSign) {
    EXPECT_EQ(resolutionHint(Target::x2), "вдвое больше");
    EXPECT_EQ(resolutionHint(Target::x4), "вчетверо больше");
    EXPECT_EQ(resolutionHint(Target::fullHD), "1920 \u00D7 1080");
    EXPECT_EQ(resolutionHint(Target::uhd4k), "3840 \u00D7 2160");
}

} // namespace
} // namespace clarivex
