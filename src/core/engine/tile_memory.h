#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

namespace clarivex {

// The tile sizes that fit a device's memory where the engine's own choice did not, by device
// and model, kept for the rest of the session so that later jobs start with them. One per
// session, shared by its jobs; safe to use from any thread.
class TileMemory {
public:
    // The engine's "-t" values, largest first; 0 lets the engine choose from the device's memory.
    static constexpr int engineChoice = 0;
    // The next smaller tile to try after `tile` ran out of memory, or nothing after the smallest.
    static std::optional<int> smaller(int tile);

    int tileFor(const std::string& device, const std::string& model) const;
    void remember(const std::string& device, const std::string& model, int tile);

private:
    mutable std::mutex lock_;
    std::map<std::pair<std::string, std::string>, int> tiles_;
};

} // namespace clarivex
