#include "core/vocabulary/frame_count.h"

namespace clarivex {

std::string frameCountText(std::int64_t frames) {
    const std::int64_t lastTwo = (frames < 0 ? -frames : frames) % 100;
    const std::int64_t last = lastTwo % 10;
    const char* word = "кадров";
    if (last == 1 && lastTwo != 11)
        word = "кадр";
    else if (last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14))
        word = "кадра";
    return std::to_string(frames) + " " + word;
}

} // namespace clarivex
