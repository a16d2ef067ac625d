#include "core/video/video_space.h"

#include <limits>

namespace clarivex {

namespace {

constexpr std::int64_t largest = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t margin = 1'000'000'000;

std::int64_t multiply(std::int64_t a, std::int64_t b) {
    std::int64_t product = 0;
    if (__builtin_mul_overflow(a, b, &product))
        return (a < 0) != (b < 0) ? std::numeric_limits<std::int64_t>::min() : largest;
    return product;
}

std::int64_t add(std::int64_t a, std::int64_t b) {
    std::int64_t sum = 0;
    if (__builtin_add_overflow(a, b, &sum))
        return b < 0 ? std::numeric_limits<std::int64_t>::min() : largest;
    return sum;
}

} // namespace

std::int64_t videoSpaceNeeded(Size size, int esrganScale, std::int64_t frameEstimate,
                              int chunkSize) {
    const std::int64_t frame = multiply(multiply(size.width, size.height), 3) / 2;
    const std::int64_t scale = esrganScale;
    const std::int64_t extracted = multiply(frame, frameEstimate);
    const std::int64_t enlargedChunk = multiply(multiply(frame, scale * scale), chunkSize);
    return add(add(extracted, enlargedChunk), margin);
}

} // namespace clarivex
