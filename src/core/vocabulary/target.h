#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace clarivex {

// The user's choice of output size: a fixed factor or a frame box that follows the source's
// orientation.
enum class Target { x2, x4, fullHD, uhd4k };

inline constexpr std::array<Target, 4> allTargets{Target::x2, Target::x4, Target::fullHD,
                                                  Target::uhd4k};

// The identifier kept in the settings: "x2", "x4", "fullHD", "uhd4k".
std::string_view rawValue(Target target);
// The target a stored identifier names, or nothing for text that is not one.
std::optional<Target> targetFromRaw(std::string_view raw);
// What the user sees on the size tiles and in messages: "×2", "×4", "1080p", "4K".
std::string_view title(Target target);
// Appended to the output file's name: "-2x", "-4x", "-1080p", "-4k".
std::string_view suffix(Target target);

// The target that a "--target" value names: "x2", "x4" or "1080p", case-sensitive. The command
// line spells targets its own way, and has no spelling for uhd4k, the default it falls back to.
std::optional<Target> targetFromCommandLine(std::string_view text);

} // namespace clarivex
