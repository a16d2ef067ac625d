#include "app/texts/pipeline_text.h"

#include "core/vocabulary/byte_count.h"
#include "core/vocabulary/decimal_text.h"
#include "core/vocabulary/frame_count.h"
#include "core/vocabulary/vocabulary_table.h"

#include <algorithm>

namespace clarivex::PipelineText {

namespace {

using Case = UpscaleError::Case;
constexpr std::int64_t million = 1'000'000;
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

// "из N кадров": after "из" the count takes the genitive, singular only for 1, 21, 31…
std::string framesOutOf(std::int64_t frames) {
    const std::int64_t lastTwo = (frames < 0 ? -frames : frames) % 100;
    const bool singular = lastTwo % 10 == 1 && lastTwo != 11;
    return std::to_string(frames) + (singular ? " кадра" : " кадров");
}

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

std::string_view operation(UpscaleError::Operation operation) {
    using Operation = UpscaleError::Operation;
    switch (operation) {
    case Operation::open:
        return "Не удалось открыть";
    case Operation::openFolder:
        return "Не удалось открыть папку";
    case Operation::openTemporaryFolder:
        return "Не удалось открыть временную папку";
    case Operation::createFolder:
        return "Не удалось создать папку";
    case Operation::createWorkingFolder:
        return "Не удалось создать рабочую папку";
    case Operation::create:
        return "Не удалось создать";
    case Operation::copyInto:
        return "Не удалось скопировать в папку";
    case Operation::save:
    case Operation::saveSwapped:
        return "Не удалось сохранить";
    case Operation::claimFolder:
        return "Не удалось занять папку";
    case Operation::read:
        return "Не удалось прочитать";
    case Operation::write:
        return "Не удалось записать";
    case Operation::writeFrame:
        return "Не удалось записать кадр";
    case Operation::createPartsFolder:
        return "Не удалось создать папку для частей видео";
    case Operation::openPartsFolder:
        break;
    }
    return "Не удалось открыть папку для частей видео";
}

// Worded as std::system_error words its own: the reason is the system's, in its locale.
std::string operationFailed(const UpscaleError& error) {
    const bool swapped = error.operation() == UpscaleError::Operation::saveSwapped;
    return std::string(operation(error.operation())) + " " + error.folder().string() +
           (swapped ? ": файл подменили во время сохранения" : "") + ": " + error.code().message();
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

std::string apngProblem(const UpscaleError& error) {
    const std::string count = std::to_string(error.count());
    switch (error.kind()) {
    case Case::apngTooManyFrames:
        return count + " кадров не помещаются в PNG";
    case Case::apngFrameNotEncoded:
        return "кадр " + count + " не удалось закодировать";
    case Case::apngFrameDiffers:
        return "кадр " + count + " не такой, как первый";
    case Case::apngExtraFrame:
        return "кадров больше " + std::to_string(error.limit());
    case Case::apngShort:
        return "записано " + frameCountText(error.count()) + " из " + std::to_string(error.limit());
    default:
        break;
    }
    return {};
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
    case Case::encoderExit:
        return "Кодировщик: код " + std::to_string(error.status()) + "\n" + error.errorLines();
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
    case Case::noFrames:
        return "ffmpeg не извлёк ни одного кадра";
    case Case::cutFrame:
        return "ffmpeg оборвал кадр на середине";
    case Case::notPngFrames:
        return "ffmpeg выдал кадры не в формате PNG";
    case Case::frameTooLarge:
        return "ffmpeg выдал слишком большой кадр";
    case Case::unclearProbe:
        return "ffprobe ответил непонятно: не удалось узнать размер и частоту кадров видео";
    case Case::videoBusy:
        return "Это видео с теми же настройками уже обрабатывается: " + path;
    case Case::createFailed:
        return "Не удалось создать " + error.text() + ": " + error.reason();
    case Case::writeFailed:
        return "Не удалось записать " + error.text() + ": " + error.reason();
    case Case::decodeFailed:
        return "Не удалось декодировать картинку: " + error.reason();
    case Case::imageLibraryStart:
        return "Не удалось запустить libvips: " + error.reason();
    case Case::resizeFailed:
        return "Не удалось изменить размер: " + error.reason();
    case Case::apngNeedsFFmpeg:
        return "Для анимированного PNG нужен ffmpeg: sudo apt install ffmpeg";
    case Case::frameNotEncoded:
        return "Не удалось закодировать кадр " + std::to_string(error.count());
    case Case::apngTooManyFrames:
    case Case::apngFrameNotEncoded:
    case Case::apngFrameDiffers:
    case Case::apngExtraFrame:
    case Case::apngShort:
        return "Не удалось записать " + error.text() + ": " + apngProblem(error);
    case Case::pictureTooLarge:
        return "Картинка " + error.size().description() + " слишком большая: нейросеть выдала бы " +
               error.made().description() + " пикселей, а в память помещается не больше " +
               std::to_string(error.limit() / million) + " мегапикселей.";
    case Case::animationTooLarge:
        return "Анимация слишком большая: " + frameCountText(error.count()) + " по " +
               error.made().description() + " — это " +
               std::to_string((error.needed() + million - 1) / million) +
               " млн пикселей, а можно не больше " + std::to_string(error.limit() / million) +
               " млн.";
    case Case::animationTooLong:
        return "Анимация слишком длинная: GIF больше чем из " + std::to_string(error.limit()) +
               " кадров не прочитать";
    case Case::animationShort:
        return "Анимация повреждена: ffmpeg прочитал " + frameCountText(error.count()) + " из " +
               std::to_string(error.limit());
    case Case::animationFrameBroken:
        return "Анимация повреждена: не удалось декодировать кадр " +
               std::to_string(error.count()) + " из " + std::to_string(error.limit());
    case Case::animationUnreadable:
        return "Не удалось прочитать анимацию из " + framesOutOf(error.count()) +
               (error.reason().empty() ? "" : ": " + error.reason());
    case Case::noFreeName:
        return "Нет свободного имени для " + error.text() + " в папке " + path;
    case Case::fileError:
        return fileError(error);
    case Case::operationFailed:
        return operationFailed(error);
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

std::string tileNote(const ProgressDetail& detail) {
    return detail.tile > 0 ? " · плитка " + std::to_string(detail.tile) + " px" : std::string();
}

// The model, then what stands out about how it runs: ", ×4" after the model where it starts,
// " ×4" after the frames where it goes on.
std::string modelNotes(const ProgressDetail& detail, const std::string& scaleMark) {
    std::string text = detail.model + scaleMark + std::to_string(detail.scale);
    if (detail.modelInsteadOf)
        text += " (нет " + *detail.modelInsteadOf + ")";
    if (detail.profileIgnored)
        text += " · профиль ICC не подходит: цвета прочитаны как sRGB";
    return text + tileNote(detail);
}

std::string withColour(const ProgressDetail& detail, std::string text) {
    return detail.hdr ? text + " · HDR → SDR" : text;
}

std::string countOfTracks(std::size_t count) {
    const std::size_t lastTwo = count % 100;
    const std::size_t last = count % 10;
    const bool few = last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14);
    return std::to_string(count) + (few ? " дорожки" : " дорожек");
}

std::string partsProblem(const ProgressDetail& detail) {
    const std::string place = detail.unusable.string();
    switch (detail.partsProblem) {
    case ProgressDetail::PartsProblem::notAFolder:
        return "На месте папки для частей видео " + place + " лежит не папка";
    case ProgressDetail::PartsProblem::othersFolder:
        return "Имя " + place + " занято: эта папка принадлежит другому пользователю (" +
               detail.name + ")";
    case ProgressDetail::PartsProblem::cannotClose:
        break;
    }
    return "В папке " + place + " нельзя закрыть файлы от других пользователей";
}

std::string ofTotal(std::int64_t done, std::int64_t total) {
    return "Кадр " + std::to_string(done) + " из " + std::to_string(total);
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

std::string_view stage(UpscaleProgress::Stage stage) {
    return rowOf(stages, stage).title;
}

std::string detail(const ProgressDetail& detail) {
    using Kind = ProgressDetail::Kind;
    switch (detail.kind) {
    case Kind::none:
        return {};
    case Kind::file:
        return detail.name;
    case Kind::picturesCopy:
        return "Копия в ~/Pictures/Clarivex";
    case Kind::network:
        return modelNotes(detail, ", ×");
    case Kind::enginePercent:
        return fixedDecimal(detail.value, 0) + "%" + tileNote(detail);
    case Kind::sharedRun:
        return modelNotes(detail, ", ×") + " · общий запуск, фото " + std::to_string(detail.done) +
               " из " + std::to_string(detail.total);
    case Kind::frames:
        return ofTotal(detail.done, detail.total) + " · " + modelNotes(detail, " ×");
    case Kind::extracted:
        return withColour(detail, detail.estimated ? "Кадр " + std::to_string(detail.done) +
                                                         " из ~" + std::to_string(detail.total)
                                                   : ofTotal(detail.done, detail.total));
    case Kind::resumed:
        return detail.done < detail.total ? "Продолжаю с кадра " + std::to_string(detail.done + 1) +
                                                " из " + std::to_string(detail.total)
                                          : "Продолжаю после кадра " + std::to_string(detail.done);
    case Kind::tileRetry:
        return "Не хватило видеопамяти — повтор с плиткой " + std::to_string(detail.tile) + " px";
    case Kind::writing:
        return detail.total > 0 ? frameCountText(detail.total) + " · " + detail.size.description()
                                : detail.size.description();
    case Kind::encoding:
        return withColour(detail, "H.264, " + detail.size.description());
    case Kind::seam:
        return "Стык " + fixedDecimal(detail.value, 1) + " с";
    case Kind::checkingTracks:
        return "Проверка звука и субтитров";
    case Kind::joining:
        return tracks(detail.tracks);
    case Kind::partsElsewhere:
        break;
    }
    return partsProblem(detail) + ": части видео хранятся в " + detail.path.string();
}

std::string tracks(const TrackNote& note) {
    std::string text = note.audio == 0   ? "Склейка частей"
                       : note.audio == 1 ? "Звук"
                                         : "Звук: " + countOfTracks(note.audio);
    if (note.subtitles > 0) {
        text += " · субтитры";
        std::string sets;
        for (const std::string& set : note.convertedFrom)
            sets += (sets.empty() ? "" : ", ") + set;
        if (!sets.empty())
            text += " (перекодированы из " + sets + ")";
    }
    if (note.timecode)
        text += " · таймкод";
    if (note.pictureSubtitles > 0)
        text += " · субтитры-картинки пропущены: MP4 их не хранит";
    if (note.unknownTextSubtitles > 0)
        text += " · субтитры в неизвестной кодировке пропущены";
    if (note.emptyTracks == 1)
        text += " · пустая дорожка пропущена";
    else if (note.emptyTracks > 1)
        text += " · пустые дорожки пропущены: " + std::to_string(note.emptyTracks);
    if (note.fonts > 0)
        text += " · шрифты пропущены: MP4 их не хранит";
    if (note.otherAttachments > 0)
        text += " · вложенные файлы пропущены: MP4 их не хранит";
    if (note.dataStreams > 0)
        text += " · потоки данных пропущены";
    return text;
}

} // namespace clarivex::PipelineText
