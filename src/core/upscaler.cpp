#include "core/upscaler.h"

#include "core/image/image_ops.h"
#include "core/output_placement.h"
#include "core/process/shell.h"
#include "core/video/video_path.h"
#include "core/vocabulary/decimal_text.h"
#include "core/vocabulary/naming.h"
#include "core/vocabulary/upscale_error.h"
#include "core/working_folder.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

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
    const auto kind = mediaKindOf(source);
    if (!kind)
        throw UpscaleError::unsupported(pathExtension(source));
    const auto start = std::chrono::steady_clock::now();
    const WorkingFolder work;

    const bool loop = *kind == MediaKind::video && options.seamlessLoop;
    const std::filesystem::path output =
        Naming::output(source, options.target, *kind, loop, Naming::existsOnDisk);
    report({UpscaleProgress::Stage::preparing, 0, fileName(source)});

    const Outcome outcome = *kind == MediaKind::image
                                ? image(source, output, options, work.path(), report, stopToken)
                                : video(source, output, options, work.path(), report, stopToken);

    std::optional<std::filesystem::path> picturesCopy;
    if (options.copyToPictures) {
        report({UpscaleProgress::Stage::saving, 0.99, "Копия в ~/Pictures/Clarivex"});
        try {
            picturesCopy = copyToPictures(outcome.output);
        } catch (const std::exception&) {
            // The result itself is safe next to the source; a failed extra copy is no failure.
        }
    }
    report({UpscaleProgress::Stage::saving, 1.0, fileName(outcome.output)});
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return UpscaleResult{outcome.output, picturesCopy, outcome.plan.output, outcome.plan.model,
                         elapsed.count()};
}

Upscaler::Outcome Upscaler::image(const std::filesystem::path& source,
                                  const std::filesystem::path& output, const Options& options,
                                  const std::filesystem::path& work, const ProgressCallback& report,
                                  std::stop_token stopToken) const {
    const ImageOps::Bitmap decoded = ImageOps::decodeSource(source);
    const Size sourceSize = ImageOps::sizeOf(decoded);
    const Plan plan = Plan::make(sourceSize, options.target, options.model, MediaKind::image);
    if (plan.alreadyAtTarget())
        throw UpscaleError::alreadyLarge(sourceSize, std::string(title(options.target)));
    requireModelFiles(plan.model, plan.esrganScale);

    const std::filesystem::path input = work / "in.png";
    const std::filesystem::path upscaled = work / "up.png";
    ImageOps::writeIntermediate(decoded, input);

    report({UpscaleProgress::Stage::upscaling, 0.02,
            plan.model + ", ×" + std::to_string(plan.esrganScale)});
    const auto onLine = [&report](const std::string& line) {
        if (const auto progress = engineLineProgress(line))
            report(*progress);
    };
    Shell::run(tools.esrgan,
               {"-i", input.string(), "-o", upscaled.string(), "-n", plan.model, "-s",
                std::to_string(plan.esrganScale), "-m", tools.models.string(), "-f", "png"},
               onLine, stopToken);

    report({UpscaleProgress::Stage::saving, 0.95, plan.output.description()});
    const ImageOps::Bitmap result = ImageOps::resize(ImageOps::readResult(upscaled), plan.output);
    // A stop that arrives after the engine still means the user does not want the file.
    if (stopToken.stop_requested())
        throw Cancelled();

    // Written beside the destination first, so that a failed write leaves nothing under the
    // output's name and a name taken meanwhile is never replaced.
    const std::filesystem::path staged =
        temporarySibling(output.parent_path(), pathExtension(output));
    struct RemoveStaged {
        const std::filesystem::path& path;
        ~RemoveStaged() {
            std::error_code ignored;
            std::filesystem::remove(path, ignored);
        }
    } removeStaged{staged};
    ImageOps::write(result, staged, ImageOps::fileTypeFor(output), fileName(output));
    const bool loop = false;
    const std::filesystem::path placed = placeWithoutReplacing(staged, [&] {
        return Naming::output(source, options.target, MediaKind::image, loop, Naming::existsOnDisk);
    });
    return Outcome{plan, placed};
}

std::filesystem::path Upscaler::copyToPictures(const std::filesystem::path& file) {
    const auto home = Tools::Environment::current().home;
    if (!home || home->empty())
        throw std::filesystem::filesystem_error(
            "no home folder", std::make_error_code(std::errc::no_such_file_or_directory));
    const std::filesystem::path folder = *home / "Pictures" / "Clarivex";
    std::filesystem::create_directories(folder);
    const std::filesystem::path staged = temporarySibling(folder, pathExtension(file));
    try {
        std::filesystem::copy_file(file, staged);
        return placeWithoutReplacing(staged, [&] {
            return Naming::firstFree(folder, file.filename(), Naming::existsOnDisk);
        });
    } catch (...) {
        std::error_code ignored;
        std::filesystem::remove(staged, ignored);
        throw;
    }
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
