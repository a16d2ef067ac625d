#pragma once

#include "core/engine/engine_device.h"
#include "core/process/tools.h"

#include <filesystem>
#include <optional>
#include <string>

namespace clarivex::DeviceCache {

// The engine's devices remembered between runs of the command line, so that only the first run
// with an engine and a set of Vulkan drivers pays an engine start to ask for them. Kept in the
// user's cache folder ($XDG_CACHE_HOME, else ~/.cache) under "clarivex/devices", a folder only
// the user may enter, one file per engine and driver set. Any thread; failures to read or write
// only make the next run ask again.

// What tells one engine and driver set from another: the engine file's path, size and time
// of change, the same of every Vulkan driver manifest where the loader looks for them, the
// variables that choose among them, and the graphics devices present. Whatever changes there
// makes the remembered devices stale.
std::string keyFor(const Tools& tools);

// The cache folder for `home` and the value of XDG_CACHE_HOME (an empty or relative one is
// ignored, as the base directory rules say); nothing without either.
std::optional<std::filesystem::path> folder(const std::optional<std::filesystem::path>& home,
                                            const std::optional<std::string>& cacheHome);
// The same for this process's environment.
std::optional<std::filesystem::path> folder();

// The devices remembered under `key`, or nothing.
std::optional<EngineDevices> recall(const std::filesystem::path& folder, const std::string& key);
// Remembers the devices under `key`; an empty list is not remembered, since an engine that
// named none may only have failed to start.
void remember(const std::filesystem::path& folder, const std::string& key,
              const EngineDevices& devices);

} // namespace clarivex::DeviceCache
