// libvips' GLib headers name members "signals", which Qt defines as a keyword macro: they
// must be read before any Qt header.
#include <vips/vips8>

#include "ui/paint/media_preview.h"

#include "core/process/shell.h"
#include "core/process/tools.h"
#include "core/working_folder.h"

#include <algorithm>
#include <cstring>
#include <mutex>

namespace clarivex::MediaPreview {

namespace {

bool startVips() {
    static std::once_flag once;
    static bool started = false;
    std::call_once(once, [] { started = VIPS_INIT("clarivex") == 0; });
    return started;
}

// 8-bit sRGB with an alpha band, copied row by row into a QImage that owns its pixels.
QImage toQImage(vips::VImage image) {
    if (image.interpretation() != VIPS_INTERPRETATION_sRGB)
        image = image.colourspace(VIPS_INTERPRETATION_sRGB);
    if (image.format() != VIPS_FORMAT_UCHAR)
        image = image.cast(VIPS_FORMAT_UCHAR);
    if (image.bands() == 3)
        image = image.bandjoin_const({255});
    else if (image.bands() > 4)
        image = image.extract_band(0, vips::VImage::option()->set("n", 4));
    if (image.bands() != 4)
        return {};
    size_t bytes = 0;
    void* pixels = image.write_to_memory(&bytes);
    const auto free = [](void* memory) { g_free(memory); };
    const std::unique_ptr<void, decltype(free)> owned(pixels, free);
    const int width = image.width();
    const int height = image.height();
    const auto rowBytes = static_cast<size_t>(width) * 4;
    if (!pixels || bytes < rowBytes * static_cast<size_t>(height))
        return {};
    QImage result(width, height, QImage::Format_RGBA8888);
    if (result.isNull())
        return {};
    for (int row = 0; row < height; ++row)
        std::memcpy(result.scanLine(row), static_cast<const char*>(pixels) + rowBytes * row,
                    rowBytes);
    // The window paints this format without converting on every frame.
    result.convertTo(QImage::Format_ARGB32_Premultiplied);
    return result;
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
