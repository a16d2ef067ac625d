#pragma once

#include <cstdint>
#include <string>

namespace clarivex::test {

// A 32-bit number as PNG stores lengths and sizes: big-endian.
std::string bigEndian(std::uint32_t value);

// The bytes of a PNG file: an 8-bit RGB header that declares `width` × `height`, whatever
// `data` holds, then one IDAT chunk of `data` and the end, each chunk with its true checksum.
std::string pngBytes(std::uint32_t width, std::uint32_t height, const std::string& data);

} // namespace clarivex::test
