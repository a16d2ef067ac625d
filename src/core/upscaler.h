#pragma once

#include "core/process/tools.h"
#include "core/vocabulary/options.h"
#include "core/vocabulary/plan.h"
#include "core/vocabulary/upscale_progress.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <stop_token>

namespace clarivex {

// The pipeline's one entry: from a source file and the job's options to a finished file next
// to the source. A blocking call meant for a background thread; stopping `stopToken` cancels.
class Upscaler {
public:
    // Bytes available on the volume of a folder, or nothing when the platform cannot say.
    using FreeSpaceQuery = std::function<std::optional<std::int64_t>(const std::filesystem::path&)>;

    explicit Upscaler(Tools tools);

    // The most pixels the network may be asked to produce for one picture. The engine holds
    // its whole output in memory (3 or 4 bytes a pixel) next to its input, so 400 megapixels
    // ask for about 1.6 GB, which a desktop can give; a larger plan is refused before any
    // pixel is decoded (a tiny file may declare a picture of billions of pixels).
    static constexpr std::int64_t maxNetworkPixels = 400'000'000;

    Tools tools;
    // How many video frames go through the network at a time.
    int chunkSize = 48;
    // Injected so that the low-disk refusal can be tested without filling a disk.
    FreeSpaceQuery freeSpace;

    UpscaleResult run(const std::filesystem::path& source, const Options& options,
                      const ProgressCallback& report, std::stop_token stopToken = {}) const;

    // What a path produced: the plan it followed and where the finished file finally went,
    // which differs from the name chosen up front when that name was taken meanwhile.
    struct Outcome {
        Plan plan;
        std::filesystem::path output;
    };

    Outcome image(const std::filesystem::path& source, const std::filesystem::path& output,
                  const Options& options, const std::filesystem::path& work,
                  const ProgressCallback& report, std::stop_token stopToken) const;
    Outcome video(const std::filesystem::path& source, const std::filesystem::path& output,
                  const Options& options, const std::filesystem::path& work,
                  const ProgressCallback& report, std::stop_token stopToken) const;

    // Copies a finished file into ~/Pictures/Clarivex under the first free name.
    static std::filesystem::path copyToPictures(const std::filesystem::path& file);

    // The first free name for the result next to the source, by the naming rule.
    static std::filesystem::path outputName(const std::filesystem::path& source,
                                            const Options& options, MediaKind kind);

    // Refuses, with the user's sentence, anything but a regular file (after following links):
    // a missing path, a folder, a device or a pipe would fail later with a misleading reason,
    // or never end.
    static void requireSourceFile(const std::filesystem::path& source);

    // The image path's progress for one line the engine printed ("45.00%"), if it is one.
    static std::optional<UpscaleProgress> engineLineProgress(const std::string& line);
};

std::optional<std::int64_t> availableSpace(const std::filesystem::path& folder);

} // namespace clarivex
