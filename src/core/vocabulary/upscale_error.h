#pragma once

#include "core/vocabulary/size.h"

#include <cstdint>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace clarivex {

// The finished frames of a video that a stopped or failed run kept for a later run to continue
// from: frames 1 to `done` of `total`, in `folder`.
struct KeptFrames {
    std::int64_t done = 0;
    std::int64_t total = 0;
    std::filesystem::path folder{};
    bool operator==(const KeptFrames&) const = default;
};

// What is wrong with what the engine made of a picture, or of a video's frame `frame`.
struct EngineProblem {
    enum class Kind { noResult, wrongSize, black, corrupt };
    Kind kind = Kind::noResult;
    // Empty for a picture.
    std::string frame{};
    Size made{};
    Size expected{};
    bool operator==(const EngineProblem&) const = default;
};

// The one error the pipeline raises itself: its case and the facts the user is told, never a
// sentence; the front ends' texts make the sentence (errorText). Platform errors and
// cancellation travel beside it, unwrapped, until `from` gives them a case at the end of a job.
class UpscaleError : public std::exception {
public:
    enum class Case {
        unsupported,
        failed,
        lowDisk,
        alreadyLarge,
        missingEngine,
        missingFFmpeg,
        // A program ended with a status other than 0.
        programExit,
        // The encoder stopped taking frames.
        encoderStopped,
        // The encoder ended with a status other than 0 once it had all the frames.
        encoderExit,
        // The engine left out a frame of a video.
        frameSkipped,
        // What the engine made is unusable (`problem`), after the smallest tile when memory ran
        // short (`tile`).
        badResult,
        // A model's files are missing (`text`: the model, `files`, in `folder`).
        missingModel,
        noSource,
        sourceMissing,
        sourceIsFolder,
        sourceNotRegular,
        readOnlyDestination,
        destinationNotWritable,
        noHome,
        // ffmpeg gave no frame at all, cut its last one, gave no PNG, or one larger than any
        // frame can be.
        noFrames,
        cutFrame,
        notPngFrames,
        frameTooLarge,
        // ffprobe's answer names no size and frame rate.
        unclearProbe,
        // Another run of the same video with the same settings holds `folder`.
        videoBusy,
        // The file `text` could not be made, written or decoded, for `reason`.
        createFailed,
        writeFailed,
        decodeFailed,
        // libvips would not start, or could not resize a picture, for `reason`.
        imageLibraryStart,
        resizeFailed,
        // An animated PNG is read through ffmpeg, which is not installed.
        apngNeedsFFmpeg,
        // Frame `count` of an animation could not be encoded as PNG.
        frameNotEncoded,
        // The animated PNG `text` could not be written: `count` frames do not fit in a PNG;
        // frame `count` could not be encoded or differs from the first; a frame came beyond
        // the `limit` announced; only `count` of the `limit` frames came.
        apngTooManyFrames,
        apngFrameNotEncoded,
        apngFrameDiffers,
        apngExtraFrame,
        apngShort,
        // A picture of `size` the network would make `made` of, more than `limit` pixels.
        pictureTooLarge,
        // An animation of `count` frames of `made` each, `needed` pixels in all, more than
        // `limit`.
        animationTooLarge,
        // A GIF of more than `limit` frames.
        animationTooLong,
        // ffmpeg read `count` frames of an animation of `limit`.
        animationShort,
        // Frame `count` of an animation of `limit` cannot be decoded.
        animationFrameBroken,
        // An animation of `count` frames cannot be read, for `reason` (may be empty).
        animationUnreadable,
        // No free name is left for the file `text` in `folder`.
        noFreeName,
        // The system refused `operation` on `folder` (a file or a folder), for `code`.
        operationFailed,
        // What a platform error became: a file's path and the system's reason; a failure
        // raised with what failed and where (`text`, the system's reason appended); memory;
        // libvips' reason; anything else's own text; nothing at all.
        fileError,
        systemError,
        outOfMemory,
        imageLibrary,
        internal,
        unknown
    };
    // Where space ran short: beside the result, or in the temporary folder.
    enum class Place { destination, temporary };
    // What the system refused to do with a path.
    enum class Operation {
        open,
        openFolder,
        openTemporaryFolder,
        createFolder,
        createWorkingFolder,
        create,
        copyInto,
        save,
        // Saving, when someone swapped the finished file under its new name.
        saveSwapped,
        claimFolder,
        read,
        write,
        writeFrame,
        createPartsFolder,
        openPartsFolder
    };

