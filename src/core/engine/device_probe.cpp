#include "core/engine/device_probe.h"

#include "core/engine/network_step.h"
#include "core/files/working_folder.h"
#include "core/process/shell.h"

#include <mutex>

namespace clarivex::DeviceProbe {

EngineDevices run(const Tools& tools, std::stop_token stopToken) {
    std::mutex lock;
    EngineDevices devices;
    try {
        const WorkingFolder work;
        const auto input = work.path() / "probe-in";
        const auto output = work.path() / "probe-out";
        std::filesystem::create_directories(input);
        std::filesystem::create_directories(output);
        // The fastest model; whether it is installed does not matter with nothing to compute.
        const Plan plan{"realesr-animevideov3", 2, {}};
        Shell::run(
            tools.esrgan, NetworkStep::arguments(tools, plan, input, output, {}),
            [&](const std::string& line) {
                const std::lock_guard guard(lock);
                devices.learn(line);
            },
            stopToken);
    } catch (const Cancelled&) {
        throw;
    } catch (...) {
        // Whatever it named before it failed is still true; an engine that cannot start at all
        // fails the job itself with its own words.
    }
    const std::lock_guard guard(lock);
    return devices;
}

} // namespace clarivex::DeviceProbe
