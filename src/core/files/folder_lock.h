#pragma once

#include "core/files/open_folder.h"

#include <filesystem>
#include <optional>

namespace clarivex {

// Tells a live run's folder from a dead run's: an advisory lock on the file "lock" inside the
// folder, held while the object lives. The system releases it however the process ends (kill -9
// and power loss included), so a folder whose lock can be taken belongs to no live run. Any
// thread; one object per folder and run.
class FolderLock {
public:
    // Takes the lock of `folder`, making its lock file when there is none; nothing while another
    // run holds it. Raises UpscaleError (`operationFailed`) when the lock file cannot be made or
    // opened. A lock file that cannot be opened for writing (a read-only mount) raises too: it is
    // no sign of another run.
    static std::optional<FolderLock> claim(const std::filesystem::path& folder);
    // The same in a folder already open, relative to its descriptor.
    static std::optional<FolderLock> claim(const OpenFolder& folder);
    // Takes the lock of `folder` only if its lock file is there and no one holds it: the folder
    // of a run that is gone. Nothing otherwise, a folder still being set up and one on a file
    // system that cannot lock included. Never raises.
    static std::optional<FolderLock> takeAbandoned(const std::filesystem::path& folder);

    FolderLock(FolderLock&& other) noexcept;
    FolderLock& operator=(FolderLock&& other) noexcept;
    ~FolderLock();

private:
    explicit FolderLock(int descriptor)
        : descriptor_(descriptor) {}

    int descriptor_ = -1;
};

} // namespace clarivex
