#include "core/pipeline/source_extent.h"

#include "core/image/image_ops.h"
#include "core/video/video_info.h"
#include "core/vocabulary/upscale_error.h"

namespace clarivex {

std::optional<SourceExtent>
SourceExtent::measure(const std::filesystem::path& source, MediaKind kind,
                      const std::optional<std::filesystem::path>& ffprobe,
                      std::stop_token stopToken) {
    try {
        if (kind == MediaKind::image)
            return SourceExtent{ImageOps::uprightSize(ImageOps::openSource(source)), 1};
        if (!ffprobe)
            return std::nullopt;
        const VideoInfo info = VideoInfo::probe(source, *ffprobe, stopToken);
        if (info.frameEstimate <= 0)
            return std::nullopt;
        return SourceExtent{info.size, info.frameEstimate};
    } catch (const Cancelled&) {
        throw;
    } catch (...) {
        // Its job will say what is wrong with the file; the estimate only goes without it.
        return std::nullopt;
    }
}

} // namespace clarivex
