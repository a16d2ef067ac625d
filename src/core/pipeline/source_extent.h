#pragma once

#include "core/vocabulary/media_kind.h"
#include "core/vocabulary/size.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stop_token>

namespace clarivex {

// How much picture a source holds for the network: its upright size and its frames (1 for a
// photo). What the queue's time estimate needs of a file before its job runs.
struct SourceExtent {
    Size size;
    std::int64_t frames = 1;

    // From a photo's header (nothing is decoded) or from ffprobe's answer for a video. Blocks;
    // meant for a background thread. Nothing when the file cannot be read, or for a video
    // without ffprobe; Cancelled when the token is stopped.
    static std::optional<SourceExtent> measure(const std::filesystem::path& source, MediaKind kind,
                                               const std::optional<std::filesystem::path>& ffprobe,
                                               std::stop_token stopToken = {});

    bool operator==(const SourceExtent&) const = default;
};

} // namespace clarivex
