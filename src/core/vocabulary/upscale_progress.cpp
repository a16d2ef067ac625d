#include "core/vocabulary/upscale_progress.h"

#include <array>

namespace clarivex {

namespace {

using Stage = UpscaleProgress::Stage;

constexpr std::array<std::pair<Stage, std::string_view>, 6> stageTitles{{
    {Stage::preparing, "Подготовка"},
    {Stage::extracting, "Разбор на кадры"},
    {Stage::upscaling, "Апскейл"},
    {Stage::encoding, "Сборка видео"},
    {Stage::looping, "Бесшовная петля"},
    {Stage::saving, "Сохранение"},
}};

} // namespace

std::string_view rawValue(UpscaleProgress::Stage stage) {
    for (const auto& [candidate, title] : stageTitles) {
        if (candidate == stage)
            return title;
    }
    return "";
}

std::optional<UpscaleProgress::Stage> stageFromRaw(std::string_view raw) {
    for (const auto& [stage, title] : stageTitles) {
        if (title == raw)
            return stage;
    }
    return std::nullopt;
}

} // namespace clarivex
