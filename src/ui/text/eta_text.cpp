#include "ui/text/eta_text.h"

#include <algorithm>
#include <cmath>

namespace clarivex {

QString approximateDuration(double seconds) {
    if (!std::isfinite(seconds) || seconds < 0)
        seconds = 0;
    // The unit is chosen before rounding: 59.6 s reads "~60 с", not "~1 мин".
    if (seconds < 60.0)
        return QStringLiteral("~%1 с").arg(std::round(seconds), 0, 'f', 0);
    const double minutes = std::round(seconds / 60.0);
    if (minutes < 60.0)
        return QStringLiteral("~%1 мин").arg(minutes, 0, 'f', 0);
    const double hours = std::floor(minutes / 60.0);
    const double rest = minutes - hours * 60.0;
    return rest == 0 ? QStringLiteral("~%1 ч").arg(hours, 0, 'f', 0)
                     : QStringLiteral("~%1 ч %2 мин").arg(hours, 0, 'f', 0).arg(rest, 0, 'f', 0);
}

std::optional<double> linearRemaining(double fraction, double elapsed) {
    if (!(fraction > 0.03) || !(elapsed > 2.0))
        return std::nullopt;
    // Progress past the end would promise a negative time; the job is simply about to finish.
    const double remaining = std::max(0.0, (1.0 - fraction) * (elapsed / fraction));
    if (!std::isfinite(remaining))
        return std::nullopt;
    return remaining;
}

QString remainingText(double seconds) {
    // At 95 % a few tenths of a second rounded to "~0 с", as if nothing were left.
    return QStringLiteral("осталось ") + approximateDuration(std::max(seconds, 1.0));
}

std::optional<QString> etaText(double fraction, double elapsed) {
    const std::optional<double> remaining = linearRemaining(fraction, elapsed);
    if (!remaining)
        return std::nullopt;
    return remainingText(*remaining);
}

} // namespace clarivex
