#include "core/process/tools.h"

#include "core/vocabulary/upscale_error.h"

#include <cstdlib>
#include <system_error>

#include <pwd.h>
#include <unistd.h>

namespace clarivex {

namespace {

namespace fs = std::filesystem;

constexpr const char* engineName = "realesrgan-ncnn-vulkan";
constexpr const char* modelsName = "models";

std::optional<std::string> variable(const char* name) {
    if (const char* value = std::getenv(name))
        return std::string(value);
    return std::nullopt;
}

std::optional<fs::path> homeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home)
        return fs::path(home);
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir && *entry->pw_dir)
        return fs::path(entry->pw_dir);
    return std::nullopt;
}

bool isExecutableFile(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error) && ::access(path.c_str(), X_OK) == 0;
}

bool existsAt(const fs::path& path) {
    std::error_code error;
    return fs::exists(path, error);
}

// The engine resolves a relative models path against its own folder, not ours, and programs
// are started without a search path: whatever we found is kept as an absolute path.
fs::path madeAbsolute(const fs::path& path) {
    std::error_code error;
    const auto made = fs::absolute(path, error);
    return error ? path : made;
}

struct EngineCandidate {
    fs::path executable;
    fs::path models;
};

std::vector<EngineCandidate> engineCandidates(const Bundle& bundle,
                                              const Tools::Environment& environment) {
    std::vector<EngineCandidate> candidates;
    if (bundle.executableFolder && bundle.resourceFolder)
        candidates.push_back(
            {*bundle.executableFolder / engineName, *bundle.resourceFolder / modelsName});
    // An empty value would mean the current folder, which nobody asking for it means.
    if (environment.realesrganDir && !environment.realesrganDir->empty()) {
        const fs::path folder = *environment.realesrganDir;
        candidates.push_back({folder / engineName, folder / modelsName});
    }
    if (environment.home && !environment.home->empty()) {
        const auto folder = *environment.home / ".local" / "opt" / "realesrgan";
        candidates.push_back({folder / engineName, folder / modelsName});
    }
    return candidates;
}

std::vector<fs::path> searchFolders(const Tools::Environment& environment) {
    std::vector<fs::path> folders;
    if (environment.path) {
        const std::string& path = *environment.path;
        std::size_t start = 0;
        while (start <= path.size()) {
            const auto end = std::min(path.find(':', start), path.size());
            if (end > start)
                folders.emplace_back(path.substr(start, end - start));
            start = end + 1;
        }
    }
    folders.insert(folders.end(), environment.fixedFolders.begin(), environment.fixedFolders.end());
    return folders;
}

std::optional<fs::path> findProgram(const std::vector<fs::path>& folders, const char* name) {
    for (const auto& folder : folders) {
        const auto candidate = folder / name;
        if (isExecutableFile(candidate))
            return madeAbsolute(candidate);
    }
    return std::nullopt;
}

} // namespace

Bundle Bundle::current() {
    std::error_code error;
    const auto executable = fs::read_symlink("/proc/self/exe", error);
    if (error || executable.empty())
        return {};
    Bundle bundle;
    bundle.executableFolder = executable.parent_path();
    const auto resources =
        (*bundle.executableFolder / ".." / "share" / "clarivex").lexically_normal();
    if (existsAt(resources))
        bundle.resourceFolder = resources;
    return bundle;
}

Tools::Environment Tools::Environment::current() {
    return {variable("REALESRGAN_DIR"),
            variable("PATH"),
            homeFolder(),
            {"/opt/homebrew/bin", "/usr/local/bin", "/opt/local/bin", "/usr/bin"}};
}

std::optional<fs::path> Tools::locateProgram(const std::string& name,
                                             const Environment& environment) {
    return findProgram(searchFolders(environment), name.c_str());
}

Tools Tools::locate(const Bundle& bundle) {
    return locate(bundle, Environment::current());
}

Tools Tools::locate(const Bundle& bundle, const Environment& environment) {
    for (const auto& candidate : engineCandidates(bundle, environment)) {
        if (!isExecutableFile(candidate.executable) || !existsAt(candidate.models))
            continue;
        const auto folders = searchFolders(environment);
        return {madeAbsolute(candidate.executable), madeAbsolute(candidate.models),
                findProgram(folders, "ffmpeg"), findProgram(folders, "ffprobe")};
    }
    throw UpscaleError::missingEngine();
}

} // namespace clarivex
