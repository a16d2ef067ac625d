#include "ui/widgets/rolling_number.h"

#include <QString>

#include <algorithm>
#include <cmath>

namespace clarivex {

std::vector<RollingNumber::Glyph> RollingNumber::glyphs(double progress) const {
    progress = std::clamp(progress, 0.0, 1.0);
    const QString oldText = QString::number(from);
    const QString newText = QString::number(to);
    const double direction = to >= from ? 1.0 : -1.0;
    const qsizetype slotCount = std::max(oldText.size(), newText.size());
    std::vector<Glyph> result;
    for (int slot = 0; slot < int(slotCount); ++slot) {
        const qsizetype oldIndex = oldText.size() - 1 - slot;
        const qsizetype newIndex = newText.size() - 1 - slot;
        const QChar oldDigit = oldIndex >= 0 ? oldText[oldIndex] : QChar();
        const QChar newDigit = newIndex >= 0 ? newText[newIndex] : QChar();
        if (oldDigit == newDigit) {
            result.push_back({newDigit, slot, width(progress) - slot - 1, 0.0, 1.0});
            continue;
        }
        if (!oldDigit.isNull() && progress < 1.0)
            result.push_back({oldDigit, slot, double(oldText.size() - slot - 1),
                              -direction * progress, 1.0 - progress});
        if (!newDigit.isNull() && progress > 0.0)
            result.push_back({newDigit, slot, double(newText.size() - slot - 1),
                              direction * (1.0 - progress), progress});
    }
    return result;
}

double RollingNumber::width(double progress) const {
    progress = std::clamp(progress, 0.0, 1.0);
    const double oldWidth = double(QString::number(from).size());
    const double newWidth = double(QString::number(to).size());
    // What follows the number makes room before a digit coming in at the new width shows, and
    // keeps it until one going out at the old width has gone.
    const double eased =
        newWidth > oldWidth ? 1.0 - std::pow(1.0 - progress, 3.0) : std::pow(progress, 3.0);
    return oldWidth + (newWidth - oldWidth) * eased;
}

} // namespace clarivex
