#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace clarivex {

// The PNG frames ffmpeg extracted into `folder`, in frame order. Names are compared by their
// number, not as text: after 999,999 frames the extractor's "%06d" names grow a seventh digit,
// and "1000000.png" sorts before "999999.png" as text. Listing failures raise
// std::filesystem::filesystem_error.
std::vector<std::string> listFrames(const std::filesystem::path& folder);

// Frame order for two file names: numbered names by number, anything else after them by text.
bool frameComesBefore(const std::string& left, const std::string& right);

} // namespace clarivex
