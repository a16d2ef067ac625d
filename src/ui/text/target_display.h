#pragma once

#include "core/vocabulary/target.h"

#include <string_view>

namespace clarivex {

// The caption under a target's size tile: "вдвое больше", "1920 × 1080" …
std::string_view resolutionHint(Target target);

} // namespace clarivex
