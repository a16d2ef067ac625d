#include "core/video/video_space.h"

#include <limits>

namespace clarivex {

namespace {

constexpr std::int64_t largest = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t margin = 16'000'000;
// x264 at CRF 18 on camera footage stays below about 0.15 bits per pixel and frame; its size
// in bytes is then pixels × frames × 0.15 ÷ 8, as integers 3 ÷ 160.
constexpr std::int64_t encodedNumerator = 3;
constexpr std::int64_t encodedDenominator = 160;

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

std::int64_t compressedFrame(Size size) {
    return multiply(multiply(size.width, size.height), 3) / 2;
}

std::int64_t encoded(Size output, std::int64_t frames) {
    const std::int64_t pixels = multiply(multiply(output.width, output.height), frames);
    return pixels == largest ? largest : multiply(pixels / encodedDenominator, encodedNumerator);
}

} // namespace

std::int64_t temporarySpaceNeeded(Size source, int esrganScale, int chunkSize) {
    const std::int64_t scale = esrganScale;
    const std::int64_t extracted = compressedFrame(source);
    const std::int64_t enlarged = multiply(extracted, scale * scale);
    const std::int64_t frames = multiply(chunkSize, chunksOnDisk);
    return add(multiply(add(extracted, enlarged), frames), margin);
}

std::int64_t destinationSpaceNeeded(Size output, std::int64_t frames, std::int64_t framesLeft) {
    return add(add(encoded(output, framesLeft), encoded(output, frames)), margin);
}

} // namespace clarivex
