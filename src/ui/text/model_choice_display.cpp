#include "ui/text/model_choice_display.h"

#include "core/vocabulary/vocabulary_table.h"

namespace clarivex {

namespace {

// Texts that only the window's tiles show; the tile's label is the vocabulary's title().
struct ModelChoiceDisplayRow {
    ModelChoice value;
    std::string_view symbol;
    std::string_view shortHint;
};

constexpr std::array<ModelChoiceDisplayRow, 4> modelChoiceDisplays{{
    {ModelChoice::automatic, "wand.and.sparkles", "Подберёт по типу файла"},
    {ModelChoice::photo, "camera.aperture", "Живая съёмка и видео с камеры"},
    {ModelChoice::art, "paintbrush.pointed", "Рисунки, аниме, иллюстрации"},
    {ModelChoice::video, "film.stack", "Быстро; для графики и анимации"},
}};
static_assert(listsEveryCaseInOrder(modelChoiceDisplays));

} // namespace

std::string_view symbol(ModelChoice choice) {
    return rowOf(modelChoiceDisplays, choice).symbol;
}

std::string_view shortHint(ModelChoice choice) {
    return rowOf(modelChoiceDisplays, choice).shortHint;
}

} // namespace clarivex
