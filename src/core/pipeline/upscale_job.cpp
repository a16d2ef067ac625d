#include "core/pipeline/upscale_job.h"

#include "core/files/output_placement.h"
#include "core/vocabulary/naming.h"
#include "core/vocabulary/upscale_error.h"

#include <limits>
#include <system_error>

#include <sys/stat.h>

namespace clarivex {

std::optional<FreeSpace> availableSpace(const std::filesystem::path& folder) {
    std::error_code error;
    const auto space = std::filesystem::space(folder, error);
    struct stat status {};
    if (error || space.available == static_cast<std::uintmax_t>(-1) ||
        ::stat(folder.c_str(), &status) != 0)
        return std::nullopt;
    return FreeSpace{static_cast<std::uint64_t>(status.st_dev),
                     static_cast<std::int64_t>(space.available)};
}

std::filesystem::path UpscaleJob::freeOutputName(MediaKind kind) const {
    const bool loop = kind == MediaKind::video && options.seamlessLoop;
    return Naming::output(source, options.target, kind, loop, Naming::existsOnDisk);
}

std::filesystem::path UpscaleJob::placeResult(const FinishedFile& finished, MediaKind kind) const {
    return placeWithoutReplacing(finished, *destination, [&] { return freeOutputName(kind); });
}

void UpscaleJob::requireSpace(std::int64_t temporaryNeed, const std::filesystem::path& destination,
                              std::int64_t destinationNeed) const {
    const FreeSpaceQuery& query = freeSpace ? freeSpace : FreeSpaceQuery(availableSpace);
    const auto temporary = query(work);
    const auto beside = query(destination);
    if (temporary && beside && temporary->fileSystem == beside->fileSystem) {
        const std::int64_t needed =
            temporaryNeed > std::numeric_limits<std::int64_t>::max() - destinationNeed
                ? std::numeric_limits<std::int64_t>::max()
                : temporaryNeed + destinationNeed;
        if (beside->available < needed)
            throw UpscaleError::lowDisk(needed, beside->available, UpscaleError::Place::destination,
                                        destination);
        return;
    }
    if (temporary && temporary->available < temporaryNeed)
        throw UpscaleError::lowDisk(temporaryNeed, temporary->available,
                                    UpscaleError::Place::temporary, work.parent_path());
    if (beside && beside->available < destinationNeed)
        throw UpscaleError::lowDisk(destinationNeed, beside->available,
                                    UpscaleError::Place::destination, destination);
}

void UpscaleJob::throwIfStopped() const {
    if (stopToken.stop_requested())
        throw Cancelled();
}

} // namespace clarivex
