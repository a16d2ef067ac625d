#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace clarivex {

// One Vulkan device as the engine names it at start, e.g. "[0 NVIDIA GeForce RTX 3060]  queueC=…".
struct EngineDevice {
    int index = 0;
    std::string name;

    // Mesa's llvmpipe (also what lavapipe calls itself) and SwiftShader run the network on the
    // processor: it works, but hundreds of times slower than a graphics card.
    bool software() const;

    bool operator==(const EngineDevice&) const = default;
};

// The devices the engine can run on, as learned from its start-up lines; empty while unknown.
struct EngineDevices {
    std::vector<EngineDevice> all;

    // A device line of the engine, or nothing for any other line (progress, errors, and the
    // lines some builds print before their device list).
    static std::optional<EngineDevice> fromLine(std::string_view line);
    // Adds the device a line names, once per index.
    void learn(std::string_view line);

    bool known() const { return !all.empty(); }
    // The device a job should run on: the first graphics card, else the first device.
    std::optional<EngineDevice> preferred() const;
    // The engine's "-g" value, only where it has a choice to make: with one device its own
    // choice is the same, and the argument list stays the plain one.
    std::optional<int> gpuArgument() const;

    bool operator==(const EngineDevices&) const = default;
};

// What a software device means for the user and how to get the graphics card used instead:
// "<name> — программный Vulkan: …", the user's sentence.
std::string softwareDeviceWarning(const EngineDevice& device);

} // namespace clarivex
