#pragma once

#include "core/engine/engine_device.h"
#include "core/process/tools.h"

#include <stop_token>

namespace clarivex::DeviceProbe {

// Asks the engine which Vulkan devices it can run on. It names them as it starts, so it is run
// on an empty folder of frames, which it finishes without computing anything: about as long as
// its graphics driver takes to start. Blocks; meant for a background thread, or for the command
// line before its first job. An engine that cannot start or names no device gives an empty
// list. Raises Cancelled when the token is stopped, nothing else.
EngineDevices run(const Tools& tools, std::stop_token stopToken);

} // namespace clarivex::DeviceProbe
