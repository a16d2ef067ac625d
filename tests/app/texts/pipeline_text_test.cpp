// Every sentence the pipeline's facts become, word for word: the one place that pins them, so
// that the tests of the core check cases and facts and no wording drifts unnoticed.
#include "app/texts/pipeline_text.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <exception>
#include <system_error>

using namespace clarivex;

namespace {

using Case = UpscaleError::Case;
using Place = UpscaleError::Place;
using Operation = UpscaleError::Operation;
using Kind = EngineProblem::Kind;

UpscaleError platform(std::exception_ptr error) {
    return UpscaleError::from(error);
}

} // namespace

TEST(PipelineText, EveryErrorCaseHasItsSentence) {
    const std::string denied = std::generic_category().message(EACCES);
    const std::pair<UpscaleError, std::string> cases[] = {
        {UpscaleError::unsupported(".xyz"), "Формат не поддерживается: .xyz"},
        {UpscaleError::failed("ffmpeg оборвал кадр на середине"),
         "ffmpeg оборвал кадр на середине"},
        {UpscaleError::lowDisk(4'320'000'000, 512'000'000),
         "Мало места: нужно ~4,32 ГБ, свободно 512 МБ"},
        {UpscaleError::lowDisk(2'000'000, 1'000, Place::temporary, "/tmp"),
         "Мало места во временной папке /tmp: нужно ~2 МБ, свободно 1 КБ. Освободите место или "
         "укажите другую временную папку в TMPDIR."},
        {UpscaleError::lowDisk(2'000'000, 1'000, Place::destination, "/v"),
         "Мало места для результата в папке /v: нужно ~2 МБ, свободно 1 КБ"},
        {UpscaleError::alreadyLarge({3840, 2160}, "4K"),
         "Файл уже 3840×2160 — это не меньше 4K. Нейросеть тут ничего не добавит, только "
         "испортит детали. Выберите больший размер или файл меньшего разрешения."},
        {UpscaleError::missingEngine(),
         "Не найден Real-ESRGAN (ни в приложении, ни в ~/.local/opt/realesrgan)"},
        {UpscaleError::missingFFmpeg(), "Для видео нужен ffmpeg: sudo apt install ffmpeg"},
        {UpscaleError::programExit("ffmpeg", 1, "A\nB"), "ffmpeg завершился с кодом 1\nA\nB"},
        {UpscaleError::programExit("sh", 137, ""), "sh завершился с кодом 137\n"},
        {UpscaleError::encoderExit(2, "broke"), "Кодировщик: код 2\nbroke"},
        {UpscaleError::encoderStopped("Unknown encoder"),
         "Кодировщик остановился: Unknown encoder"},
        {UpscaleError::frameSkipped("000007.png"), "ESRGAN пропустил кадр 000007.png"},
        {UpscaleError::badResult({}), "ESRGAN не создал результат"},
        {UpscaleError::badResult({Kind::noResult, "7.png"}, "encode failed"),
         "ESRGAN пропустил кадр 7.png\nencode failed"},
        {UpscaleError::badResult({Kind::wrongSize, "", {7, 5}, {96, 64}}),
         "ESRGAN вернул картинку 7×5 вместо 96×64"},
        {UpscaleError::badResult({Kind::wrongSize, "7.png", {7, 5}, {96, 64}}),
         "ESRGAN вернул кадр 7.png размером 7×5 вместо 96×64"},
        {UpscaleError::badResult({Kind::black}, "vkAllocateMemory failed -2", 32),
         "Не хватило видеопамяти даже с плиткой 32 px. ESRGAN вернул чёрную картинку\n"
         "vkAllocateMemory failed -2"},
        {UpscaleError::badResult({Kind::black, "7.png"}), "ESRGAN вернул чёрный кадр 7.png"},
        {UpscaleError::badResult({Kind::corrupt}), "ESRGAN не создал результат"},
        {UpscaleError::badResult({Kind::corrupt, "7.png"}), "ESRGAN испортил кадр 7.png"},
        {UpscaleError::missingModel("realesrgan-x4plus", "/e/models",
                                    {"realesrgan-x4plus.param", "realesrgan-x4plus.bin"}),
         "Модель realesrgan-x4plus не установлена: в папке /e/models нет realesrgan-x4plus.param, "
         "realesrgan-x4plus.bin. Добавить: скачайте realesrgan-ncnn-vulkan-*-ubuntu.zip со "
         "страницы github.com/xinntao/Real-ESRGAN/releases и выполните scripts/install-engine "
         "--from <этот архив>"},
        {UpscaleError::noSource(), "Не указан файл"},
        {UpscaleError::badSource(Case::sourceMissing, "/p/a.png"), "Файл не найден: /p/a.png"},
        {UpscaleError::badSource(Case::sourceIsFolder, "/p"), "Это папка, а не файл: /p"},
        {UpscaleError::badSource(Case::sourceNotRegular, "/p/fifo"),
         "Это не обычный файл: /p/fifo"},
        {UpscaleError::closedDestination(Case::readOnlyDestination, "/media/cd"),
         "Результат некуда сохранить: папка /media/cd только для чтения"},
        {UpscaleError::closedDestination(Case::destinationNotWritable, "/root"),
         "Результат некуда сохранить: нет прав на запись в папку /root"},
        {UpscaleError::noHome(), "Не задана домашняя папка (HOME)"},
        {UpscaleError::pictureTooLarge({60000, 60000}, {240000, 240000}, 400'000'000),
         "Картинка 60000×60000 слишком большая: нейросеть выдала бы 240000×240000 пикселей, а в "
         "память помещается не больше 400 мегапикселей."},
        {UpscaleError::animationTooLarge(40, {8000, 8000}, 2'560'000'001, 2'000'000'000),
         "Анимация слишком большая: 40 кадров по 8000×8000 — это 2561 млн пикселей, а можно не "
         "больше 2000 млн."},
        {UpscaleError::badAnimation(Case::animationTooLong, 5000, 4096),
         "Анимация слишком длинная: GIF больше чем из 4096 кадров не прочитать"},
        {UpscaleError::badAnimation(Case::animationShort, 3, 5),
         "Анимация повреждена: ffmpeg прочитал 3 кадра из 5"},
        {UpscaleError::badAnimation(Case::animationFrameBroken, 3, 5),
         "Анимация повреждена: не удалось декодировать кадр 3 из 5"},
        {UpscaleError::badAnimation(Case::animationUnreadable, 2, 2),
         "Не удалось прочитать анимацию из 2 кадров"},
        {UpscaleError::badAnimation(Case::animationUnreadable, 21, 21, "gifload: bad frame"),
         "Не удалось прочитать анимацию из 21 кадра: gifload: bad frame"},
        {UpscaleError::noFreeName("a-4k.png", "/v"),
         "Нет свободного имени для a-4k.png в папке /v"},
        {UpscaleError::of(Case::noFrames), "ffmpeg не извлёк ни одного кадра"},
        {UpscaleError::of(Case::cutFrame), "ffmpeg оборвал кадр на середине"},
        {UpscaleError::of(Case::notPngFrames), "ffmpeg выдал кадры не в формате PNG"},
        {UpscaleError::of(Case::frameTooLarge), "ffmpeg выдал слишком большой кадр"},
        {UpscaleError::of(Case::unclearProbe),
         "ffprobe ответил непонятно: не удалось узнать размер и частоту кадров видео"},
        {UpscaleError::videoBusy("/v/.clip-2x.parts"),
         "Это видео с теми же настройками уже обрабатывается: /v/.clip-2x.parts"},
        {UpscaleError::fileFailed(Case::createFailed, "photo-4k.png", "No such file"),
         "Не удалось создать photo-4k.png: No such file"},
        {UpscaleError::fileFailed(Case::writeFailed, "photo-4k.png", "No space left on device"),
         "Не удалось записать photo-4k.png: No space left on device"},
        {UpscaleError::fileFailed(Case::decodeFailed, {}, "out of order read"),
         "Не удалось декодировать картинку: out of order read"},
        {UpscaleError::fileFailed(Case::imageLibraryStart, {}, "no module"),
         "Не удалось запустить libvips: no module"},
        {UpscaleError::fileFailed(Case::resizeFailed, {}, "out of memory"),
         "Не удалось изменить размер: out of memory"},
        {UpscaleError::of(Case::apngNeedsFFmpeg),
         "Для анимированного PNG нужен ffmpeg: sudo apt install ffmpeg"},
        {UpscaleError::frameNotEncoded(3), "Не удалось закодировать кадр 3"},
        {UpscaleError::badApng(Case::apngTooManyFrames, "a-2x.png", 0),
         "Не удалось записать a-2x.png: 0 кадров не помещаются в PNG"},
        {UpscaleError::badApng(Case::apngFrameNotEncoded, "a-2x.png", 4),
         "Не удалось записать a-2x.png: кадр 4 не удалось закодировать"},
        {UpscaleError::badApng(Case::apngFrameDiffers, "a-2x.png", 2),
         "Не удалось записать a-2x.png: кадр 2 не такой, как первый"},
        {UpscaleError::badApng(Case::apngExtraFrame, "a-2x.png", 6, 5),
         "Не удалось записать a-2x.png: кадров больше 5"},
        {UpscaleError::badApng(Case::apngShort, "a-2x.png", 3, 5),
         "Не удалось записать a-2x.png: записано 3 кадра из 5"},
        {platform(std::make_exception_ptr(std::filesystem::filesystem_error(
             "cannot copy", "/a/b.png", std::error_code(EACCES, std::generic_category())))),
         "Ошибка при работе с файлом /a/b.png: " + denied},
        {platform(std::make_exception_ptr(std::filesystem::filesystem_error(
             "cannot copy", std::error_code(EACCES, std::generic_category())))),
         "Ошибка при работе с файлом: " + denied},
        {platform(std::make_exception_ptr(std::system_error(
             std::error_code(EACCES, std::generic_category()), "Не удалось создать папку /p"))),
         "Не удалось создать папку /p: " + denied},
        {UpscaleError::operationFailed(Operation::open, "/p/a.png", EACCES),
         "Не удалось открыть /p/a.png: " + denied},
        {UpscaleError::operationFailed(Operation::openFolder, "/p", EACCES),
         "Не удалось открыть папку /p: " + denied},
        {UpscaleError::operationFailed(Operation::openTemporaryFolder, "/tmp", EACCES),
         "Не удалось открыть временную папку /tmp: " + denied},
        {UpscaleError::operationFailed(Operation::createFolder, "/p", EACCES),
         "Не удалось создать папку /p: " + denied},
        {UpscaleError::operationFailed(Operation::createWorkingFolder, "/tmp/w", EACCES),
         "Не удалось создать рабочую папку /tmp/w: " + denied},
        {UpscaleError::operationFailed(Operation::create, "a-4k.png", EACCES),
         "Не удалось создать a-4k.png: " + denied},
        {UpscaleError::operationFailed(Operation::copyInto, "/p", EACCES),
         "Не удалось скопировать в папку /p: " + denied},
        {UpscaleError::operationFailed(Operation::save, "a-4k.png",
                                       std::make_error_code(std::errc::file_exists)),
         "Не удалось сохранить a-4k.png: " + std::generic_category().message(EEXIST)},
        {UpscaleError::operationFailed(Operation::saveSwapped, "/p/a-4k.png",
                                       std::make_error_code(std::errc::operation_not_permitted)),
         "Не удалось сохранить /p/a-4k.png: файл подменили во время сохранения: " +
             std::generic_category().message(EPERM)},
        {UpscaleError::operationFailed(Operation::claimFolder, "/p", EACCES),
         "Не удалось занять папку /p: " + denied},
        {UpscaleError::operationFailed(Operation::read, "/v/a.mp4", EACCES),
         "Не удалось прочитать /v/a.mp4: " + denied},
        {UpscaleError::operationFailed(Operation::write, "/v/p/manifest.json", EACCES),
         "Не удалось записать /v/p/manifest.json: " + denied},
        {UpscaleError::operationFailed(Operation::createPartsFolder, "/v/.a.parts", EACCES),
         "Не удалось создать папку для частей видео /v/.a.parts: " + denied},
        {UpscaleError::operationFailed(Operation::openPartsFolder, "/v/.a.parts", EACCES),
         "Не удалось открыть папку для частей видео /v/.a.parts: " + denied},
        {UpscaleError::operationFailed(Operation::writeFrame, "/w/000001.png",
                                       std::error_code(EACCES, std::system_category())),
         "Не удалось записать кадр /w/000001.png: " + denied},
        {platform(std::make_exception_ptr(std::bad_alloc())), "Не хватило памяти"},
        {platform(std::make_exception_ptr(std::logic_error("oops"))), "Внутренняя ошибка: oops"},
        {platform(std::make_exception_ptr(42)), "Неизвестная ошибка"},
    };
    for (const auto& [error, sentence] : cases)
        EXPECT_EQ(PipelineText::error(error), sentence);
}

// What a run kept closes the sentence of its failure, and is what a stop reports.
TEST(PipelineText, KeptFramesCloseTheSentence) {
    const KeptFrames kept{120, 240, "/v/clip.parts"};
    EXPECT_EQ(PipelineText::kept(kept), "Готовые кадры 1–120 из 240 сохранены в /v/clip.parts");
    // An estimate short of what was done never reads "130 из 120".
    EXPECT_EQ(PipelineText::kept({130, 120, "/v"}), "Готовые кадры 1–130 из 130 сохранены в /v");
    EXPECT_EQ(PipelineText::kept({0, 240, "/v"}), "");

    UpscaleError lowDisk = UpscaleError::lowDisk(2'000'000, 1'000, Place::temporary, "/tmp");
    lowDisk.addKept(kept);
    EXPECT_EQ(PipelineText::error(lowDisk),
              "Мало места во временной папке /tmp: нужно ~2 МБ, свободно 1 КБ. Освободите место "
              "или укажите другую временную папку в TMPDIR. Готовые кадры 1–120 из 240 сохранены "
              "в /v/clip.parts");
    UpscaleError skipped = UpscaleError::frameSkipped("7.png");
    skipped.addKept(kept);
    EXPECT_EQ(PipelineText::error(skipped),
              "ESRGAN пропустил кадр 7.png. Готовые кадры 1–120 из 240 сохранены в /v/clip.parts");
    skipped.addKept(KeptFrames{0, 240, "/v"});
    EXPECT_EQ(PipelineText::error(skipped), "ESRGAN пропустил кадр 7.png");
}

TEST(PipelineText, EveryStageHasItsTitle) {
    using Stage = UpscaleProgress::Stage;
    const std::pair<Stage, std::string_view> cases[] = {
        {Stage::preparing, "Подготовка"},    {Stage::extracting, "Разбор на кадры"},
        {Stage::upscaling, "Апскейл"},       {Stage::encoding, "Сборка видео"},
        {Stage::looping, "Бесшовная петля"}, {Stage::saving, "Сохранение"},
    };
    for (const auto& [stage, title] : cases)
        EXPECT_EQ(PipelineText::stage(stage), title);
}

TEST(PipelineText, EveryProgressDetailHasItsLine) {
    using Detail = ProgressDetail;
    using DetailKind = ProgressDetail::Kind;
    const Detail animeModel{.model = "realesr-animevideov3", .scale = 2};
    const auto with = [](Detail detail, DetailKind kind) {
        detail.kind = kind;
        return detail;
    };
    Detail frames = with(animeModel, DetailKind::frames);
    frames.done = 110;
    frames.total = 240;
    Detail fallback = with(animeModel, DetailKind::frames);
    fallback.model = "realesrgan-x4plus";
    fallback.modelInsteadOf = "realesr-animevideov3";
    fallback.tile = 100;
    fallback.done = 5;
    fallback.total = 5;
    Detail profile{.kind = DetailKind::network,
                   .model = "realesrgan-x4plus",
                   .scale = 4,
                   .profileIgnored = true,
                   .tile = 64};
    Detail shared{.kind = DetailKind::sharedRun,
                  .model = "realesrgan-x4plus",
                  .scale = 4,
                  .done = 2,
                  .total = 3};
    const std::pair<Detail, std::string> cases[] = {
        {{}, ""},
        {{.kind = DetailKind::file, .name = "a-4k.jpg"}, "a-4k.jpg"},
        {{.kind = DetailKind::picturesCopy}, "Копия в ~/Pictures/Clarivex"},
        {with(animeModel, DetailKind::network), "realesr-animevideov3, ×2"},
        {profile,
         "realesrgan-x4plus, ×4 · профиль ICC не подходит: цвета прочитаны как sRGB · плитка 64 "
         "px"},
        {{.kind = DetailKind::enginePercent, .value = 45}, "45%"},
        {{.kind = DetailKind::enginePercent, .value = 45.6}, "46%"},
        {{.kind = DetailKind::enginePercent, .tile = 32, .value = 250}, "250% · плитка 32 px"},
        {shared, "realesrgan-x4plus, ×4 · общий запуск, фото 2 из 3"},
        {frames, "Кадр 110 из 240 · realesr-animevideov3 ×2"},
        {fallback, "Кадр 5 из 5 · realesrgan-x4plus ×2 (нет realesr-animevideov3) · плитка 100 px"},
        {{.kind = DetailKind::extracted, .done = 3, .total = 10}, "Кадр 3 из 10"},
        {{.kind = DetailKind::extracted, .hdr = true, .done = 3, .total = 240, .estimated = true},
         "Кадр 3 из ~240 · HDR → SDR"},
        {{.kind = DetailKind::resumed, .done = 40, .total = 60}, "Продолжаю с кадра 41 из 60"},
        {{.kind = DetailKind::resumed, .done = 60, .total = 60}, "Продолжаю после кадра 60"},
        {{.kind = DetailKind::tileRetry, .tile = 100},
         "Не хватило видеопамяти — повтор с плиткой 100 px"},
        {{.kind = DetailKind::writing, .size = {2880, 2160}}, "2880×2160"},
        {{.kind = DetailKind::writing, .total = 10, .size = {256, 192}}, "10 кадров · 256×192"},
        {{.kind = DetailKind::encoding, .size = {1280, 720}}, "H.264, 1280×720"},
        {{.kind = DetailKind::encoding, .hdr = true, .size = {1280, 720}},
         "H.264, 1280×720 · HDR → SDR"},
        {{.kind = DetailKind::seam, .value = 1.5}, "Стык 1.5 с"},
        {{.kind = DetailKind::checkingTracks}, "Проверка звука и субтитров"},
        {{.kind = DetailKind::joining}, "Склейка частей"},
        {{.kind = DetailKind::partsElsewhere,
          .path = "/c/p",
          .partsProblem = ProgressDetail::PartsProblem::notAFolder,
          .unusable = "/v/.a.parts"},
         "На месте папки для частей видео /v/.a.parts лежит не папка: части видео хранятся в /c/p"},
        {{.kind = DetailKind::partsElsewhere,
          .name = "nobody",
          .path = "/c/p",
          .partsProblem = ProgressDetail::PartsProblem::othersFolder,
          .unusable = "/v/.a.parts"},
         "Имя /v/.a.parts занято: эта папка принадлежит другому пользователю (nobody): части "
         "видео хранятся в /c/p"},
        {{.kind = DetailKind::partsElsewhere,
          .path = "/c/p",
          .partsProblem = ProgressDetail::PartsProblem::cannotClose,
          .unusable = "/mnt/usb"},
         "В папке /mnt/usb нельзя закрыть файлы от других пользователей: части видео хранятся в "
         "/c/p"},
    };
    for (const auto& [detail, line] : cases)
        EXPECT_EQ(PipelineText::detail(detail), line);
}

// What the joined video carries and leaves out.
TEST(PipelineText, TracksSayWhatIsCarriedAndWhatIsLeftOut) {
    const std::pair<TrackNote, std::string> cases[] = {
        {{}, "Склейка частей"},
        {{.audio = 1}, "Звук"},
        {{.audio = 2, .subtitles = 1}, "Звук: 2 дорожки · субтитры"},
        {{.audio = 5}, "Звук: 5 дорожек"},
        {{.audio = 12}, "Звук: 12 дорожек"},
        {{.audio = 22}, "Звук: 22 дорожки"},
        {{.audio = 1, .emptyTracks = 1}, "Звук · пустая дорожка пропущена"},
        {{.emptyTracks = 2}, "Склейка частей · пустые дорожки пропущены: 2"},
        {{.timecode = true}, "Склейка частей · таймкод"},
        {{.subtitles = 2,
          .convertedFrom = {"CP1251", "KOI8-R"},
          .pictureSubtitles = 1,
          .unknownTextSubtitles = 1},
         "Склейка частей · субтитры (перекодированы из CP1251, KOI8-R) · субтитры-картинки "
         "пропущены: MP4 их не хранит · субтитры в неизвестной кодировке пропущены"},
        {{.audio = 1, .timecode = true, .fonts = 2, .otherAttachments = 1, .dataStreams = 1},
         "Звук · таймкод · шрифты пропущены: MP4 их не хранит · вложенные файлы пропущены: MP4 "
         "их не хранит · потоки данных пропущены"},
    };
    for (const auto& [note, line] : cases)
        EXPECT_EQ(PipelineText::tracks(note), line);
}
