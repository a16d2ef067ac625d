#pragma once

#include "core/vocabulary/model_choice.h"
#include "core/vocabulary/target.h"

namespace clarivex {

// The user's choices that travel with every job into the pipeline.
struct Options {
    ModelChoice model = ModelChoice::automatic;
    Target target = Target::uhd4k;
    bool seamlessLoop = false;
    // Seconds of cross-fade joining a loop's end to its start; the window offers the range
    // below in half-second steps.
    double loopFade = 1.5;
    static constexpr double loopFadeMinimum = 0.5;
    static constexpr double loopFadeMaximum = 3.0;
    static constexpr double loopFadeStep = 0.5;
    bool copyToPictures = true;

    bool operator==(const Options&) const = default;
};

} // namespace clarivex
