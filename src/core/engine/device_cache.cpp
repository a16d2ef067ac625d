#include "core/engine/device_cache.h"

#include "core/files/private_files.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include <unistd.h>

namespace clarivex::DeviceCache {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view separator = "--\n";

std::optional<std::string> variable(const char* name) {
    if (const char* value = std::getenv(name))
        return std::string(value);
    return std::nullopt;
}

// "path size time", or "path -" for what is not there.
std::string fileLine(const fs::path& file) {
    std::error_code error;
    const auto size = fs::file_size(file, error);
    if (error)
        return file.string() + " -\n";
    const auto changed = fs::last_write_time(file, error);
    return file.string() + " " + std::to_string(size) + " " +
           std::to_string(changed.time_since_epoch().count()) + "\n";
}

// The entries of a folder by name, sorted, so that the key does not depend on listing order.
std::vector<fs::path> entriesOf(const fs::path& folder) {
    std::vector<fs::path> entries;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        entries.push_back(it->path());
    std::sort(entries.begin(), entries.end());
    return entries;
}

// Where the Vulkan loader looks for driver manifests.
std::vector<fs::path> driverFolders() {
    std::vector<fs::path> folders{"/etc/xdg/vulkan/icd.d", "/etc/vulkan/icd.d"};
    const std::string dataDirs = variable("XDG_DATA_DIRS").value_or("/usr/local/share:/usr/share");
    std::stringstream list(dataDirs);
    for (std::string dir; std::getline(list, dir, ':');)
        if (!dir.empty())
            folders.push_back(fs::path(dir) / "vulkan" / "icd.d");
    const auto dataHome = variable("XDG_DATA_HOME");
    const auto home = variable("HOME");
    if (dataHome && !dataHome->empty())
        folders.push_back(fs::path(*dataHome) / "vulkan" / "icd.d");
    else if (home)
        folders.push_back(fs::path(*home) / ".local" / "share" / "vulkan" / "icd.d");
    return folders;
}

// A short stable name for a key: FNV-1a over its bytes.
std::string fileNameFor(const std::string& key) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const unsigned char byte : key) {
        hash ^= byte;
        hash *= 1099511628211ull;
    }
    char name[17];
    std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(hash));
    return name;
}

} // namespace

std::string keyFor(const Tools& tools) {
    std::string key = "engine " + fileLine(tools.esrgan);
    for (const char* name : {"VK_ICD_FILENAMES", "VK_DRIVER_FILES", "VK_ADD_DRIVER_FILES",
                             "VK_LOADER_DRIVERS_SELECT", "VK_LOADER_DRIVERS_DISABLE"})
        key += std::string(name) + "=" + variable(name).value_or("") + "\n";
    for (const fs::path& folder : driverFolders())
        for (const fs::path& manifest : entriesOf(folder))
            key += "driver " + fileLine(manifest);
    // A card added or taken out changes the device list without any driver file changing.
    for (const fs::path& device : entriesOf("/dev/dri"))
        key += "device " + device.filename().string() + "\n";
    for (const fs::path& device : entriesOf("/dev"))
        if (device.filename().string().starts_with("nvidia"))
            key += "device " + device.filename().string() + "\n";
    return key;
}

std::optional<fs::path> folder(const std::optional<fs::path>& home,
                               const std::optional<std::string>& cacheHome) {
    if (cacheHome && !cacheHome->empty() && fs::path(*cacheHome).is_absolute())
        return fs::path(*cacheHome) / "clarivex" / "devices";
    if (home && !home->empty())
        return *home / ".cache" / "clarivex" / "devices";
    return std::nullopt;
}

std::optional<fs::path> folder() {
    return folder(Tools::Environment::current().home, variable("XDG_CACHE_HOME"));
}

std::optional<EngineDevices> recall(const fs::path& folder, const std::string& key) {
    // What others could have put there says nothing about this user's engine.
    if (!PrivateFiles::isPrivateFolder(folder))
        return std::nullopt;
    std::ifstream file(folder / fileNameFor(key));
    if (!file)
        return std::nullopt;
    std::stringstream contents;
    contents << file.rdbuf();
    const std::string text = contents.str();
    if (!text.starts_with(key) || text.compare(key.size(), separator.size(), separator) != 0)
        return std::nullopt;
    EngineDevices devices;
    std::stringstream lines(text.substr(key.size() + separator.size()));
    for (std::string line; std::getline(lines, line);)
        devices.learn(line);
    if (!devices.known())
        return std::nullopt;
    return devices;
}

void remember(const fs::path& folder, const std::string& key, const EngineDevices& devices) {
    if (!devices.known())
        return;
    // The program's cache folder is private too, as the video path's parts kept there need it.
    std::error_code error;
    fs::create_directories(folder.parent_path().parent_path(), error);
    for (const fs::path& place : {folder.parent_path(), folder})
        if (!error)
            error = PrivateFiles::ensureFolder(place);
    if (error)
        return;
    std::string text = key + std::string(separator);
    // In the engine's own form, so that reading them back is reading its lines.
    for (const EngineDevice& device : devices.all)
        text += "[" + std::to_string(device.index) + " " + device.name + "]  \n";
    const fs::path final = folder / fileNameFor(key);
    const fs::path staged = folder / (final.filename().string() + "." + std::to_string(::getpid()));
    fs::remove(staged, error);
    if (PrivateFiles::createFile(staged))
        return;
    {
        std::ofstream file(staged, std::ios::trunc);
        file << text;
        file.close();
        if (!file) {
            fs::remove(staged, error);
            return;
        }
    }
    // Renamed into place, so that a run reading at the same time sees the old file or the new.
    fs::rename(staged, final, error);
    if (error)
        fs::remove(staged, error);
}

} // namespace clarivex::DeviceCache
