#include "core/vocabulary/model_choice.h"

#include "core/vocabulary/vocabulary_table.h"

namespace clarivex {

namespace {

struct ModelChoiceRow {
    ModelChoice value;
    std::string_view raw;
    std::string_view title;
    std::string_view hint;
};

constexpr std::array<ModelChoiceRow, 4> modelChoices{{
    {ModelChoice::automatic, "auto", "Авто",
     "Фото — детальная модель, видео — быстрая и стабильная между кадрами"},
    {ModelChoice::photo, "photo", "Фото",
     "realesrgan-x4plus: живая съёмка, максимум деталей, медленнее"},
    {ModelChoice::art, "art", "Графика", "realesrgan-x4plus-anime: рисунки, аниме, иллюстрации"},
    {ModelChoice::video, "video", "Видео",
     "realesr-animevideov3: быстрая, для графики, анимации, логотипов; живую съёмку "
     "делает «нарисованной»"},
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

std::string_view hint(ModelChoice choice) {
    return rowOf(modelChoices, choice).hint;
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
