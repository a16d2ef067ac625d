#include "core/upscale_job.h"

#include "core/output_placement.h"
#include "core/vocabulary/naming.h"
#include "core/vocabulary/upscale_error.h"

#include <system_error>

namespace clarivex {

std::optional<std::int64_t> availableSpace(const std::filesystem::path& folder) {
    std::error_code error;
    const auto space = std::filesystem::space(folder, error);
    if (error || space.available == static_cast<std::uintmax_t>(-1))
        return std::nullopt;
    return static_cast<std::int64_t>(space.available);
}

std::filesystem::path UpscaleJob::freeOutputName(MediaKind kind) const {
    const bool loop = kind == MediaKind::video && options.seamlessLoop;
    return Naming::output(source, options.target, kind, loop, Naming::existsOnDisk);
}

std::filesystem::path UpscaleJob::placeResult(const std::filesystem::path& finished,
                                              MediaKind kind) const {
    return placeWithoutReplacing(finished, [&] { return freeOutputName(kind); });
}

void UpscaleJob::throwIfStopped() const {
    if (stopToken.stop_requested())
        throw Cancelled();
}

} // namespace clarivex
