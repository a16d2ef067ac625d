#pragma once

#include "core/vocabulary/size.h"
#include "core/vocabulary/upscale_error.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace clarivex {

// What the final pass carries from a video into the MP4 and what it leaves out.
struct TrackNote {
    std::size_t audio = 0;
    std::size_t subtitles = 0;
    // The character sets subtitles are converted from, each once, in order.
    std::vector<std::string> convertedFrom{};
    bool timecode = false;
    // Left out.
    std::size_t emptyTracks = 0;
    std::size_t pictureSubtitles = 0;
    std::size_t unknownTextSubtitles = 0;
    int fonts = 0;
    int otherAttachments = 0;
    int dataStreams = 0;

    bool operator==(const TrackNote&) const = default;
};

// What a report is about, as facts; the front ends put them into words (PipelineText::detail).
struct ProgressDetail {
    enum class Kind {
        none,
        // `name`: the source while preparing, the result once finished.
        file,
        // The copy into the Pictures folder.
        picturesCopy,
        // The network starts on a picture or an animation: the model's notes.
        network,
        // The engine's own `value` percent of the picture it works on.
        enginePercent,
        // Photo `done` of `total` that share one engine run.
        sharedRun,
        // `done` frames of `total` through the network.
        frames,
        // `done` frames taken out of the source, of `total` (`estimated`: about so many).
        extracted,
        // A continued run: from frame `done` + 1 of `total`, or after `done` when that is all.
        resumed,
        // The engine ran out of video memory: again with `tile`.
        tileRetry,
        // The result written: `size`; an animation also says its `total` frames.
        writing,
        // The encoder makes a `size` video.
        encoding,
        // The loop's seam of `value` seconds.
        seam,
        // The sound and subtitles are checked.
        checkingTracks,
        // The parts are joined, with `tracks`.
        joining,
        // The parts are kept at `path`, since the usual place `unusable` cannot hold them, for
        // `partsProblem` (`name`: the other user who owns it).
        partsElsewhere,
    };
    // Why a place cannot hold a private part folder: something other than a folder has its
    // name, another user owns it, or its file system cannot keep others out.
    enum class PartsProblem { notAFolder, othersFolder, cannotClose };

    Kind kind = Kind::none;
    std::string name{};
    std::filesystem::path path{};
    // The model's notes, where the network runs: its name, the engine's scale, the model "Авто"
    // prefers when this one stands in for it, whether the picture's colour profile was set
    // aside, and the tile size this session found to fit (0: the engine's choice).
    std::string model{};
    int scale = 0;
    std::optional<std::string> modelInsteadOf{};
    bool profileIgnored = false;
    int tile = 0;
    // A video whose HDR colours are mapped to SDR.
    bool hdr = false;
    std::int64_t done = 0;
    std::int64_t total = 0;
    bool estimated = false;
    double value = 0;
    Size size{};
    TrackNote tracks{};
    PartsProblem partsProblem = PartsProblem::notAFolder;
    std::filesystem::path unusable{};

    bool operator==(const ProgressDetail&) const = default;
};

// One report of a running job. `fraction` is the whole job's completion, 0 to 1.
struct UpscaleProgress {
    enum class Stage { preparing, extracting, upscaling, encoding, looping, saving };

    Stage stage = Stage::preparing;
    double fraction = 0;
    ProgressDetail detail{};

    bool operator==(const UpscaleProgress&) const = default;
};

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
