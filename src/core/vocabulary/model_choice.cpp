#include "core/vocabulary/model_choice.h"

#include "core/vocabulary/vocabulary_table.h"

namespace clarivex {

namespace {

struct ModelChoiceRow {
    ModelChoice value;
    std::string_view raw;
    std::string_view title;
};

constexpr std::array<ModelChoiceRow, 4> modelChoices{{
    {ModelChoice::automatic, "auto", "Авто"},
    {ModelChoice::photo, "photo", "Фото"},
    {ModelChoice::art, "art", "Графика"},
    {ModelChoice::video, "video", "Видео"},
}};
static_assert(listsEveryCaseInOrder(modelChoices));

const ResolvedModel& photoModel() {
    static const ResolvedModel model{"realesrgan-x4plus", {4}};
    return model;
}

const ResolvedModel& artModel() {
    static const ResolvedModel model{"realesrgan-x4plus-anime", {4}};
    return model;
}

const ResolvedModel& videoModel() {
    static const ResolvedModel model{"realesr-animevideov3", {2, 3, 4}};
    return model;
}

} // namespace

std::string_view rawValue(ModelChoice choice) {
    return rowOf(modelChoices, choice).raw;
}

std::optional<ModelChoice> modelChoiceFromRaw(std::string_view raw) {
    return caseWhere(modelChoices, &ModelChoiceRow::raw, raw);
}

std::string_view title(ModelChoice choice) {
    return rowOf(modelChoices, choice).title;
}

ResolvedModel resolved(ModelChoice choice, MediaKind kind) {
    switch (choice) {
    case ModelChoice::automatic:
        return kind == MediaKind::image ? photoModel() : videoModel();
    case ModelChoice::photo:
        return photoModel();
    case ModelChoice::art:
        return artModel();
    case ModelChoice::video:
        return videoModel();
    }
    return photoModel();
}

} // namespace clarivex
