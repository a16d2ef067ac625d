#pragma once

#include "core/folder_lock.h"
#include "core/video/part_manifest.h"

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace clarivex {

// The finished segments of one video's encode, in a hidden private folder beside its result,
// with the manifest that lets a later run continue after the last of them. Locked while a run
// uses it (FolderLock), so that no other run writes into it or removes it meanwhile.
//
// `record` from the encoder's feeding thread, everything else from the job's thread.
class PartFolder {
public:
    // The hidden folder beside results named `plainOutput` (the name before any number is
    // added), ".clip-4k.parts" for clip-4k.mp4: the same for every run of the same job. Never a
    // name the naming rule gives a result, and never longer than the longest such name.
    static std::filesystem::path pathFor(const std::filesystem::path& plainOutput);

    // Opens the part folder `folder` for the video `identity` describes, making it when missing.
    // The finished segments that are still whole stay for the run to continue after; a folder
    // made for another source or other settings is emptied, and so is anything left of a
    // segment that was never finished. Raises UpscaleError::failed while another run uses the
    // folder, std::system_error when it cannot be made or is not this user's private folder.
    PartFolder(std::filesystem::path folder, const PartManifest::Identity& identity);
    PartFolder(const PartFolder&) = delete;
    PartFolder& operator=(const PartFolder&) = delete;

    const std::filesystem::path& path() const { return folder_; }
    // Frames in the finished segments.
    std::int64_t framesDone() const;

    // Where the segment that starts at frame `firstFrame` is written.
    std::filesystem::path segmentFile(std::int64_t firstFrame) const;
    // Adds a segment whose encoder has finished: makes its file durable, then the manifest that
    // names it, so that after a power loss the manifest names no segment that is not whole.
    void record(const PartManifest::Segment& segment);

    // Writes the list of the finished segments in order for ffmpeg's concat demuxer, and
    // returns its path.
    std::filesystem::path joinList() const;

    // Removes the folder with everything in it: the result is placed, or the user stopped.
    void discard();
    // Keeps the finished segments for a later run and removes the rest; the whole folder when no
    // segment was finished.
    void keepFinished();
    // What keepFinished kept, of `totalFrames`, in the user's words; empty when nothing was kept.
    std::string keptDescription(std::int64_t totalFrames) const;

private:
    void load(const PartManifest::Identity& identity);
    // The entries that hold the finished segments: the lock, the manifest and the segments.
    std::vector<std::string> keptNames() const;
    void writeManifest();
    void removeAllBut(const std::vector<std::string>& kept) const;

    std::filesystem::path folder_;
    std::optional<FolderLock> lock_;
    mutable std::mutex mutex_;
    PartManifest manifest_;
};

} // namespace clarivex
