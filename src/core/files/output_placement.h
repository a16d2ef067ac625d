#pragma once

#include "core/files/file_descriptor.h"
#include "core/files/open_folder.h"

#include <filesystem>
#include <functional>
#include <string>

namespace clarivex {

// Gives the name to try next: called first for the preferred name, then again after each
// name that turned out to be taken. The names are in the destination folder.
using NameChooser = std::function<std::filesystem::path()>;

// A finished file: its name in the folder that holds it, and the file itself, open.
struct FinishedFile {
    const OpenFolder& folder;
    std::string name;
    int descriptor;
};

// Gives `finished` a name in `destination` that `chooseName` gives, never replacing anything
// that is already there, also when something appeared after the name was chosen: a rename that
// cannot replace, else a hard link, else (exFAT and other FUSE or network mounts, another
// volume) a copy into a name created only if it is free, removed again on any failure. The
// placed file gets the mode a new file of the user normally gets. Returns where it went; on
// failure nothing is left at the destination and `finished` stays where it was. A name swapped
// by someone else meanwhile is noticed and never placed.
std::filesystem::path placeWithoutReplacing(const FinishedFile& finished,
                                            const OpenFolder& destination,
                                            const NameChooser& chooseName);

// A file written beside its destination under a hidden name before it is placed: made new
// (never through a link, never over anything), private while incomplete, written and given
// its final mode through its own descriptor. Removed when it goes, unless it was placed.
// For one thread.
class StagedFile {
public:
    // Raises UpscaleError (`operationFailed`, `create`) naming `shownName`.
    StagedFile(const OpenFolder& folder, const std::string& extension,
               const std::string& shownName);
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    int descriptor() const { return descriptor_.get(); }
    // Makes the written file durable and places it (placeWithoutReplacing).
    std::filesystem::path place(const NameChooser& chooseName);

private:
    const OpenFolder& folder_;
    std::string name_;
    std::string shownName_;
    FileDescriptor descriptor_;
    bool placed_ = false;
};

} // namespace clarivex
