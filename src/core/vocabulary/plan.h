#pragma once

#include "core/vocabulary/media_kind.h"
#include "core/vocabulary/model_choice.h"
#include "core/vocabulary/size.h"
#include "core/vocabulary/target.h"

#include <cstdint>
#include <optional>
#include <string>

namespace clarivex {

// Which model to run at which whole scale, and the exact size the result is resampled to.
struct Plan {
    std::string model;
    int esrganScale = 0;
    Size output;
    // The ideal enlargement from source to target; 0 for a plan built from its parts alone.
    double factor = 0;
    // The model "Авто" prefers, when it is not installed and `model` runs in its place.
    std::optional<std::string> insteadOf{};

    // Enlarging by less than 1.15 would only invent detail, so such jobs are refused.
    bool alreadyAtTarget() const { return factor > 0 && factor < 1.15; }

    // Nearest even integer, never below 2: video encoders need even frame sides.
    static std::int64_t even(double value);
    static Plan make(Size source, Target target, ModelChoice model, MediaKind kind);
    // With the model already picked from those installed; its scales are those installed.
    static Plan make(Size source, Target target, const ModelPick& pick, MediaKind kind);

    bool operator==(const Plan&) const = default;
};

// Halves go away from zero (2.5 → 3), unlike the banker's rounding of nearbyint.
std::int64_t roundHalfAway(double value);

} // namespace clarivex
