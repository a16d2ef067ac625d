#pragma once

#include "core/engine/engine_device.h"
#include "core/process/tools.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>

namespace clarivex::Main {

// The engine's devices, asked on a thread of its own (DeviceProbe::run), so that an engine that
// hangs as it starts holds up nothing: the command line waits a few seconds for the answer at
// most and goes on without it. Made, used and destroyed on one thread (the job's).
class DeviceQuestion {
public:
    // Starts the probe; it stops when `stopToken` does.
    DeviceQuestion(const Tools& tools, std::stop_token stopToken);
    // Stops a probe still under way and waits for it: its engine is terminated, or killed when
    // it ignores that.
    ~DeviceQuestion();
    DeviceQuestion(const DeviceQuestion&) = delete;
    DeviceQuestion& operator=(const DeviceQuestion&) = delete;

    // The devices, or nothing when the engine has not named them within `limit`; the probe is
    // then stopped, and reaped by the destructor. Raises Cancelled when the job is stopped.
    std::optional<EngineDevices> answer(std::chrono::milliseconds limit);

private:
    std::stop_token stopToken_;
    std::mutex lock_;
    std::condition_variable_any answered_;
    std::optional<EngineDevices> devices_;
    std::jthread probe_;
};

} // namespace clarivex::Main
