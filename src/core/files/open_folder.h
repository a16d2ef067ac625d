#pragma once

#include "core/files/file_descriptor.h"

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace clarivex {

// A folder opened once and then worked in through its descriptor: entries are created, opened,
// checked and removed relative to it and never through a link, so a folder that someone renames
// or swaps for a link meanwhile stays the same folder to us, and nothing outside it is touched.
// For one thread at a time.
class OpenFolder {
public:
    // None yet: a place to open one into.
    OpenFolder() = default;

    // Opens the folder at `path`; links along the way are followed, since the user named them.
    // Raises UpscaleError (`operationFailed`, `openFolder`).
    static OpenFolder open(const std::filesystem::path& path);
    // The entry `name` of `parent`, opened as a folder only if it is one and not a link.
    // Returns the reason otherwise: ENOENT, ENOTDIR, ELOOP (a link) and the like.
    static std::error_code openEntry(const OpenFolder& parent, const std::string& name,
                                     OpenFolder& opened);

    int descriptor() const { return descriptor_.get(); }
    // The path the folder was opened by, for the user's sentences.
    const std::filesystem::path& path() const { return path_; }
    // A path that reaches this very folder through our descriptor, for child processes that
    // write into it: a name swapped meanwhile does not redirect them.
    std::filesystem::path reachablePath() const;
    // The folder as it is now. Raises UpscaleError (`operationFailed`).
    struct stat status() const;

    // The names of the entries in the folder now, "." and ".." left out.
    std::vector<std::string> entries() const;
    // Whether `name` in this folder is, right now and not through a link, the file `expected`.
    bool holds(const std::string& name, const struct stat& expected) const;
    // Removes `name` and, for a folder, everything in it; links are removed, never followed.
    // Errors are ignored.
    void removeEntry(const std::string& name) const;
    // Removes everything in the folder but the folder itself. Errors are ignored.
    void removeContents() const;

private:
    FileDescriptor descriptor_;
    std::filesystem::path path_;
};

} // namespace clarivex
