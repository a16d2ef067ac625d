#include "core/engine/tile_memory.h"

#include <array>

namespace clarivex {

std::optional<int> TileMemory::smaller(int tile) {
    // The sizes the engine itself picks from, by the device's memory.
    constexpr std::array<int, 4> tiles{200, 100, 64, 32};
    for (const int candidate : tiles) {
        if (tile == engineChoice || candidate < tile)
            return candidate;
    }
    return std::nullopt;
}

int TileMemory::tileFor(const std::string& device, const std::string& model) const {
    const std::lock_guard guard(lock_);
    const auto found = tiles_.find({device, model});
    return found != tiles_.end() ? found->second : engineChoice;
}

void TileMemory::remember(const std::string& device, const std::string& model, int tile) {
    const std::lock_guard guard(lock_);
    tiles_[{device, model}] = tile;
}

} // namespace clarivex
