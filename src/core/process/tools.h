#pragma once

#include "core/engine/installed_models.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace clarivex {

// Where this program is installed: the folder of its executable and its resource folder
// (<executable folder>/../share/clarivex), either of which may be unknown.
struct Bundle {
    std::optional<std::filesystem::path> executableFolder;
    std::optional<std::filesystem::path> resourceFolder;

    // Read from /proc/self/exe.
    static Bundle current();

    bool operator==(const Bundle&) const = default;
};

// The external programs a job needs, as found on this machine.
struct Tools {
    std::filesystem::path esrgan;
    std::filesystem::path models;
    std::optional<std::filesystem::path> ffmpeg{};
    std::optional<std::filesystem::path> ffprobe{};

    // What discovery reads besides the file system, so that it can be given in tests.
    struct Environment {
        std::optional<std::string> realesrganDir; // REALESRGAN_DIR, if set
        std::optional<std::string> path;          // PATH, if set
        std::optional<std::filesystem::path> home;
        // Searched after PATH, in this order.
        std::vector<std::filesystem::path> fixedFolders;

        // This process's environment, home folder and the standard fixed folders.
        static Environment current();
    };

    // Looks at the file system and the environment only; starts nothing. Raises
    // UpscaleError::missingEngine when no usable Real-ESRGAN installation is found.
    static Tools locate(const Bundle& bundle);
    static Tools locate(const Bundle& bundle, const Environment& environment);

    // One program looked up as discovery looks up ffmpeg (PATH, then the fixed folders),
    // for those that need ffmpeg without the engine, such as a video's preview frame.
    static std::optional<std::filesystem::path> locateProgram(const std::string& name,
                                                              const Environment& environment);

    // The models whose files are in `models`, looked at now. A job picks its model from these
    // before the engine starts: with a model file missing, the engine would run an empty
    // network, write a blank picture and still report success.
    InstalledModels installedModels() const { return InstalledModels::in(models); }

    bool operator==(const Tools&) const = default;
};

} // namespace clarivex
