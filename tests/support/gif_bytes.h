#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace clarivex::test {

// One image of a GIF: palette indices for a rectangle of the canvas, its delay in hundredths of
// a second, its disposal (1 leave, 2 clear to the background, 3 restore what was before) and
// the index that shows what is beneath (none when negative).
struct GifFrame {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> indices;
    int delay = 10;
    int disposal = 1;
    int transparent = -1;
};

// Colours as 0xRRGGBB; `repeats` is the loop extension's count (0: endless, negative: none).
struct GifSpec {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> palette;
    std::vector<GifFrame> frames;
    int repeats = 0;
};

// A GIF written by hand, so that any disposal and partial frame can be had (libvips' encoder
// chooses its own); the image data is stored uncompressed.
std::string gifBytes(const GifSpec& spec);

// A frame that covers the canvas in one palette index.
GifFrame fullFrame(int width, int height, std::uint8_t index, int delay = 10);

} // namespace clarivex::test
