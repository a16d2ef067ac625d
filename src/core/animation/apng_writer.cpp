#include "core/animation/apng_writer.h"

#include "core/animation/png_chunks.h"
#include "core/vocabulary/upscale_error.h"

#include <unistd.h>

#include <cerrno>
#include <limits>
#include <system_error>

namespace clarivex {

namespace {

using Case = UpscaleError::Case;
constexpr std::uint8_t disposeNone = 0;
constexpr std::uint8_t blendSource = 0;

} // namespace

ApngWriter::ApngWriter(int descriptor, std::int64_t frames, int plays, std::string shownName)
    : descriptor_(descriptor)
    , frames_(frames)
    , plays_(plays)
    , shownName_(std::move(shownName)) {
    if (frames_ < 1 || frames_ > std::numeric_limits<std::uint32_t>::max())
        throw UpscaleError::badApng(Case::apngTooManyFrames, shownName_, frames_);
}

void ApngWriter::add(std::string_view png, FrameDelay delay) {
    const auto chunks = PngChunks::split(png);
    if (!chunks || chunks->empty() || chunks->front().type != "IHDR")
        throw UpscaleError::badApng(Case::apngFrameNotEncoded, shownName_, added_ + 1);
    if (added_ == frames_)
        throw UpscaleError::badApng(Case::apngExtraFrame, shownName_, added_ + 1, frames_);
    const std::string& header = chunks->front().data;
    if (added_ == 0) {
        header_ = header;
        writeBytes(PngChunks::signature);
        write("IHDR", header_);
        write("acTL", PngChunks::bigEndian32(static_cast<std::uint32_t>(frames_)) +
                          PngChunks::bigEndian32(static_cast<std::uint32_t>(plays_)));
    } else if (header != header_) {
        throw UpscaleError::badApng(Case::apngFrameDiffers, shownName_, added_ + 1);
    }
    const std::string control =
        PngChunks::bigEndian32(sequence_++) + header.substr(0, 8) + PngChunks::bigEndian32(0) +
        PngChunks::bigEndian32(0) + PngChunks::bigEndian16(delay.numerator) +
        PngChunks::bigEndian16(delay.denominator) +
        std::string{static_cast<char>(disposeNone), static_cast<char>(blendSource)};
    write("fcTL", control);
    for (const PngChunks::Chunk& chunk : *chunks) {
        if (chunk.type != "IDAT")
            continue;
        if (added_ == 0)
            write("IDAT", chunk.data);
        else
            write("fdAT", PngChunks::bigEndian32(sequence_++) + chunk.data);
    }
    ++added_;
}

void ApngWriter::finish() {
    if (added_ != frames_)
        throw UpscaleError::badApng(Case::apngShort, shownName_, added_, frames_);
    write("IEND", {});
}

void ApngWriter::write(std::string_view type, std::string_view data) {
    writeBytes(PngChunks::encode(type, data));
}

void ApngWriter::writeBytes(std::string_view bytes) {
    std::string_view rest = bytes;
    while (!rest.empty()) {
        const ssize_t written = ::write(descriptor_, rest.data(), rest.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            throw UpscaleError::fileFailed(
                Case::writeFailed, shownName_,
                std::generic_category().message(written < 0 ? errno : EIO));
        rest.remove_prefix(static_cast<std::size_t>(written));
    }
}

} // namespace clarivex
