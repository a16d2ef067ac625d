#pragma once

#include <optional>

namespace clarivex {

// The user's wish for less motion: CLARIVEX_REDUCE_MOTION=1 in the environment, or GNOME's
// enable-animations switched off. Read once and cached; views ask it whenever they would start
// an animation, so it is cheap. Main thread only.
namespace ReduceMotion {

bool enabled();
// Replaces the desktop's answer (tests, the gallery's switch); nothing restores the desktop's.
void setOverride(std::optional<bool> reduce);

} // namespace ReduceMotion

} // namespace clarivex
