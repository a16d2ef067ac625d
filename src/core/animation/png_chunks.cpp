#include "core/animation/png_chunks.h"

#include <array>
#include <fstream>

namespace clarivex::PngChunks {

namespace {

constexpr std::array<std::uint32_t, 256> crcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t entry = 0; entry < table.size(); ++entry) {
        std::uint32_t value = entry;
        for (int bit = 0; bit < 8; ++bit)
            value = (value & 1) != 0 ? 0xEDB88320U ^ (value >> 1) : value >> 1;
        table[entry] = value;
    }
    return table;
}

std::uint32_t crc32(std::string_view first, std::string_view second) {
    static constexpr auto table = crcTable();
    std::uint32_t crc = 0xFFFFFFFFU;
    for (const std::string_view part : {first, second})
        for (const char byte : part)
            crc = table[(crc ^ static_cast<unsigned char>(byte)) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFU;
}

// What says how large a PNG is and how it moves; everything else, the pixels above all, is
// skipped unread.
bool isControl(std::string_view type) {
    return type == "IHDR" || type == "acTL" || type == "fcTL";
}

} // namespace

std::string bigEndian32(std::uint32_t value) {
    return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
            static_cast<char>(value >> 8), static_cast<char>(value)};
}

std::string bigEndian16(std::uint16_t value) {
    return {static_cast<char>(value >> 8), static_cast<char>(value)};
}

std::uint32_t readBigEndian32(std::string_view data, std::size_t offset) {
    if (offset > data.size() || data.size() - offset < 4)
        return 0;
    std::uint32_t value = 0;
    for (std::size_t index = 0; index < 4; ++index)
        value = (value << 8) | static_cast<unsigned char>(data[offset + index]);
    return value;
}

std::uint16_t readBigEndian16(std::string_view data, std::size_t offset) {
    if (offset > data.size() || data.size() - offset < 2)
        return 0;
    return static_cast<std::uint16_t>((static_cast<unsigned char>(data[offset]) << 8) |
                                      static_cast<unsigned char>(data[offset + 1]));
}

std::string encode(std::string_view type, std::string_view data) {
    return bigEndian32(static_cast<std::uint32_t>(data.size())) + std::string(type) +
           std::string(data) + bigEndian32(crc32(type, data));
}

std::optional<std::vector<Chunk>> split(std::string_view png) {
    if (!png.starts_with(signature))
        return std::nullopt;
    std::vector<Chunk> chunks;
    std::size_t at = signature.size();
    while (at < png.size()) {
        constexpr std::size_t framing = 12;
        if (png.size() - at < framing)
            return std::nullopt;
        const std::uint32_t length = readBigEndian32(png, at);
        if (png.size() - at - framing < length)
            return std::nullopt;
        chunks.push_back(
            {std::string(png.substr(at + 4, 4)), std::string(png.substr(at + 8, length))});
        at += framing + length;
    }
    return chunks;
}

std::optional<std::vector<Chunk>> headerChunks(const std::filesystem::path& file) {
    std::ifstream stream(file, std::ios::binary);
    std::string start(signature.size(), '\0');
    if (!stream.read(start.data(), static_cast<std::streamsize>(start.size())) ||
        start != signature)
        return std::nullopt;
    std::vector<Chunk> chunks;
    std::string frame(8, '\0');
    while (stream.read(frame.data(), static_cast<std::streamsize>(frame.size()))) {
        const std::uint32_t length = readBigEndian32(frame, 0);
        Chunk chunk{frame.substr(4, 4), {}};
        if (!isControl(chunk.type)) {
            stream.seekg(std::streamoff{length} + 4, std::ios::cur);
        } else {
            // Control chunks are a few bytes; a long one is no PNG to trust.
            constexpr std::uint32_t largestKept = 1024;
            if (length > largestKept)
                return std::nullopt;
            chunk.data.resize(length);
            if (!stream.read(chunk.data.data(), length) || !stream.seekg(4, std::ios::cur))
                return std::nullopt;
        }
        const bool end = chunk.type == "IEND";
        chunks.push_back(std::move(chunk));
        if (end)
            return chunks;
    }
    // A file cut short still says what it held so far; decoding will find what is missing.
    return chunks.empty() ? std::nullopt : std::optional(std::move(chunks));
}

} // namespace clarivex::PngChunks
