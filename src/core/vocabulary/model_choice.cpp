#include "core/vocabulary/model_choice.h"

namespace clarivex {

namespace {

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
    switch (choice) {
    case ModelChoice::automatic:
        return "auto";
    case ModelChoice::photo:
        return "photo";
    case ModelChoice::art:
        return "art";
    case ModelChoice::video:
        return "video";
    }
    return "auto";
}

std::optional<ModelChoice> modelChoiceFromRaw(std::string_view raw) {
    for (ModelChoice choice : allModelChoices) {
        if (rawValue(choice) == raw)
            return choice;
    }
    return std::nullopt;
}

std::string_view title(ModelChoice choice) {
    switch (choice) {
    case ModelChoice::automatic:
        return "Авто";
    case ModelChoice::photo:
        return "Фото";
    case ModelChoice::art:
        return "Графика";
    case ModelChoice::video:
        return "Видео";
    }
    return "";
}

std::string_view hint(ModelChoice choice) {
    switch (choice) {
    case ModelChoice::automatic:
        return "Фото — детальная модель, видео — быстрая и стабильная между кадрами";
    case ModelChoice::photo:
        return "realesrgan-x4plus: живая съёмка, максимум деталей, медленнее";
    case ModelChoice::art:
        return "realesrgan-x4plus-anime: рисунки, аниме, иллюстрации";
    case ModelChoice::video:
        return "realesr-animevideov3: быстрая, для графики, анимации, логотипов; живую съёмку "
               "делает «нарисованной»";
    }
    return "";
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
