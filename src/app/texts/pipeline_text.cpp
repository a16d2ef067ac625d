#include "app/texts/pipeline_text.h"

#include "core/vocabulary/byte_count.h"

#include <algorithm>

namespace clarivex::PipelineText {

namespace {

using Case = UpscaleError::Case;

std::string lowDisk(const UpscaleError& error) {
    const std::string amounts =
        "нужно ~" + formatByteCount(error.needed()) + ", свободно " + formatByteCount(error.free());
    const std::string folder = error.folder().string();
    if (folder.empty())
        return "Мало места: " + amounts;
    if (error.place() == UpscaleError::Place::temporary)
        return "Мало места во временной папке " + folder + ": " + amounts +
               ". Освободите место или укажите другую временную папку в TMPDIR.";
    return "Мало места для результата в папке " + folder + ": " + amounts;
}

std::string fileError(const UpscaleError& error) {
    std::string sentence = "Ошибка при работе с файлом";
    if (!error.folder().empty())
        sentence += " " + error.folder().string();
    return sentence + ": " + error.text();
}

std::string engineProblem(const EngineProblem& problem) {
    const std::string& frame = problem.frame;
    switch (problem.kind) {
    case EngineProblem::Kind::noResult:
        return frame.empty() ? "ESRGAN не создал результат" : "ESRGAN пропустил кадр " + frame;
    case EngineProblem::Kind::wrongSize:
        return "ESRGAN вернул " + (frame.empty() ? "картинку" : "кадр " + frame + " размером") +
               " " + problem.made.description() + " вместо " + problem.expected.description();
    case EngineProblem::Kind::black:
        return frame.empty() ? "ESRGAN вернул чёрную картинку"
                             : "ESRGAN вернул чёрный кадр " + frame;
    case EngineProblem::Kind::corrupt:
        break;
    }
    return frame.empty() ? "ESRGAN не создал результат" : "ESRGAN испортил кадр " + frame;
}

std::string badResult(const UpscaleError& error) {
    const std::string tile = error.tile() > 0 ? "Не хватило видеопамяти даже с плиткой " +
                                                    std::to_string(error.tile()) + " px. "
                                              : std::string();
    const std::string lines = error.errorLines().empty() ? "" : "\n" + error.errorLines();
    return tile + engineProblem(error.problem()) + lines;
}

std::string missingModel(const UpscaleError& error) {
    std::string files;
    for (const std::string& file : error.files())
        files += (files.empty() ? "" : ", ") + file;
    return "Модель " + error.text() + " не установлена: в папке " + error.folder().string() +
           " нет " + files +
           ". Добавить: скачайте realesrgan-ncnn-vulkan-*-ubuntu.zip со страницы "
           "github.com/xinntao/Real-ESRGAN/releases и выполните scripts/install-engine --from "
           "<этот архив>";
}

std::string withoutKept(const UpscaleError& error) {
    const std::string path = error.folder().string();
    switch (error.kind()) {
    case Case::unsupported:
        return "Формат не поддерживается: " + error.text();
    case Case::failed:
    case Case::systemError:
        return error.text();
    case Case::lowDisk:
        return lowDisk(error);
    case Case::alreadyLarge:
        return "Файл уже " + error.size().description() + " — это не меньше " + error.text() +
               ". Нейросеть тут ничего не добавит, только испортит детали. Выберите больший "
               "размер или файл меньшего разрешения.";
    case Case::missingEngine:
        return "Не найден Real-ESRGAN (ни в приложении, ни в ~/.local/opt/realesrgan)";
    case Case::missingFFmpeg:
        return "Для видео нужен ffmpeg: sudo apt install ffmpeg";
    case Case::programExit:
        return error.text() + " завершился с кодом " + std::to_string(error.status()) + "\n" +
               error.errorLines();
    case Case::encoderStopped:
        return "Кодировщик остановился: " + error.errorLines();
    case Case::frameSkipped:
        return "ESRGAN пропустил кадр " + error.text();
    case Case::badResult:
        return badResult(error);
    case Case::missingModel:
        return missingModel(error);
    case Case::noSource:
        return "Не указан файл";
    case Case::sourceMissing:
        return "Файл не найден: " + path;
    case Case::sourceIsFolder:
        return "Это папка, а не файл: " + path;
    case Case::sourceNotRegular:
        return "Это не обычный файл: " + path;
    case Case::readOnlyDestination:
        return "Результат некуда сохранить: папка " + path + " только для чтения";
    case Case::destinationNotWritable:
        return "Результат некуда сохранить: нет прав на запись в папку " + path;
    case Case::noHome:
        return "Не задана домашняя папка (HOME)";
    case Case::fileError:
        return fileError(error);
    case Case::outOfMemory:
        return "Не хватило памяти";
    case Case::imageLibrary:
        return "Ошибка libvips: " + error.text();
    case Case::internal:
        return "Внутренняя ошибка: " + error.text();
    case Case::unknown:
        break;
    }
    return "Неизвестная ошибка";
}

} // namespace

std::string error(const UpscaleError& error) {
    std::string sentence = withoutKept(error);
    const std::string note = error.kept() ? kept(*error.kept()) : std::string();
    if (!note.empty())
        sentence += (sentence.ends_with('.') ? " " : ". ") + note;
    return sentence;
}

std::string kept(const KeptFrames& kept) {
    if (kept.done == 0)
        return {};
    return "Готовые кадры 1–" + std::to_string(kept.done) + " из " +
           std::to_string(std::max(kept.total, kept.done)) + " сохранены в " + kept.folder.string();
}

} // namespace clarivex::PipelineText
