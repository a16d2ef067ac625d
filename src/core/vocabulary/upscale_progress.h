#pragma once

#include "core/vocabulary/size.h"
#include "core/vocabulary/upscale_error.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace clarivex {

// One report of a running job. `fraction` is the whole job's completion, 0 to 1.
struct UpscaleProgress {
    enum class Stage { preparing, extracting, upscaling, encoding, looping, saving };

    Stage stage = Stage::preparing;
    double fraction = 0;
    std::string detail;

    bool operator==(const UpscaleProgress&) const = default;
};

// The Russian stage title, shown unchanged by the window and the command line.
std::string_view title(UpscaleProgress::Stage stage);

// May be called from any thread, also from two at once.
using ProgressCallback = std::function<void(const UpscaleProgress&)>;

struct UpscaleResult {
    std::filesystem::path output;
    // Present only when a copy was asked for and succeeded.
    std::optional<std::filesystem::path> picturesCopy;
    Size size;
    std::string model;
    double seconds = 0;
    // Why the asked-for copy was not made; the result itself is safe.
    std::optional<UpscaleError> picturesCopyFailure{};
    // The model "Авто" prefers, when `model` ran in its place because it is not installed.
    std::optional<std::string> modelInsteadOf{};
    // For an animation: how many frames the result holds; nothing for a photo or a video.
    std::optional<std::int64_t> frames{};

    bool operator==(const UpscaleResult&) const = default;
};

} // namespace clarivex
