#include "ui/text/model_choice_display.h"

namespace clarivex {

std::string_view symbol(ModelChoice choice) {
    switch (choice) {
    case ModelChoice::automatic:
        return "wand.and.sparkles";
    case ModelChoice::photo:
        return "camera.aperture";
    case ModelChoice::art:
        return "paintbrush.pointed";
    case ModelChoice::video:
        return "film.stack";
    }
    return "wand.and.sparkles";
}

std::string_view shortHint(ModelChoice choice) {
    switch (choice) {
    case ModelChoice::automatic:
        return "Подберёт по типу файла";
    case ModelChoice::photo:
        return "Живая съёмка и видео с камеры";
    case ModelChoice::art:
        return "Рисунки, аниме, иллюстрации";
    case ModelChoice::video:
        return "Быстро; для графики и анимации";
    }
    return "";
}

} // namespace clarivex
