#pragma once

#include "core/vocabulary/media_kind.h"
#include "core/vocabulary/target.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>

namespace clarivex::Naming {

// Says whether anything is at a path; injected so that the rule can be tested without a disk.
using ExistsTest = std::function<bool(const std::filesystem::path&)>;

// The longest file name, in bytes, that the usual Linux file systems hold.
inline constexpr std::size_t maxNameBytes = 255;
// Numbered names are tried up to this number; then the search gives up with UpscaleError.
inline constexpr long long lastNumber = 9'999;

// Where the result of a job goes: next to the source, never onto anything that exists. A
// stem too long for the file system is shortened, on a whole UTF-8 character, so that the
// name keeps its suffix and extension and still has room for any number.
std::filesystem::path output(const std::filesystem::path& source, Target target, MediaKind kind,
                             bool loop, const ExistsTest& exists);

// `stem.extension` in `folder`, or the first free "stem N.extension" for N = 2, 3, …, with
// the stem shortened, on a whole UTF-8 character, where a name would not fit otherwise.
std::filesystem::path firstFree(const std::filesystem::path& folder, const std::string& stem,
                                const std::string& extension, const ExistsTest& exists);

// The same rule for a file name that already carries its extension (the Pictures copy).
std::filesystem::path firstFree(const std::filesystem::path& folder,
                                const std::filesystem::path& fileName, const ExistsTest& exists);

// `stem` cut, on a whole UTF-8 character, so that `restBytes` more still make a file name.
std::string fittingStem(const std::string& stem, std::size_t restBytes);

// Whether a file or folder (or a dangling link) is at the path; errors count as "something",
// except those that say no such path can exist.
bool existsOnDisk(const std::filesystem::path& path);

} // namespace clarivex::Naming
