#include "support/png_bytes.h"

namespace clarivex::test {

namespace {

std::string chunk(const std::string& type, const std::string& data) {
    std::uint32_t crc = 0xFFFFFFFF;
    for (const char byte : type + data) {
        crc ^= static_cast<unsigned char>(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return bigEndian(static_cast<std::uint32_t>(data.size())) + type + data + bigEndian(~crc);
}

} // namespace

std::string bigEndian(std::uint32_t value) {
    return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
            static_cast<char>(value >> 8), static_cast<char>(value)};
}

std::string pngBytes(std::uint32_t width, std::uint32_t height, const std::string& data) {
    return std::string("\x89PNG\r\n\x1a\n", 8) +
           chunk("IHDR", bigEndian(width) + bigEndian(height) + std::string("\x08\x02\0\0\0", 5)) +
           chunk("IDAT", data) + chunk("IEND", "");
}

} // namespace clarivex::test
