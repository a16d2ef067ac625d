#include "core/engine/engine_output.h"

#include "core/engine/engine_device.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace clarivex {

namespace {

constexpr std::size_t linesKept = 6;

bool isProgress(const std::string& line) {
    return !line.empty() && line.back() == '%';
}

// ncnn's words when the device runs out of memory; the last two are Vulkan's result codes.
bool namesAllocation(const std::string& line) {
    constexpr std::array<std::string_view, 4> signs{"vkAllocateMemory failed", "vkMapMemory failed",
                                                    "VK_ERROR_OUT_OF_DEVICE_MEMORY",
                                                    "VK_ERROR_OUT_OF_HOST_MEMORY"};
    return std::any_of(signs.begin(), signs.end(),
                       [&](std::string_view sign) { return line.find(sign) != std::string::npos; });
}

} // namespace

void EngineOutput::add(const std::string& line) {
    if (line.find_first_not_of(" \t\r") == std::string::npos || isProgress(line) ||
        EngineDevices::fromLine(line))
        return;
    const std::lock_guard guard(lock_);
    allocationFailure_ = allocationFailure_ || namesAllocation(line);
    explaining_.push_back(line);
    if (explaining_.size() > linesKept)
        explaining_.erase(explaining_.begin());
}

bool EngineOutput::namesAllocationFailure() const {
    const std::lock_guard guard(lock_);
    return allocationFailure_;
}

bool EngineOutput::explains() const {
    const std::lock_guard guard(lock_);
    return !explaining_.empty();
}

std::string EngineOutput::explanation() const {
    const std::lock_guard guard(lock_);
    std::string joined;
    for (const std::string& line : explaining_)
        joined += (joined.empty() ? "" : "\n") + line;
    return joined;
}

} // namespace clarivex
