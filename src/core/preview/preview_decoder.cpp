#include "core/preview/preview_decoder.h"

#include "core/files/working_folder.h"
#include "core/image/image_ops.h"
#include "core/process/shell.h"
#include "core/process/tools.h"
#include "core/video/video_commands.h"
#include "core/video/video_info.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <mutex>
#include <string>

namespace clarivex::PreviewDecoder {

namespace {

bool startVips() {
    static std::once_flag once;
    static bool started = false;
    std::call_once(once, [] {
        try {
            // The one start the pipeline's threads wait for as well.
            ImageOps::startVips();
            started = true;
        } catch (...) {
            return;
        }
        // Each picture is decoded once and kept by the caller; libvips' operation cache would
        // hold a second, decoded copy of recent ones.
        vips_cache_set_max(0);
    });
    return started;
}

// A file opened for reading only if it is a regular one. The open never waits (a pipe would
// wait for a writer), and what is decoded afterwards is the very file that was checked, even
// when its name is pointed elsewhere meanwhile.
class RegularFile {
public:
    explicit RegularFile(const std::filesystem::path& file)
        : descriptor_(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {
        struct stat status {};
        if (descriptor_ >= 0 && (::fstat(descriptor_, &status) != 0 || !S_ISREG(status.st_mode))) {
            ::close(descriptor_);
            descriptor_ = -1;
        }
    }
    ~RegularFile() {
        if (descriptor_ >= 0)
            ::close(descriptor_);
    }
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    bool isOpen() const { return descriptor_ >= 0; }
    // A name that opens this very file again.
    std::string name() const { return "/proc/self/fd/" + std::to_string(descriptor_); }

private:
    int descriptor_;
};

// The box thumbnail() fits into for what `fit` asks of a picture of `upright` size.
Size thumbnailBox(const PictureFit& fit, const Size& upright) {
    constexpr std::int64_t largest = VIPS_MAX_COORD;
    const Size box{std::clamp<std::int64_t>(fit.box.width, 1, largest),
                   std::clamp<std::int64_t>(fit.box.height, 1, largest)};
    if (!fit.cover || upright.width < 1 || upright.height < 1)
        return box;
    // Covering the box is fitting into a box of the picture's own shape that reaches the
    // farther of the two sides.
    const double scale = std::min(
        1.0, std::max(double(box.width) / upright.width, double(box.height) / upright.height));
    return {std::clamp<std::int64_t>(std::llround(upright.width * scale), 1, largest),
            std::clamp<std::int64_t>(std::llround(upright.height * scale), 1, largest)};
}

// Orientation tags 5 to 8 turn the picture by a quarter.
bool turnsSideways(const vips::VImage& image) {
    return image.get_typeof(VIPS_META_ORIENTATION) != 0 &&
           image.get_int(VIPS_META_ORIENTATION) >= 5;
}

// Computes `image` into a new buffer, giving up once the token is stopped: a huge picture
// decodes for seconds, and a decode nobody waits for any more must not hold its thread.
// Nothing when it failed or was stopped.
unsigned char* computeStoppably(const vips::VImage& image, std::stop_token& stopToken) {
    VipsImage* in = image.get_image();
    const size_t size = VIPS_IMAGE_SIZEOF_IMAGE(in);
    auto* buffer = static_cast<unsigned char*>(g_try_malloc(size));
    if (!buffer)
        return nullptr;
    VipsImage* out =
        vips_image_new_from_memory(buffer, size, in->Xsize, in->Ysize, in->Bands, in->BandFmt);
    if (!out) {
        g_free(buffer);
        return nullptr;
    }
    vips_image_set_progress(out, TRUE);
    g_signal_connect(out, "eval", G_CALLBACK(+[](VipsImage* evaluated, VipsProgress*, void* token) {
                         if (static_cast<std::stop_token*>(token)->stop_requested())
                             vips_image_set_kill(evaluated, TRUE);
                     }),
                     &stopToken);
    const bool failed = vips_image_write(in, out) != 0 || stopToken.stop_requested();
    g_object_unref(out);
    if (failed) {
        g_free(buffer);
        return nullptr;
    }
    return buffer;
}

// The picture in the byte order of a premultiplied 32-bit pixel on a little-endian machine
// (B, G, R, A), made by libvips so that the window takes the buffer as it is.
std::optional<PreviewPicture> toPreview(vips::VImage image, std::stop_token stopToken) {
    static_assert(std::endian::native == std::endian::little);
    if (image.interpretation() != VIPS_INTERPRETATION_sRGB)
        image = image.colourspace(VIPS_INTERPRETATION_sRGB);
    if (image.bands() == 3)
        image = image.bandjoin_const({255});
    else if (image.bands() == 4)
        image = image.premultiply();
    if (image.bands() < 4)
        return std::nullopt;
    image = image.cast(VIPS_FORMAT_UCHAR);
    image = vips::VImage::bandjoin({image[2], image[1], image[0], image[3]});
    unsigned char* pixels = computeStoppably(image, stopToken);
    if (!pixels)
        return std::nullopt;
    return PreviewPicture{image.width(), image.height(),
                          std::shared_ptr<const unsigned char>(
                              pixels, [](const unsigned char* memory) { g_free((void*)memory); })};
}

// The size a picture has once its orientation is applied, from its header alone.
Size uprightSize(const std::string& name) {
    const vips::VImage header = vips::VImage::new_from_file(name.c_str());
    const bool sideways = turnsSideways(header);
    return {sideways ? header.height() : header.width(),
            sideways ? header.width() : header.height()};
}

std::optional<PreviewPicture> decodeImage(const std::filesystem::path& file, const PictureFit& fit,
                                          std::stop_token stopToken) {
    if (!startVips())
        return std::nullopt;
    const RegularFile opened(file);
    if (!opened.isOpen())
        return std::nullopt;
    const std::string name = opened.name();
    // thumbnail() turns the picture upright and decodes it at the size asked for.
    const Size box = thumbnailBox(fit, uprightSize(name));
    // Shrunk in the file's own colours, then shown through its profile as the pipeline shows
    // it to the network, so that the before and the after compare like for like.
    return toPreview(
        ImageOps::toSrgb(vips::VImage::thumbnail(
            name.c_str(), int(box.width),
            vips::VImage::option()->set("height", int(box.height))->set("size", VIPS_SIZE_DOWN))),
        std::move(stopToken));
}

std::optional<Size> measureImage(const std::filesystem::path& file) {
    if (!startVips())
        return std::nullopt;
    const RegularFile opened(file);
    if (!opened.isOpen())
        return std::nullopt;
    return uprightSize(opened.name());
}

// Takes the frame 0.1 s into a video out into a private file and hands that to `use`.
template <typename Use>
auto withVideoFrame(const std::filesystem::path& file, const std::stop_token& stopToken, Use use)
    -> decltype(use(file)) {
    std::error_code error;
    if (std::filesystem::status(file, error).type() != std::filesystem::file_type::regular)
        return std::nullopt;
    const auto environment = Tools::Environment::current();
    const auto ffmpeg = Tools::locateProgram("ffmpeg", environment);
    const auto ffprobe = Tools::locateProgram("ffprobe", environment);
    if (!ffmpeg || !ffprobe)
        return std::nullopt;
    // Read with the video's own matrix, range and transfer, as the pipeline reads its frames.
    const VideoColour colour = VideoInfo::probe(file, *ffprobe, stopToken).colour;
    // The frame goes through a private file rather than a pipe: the process runner hands
    // back text lines, and a PNG is no text. A file swapped for a pipe after the check above
    // only holds ffmpeg, which the stop token ends.
    const WorkingFolder work;
    const auto frame = work.path() / "frame.png";
    Shell::run(*ffmpeg,
               {"-nostdin", "-v", "error", "-ss", "0.1", "-i", file.string(), "-frames:v", "1",
                "-vf", VideoCommands::readColours(colour), "-y", frame.string()},
               {}, stopToken);
    if (stopToken.stop_requested() || !std::filesystem::exists(frame))
        return std::nullopt;
    return use(frame);
}

} // namespace

std::optional<PreviewPicture> decode(const std::filesystem::path& file, MediaKind kind,
                                     const PictureFit& fit, std::stop_token stopToken) {
    try {
        if (kind == MediaKind::image)
            return decodeImage(file, fit, std::move(stopToken));
        return withVideoFrame(file, stopToken, [&](const std::filesystem::path& frame) {
            return decodeImage(frame, fit, stopToken);
        });
    } catch (...) {
        // A preview is a nicety: unreadable files, missing programs and stops all mean none.
        vips_error_clear();
        return std::nullopt;
    }
}

std::optional<Size> measure(const std::filesystem::path& file, MediaKind kind,
                            std::stop_token stopToken) {
    try {
        if (kind == MediaKind::image)
            return measureImage(file);
        return withVideoFrame(file, stopToken, measureImage);
    } catch (...) {
        vips_error_clear();
        return std::nullopt;
    }
}

} // namespace clarivex::PreviewDecoder
