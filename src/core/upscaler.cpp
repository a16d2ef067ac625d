#include "core/upscaler.h"

#include "core/image/image_ops.h"
#include "core/output_placement.h"
#include "core/private_files.h"
#include "core/process/shell.h"
#include "core/removal_guard.h"
#include "core/upscale_outcome.h"
#include "core/video/video_path.h"
#include "core/vocabulary/decimal_text.h"
#include "core/vocabulary/naming.h"
#include "core/vocabulary/upscale_error.h"
#include "core/working_folder.h"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <system_error>

namespace clarivex {

namespace {

std::string fileName(const std::filesystem::path& file) {
    return file.filename().string();
}

// The engine prints its progress as lines like "45.00%"; every other line is ignored.
std::optional<double> percentFromLine(const std::string& line) {
    if (line.empty() || line.back() != '%')
        return std::nullopt;
    const auto first = line.find_first_not_of(" \t");
    const auto last = line.find_last_not_of(" \t", line.size() - 2);
    if (first == std::string::npos || last == std::string::npos || last < first)
        return std::nullopt;
    const std::string number = line.substr(first, last - first + 1);
    char* end = nullptr;
    const double value = std::strtod(number.c_str(), &end);
    if (end != number.c_str() + number.size())
        return std::nullopt;
    return value;
}

std::string percentDetail(double percent) {
    return fixedDecimal(percent, 0) + "%";
}

Size enlarged(Size size, int scale) {
    return Size{size.width * scale, size.height * scale};
}

void requireWithinMemory(Size source, const Plan& plan) {
    const Size network = enlarged(source, plan.esrganScale);
    if (static_cast<double>(network.width) * static_cast<double>(network.height) <=
        static_cast<double>(Upscaler::maxNetworkPixels))
        return;
    throw UpscaleError::failed(
        "Картинка " + source.description() + " слишком большая: нейросеть выдала бы " +
        network.description() + " пикселей, а в память помещается не больше " +
        std::to_string(Upscaler::maxNetworkPixels / 1'000'000) + " мегапикселей.");
}

} // namespace

std::optional<std::int64_t> availableSpace(const std::filesystem::path& folder) {
    std::error_code error;
    const auto space = std::filesystem::space(folder, error);
    if (error || space.available == static_cast<std::uintmax_t>(-1))
        return std::nullopt;
    return static_cast<std::int64_t>(space.available);
}

std::optional<UpscaleProgress> Upscaler::engineLineProgress(const std::string& line) {
    const auto percent = percentFromLine(line);
    if (!percent)
        return std::nullopt;
    // The network's 0–100 % fills the band between the fixed reports around it.
    return UpscaleProgress{UpscaleProgress::Stage::upscaling, 0.02 + *percent * 0.9 / 100,
                           percentDetail(*percent)};
}

Upscaler::Upscaler(Tools tools)
    : tools(std::move(tools))
    , freeSpace(availableSpace) {}

UpscaleResult Upscaler::run(const std::filesystem::path& source, const Options& options,
                            const ProgressCallback& report, std::stop_token stopToken) const {
    requireSourceFile(source);
    const auto kind = mediaKindOf(source);
    if (!kind) {
        const std::string extension = pathExtension(source);
        throw UpscaleError::unsupported(extension.empty() ? "у файла нет расширения" : extension);
    }
    const auto start = std::chrono::steady_clock::now();
    const WorkingFolder work;

    const std::filesystem::path output = outputName(source, options, *kind);
    report({UpscaleProgress::Stage::preparing, 0, fileName(source)});

    const Outcome outcome = *kind == MediaKind::image
                                ? image(source, output, options, work.path(), report, stopToken)
                                : video(source, output, options, work.path(), report, stopToken);

    std::optional<std::filesystem::path> picturesCopy;
    std::optional<std::string> picturesCopyFailure;
    if (options.copyToPictures) {
        report({UpscaleProgress::Stage::saving, 0.99, "Копия в ~/Pictures/Clarivex"});
        try {
            picturesCopy = copyToPictures(outcome.output);
        } catch (...) {
            // The result itself is safe next to the source; a failed extra copy is no failure,
            // but the user is told why it is missing.
            picturesCopyFailure = failureMessage(std::current_exception());
        }
    }
    report({UpscaleProgress::Stage::saving, 1.0, fileName(outcome.output)});
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return UpscaleResult{outcome.output,     picturesCopy,    outcome.plan.output,
                         outcome.plan.model, elapsed.count(), picturesCopyFailure};
}

std::filesystem::path Upscaler::outputName(const std::filesystem::path& source,
                                           const Options& options, MediaKind kind) {
    const bool loop = kind == MediaKind::video && options.seamlessLoop;
    return Naming::output(source, options.target, kind, loop, Naming::existsOnDisk);
}

void Upscaler::requireSourceFile(const std::filesystem::path& source) {
    if (source.empty())
        throw UpscaleError::failed("Не указан файл");
    std::error_code error;
    const auto status = std::filesystem::status(source, error);
    switch (status.type()) {
    case std::filesystem::file_type::regular:
        break;
    case std::filesystem::file_type::not_found:
        throw UpscaleError::failed("Файл не найден: " + source.string());
    case std::filesystem::file_type::directory:
        throw UpscaleError::failed("Это папка, а не файл: " + source.string());
    case std::filesystem::file_type::none:
        throw std::system_error(error, "Не удалось открыть " + source.string());
    default:
        throw UpscaleError::failed("Это не обычный файл: " + source.string());
    }
    // Otherwise an unreadable photo would pass for one in an unsupported format.
    if (::access(source.c_str(), R_OK) != 0) {
        const int reason = errno;
        throw std::system_error(reason, std::generic_category(),
                                "Не удалось открыть " + source.string());
    }
}

Upscaler::Outcome Upscaler::image(const std::filesystem::path& source,
                                  const std::filesystem::path& output, const Options& options,
                                  const std::filesystem::path& work, const ProgressCallback& report,
                                  std::stop_token stopToken) const {
    // The plan comes from the header, so that nothing is decoded for a refused picture.
    const ImageOps::Bitmap opened = ImageOps::openSource(source);
    const Size sourceSize = ImageOps::uprightSize(opened);
    const Plan plan = Plan::make(sourceSize, options.target, options.model, MediaKind::image);
    if (plan.alreadyAtTarget())
        throw UpscaleError::alreadyLarge(sourceSize, std::string(title(options.target)));
    requireWithinMemory(sourceSize, plan);
    requireModelFiles(plan.model, plan.esrganScale);

    const std::filesystem::path input = work / "in.png";
    const std::filesystem::path upscaledFile = work / "up.png";
    ImageOps::writeIntermediate(ImageOps::decodeSource(opened), input);

    report({UpscaleProgress::Stage::upscaling, 0.02,
            plan.model + ", ×" + std::to_string(plan.esrganScale)});
    const auto onLine = [&report](const std::string& line) {
        if (const auto progress = engineLineProgress(line))
            report(*progress);
    };
    Shell::run(tools.esrgan,
               {"-i", input.string(), "-o", upscaledFile.string(), "-n", plan.model, "-s",
                std::to_string(plan.esrganScale), "-m", tools.models.string(), "-f", "png"},
               onLine, stopToken);

    report({UpscaleProgress::Stage::saving, 0.95, plan.output.description()});
    const ImageOps::Bitmap upscaled = ImageOps::readResult(upscaledFile);
    // Stretching a picture of the wrong size to the target would pass off a broken run as
    // a result.
    const Size expected = enlarged(sourceSize, plan.esrganScale);
    if (ImageOps::sizeOf(upscaled) != expected)
        throw UpscaleError::failed("ESRGAN вернул картинку " +
                                   ImageOps::sizeOf(upscaled).description() + " вместо " +
                                   expected.description());
    const ImageOps::Bitmap result = ImageOps::resize(upscaled, plan.output);
    // A stop that arrives after the engine still means the user does not want the file.
    if (stopToken.stop_requested())
        throw Cancelled();

    // Written beside the destination first, so that a failed write leaves nothing under the
    // output's name and a name taken meanwhile is never replaced.
    RemovalGuard staged(temporarySibling(output.parent_path(), pathExtension(output)));
    ImageOps::write(result, staged.path(), ImageOps::fileTypeFor(output), fileName(output));
    if (stopToken.stop_requested())
        throw Cancelled();
    const std::filesystem::path placed = placeWithoutReplacing(
        staged.path(), [&] { return outputName(source, options, MediaKind::image); });
    staged.commit();
    return Outcome{plan, placed};
}

std::filesystem::path Upscaler::copyToPictures(const std::filesystem::path& file) {
    const auto home = Tools::Environment::current().home;
    if (!home || home->empty())
        throw UpscaleError::failed("Не задана домашняя папка (HOME)");
    const std::filesystem::path folder = *home / "Pictures" / "Clarivex";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error)
        throw std::system_error(error, "Не удалось создать папку " + folder.string());
    RemovalGuard staged(temporarySibling(folder, pathExtension(file)));
    error = PrivateFiles::copyFile(file, staged.path());
    if (error)
        throw std::system_error(error, "Не удалось скопировать в папку " + folder.string());
    const std::filesystem::path placed = placeWithoutReplacing(staged.path(), [&] {
        return Naming::firstFree(folder, file.filename(), Naming::existsOnDisk);
    });
    staged.commit();
    return placed;
}

void Upscaler::requireModelFiles(const std::string& model, int scale) const {
    // The engine loads the fast video model per scale, the others under their own name.
    const std::string stem =
        model == "realesr-animevideov3" ? model + "-x" + std::to_string(scale) : model;
    for (const char* extension : {".param", ".bin"}) {
        const std::filesystem::path file = tools.models / (stem + extension);
        std::error_code error;
        if (!std::filesystem::is_regular_file(file, error))
            throw UpscaleError::failed("Не найден файл модели " + stem + extension + " в папке " +
                                       tools.models.string() +
                                       ". Установите модели Real-ESRGAN заново.");
    }
}

Upscaler::Outcome Upscaler::video(const std::filesystem::path& source,
                                  const std::filesystem::path& output, const Options& options,
                                  const std::filesystem::path& work, const ProgressCallback& report,
                                  std::stop_token stopToken) const {
    return VideoPath::run(*this, source, output, options, work, report, stopToken);
}

} // namespace clarivex
