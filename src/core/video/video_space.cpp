#include "core/video/video_space.h"

#include <algorithm>
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

} // namespace

std::int64_t videoSpaceNeeded(Size source, int esrganScale, Size output, std::int64_t frameEstimate,
                              int chunkSize, bool finalPassCopies) {
    const std::int64_t scale = esrganScale;
    const std::int64_t extracted = compressedFrame(source);
    const std::int64_t enlarged = multiply(extracted, scale * scale);
    const std::int64_t frames = multiply(chunkSize, chunksOnDisk);
    const std::int64_t chunks = multiply(add(extracted, enlarged), frames);
    const std::int64_t pixels = multiply(multiply(output.width, output.height), frameEstimate);
    const std::int64_t encoded =
        pixels == largest ? largest : multiply(pixels / encodedDenominator, encodedNumerator);
    const std::int64_t streaming = add(chunks, encoded);
    const std::int64_t finalPass = finalPassCopies ? multiply(encoded, 2) : encoded;
    return add(std::max(streaming, finalPass), margin);
}

} // namespace clarivex
