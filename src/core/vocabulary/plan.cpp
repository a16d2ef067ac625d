#include "core/vocabulary/plan.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace clarivex {

namespace {

double idealFactor(Size source, Target target) {
    const auto w = static_cast<double>(source.width);
    const auto h = static_cast<double>(source.height);
    double longSide = 0;
    double shortSide = 0;
    switch (target) {
    case Target::x2:
        return 2;
    case Target::x4:
        return 4;
    case Target::fullHD:
        longSide = 1920;
        shortSide = 1080;
        break;
    case Target::uhd4k:
        longSide = 3840;
        shortSide = 2160;
        break;
    }
    // A square source counts as landscape.
    const bool landscape = h <= w;
    const double boxWidth = landscape ? longSide : shortSide;
    const double boxHeight = landscape ? shortSide : longSide;
    return std::min(boxWidth / w, boxHeight / h);
}

int chooseScale(const std::vector<int>& scales, double factor) {
    if (scales.empty())
        return 4;
    for (int scale : scales) {
        if (factor <= scale)
            return scale;
    }
    return scales.back();
}

} // namespace

std::int64_t roundHalfAway(double value) {
    // Sizes that cannot come from real media must not crash the conversion.
    constexpr double limit = 9.0e18;
    if (!std::isfinite(value))
        return 0;
    return static_cast<std::int64_t>(std::round(std::clamp(value, -limit, limit)));
}

std::int64_t Plan::even(double value) {
    return std::max<std::int64_t>(2, roundHalfAway(value / 2) * 2);
}

Plan Plan::make(Size source, Target target, ModelChoice model, MediaKind kind) {
    return make(source, target, ModelPick{resolved(model, kind)}, kind);
}

Plan Plan::make(Size source, Target target, const ModelPick& pick, MediaKind kind) {
    const ResolvedModel& resolvedModel = pick.model;
    const double factor = idealFactor(source, target);
    const double width = factor * static_cast<double>(source.width);
    const double height = factor * static_cast<double>(source.height);
    const Size output = kind == MediaKind::video
                            ? Size{even(width), even(height)}
                            : Size{roundHalfAway(width), roundHalfAway(height)};
    return Plan{resolvedModel.name, chooseScale(resolvedModel.scales, factor), output, factor,
                pick.insteadOf};
}

} // namespace clarivex
