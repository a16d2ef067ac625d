#pragma once

#include "core/files/folder_lock.h"
#include "core/files/open_folder.h"
#include "core/video/part_manifest.h"
#include "core/vocabulary/upscale_error.h"
#include "core/vocabulary/upscale_progress.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace clarivex {

// The finished segments of one video's encode, in a hidden private folder beside its result,
// with the manifest that lets a later run continue after the last of them. Locked while a run
// uses it (FolderLock), so that no other run writes into it or removes it meanwhile. Opened
// once: everything inside is made, checked and removed through that descriptor, so a folder
// renamed or swapped for a link by someone else never leads us elsewhere.
//
// `record` from the encoder's feeding thread, everything else from the job's thread.
class PartFolder {
public:
    // The place cannot hold a private part folder of ours: it belongs to someone else (`owner`),
    // is no plain folder, or its file system cannot keep others out; the run can keep its parts
    // elsewhere.
    class Unusable : public std::runtime_error {
    public:
        Unusable(ProgressDetail::PartsProblem problem, std::filesystem::path place,
                 std::string owner = {})
            : std::runtime_error("part folder unusable")
            , problem_(problem)
            , place_(std::move(place))
            , owner_(std::move(owner)) {}
        ProgressDetail::PartsProblem problem() const { return problem_; }
        const std::filesystem::path& place() const { return place_; }
        const std::string& owner() const { return owner_; }

    private:
        ProgressDetail::PartsProblem problem_;
        std::filesystem::path place_;
        std::string owner_;
    };

    // Whether a segment file holds what its manifest entry says (frames, size, rate).
    using SegmentCheck =
        std::function<bool(const std::filesystem::path& file, const PartManifest::Segment&)>;

    // The hidden folder beside the result for the video `source`, named after the result's
    // plain name (the name before any number is added) and the source's own name:
    // ".clip-4k-1a2b3c4d.parts" for clip.mp4 at 4K. The same for every run of the same job and
    // another for every other source. Never longer than a file name can be.
    static std::filesystem::path pathFor(const std::filesystem::path& source,
                                         const std::filesystem::path& plainOutput);
    // The same job's folder in `place`, a private folder of the user's that holds the part
    // folders of many places, when the one beside the result is Unusable.
    static std::filesystem::path pathIn(const std::filesystem::path& place,
                                        const std::filesystem::path& source,
                                        const std::filesystem::path& plainOutput);

    // Opens the part folder `folder` for the video `identity` describes, making it when missing.
    // The finished segments that are still whole (and pass `check`, when given) stay for the run
    // to continue after; a folder made for another source or other settings is emptied, and so
    // is anything left of a segment that was never finished. Raises UpscaleError (`videoBusy`)
    // while another run uses the folder, Unusable (see above), UpscaleError (`operationFailed`)
    // when it cannot be made or opened.
    PartFolder(std::filesystem::path folder, const PartManifest::Identity& identity,
               const SegmentCheck& check = {});
    PartFolder(const PartFolder&) = delete;
    PartFolder& operator=(const PartFolder&) = delete;

    // Where the folder is, for the user's sentences.
    const std::filesystem::path& path() const { return folder_.path(); }
    const OpenFolder& folder() const { return folder_; }
    // Frames in the finished segments.
    std::int64_t framesDone() const;

    // Where the segment that starts at frame `firstFrame` is written, reached through the
    // folder's descriptor (for the encoder).
    std::filesystem::path segmentFile(std::int64_t firstFrame) const;
    // Adds a segment whose encoder has finished: makes its file durable, then the manifest that
    // names it, so that after a power loss the manifest names no segment that is not whole.
    void record(const PartManifest::Segment& segment);

    // Writes the list of the finished segments in order for ffmpeg's concat demuxer, and
    // returns its path, reached through the folder's descriptor.
    std::filesystem::path joinList() const;

    // Removes the folder with everything in it: the result is placed, or the user stopped.
    void discard();
    // Keeps the finished segments for a later run and removes the rest; the whole folder when no
    // segment was finished.
    void keepFinished();
    // What keepFinished kept, of `totalFrames`; nothing when nothing was kept.
    std::optional<KeptFrames> kept(std::int64_t totalFrames) const;

private:
    void open(bool& created);
    void load(const PartManifest::Identity& identity, const SegmentCheck& check);
    // The entries that hold the finished segments: the lock, the manifest and the segments.
    std::vector<std::string> keptNames() const;
    void writeManifest();
    void removeAllBut(const std::vector<std::string>& kept) const;

    std::filesystem::path wanted_;
    OpenFolder parent_;
    OpenFolder folder_;
    std::optional<FolderLock> lock_;
    mutable std::mutex mutex_;
    PartManifest manifest_;
};

} // namespace clarivex
