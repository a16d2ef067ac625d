#pragma once

#include <QString>

#include <optional>

namespace clarivex {

// A duration as the user reads it at a glance: "~20 с", "~3 мин", "~1 ч 20 мин". Negative,
// NaN and infinite durations read "~0 с".
QString approximateDuration(double seconds);

// The remaining time of a job estimated from linear progress, "осталось ~20 с" or
// "осталось ~3 мин"; nothing while too little is known (3 % or less done, or 2 s or less
// elapsed, NaN included).
std::optional<QString> etaText(double fraction, double elapsed);

} // namespace clarivex
