#pragma once

#include <filesystem>
#include <functional>

namespace clarivex {

// Gives the name to try next: called first for the preferred name, then again after each
// name that turned out to be taken.
using NameChooser = std::function<std::filesystem::path()>;

// Moves a finished file to a name that `chooseName` gives, never replacing anything that is
// already there, also when something appeared after the name was chosen. Works across
// volumes (through a hidden temporary file in the destination folder). Returns where the file
// went; on failure nothing is left at the destination and `finished` is left as it was.
std::filesystem::path placeWithoutReplacing(const std::filesystem::path& finished,
                                            const NameChooser& chooseName);

// A hidden name in `folder` for a file being written there before it is placed.
std::filesystem::path temporarySibling(const std::filesystem::path& folder,
                                       const std::string& extension);

} // namespace clarivex
