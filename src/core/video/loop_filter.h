#pragma once

#include <string>

namespace clarivex::LoopFilter {

// A loop shorter than this would flash rather than fade; such requests get no loop at all.
inline constexpr double shortestFade = 0.2;

// The seam for a clip of `duration` seconds: the asked fade, at most a third of the clip.
double fadeFor(double duration, double loopFade);

// The "-filter_complex" graph that cross-fades the clip's last `fade` seconds into its first
// ones; the result is duration − fade long. Numbers always have a decimal point.
std::string make(double duration, double fade);

} // namespace clarivex::LoopFilter