    static UpscaleError unsupported(std::string what);
    // A failure told as it is: `message` is what the user reads.
    static UpscaleError failed(std::string message);
    static UpscaleError lowDisk(std::int64_t needed, std::int64_t free);
    // The same, naming the folder whose file system is short of space.
    static UpscaleError lowDisk(std::int64_t needed, std::int64_t free, Place place,
                                std::filesystem::path folder);
    static UpscaleError alreadyLarge(Size size, std::string targetTitle);
    static UpscaleError missingEngine();
    static UpscaleError missingFFmpeg();
    // `program` ended with `status`; `errorLines`: its last error lines.
    static UpscaleError programExit(std::string program, int status, std::string errorLines);
    static UpscaleError encoderStopped(std::string errorLines);
    static UpscaleError encoderExit(int status, std::string errorLines);
    static UpscaleError frameSkipped(std::string frame);
    // `engineLines`: what the engine said that explains it; `tile`: the smallest tile tried when
    // memory ran short, 0 otherwise.
    static UpscaleError badResult(EngineProblem problem, std::string engineLines = {},
                                  int tile = 0);
    static UpscaleError missingModel(std::string model, std::filesystem::path folder,
                                     std::vector<std::string> files);
    static UpscaleError noSource();
    // The source's own trouble: `Case::sourceMissing`, `sourceIsFolder` or `sourceNotRegular`.
    static UpscaleError badSource(Case problem, std::filesystem::path source);
    // No result can go into `folder`: `Case::readOnlyDestination` or `destinationNotWritable`.
    static UpscaleError closedDestination(Case problem, std::filesystem::path folder);
    static UpscaleError noHome();
    // One of the cases that carry no facts: `noFrames`, `cutFrame`, `notPngFrames`,
    // `frameTooLarge`, `unclearProbe`, `apngNeedsFFmpeg`.
    static UpscaleError of(Case factless);
    static UpscaleError videoBusy(std::filesystem::path folder);
    // `Case::createFailed` or `writeFailed`; `decodeFailed`, `imageLibraryStart` or
    // `resizeFailed`, where `file` is empty.
    static UpscaleError fileFailed(Case failure, std::string file, std::string reason);
    static UpscaleError frameNotEncoded(std::int64_t frame);
    // One of the `apng…` cases of the animated PNG `file`: a count of frames and the limit.
    static UpscaleError badApng(Case problem, std::string file, std::int64_t count,
                                std::int64_t limit = 0);
    static UpscaleError pictureTooLarge(Size size, Size made, std::int64_t limit);
    static UpscaleError animationTooLarge(std::int64_t frames, Size made, std::int64_t pixels,
                                          std::int64_t limit);
    // `Case::animationTooLong`, `animationShort`, `animationFrameBroken` or
    // `animationUnreadable`: a count of frames, the limit or whole, and a reason.
    static UpscaleError badAnimation(Case problem, std::int64_t count, std::int64_t limit,
                                     std::string reason = {});
    static UpscaleError noFreeName(std::string name, std::filesystem::path folder);
    static UpscaleError operationFailed(Operation operation, std::filesystem::path path,
                                        std::error_code code);
    // The same for an errno value.
    static UpscaleError operationFailed(Operation operation, std::filesystem::path path, int error);
    // Whatever ended a job, as an UpscaleError: its own, or a platform error's case with its
    // path and reason. Never throws; not for Cancelled, which is no error.
    static UpscaleError from(const std::exception_ptr& error);

    // Adds what was kept of the work, for a later run to continue from.
    void addKept(std::optional<KeptFrames> kept) { kept_ = std::move(kept); }

    Case kind() const { return case_; }
    // The text payload: the format of `unsupported`, the message of `failed`, the target title
    // of `alreadyLarge`, the program of `programExit`, the frame of `frameSkipped`, the reason of
    // `fileError` and `imageLibrary`, the whole text of `systemError` and `internal`.
    const std::string& text() const { return text_; }
    // The last error lines of `programExit`, `encoderStopped` and `encoderExit`, the engine's of
    // `badResult`.
    const std::string& errorLines() const { return errorLines_; }
    // Why a file could not be made, written or decoded.
    const std::string& reason() const { return reason_; }
    int status() const { return status_; }
    std::int64_t needed() const { return needed_; }
    std::int64_t free() const { return free_; }
    Place place() const { return place_; }
    // The folder of `lowDisk` and the closed destinations; the file of the source cases and of
    // `fileError`; the path of `operationFailed`.
    const std::filesystem::path& folder() const { return folder_; }
    Size size() const { return size_; }
    Size made() const { return made_; }
    std::int64_t count() const { return count_; }
    std::int64_t limit() const { return limit_; }
    const EngineProblem& problem() const { return problem_; }
    int tile() const { return tile_; }
    const std::vector<std::string>& files() const { return files_; }
    const std::optional<KeptFrames>& kept() const { return kept_; }
    Operation operation() const { return operation_; }
    // The system's reason of `operationFailed`.
    const std::error_code& code() const { return code_; }

    // For logs and debuggers only; the user reads errorText.
    const char* what() const noexcept override { return "UpscaleError"; }

    bool operator==(const UpscaleError& other) const;

private:
    explicit UpscaleError(Case errorCase);

    Case case_;
    std::string text_;
    std::string errorLines_;
    std::string reason_;
    int status_ = 0;
    std::int64_t needed_ = 0;
    std::int64_t free_ = 0;
    Place place_ = Place::destination;
    std::filesystem::path folder_;
    Size size_;
    Size made_;
    std::int64_t count_ = 0;
    std::int64_t limit_ = 0;
    EngineProblem problem_;
    int tile_ = 0;
    std::vector<std::string> files_;
    std::optional<KeptFrames> kept_;
    Operation operation_ = Operation::open;
    std::error_code code_;
};

// A job stopped on request. Never an UpscaleError: a cancelled job is neither failed nor done.
class Cancelled : public std::exception {
public:
    Cancelled() = default;
    // A stop that kept finished work for a later run to continue from.
    explicit Cancelled(std::optional<KeptFrames> kept)
        : kept_(std::move(kept)) {}

    const char* what() const noexcept override { return "Cancelled"; }
    // Nothing when nothing was kept.
    const std::optional<KeptFrames>& kept() const { return kept_; }

private:
    std::optional<KeptFrames> kept_;
};

} // namespace clarivex
