#pragma once

#include "core/vocabulary/media_kind.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace clarivex {

// The user's choice of super-resolution model. `automatic` stands for the raw value "auto",
// which C++ keeps as a keyword.
enum class ModelChoice { automatic, photo, art, video };

inline constexpr std::array<ModelChoice, 4> allModelChoices{
    ModelChoice::automatic, ModelChoice::photo, ModelChoice::art, ModelChoice::video};

// A Real-ESRGAN model by the file stem the engine loads it under, with its scales ascending.
struct ResolvedModel {
    std::string name;
    std::vector<int> scales;

    bool operator==(const ResolvedModel&) const = default;
};

// The model a job runs: the one the user chose, or for "Авто" the best installed one for the
// kind, with `insteadOf` naming the model "Авто" prefers when that one is not installed.
struct ModelPick {
    ResolvedModel model;
    std::optional<std::string> insteadOf{};

    bool operator==(const ModelPick&) const = default;
};

// The identifier kept in the settings and accepted by the command line: "auto", "photo", …
std::string_view rawValue(ModelChoice choice);
// Case-sensitive: "Auto" names no choice.
std::optional<ModelChoice> modelChoiceFromRaw(std::string_view raw);
// The short label of the model's tile: "Авто", "Фото", …
std::string_view title(ModelChoice choice);
ResolvedModel resolved(ModelChoice choice, MediaKind kind);

} // namespace clarivex
