#include "core/engine/installed_models.h"

#include "core/vocabulary/upscale_error.h"

#include <algorithm>
#include <vector>

namespace clarivex {

namespace {

namespace fs = std::filesystem;

bool hasFiles(const fs::path& folder, const std::string& stem) {
    std::error_code error;
    return fs::is_regular_file(folder / (stem + ".param"), error) &&
           fs::is_regular_file(folder / (stem + ".bin"), error);
}

// What "Авто" runs for a kind, best first. A video without the video model is still enlarged
// well by the photo model, at its own factor and resampled as usual.
std::vector<ResolvedModel> automaticOrder(MediaKind kind) {
    if (kind == MediaKind::image)
        return {resolved(ModelChoice::photo, kind), resolved(ModelChoice::art, kind),
                resolved(ModelChoice::video, kind)};
    return {resolved(ModelChoice::video, kind), resolved(ModelChoice::photo, kind),
            resolved(ModelChoice::art, kind)};
}

std::vector<int> knownScales(const std::string& model) {
    for (const ModelChoice choice : {ModelChoice::photo, ModelChoice::art, ModelChoice::video}) {
        if (resolved(choice, MediaKind::image).name == model)
            return resolved(choice, MediaKind::image).scales;
    }
    return {4};
}

} // namespace

std::string modelFileStem(const std::string& model, int scale) {
    return model == resolved(ModelChoice::video, MediaKind::video).name
               ? model + "-x" + std::to_string(scale)
               : model;
}

InstalledModels InstalledModels::in(const fs::path& models) {
    InstalledModels installed;
    installed.folder_ = models;
    for (const ModelChoice choice : {ModelChoice::photo, ModelChoice::art, ModelChoice::video}) {
        const std::string name = resolved(choice, MediaKind::image).name;
        for (const int scale : knownScales(name)) {
            if (hasFiles(models, modelFileStem(name, scale)))
                installed.present_.emplace(name, scale);
        }
    }
    return installed;
}

ResolvedModel InstalledModels::usable(const ResolvedModel& model) const {
    ResolvedModel kept{model.name, {}};
    std::copy_if(model.scales.begin(), model.scales.end(), std::back_inserter(kept.scales),
                 [&](int scale) {
                     return present_.count({model.name, scale}) > 0;
                 });
    return kept;
}

bool InstalledModels::offers(ModelChoice choice) const {
    if (choice != ModelChoice::automatic)
        return has(resolved(choice, MediaKind::image));
    return !present_.empty();
}

ModelPick InstalledModels::pick(ModelChoice choice, MediaKind kind) const {
    const ResolvedModel wanted = resolved(choice, kind);
    if (has(wanted))
        return {usable(wanted)};
    if (choice == ModelChoice::automatic) {
        for (const ResolvedModel& model : automaticOrder(kind)) {
            if (has(model))
                return {usable(model), wanted.name};
        }
    }
    throw absence(wanted.name);
}

UpscaleError InstalledModels::absence(const std::string& model) const {
    std::vector<std::string> missing;
    for (const int scale : knownScales(model)) {
        const std::string stem = modelFileStem(model, scale);
        for (const char* extension : {".param", ".bin"}) {
            std::error_code error;
            if (!fs::is_regular_file(folder_ / (stem + extension), error))
                missing.push_back(stem + extension);
        }
    }
    return UpscaleError::missingModel(model, folder_, missing);
}

} // namespace clarivex
