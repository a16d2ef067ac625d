#include "core/pipeline/upscaler.h"

#include "core/animation/animation_path.h"
#include "core/files/output_placement.h"
#include "core/files/private_files.h"
#include "core/files/working_folder.h"
#include "core/image/image_path.h"
#include "core/pipeline/job_progress.h"
#include "core/video/video_path.h"
#include "core/vocabulary/naming.h"
#include "core/vocabulary/upscale_error.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <memory>
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

// The folder beside the source, checked before any work: a result that could not be placed
// would throw all of that work away at the end.
OpenFolder openDestination(const std::filesystem::path& source) {
    const std::filesystem::path parent = source.parent_path();
    OpenFolder folder = OpenFolder::open(parent.empty() ? std::filesystem::path(".") : parent);
    if (::faccessat(folder.descriptor(), ".", W_OK | X_OK, AT_EACCESS) != 0) {
        const int reason = errno;
        if (reason == EROFS)
            throw UpscaleError::closedDestination(UpscaleError::Case::readOnlyDestination,
                                                  folder.path());
        if (reason == EACCES || reason == EPERM)
            throw UpscaleError::closedDestination(UpscaleError::Case::destinationNotWritable,
                                                  folder.path());
        throw UpscaleError::operationFailed(UpscaleError::Operation::openFolder, folder.path(),
                                            reason);
    }
    return folder;
}

// A GIF, WebP or PNG of more than one frame stays animated; one frame is a photo.
PathOutcome runPicture(const UpscaleJob& job) {
    if (const auto animation = AnimationInfo::probe(job.source))
        return AnimationPath::run(job, *animation);
    return ImagePath::run(job);
}

} // namespace

UpscaleResult run(UpscaleJob job) {
    const MediaKind kind = requireKnownKind(job.source);
    const auto start = std::chrono::steady_clock::now();
    job.destination = std::make_shared<const OpenFolder>(openDestination(job.source));
    WorkingFolder::removeAbandoned();
    const WorkingFolder work;
    job.work = work.path();
    job.output = job.freeOutputName(kind);
    JobProgress::Monotonic monotonic(std::move(job.report));
    job.report = std::ref(monotonic);
    job.report(JobProgress::at(Step::preparing, 0,
                               {.kind = ProgressDetail::Kind::file, .name = fileName(job.source)}));

    const PathOutcome outcome = kind == MediaKind::image ? runPicture(job) : VideoPath::run(job);

    std::optional<std::filesystem::path> picturesCopy;
    std::optional<UpscaleError> picturesCopyFailure;
    if (job.options.copyToPictures) {
        job.report(JobProgress::at(Step::copying, 0, {.kind = ProgressDetail::Kind::picturesCopy}));
        try {
            picturesCopy = copyToPictures(outcome.output);
        } catch (...) {
            // The result itself is safe next to the source; a failed extra copy is no failure,
            // but the user is told why it is missing.
            picturesCopyFailure = UpscaleError::from(std::current_exception());
        }
    }
    job.report(JobProgress::at(
        Step::finished, 0, {.kind = ProgressDetail::Kind::file, .name = fileName(outcome.output)}));
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return UpscaleResult{outcome.output,         picturesCopy,    outcome.plan.output,
                         outcome.plan.model,     elapsed.count(), picturesCopyFailure,
                         outcome.plan.insteadOf, outcome.frames};
}

void refuseBeforeEngine(const UpscaleJob& job) {
    const MediaKind kind = requireKnownKind(job.source);
    openDestination(job.source);
    if (kind == MediaKind::video) {
        VideoPath::plan(job);
        return;
    }
    const auto animation = AnimationInfo::probe(job.source);
    if (!animation) {
        ImagePath::plan(job);
        return;
    }
    const Plan plan = Plan::make(
        animation->canvas, job.options.target,
        job.tools.installedModels().pick(job.options.model, MediaKind::image), MediaKind::image);
    if (plan.alreadyAtTarget())
        throw UpscaleError::alreadyLarge(animation->canvas, std::string(title(job.options.target)));
}

void requireSourceFile(const std::filesystem::path& source) {
    if (source.empty())
        throw UpscaleError::noSource();
    std::error_code error;
    const auto status = std::filesystem::status(source, error);
    switch (status.type()) {
    case std::filesystem::file_type::regular:
        break;
    case std::filesystem::file_type::not_found:
        throw UpscaleError::badSource(UpscaleError::Case::sourceMissing, source);
    case std::filesystem::file_type::directory:
        throw UpscaleError::badSource(UpscaleError::Case::sourceIsFolder, source);
    case std::filesystem::file_type::none:
        throw UpscaleError::operationFailed(UpscaleError::Operation::open, source, error);
    default:
        throw UpscaleError::badSource(UpscaleError::Case::sourceNotRegular, source);
    }
    // Otherwise an unreadable photo would pass for one in an unsupported format.
    if (::access(source.c_str(), R_OK) != 0) {
        const int reason = errno;
        throw UpscaleError::operationFailed(UpscaleError::Operation::open, source, reason);
    }
}

std::filesystem::path copyToPictures(const std::filesystem::path& file) {
    const auto home = Tools::Environment::current().home;
    if (!home || home->empty())
        throw UpscaleError::noHome();
    const std::filesystem::path place = *home / "Pictures" / "Clarivex";
    std::error_code error;
    std::filesystem::create_directories(place, error);
    if (error)
        throw UpscaleError::operationFailed(UpscaleError::Operation::createFolder, place, error);
    const FileDescriptor result(::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!result.isOpen())
        throw UpscaleError::operationFailed(UpscaleError::Operation::copyInto, place, errno);
    const OpenFolder folder = OpenFolder::open(place);
    StagedFile staged(folder, pathExtension(file), file.filename().string());
    if (const std::error_code failed = PrivateFiles::copyInto(result.get(), staged.descriptor()))
        throw UpscaleError::operationFailed(UpscaleError::Operation::copyInto, place, failed);
    return staged.place(
        [&] { return Naming::firstFree(place, file.filename(), Naming::existsOnDisk); });
}

} // namespace clarivex::Upscaler
