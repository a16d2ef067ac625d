#include "core/vocabulary/upscale_error.h"

#include "core/vocabulary/byte_count.h"

#include <vips/vips8>

#include <filesystem>
#include <new>
#include <system_error>
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

UpscaleError UpscaleError::lowDisk(std::int64_t needed, std::int64_t free, Place place,
                                   std::filesystem::path folder) {
    UpscaleError error(Case::lowDisk);
    error.needed_ = needed;
    error.free_ = free;
    error.place_ = place;
    error.folder_ = std::move(folder);
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

void UpscaleError::addNote(const std::string& note) {
    if (note.empty())
        return;
    note_ = note;
    describe();
}

void UpscaleError::describe() {
    switch (case_) {
    case Case::unsupported:
        description_ = "Формат не поддерживается: " + text_;
        break;
    case Case::failed:
        description_ = text_;
        break;
    case Case::lowDisk: {
        const std::string amounts =
            "нужно ~" + formatByteCount(needed_) + ", свободно " + formatByteCount(free_);
        if (folder_.empty())
            description_ = "Мало места: " + amounts;
        else if (place_ == Place::temporary)
            description_ = "Мало места во временной папке " + folder_.string() + ": " + amounts +
                           ". Освободите место или укажите другую временную папку в TMPDIR.";
        else
            description_ = "Мало места для результата в папке " + folder_.string() + ": " + amounts;
        break;
    }
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
    if (!note_.empty())
        description_ += (description_.ends_with('.') ? " " : ". ") + note_;
}

std::string failureMessage(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const UpscaleError& upscaleError) {
        return upscaleError.what();
    } catch (const std::filesystem::filesystem_error& fileError) {
        // The library's own text is English; the sentence names the path and the reason.
        std::string message = "Ошибка при работе с файлом";
        if (!fileError.path1().empty())
            message += " " + fileError.path1().string();
        return message + ": " + fileError.code().message();
    } catch (const std::system_error& systemError) {
        // Raised with what failed and where in the user's words; what() adds the reason.
        return systemError.what();
    } catch (const std::bad_alloc&) {
        return "Не хватило памяти";
    } catch (const vips::VError& vipsError) {
        return std::string("Ошибка libvips: ") + vipsError.what();
    } catch (const std::exception& other) {
        return std::string("Внутренняя ошибка: ") + other.what();
    } catch (...) {
        return "Неизвестная ошибка";
    }
}

} // namespace clarivex
