#pragma once

#include "core/vocabulary/media_kind.h"
#include "core/vocabulary/model_choice.h"
#include "core/vocabulary/upscale_error.h"

#include <filesystem>
#include <set>
#include <string>
#include <utility>

namespace clarivex {

// Which models of the engine have both their files in its models folder, scale by scale (the
// fast video model has one pair of files per scale). A snapshot: look again after a reinstall.
class InstalledModels {
public:
    InstalledModels() = default;
    // Looks at the folder only; an unreadable or missing folder holds no model.
    static InstalledModels in(const std::filesystem::path& models);

    // `model` with only the scales whose files are there; no scales: not installed.
    ResolvedModel usable(const ResolvedModel& model) const;
    bool has(const ResolvedModel& model) const { return !usable(model).scales.empty(); }
    // Whether a choice can run at all: for "Авто", any model it may fall back to.
    bool offers(ModelChoice choice) const;

    // The model to run for `choice` on a file of `kind`. Raises `absence` when the chosen model,
    // or for "Авто" every model, is missing.
    ModelPick pick(ModelChoice choice, MediaKind kind) const;

    // Why a model cannot run: the files it lacks, and where.
    UpscaleError absence(const std::string& model) const;

    bool operator==(const InstalledModels&) const = default;

private:
    std::filesystem::path folder_;
    std::set<std::pair<std::string, int>> present_;
};

// The file name, without extension, under which the engine loads a model at a scale.
std::string modelFileStem(const std::string& model, int scale);

} // namespace clarivex
