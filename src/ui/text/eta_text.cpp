#include "ui/text/eta_text.h"

#include <algorithm>
#include <cmath>

namespace clarivex {

std::optional<QString> etaText(double fraction, double elapsed) {
    if (!(fraction > 0.03) || !(elapsed > 2.0))
        return std::nullopt;
    // Progress past the end would promise a negative time; the job is simply about to finish.
    const double remaining = std::max(0.0, (1.0 - fraction) * (elapsed / fraction));
    if (!std::isfinite(remaining))
        return std::nullopt;
    // The unit is chosen before rounding: 59.6 s reads "~60 с", not "~1 мин".
    if (remaining < 60.0)
        return QStringLiteral("осталось ~%1 с").arg(std::round(remaining), 0, 'f', 0);
    return QStringLiteral("осталось ~%1 мин").arg(std::round(remaining / 60.0), 0, 'f', 0);
}

} // namespace clarivex
