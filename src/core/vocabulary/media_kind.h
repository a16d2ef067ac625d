#pragma once

#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace clarivex {

// Whether a file is a still image or a video, decided from its extension alone.
enum class MediaKind { image, video };

// Lower-case extensions without the dot; the two sets are disjoint.
const std::set<std::string, std::less<>>& imageExtensions();
const std::set<std::string, std::less<>>& videoExtensions();

// Only the last extension of the last path component counts, compared in lower case.
std::optional<MediaKind> mediaKindOf(const std::filesystem::path& file);

// The text after the last dot of the last path component, as written; empty without a dot.
std::string pathExtension(const std::filesystem::path& file);
std::string lowercased(std::string_view text);

} // namespace clarivex
