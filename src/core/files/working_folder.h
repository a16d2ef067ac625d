#pragma once

#include "core/files/folder_lock.h"

#include <filesystem>
#include <optional>
#include <string>

namespace clarivex {

// A private folder "Clarivex-<UUID>" in the temporary folder (0700, whatever the umask: the
// user's pictures pass through it), removed with everything in it when the object goes away,
// however the job ends. Locked while it lives (FolderLock), so that a later run can tell it
// from the folder of a run that was killed outright.
class WorkingFolder {
public:
    WorkingFolder();
    ~WorkingFolder();
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

    // Removes the working folders in the temporary folder whose run is gone (killed outright,
    // or a power loss): a run that ends in any other way removes its own. Never one of a live
    // run, whichever process it is in. Errors are ignored.
    static void removeAbandoned();

private:
    std::filesystem::path path_;
    std::optional<FolderLock> lock_;
};

// 122 random bits in the 8-4-4-4-12 form with upper-case hexadecimal digits.
std::string upperCaseUuid();

} // namespace clarivex
