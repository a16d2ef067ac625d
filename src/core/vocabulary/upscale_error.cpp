#include "core/vocabulary/upscale_error.h"

#include "core/vocabulary/byte_count.h"

#include <utility>

namespace clarivex {

UpscaleError::UpscaleError(Case errorCase)
    : case_(errorCase) {}

UpscaleError UpscaleError::unsupported(std::string what) {
    UpscaleError error(Case::unsupported);
    error.text_ = std::move(what);
    error.describe();
    return error;
}

UpscaleError UpscaleError::failed(std::string message) {
    UpscaleError error(Case::failed);
    error.text_ = std::move(message);
    error.describe();
    return error;
}

UpscaleError UpscaleError::lowDisk(std::int64_t needed, std::int64_t free) {
    UpscaleError error(Case::lowDisk);
    error.needed_ = needed;
    error.free_ = free;
    error.describe();
    return error;
}

UpscaleError UpscaleError::alreadyLarge(Size size, std::string targetTitle) {
    UpscaleError error(Case::alreadyLarge);
    error.size_ = size;
    error.text_ = std::move(targetTitle);
    error.describe();
    return error;
}

UpscaleError UpscaleError::missingEngine() {
    UpscaleError error(Case::missingEngine);
    error.describe();
    return error;
}

UpscaleError UpscaleError::missingFFmpeg() {
    UpscaleError error(Case::missingFFmpeg);
    error.describe();
    return error;
}

void UpscaleError::describe() {
    switch (case_) {
    case Case::unsupported:
        description_ = "Формат не поддерживается: " + text_;
        break;
    case Case::failed:
        description_ = text_;
        break;
    case Case::lowDisk:
        description_ = "Мало места: нужно ~" + formatByteCount(needed_) + ", свободно " +
                       formatByteCount(free_);
        break;
    case Case::alreadyLarge:
        description_ = "Файл уже " + size_.description() + " — это не меньше " + text_ +
                       ". Нейросеть тут ничего не добавит, только испортит детали. Выберите "
                       "больший размер или файл меньшего разрешения.";
        break;
    case Case::missingEngine:
        description_ = "Не найден Real-ESRGAN (ни в приложении, ни в ~/.local/opt/realesrgan)";
        break;
    case Case::missingFFmpeg:
        description_ = "Для видео нужен ffmpeg: sudo apt install ffmpeg";
        break;
    }
}

} // namespace clarivex
