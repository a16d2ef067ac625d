#include "core/engine/engine_device.h"

#include "core/vocabulary/printable_text.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace clarivex {

bool EngineDevice::software() const {
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    constexpr std::array<std::string_view, 3> drivers{"llvmpipe", "lavapipe", "swiftshader"};
    return std::any_of(drivers.begin(), drivers.end(), [&](std::string_view driver) {
        return lower.find(driver) != std::string::npos;
    });
}

std::optional<EngineDevice> EngineDevices::fromLine(std::string_view line) {
    // "[<index> <name>]" and then, after spaces, the property the line is about.
    if (line.size() < 4 || line.front() != '[')
        return std::nullopt;
    std::size_t position = 1;
    int index = 0;
    while (position < line.size() && std::isdigit(static_cast<unsigned char>(line[position]))) {
        if (index > 1000)
            return std::nullopt;
        index = index * 10 + (line[position] - '0');
        ++position;
    }
    if (position == 1 || position >= line.size() || line[position] != ' ')
        return std::nullopt;
    const std::size_t close = line.find("]  ", position);
    if (close == std::string_view::npos || close == position + 1)
        return std::nullopt;
    // The name is shown in the window and printed on the user's terminal.
    std::string name = printableText(line.substr(position + 1, close - position - 1));
    if (name.empty())
        return std::nullopt;
    return EngineDevice{index, std::move(name)};
}

void EngineDevices::learn(std::string_view line) {
    const auto device = fromLine(line);
    if (!device || std::any_of(all.begin(), all.end(), [&](const EngineDevice& known) {
            return known.index == device->index;
        }))
        return;
    all.push_back(*device);
}

std::optional<EngineDevice> EngineDevices::preferred() const {
    if (all.empty())
        return std::nullopt;
    const auto card = std::find_if(all.begin(), all.end(),
                                   [](const EngineDevice& device) { return !device.software(); });
    return card != all.end() ? *card : all.front();
}

std::optional<int> EngineDevices::gpuArgument() const {
    if (all.size() < 2)
        return std::nullopt;
    return preferred()->index;
}

std::string softwareDeviceWarning(const EngineDevice& device) {
    return device.name +
           " — программный Vulkan: нейросеть считает на процессоре, в сотни раз медленнее "
           "видеокарты. Установите Vulkan-драйвер видеокарты: sudo apt install "
           "mesa-vulkan-drivers (AMD, Intel) или nvidia-driver nvidia-vulkan-icd (NVIDIA), "
           "затем перезапустите программу.";
}

} // namespace clarivex
