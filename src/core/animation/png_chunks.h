#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace clarivex::PngChunks {

// The pieces of a PNG file: the eight-byte signature, then chunks of a length, a four-letter
// type, data and a checksum. Animated PNGs are PNGs with three more chunk types (acTL, fcTL,
// fdAT), so reading and writing them needs only this. Pure functions; any thread.

inline constexpr std::string_view signature{"\x89PNG\r\n\x1a\n", 8};

struct Chunk {
    std::string type;
    std::string data;

    bool operator==(const Chunk&) const = default;
};

// One chunk as it is stored, with its CRC-32.
std::string encode(std::string_view type, std::string_view data);

// The chunks of a whole PNG in memory, in order; nothing when the bytes are no PNG or a chunk
// runs past their end. Checksums are not checked: the bytes come from our own encoder.
std::optional<std::vector<Chunk>> split(std::string_view png);

// The chunks of a PNG file, with the data of only IHDR, acTL and fcTL (the rest, the pixels
// above all, is skipped unread): enough to learn its size and frames without decoding. Nothing when
// the file cannot be read or is no PNG.
std::optional<std::vector<Chunk>> headerChunks(const std::filesystem::path& file);

std::string bigEndian32(std::uint32_t value);
std::string bigEndian16(std::uint16_t value);
// The number at `offset` of `data`; 0 when `data` is too short.
std::uint32_t readBigEndian32(std::string_view data, std::size_t offset);
std::uint16_t readBigEndian16(std::string_view data, std::size_t offset);

} // namespace clarivex::PngChunks
