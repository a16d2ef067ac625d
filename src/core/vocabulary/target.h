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

std::string_view rawValue(Target target);
std::optional<Target> targetFromRaw(std::string_view raw);
std::string_view title(Target target);
std::string_view suffix(Target target);

} // namespace clarivex
