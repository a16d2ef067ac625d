#pragma once

#include <QString>

#include <optional>

namespace clarivex {

// A duration as the user reads it at a glance: "~20 с", "~3 мин", "~1 ч 20 мин". Negative,
// NaN and infinite durations read "~0 с".
QString approximateDuration(double seconds);

// The seconds a job still needs, estimated from linear progress; nothing while too little is
// known (3 % or less done, or 2 s or less elapsed, NaN included).
std::optional<double> linearRemaining(double fraction, double elapsed);

// "осталось ~20 с", "осталось ~3 мин": never below "~1 с", since work is left.
QString remainingText(double seconds);

// The remaining time of a job estimated from linear progress, as remainingText() writes it;
// nothing while too little is known.
std::optional<QString> etaText(double fraction, double elapsed);

} // namespace clarivex
