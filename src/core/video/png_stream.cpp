#include "core/video/png_stream.h"

#include "core/vocabulary/upscale_error.h"

#include <cstdint>

namespace clarivex {

namespace {

constexpr std::string_view signature("\x89PNG\r\n\x1a\n", 8);
// Length, type and checksum around each chunk's data.
constexpr std::size_t chunkHeader = 8;
constexpr std::size_t chunkOverhead = 12;
constexpr std::uint32_t largestChunk = 0x7FFFFFFF;

std::uint32_t bigEndian(std::string_view bytes) {
    std::uint32_t value = 0;
    for (std::size_t index = 0; index < 4; ++index)
        value = (value << 8) | static_cast<unsigned char>(bytes[index]);
    return value;
}

UpscaleError notPng() {
    return UpscaleError::of(UpscaleError::Case::notPngFrames);
}

} // namespace

PngStream::PngStream(std::size_t largestFile)
    : largestFile_(largestFile) {}

std::size_t PngStream::completeFileLength() {
    if (scanned_ == 0) {
        if (pending_.size() < signature.size())
            return 0;
        if (std::string_view(pending_).substr(0, signature.size()) != signature)
            throw notPng();
        scanned_ = signature.size();
    }
    while (pending_.size() >= scanned_ + chunkHeader) {
        const std::string_view header = std::string_view(pending_).substr(scanned_, chunkHeader);
        const std::uint32_t length = bigEndian(header);
        if (length > largestChunk)
            throw notPng();
        const std::size_t end = scanned_ + chunkOverhead + length;
        if (end > largestFile_)
            throw UpscaleError::of(UpscaleError::Case::frameTooLarge);
        if (pending_.size() < end)
            return 0;
        scanned_ = end;
        if (header.substr(4) == "IEND")
            return end;
    }
    return 0;
}

std::vector<std::string> PngStream::feed(std::string_view bytes) {
    pending_.append(bytes);
    std::vector<std::string> files;
    while (const std::size_t length = completeFileLength()) {
        files.push_back(pending_.substr(0, length));
        pending_.erase(0, length);
        scanned_ = 0;
    }
    return files;
}

} // namespace clarivex
