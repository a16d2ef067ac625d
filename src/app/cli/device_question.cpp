#include "app/cli/device_question.h"

#include "core/engine/device_probe.h"
#include "core/vocabulary/upscale_error.h"

namespace clarivex::Main {

DeviceQuestion::DeviceQuestion(const Tools& tools, std::stop_token stopToken)
    : stopToken_(std::move(stopToken)) {
    probe_ = std::jthread([this, tools](std::stop_token probeStop) {
        EngineDevices devices;
        try {
            devices = DeviceProbe::run(tools, probeStop);
        } catch (...) {
            // Stopped: nobody waits for the answer any more.
        }
        {
            const std::lock_guard guard(lock_);
            devices_ = std::move(devices);
        }
        answered_.notify_all();
    });
}

DeviceQuestion::~DeviceQuestion() {
    probe_.request_stop();
}

std::optional<EngineDevices> DeviceQuestion::answer(std::chrono::milliseconds limit) {
    std::optional<EngineDevices> devices;
    {
        std::unique_lock lock(lock_);
        answered_.wait_for(lock, stopToken_, limit, [this] { return devices_.has_value(); });
        devices = devices_;
    }
    if (stopToken_.stop_requested())
        throw Cancelled();
    if (!devices)
        probe_.request_stop();
    return devices;
}

} // namespace clarivex::Main
