#pragma once

#include <filesystem>
#include <stop_token>
#include <vector>

namespace clarivex {

// What a list of dropped or chosen locations stands for, as a flat list of absolute paths in
// order: a folder gives its direct entries (hidden ones left out, sub-folders included for the
// caller to skip) sorted like a file manager sorts them; a missing location or a folder that
// cannot be listed gives nothing; anything else gives itself. Any thread.
std::vector<std::filesystem::path> expandLocations(const std::vector<std::filesystem::path>& paths,
                                                   std::stop_token stopToken = {});

// The files among the expanded locations that can be queued: photos and videos by their name,
// folders left out. Nothing once `stopToken` is stopped. Any thread.
std::vector<std::filesystem::path> queueableFiles(const std::vector<std::filesystem::path>& paths,
                                                  std::stop_token stopToken = {});

// A file manager's order of names: numbers compare by value, letters without regard to case.
// Any thread.
bool naturallyBefore(const std::filesystem::path& left, const std::filesystem::path& right);

} // namespace clarivex
