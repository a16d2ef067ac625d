#pragma once

#include <filesystem>
#include <functional>

namespace clarivex {

// Gives the name to try next: called first for the preferred name, then again after each
// name that turned out to be taken.
using NameChooser = std::function<std::filesystem::path()>;

// Moves a finished file to a name that `chooseName` gives, never replacing anything that is
// already there, also when something appeared after the name was chosen. Works across
// volumes (through a hidden temporary file in the destination folder). The placed file gets
// the mode a new file of the user normally gets, whatever private mode it was made with.
// Returns where the file went; on failure nothing is left at the destination and `finished`
// stays where it was.
std::filesystem::path placeWithoutReplacing(const std::filesystem::path& finished,
                                            const NameChooser& chooseName);

// A hidden name in `folder` for a file being written there before it is placed; make it with
// PrivateFiles, so that others cannot read it while it is incomplete.
std::filesystem::path temporarySibling(const std::filesystem::path& folder,
                                       const std::string& extension);

} // namespace clarivex
