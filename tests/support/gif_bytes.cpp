#include "support/gif_bytes.h"

#include <algorithm>

namespace clarivex::test {

namespace {

std::string littleEndian16(int value) {
    return {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF)};
}

// Each index is a 9-bit code of its own, with a clear code before the table would need wider
// codes: valid LZW that needs no dictionary.
std::string imageData(const std::vector<std::uint8_t>& indices) {
    constexpr int clear = 256;
    std::string bytes;
    std::uint32_t pending = 0;
    int bits = 0;
    const auto put = [&](int code) {
        pending |= static_cast<std::uint32_t>(code) << bits;
        for (bits += 9; bits >= 8; bits -= 8, pending >>= 8)
            bytes += static_cast<char>(pending & 0xFF);
    };
    for (std::size_t index = 0; index < indices.size(); ++index) {
        if (index % 250 == 0)
            put(clear);
        put(indices[index]);
    }
    put(clear + 1);
    if (bits > 0)
        bytes += static_cast<char>(pending & 0xFF);
    std::string blocks(1, '\x08');
    for (std::size_t at = 0; at < bytes.size(); at += 255) {
        const std::size_t length = std::min<std::size_t>(255, bytes.size() - at);
        blocks += static_cast<char>(length) + bytes.substr(at, length);
    }
    return blocks + '\0';
}

} // namespace

std::string gifBytes(const GifSpec& spec) {
    // A global table of 256 colours, background index 0.
    std::string out = "GIF89a" + littleEndian16(spec.width) + littleEndian16(spec.height) +
                      std::string{'\xF7', '\0', '\0'};
    for (std::size_t index = 0; index < 256; ++index) {
        const std::uint32_t colour = index < spec.palette.size() ? spec.palette[index] : 0;
        out += {static_cast<char>(colour >> 16), static_cast<char>(colour >> 8),
                static_cast<char>(colour)};
    }
    if (spec.repeats >= 0)
        out += "\x21\xFF\x0BNETSCAPE2.0\x03\x01" + littleEndian16(spec.repeats) + '\0';
    for (const GifFrame& frame : spec.frames) {
        out += "\x21\xF9\x04";
        out += static_cast<char>((frame.disposal << 2) | (frame.transparent >= 0 ? 1 : 0));
        out += littleEndian16(frame.delay) + static_cast<char>(std::max(frame.transparent, 0)) +
               '\0' + '\x2C' + littleEndian16(frame.left) + littleEndian16(frame.top) +
               littleEndian16(frame.width) + littleEndian16(frame.height) + '\0' +
               imageData(frame.indices);
    }
    return out + ';';
}

GifFrame fullFrame(int width, int height, std::uint8_t index, int delay) {
    return {0,    0, width, height, std::vector<std::uint8_t>(std::size_t(width) * height, index),
            delay};
}

} // namespace clarivex::test
