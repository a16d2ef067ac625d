#include "core/animation/animation_info.h"

#include "core/animation/png_chunks.h"
#include "core/image/image_ops.h"
#include "core/vocabulary/frame_count.h"
#include "core/vocabulary/media_kind.h"
#include "core/vocabulary/upscale_error.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace clarivex {

namespace {

using ImageOps::Bitmap;

// Browsers show GIF and WebP frames of 10 ms or less for 100 ms (old encoders wrote 0 for "as
// fast as you like"); other players take the number at its word, so the result says 100 ms.
constexpr int shortestShown = 10;
constexpr int shownInstead = 100;

int shownMilliseconds(int stored) {
    return stored <= shortestShown ? shownInstead : stored;
}

// The upright size of one page of a stacked GIF or WebP: libvips puts the frames one below the
// other, already composed to full canvases, each "page-height" high.
Size uprightPage(const Bitmap& stack, int pageHeight) {
    const Bitmap page = stack.crop(0, 0, stack.width(), pageHeight);
    return ImageOps::uprightSize(page);
}

// How many frames libvips' GIF decoder reads at most: it stops there with no more than a
// warning, which would pass a longer GIF off as a shorter one.
constexpr int mostGifFrames = 4096;

// A still is told apart by its first frame's header alone; an animation that libvips then
// cannot read whole is refused, rather than enlarged as its first frame.
std::optional<AnimationInfo> probeStack(const std::filesystem::path& file, AnimationFormat format) {
    ImageOps::startVips();
    int pages = 1;
    try {
        const Bitmap first = Bitmap::new_from_file(file.c_str());
        pages = first.get_typeof(VIPS_META_N_PAGES) != 0 ? first.get_int(VIPS_META_N_PAGES) : 1;
    } catch (const vips::VError&) {
        // Not even a picture: the photo path says so.
        vips_error_clear();
        return std::nullopt;
    }
    if (pages < 2)
        return std::nullopt;
    if (format == AnimationFormat::gif && pages > mostGifFrames)
        throw UpscaleError::badAnimation(UpscaleError::Case::animationTooLong, pages,
                                         mostGifFrames);
    Bitmap stack;
    try {
        stack = Bitmap::new_from_file(
            file.c_str(), Bitmap::option()->set("n", -1)->set("fail_on", VIPS_FAIL_ON_ERROR));
    } catch (const vips::VError& error) {
        const std::string reason = error.what();
        vips_error_clear();
        throw UpscaleError::badAnimation(UpscaleError::Case::animationUnreadable, pages, pages,
                                         reason.substr(0, reason.find('\n')));
    }
    const int pageHeight =
        stack.get_typeof(VIPS_META_PAGE_HEIGHT) != 0 ? stack.get_int(VIPS_META_PAGE_HEIGHT) : 0;
    if (pageHeight <= 0 || std::int64_t{pageHeight} * pages != stack.height())
        throw UpscaleError::badAnimation(UpscaleError::Case::animationUnreadable, pages, pages);
    AnimationInfo info{format, uprightPage(stack, pageHeight), {}, 0, stack.has_alpha()};
    const std::vector<int> stored =
        stack.get_typeof("delay") != 0 ? stack.get_array_int("delay") : std::vector<int>();
    for (int page = 0; page < pages; ++page) {
        const int delay = page < static_cast<int>(stored.size()) ? stored[page] : 0;
        info.delays.push_back(FrameDelay::fromMilliseconds(shownMilliseconds(delay)));
    }
    // libvips counts plays, as an animated PNG does: a GIF's "repeat twice" is 3.
    info.plays = stack.get_typeof("loop") != 0 ? std::max(stack.get_int("loop"), 0) : 0;
    return info;
}

// An animated PNG names its frames in control chunks before their pixels: acTL the count and
// plays, one fcTL per frame with its delay.
std::optional<AnimationInfo> probePng(const std::filesystem::path& file) {
    const auto chunks = PngChunks::headerChunks(file);
    if (!chunks || chunks->empty() || chunks->front().type != "IHDR" ||
        chunks->front().data.size() < 13)
        return std::nullopt;
    const std::string& header = chunks->front().data;
    AnimationInfo info{AnimationFormat::png, {}, {}, 0, false};
    const unsigned colourType = static_cast<unsigned char>(header[9]);
    info.alpha = colourType == 4 || colourType == 6;
    bool declared = false;
    for (const PngChunks::Chunk& chunk : *chunks) {
        if (chunk.type == "acTL" && chunk.data.size() >= 8) {
            declared = true;
            info.plays = static_cast<int>(std::min<std::uint32_t>(
                PngChunks::readBigEndian32(chunk.data, 4), std::numeric_limits<int>::max()));
        } else if (chunk.type == "fcTL" && chunk.data.size() >= 26) {
            info.delays.push_back({PngChunks::readBigEndian16(chunk.data, 20),
                                   PngChunks::readBigEndian16(chunk.data, 22)});
        } else if (chunk.type == "tRNS") {
            info.alpha = true;
        }
    }
    if (!declared || info.frames() < 2)
        return std::nullopt;
    ImageOps::startVips();
    try {
        // The orientation an eXIf chunk gives, which libvips reads from the header.
        info.canvas = ImageOps::uprightSize(ImageOps::openSource(file));
    } catch (const UpscaleError&) {
        return std::nullopt;
    }
    return info;
}

} // namespace

FrameDelay FrameDelay::fromMilliseconds(std::int64_t milliseconds) {
    constexpr std::int64_t largest = std::numeric_limits<std::uint16_t>::max();
    const std::int64_t value = std::max<std::int64_t>(milliseconds, 0);
    if (value <= largest)
        return {static_cast<std::uint16_t>(value), 1000};
    if (value % 10 == 0 && value / 10 <= largest)
        return {static_cast<std::uint16_t>(value / 10), 100};
    return {static_cast<std::uint16_t>(std::min(largest, (value + 500) / 1000)), 1};
}

double FrameDelay::seconds() const {
    return static_cast<double>(numerator) / (denominator == 0 ? 100.0 : denominator);
}

std::optional<AnimationInfo> AnimationInfo::probe(const std::filesystem::path& file) {
    const std::string extension = lowercased(pathExtension(file));
    if (extension == "gif")
        return probeStack(file, AnimationFormat::gif);
    if (extension == "webp")
        return probeStack(file, AnimationFormat::webp);
    if (extension == "png")
        return probePng(file);
    return std::nullopt;
}

} // namespace clarivex
