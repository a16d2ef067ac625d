#include "ui/widgets/rolling_number.h"

#include <QString>

#include <algorithm>

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
            result.push_back({newDigit, slot, 0.0, 1.0});
            continue;
        }
        if (!oldDigit.isNull() && progress < 1.0)
            result.push_back({oldDigit, slot, -direction * progress, 1.0 - progress});
        if (!newDigit.isNull() && progress > 0.0)
            result.push_back({newDigit, slot, direction * (1.0 - progress), progress});
    }
    return result;
}

double RollingNumber::width(double progress) const {
    progress = std::clamp(progress, 0.0, 1.0);
    const double oldWidth = double(QString::number(from).size());
    const double newWidth = double(QString::number(to).size());
    return oldWidth + (newWidth - oldWidth) * progress;
}

} // namespace clarivex
