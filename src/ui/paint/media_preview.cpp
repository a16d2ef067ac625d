// libvips' GLib headers name members "signals", which Qt defines as a keyword macro: they
// must be read before any Qt header.
#include <vips/vips8>

#include "ui/paint/media_preview.h"

#include "core/image/image_ops.h"
#include "core/process/shell.h"
#include "core/process/tools.h"
#include "core/vocabulary/upscale_error.h"
#include "core/working_folder.h"

#include <algorithm>
#include <bit>
#include <mutex>

namespace clarivex::MediaPreview {

namespace {

bool startVips() {
    static std::once_flag once;
    static bool started = false;
    std::call_once(once, [] {
        try {
            // The one start the pipeline's threads wait for as well.
            ImageOps::startVips();
            started = true;
        } catch (const UpscaleError&) {
            return;
        }
        // Each picture is decoded once and kept by the caller; libvips' operation cache would
        // hold a second, decoded copy of recent ones (100 MB and more with 4K pictures).
        vips_cache_set_max(0);
    });
    return started;
}

// The picture in QImage's painting format, made by libvips in the very byte order of
// ARGB32_Premultiplied on a little-endian machine (B, G, R, A), so that the QImage takes
// libvips' buffer as it is: a 4K picture is never copied on its way to the window.
QImage toQImage(vips::VImage image) {
    static_assert(std::endian::native == std::endian::little);
    if (image.interpretation() != VIPS_INTERPRETATION_sRGB)
        image = image.colourspace(VIPS_INTERPRETATION_sRGB);
    if (image.bands() == 3)
        image = image.bandjoin_const({255});
    else if (image.bands() == 4)
        image = image.premultiply();
    if (image.bands() < 4)
        return {};
    image = image.cast(VIPS_FORMAT_UCHAR);
    image = vips::VImage::bandjoin({image[2], image[1], image[0], image[3]});
    size_t bytes = 0;
    auto* pixels = static_cast<uchar*>(image.write_to_memory(&bytes));
    const int width = image.width();
    const int height = image.height();
    if (!pixels || bytes < static_cast<size_t>(width) * height * 4) {
        g_free(pixels);
        return {};
    }
    return QImage(
        pixels, width, height, width * 4, QImage::Format_ARGB32_Premultiplied,
        [](void* memory) { g_free(memory); }, pixels);
}

QImage loadImage(const std::filesystem::path& file, std::optional<int> maxPixel) {
    if (!startVips())
        return {};
    if (maxPixel) {
        // thumbnail turns the picture upright and decodes JPEGs shrunk, so that a large
        // photo never reaches memory at full size; `down` never enlarges a small one.
        const int side = std::max(*maxPixel, 1);
        return toQImage(vips::VImage::thumbnail(
            file.c_str(), side,
            vips::VImage::option()->set("height", side)->set("size", VIPS_SIZE_DOWN)));
    }
    return toQImage(vips::VImage::new_from_file(file.c_str()).autorot());
}

QImage loadVideoFrame(const std::filesystem::path& file, std::optional<int> maxPixel,
                      std::stop_token stopToken) {
    const auto ffmpeg = Tools::locateProgram("ffmpeg", Tools::Environment::current());
    if (!ffmpeg)
        return {};
    // The frame goes through a private file rather than a pipe: the process runner hands
    // back text lines, and a PNG is no text.
    const WorkingFolder work;
    const auto frame = work.path() / "frame.png";
    Shell::run(*ffmpeg,
               {"-nostdin", "-v", "error", "-ss", "0.1", "-i", file.string(), "-frames:v", "1",
                "-y", frame.string()},
               {}, stopToken);
    if (!std::filesystem::exists(frame))
        return {};
    return loadImage(frame, maxPixel);
}

} // namespace

QImage load(const std::filesystem::path& file, MediaKind kind, std::optional<int> maxPixel,
            std::stop_token stopToken) {
    try {
        return kind == MediaKind::image ? loadImage(file, maxPixel)
                                        : loadVideoFrame(file, maxPixel, stopToken);
    } catch (...) {
        // A preview is a nicety: unreadable files, missing programs and stops all mean none.
        return {};
    }
}

QImage pixelated(const QImage& picture, int cells) {
    if (picture.isNull())
        return {};
    int width = std::max(cells, 1);
    const double exactHeight =
        static_cast<double>(cells) * picture.height() / std::max(picture.width(), 1);
    int height = 1;
    // An extreme shape would otherwise ask for a placeholder millions of pixels long.
    const int longest = width * maximumAspect;
    if (exactHeight > longest) {
        height = longest;
        width = std::max(1, static_cast<int>(width * longest / exactHeight));
    } else {
        height = std::max(static_cast<int>(exactHeight), 1);
    }
    QImage result = picture.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (result.isNull())
        return {};
    result.convertTo(QImage::Format_ARGB32_Premultiplied);
    return result;
}

} // namespace clarivex::MediaPreview
