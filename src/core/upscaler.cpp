#include "core/upscaler.h"

#include "core/image/image_path.h"
#include "core/job_progress.h"
#include "core/output_placement.h"
#include "core/private_files.h"
#include "core/removal_guard.h"
#include "core/video/video_path.h"
#include "core/vocabulary/naming.h"
#include "core/vocabulary/upscale_error.h"
#include "core/working_folder.h"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <system_error>

namespace clarivex::Upscaler {

namespace {

using JobProgress::Step;

std::string fileName(const std::filesystem::path& file) {
    return file.filename().string();
}

MediaKind requireKnownKind(const std::filesystem::path& source) {
    requireSourceFile(source);
    const auto kind = mediaKindOf(source);
    if (!kind) {
        const std::string extension = pathExtension(source);
        throw UpscaleError::unsupported(extension.empty() ? "у файла нет расширения" : extension);
    }
    return *kind;
}

} // namespace

UpscaleResult run(UpscaleJob job) {
    const MediaKind kind = requireKnownKind(job.source);
    const auto start = std::chrono::steady_clock::now();
    WorkingFolder::removeAbandoned();
    const WorkingFolder work;
    job.work = work.path();
    job.output = job.freeOutputName(kind);
    JobProgress::Monotonic monotonic(std::move(job.report));
    job.report = std::ref(monotonic);
    job.report(JobProgress::at(Step::preparing, 0, fileName(job.source)));

    const PathOutcome outcome =
        kind == MediaKind::image ? ImagePath::run(job) : VideoPath::run(job);

    std::optional<std::filesystem::path> picturesCopy;
    std::optional<std::string> picturesCopyFailure;
    if (job.options.copyToPictures) {
        job.report(JobProgress::at(Step::copying, 0, "Копия в ~/Pictures/Clarivex"));
        try {
            picturesCopy = copyToPictures(outcome.output);
        } catch (...) {
            // The result itself is safe next to the source; a failed extra copy is no failure,
            // but the user is told why it is missing.
            picturesCopyFailure = failureMessage(std::current_exception());
        }
    }
    job.report(JobProgress::at(Step::finished, 0, fileName(outcome.output)));
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return UpscaleResult{outcome.output,        picturesCopy,    outcome.plan.output,
                         outcome.plan.model,    elapsed.count(), picturesCopyFailure,
                         outcome.plan.insteadOf};
}

void refuseBeforeEngine(const UpscaleJob& job) {
    if (requireKnownKind(job.source) == MediaKind::image)
        ImagePath::plan(job);
    else
        VideoPath::plan(job);
}

void requireSourceFile(const std::filesystem::path& source) {
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

std::filesystem::path copyToPictures(const std::filesystem::path& file) {
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

} // namespace clarivex::Upscaler
