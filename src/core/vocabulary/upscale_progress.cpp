#include "core/vocabulary/upscale_progress.h"

#include "core/vocabulary/vocabulary_table.h"

namespace clarivex {

namespace {

using Stage = UpscaleProgress::Stage;

struct StageRow {
    Stage value;
    std::string_view title;
};

constexpr std::array<StageRow, 6> stages{{
    {Stage::preparing, "Подготовка"},
    {Stage::extracting, "Разбор на кадры"},
    {Stage::upscaling, "Апскейл"},
    {Stage::encoding, "Сборка видео"},
    {Stage::looping, "Бесшовная петля"},
    {Stage::saving, "Сохранение"},
}};
static_assert(listsEveryCaseInOrder(stages));

} // namespace

std::string_view title(UpscaleProgress::Stage stage) {
    return rowOf(stages, stage).title;
}

} // namespace clarivex
