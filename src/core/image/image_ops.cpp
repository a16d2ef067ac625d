#include "core/image/image_ops.h"

#include "core/files/private_files.h"
#include "core/vocabulary/upscale_error.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <string_view>
#include <system_error>

namespace clarivex::ImageOps {

namespace {

// libvips' own account of what went wrong, on one line.
std::string vipsReason(const char* message) {
    std::string reason;
    std::string_view rest(message);
    while (!rest.empty()) {
        const auto end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        if (!line.empty())
            reason += (reason.empty() ? "" : "; ") + std::string(line);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    return reason.empty() ? std::string("libvips не сообщил причину") : reason;
}

// libvips keeps its messages until they are cleared, so that a later failure would repeat
// an earlier one's.
std::string vipsReason(const vips::VError& error) {
    vips_error_clear();
    return vipsReason(error.what());
}

// 8-bit sRGB, three or four bands, whatever the source's depth and colour space; the numbers
// are taken as they stand, so an untagged picture keeps them.
Bitmap toSrgb8(const Bitmap& image) {
    Bitmap result = image;
    if (result.interpretation() != VIPS_INTERPRETATION_sRGB)
        result = result.colourspace(VIPS_INTERPRETATION_sRGB);
    if (result.format() != VIPS_FORMAT_UCHAR)
        result = result.cast(VIPS_FORMAT_UCHAR);
    return result;
}

bool hasProfile(const Bitmap& image) {
    return image.get_typeof(VIPS_META_ICC_NAME) != 0;
}

// Four bytes of an embedded ICC profile's header; empty without a profile or with one too short.
std::string_view profileField(const Bitmap& image, size_t at) {
    if (!hasProfile(image))
        return {};
    size_t length = 0;
    const auto* bytes = static_cast<const char*>(image.get_blob(VIPS_META_ICC_NAME, &length));
    constexpr size_t header = 128;
    return length < header ? std::string_view() : std::string_view(bytes + at, 4);
}

// A profile that turns a device's colours into the connection space: an input device, a
// display, a printer or a colour space. A device link (device to device), an abstract
// (connection space to itself) or a named-colour profile has nothing to read pixels with, and
// libvips fails on it with an English sentence.
bool describesDevice(const Bitmap& image) {
    constexpr size_t classAt = 12;
    constexpr size_t connectionAt = 20;
    const std::string_view profileClass = profileField(image, classAt);
    const std::string_view connection = profileField(image, connectionAt);
    return (profileClass == "scnr" || profileClass == "mntr" || profileClass == "prtr" ||
            profileClass == "spac") &&
           (connection == "XYZ " || connection == "Lab ");
}

// libvips applies a profile that does not fit the pixels anyway (an RGB picture with a grey
// profile comes out with five bands) or fails on it, so only a fitting one is used.
bool profileFits(const Bitmap& image) {
    constexpr size_t spaceAt = 16;
    const std::string_view space = profileField(image, spaceAt);
    if (!describesDevice(image))
        return false;
    const bool depthKnown =
        image.format() == VIPS_FORMAT_UCHAR || image.format() == VIPS_FORMAT_USHORT;
    if (!depthKnown)
        return false;
    if (image.interpretation() == VIPS_INTERPRETATION_CMYK)
        return space == "CMYK";
    if (image.bands() <= 2)
        return space == "GRAY";
    return image.bands() <= 4 && space == "RGB ";
}

// Creates the file ourselves first, so that a folder we cannot write into is told apart from
// an encoder that fails half-way, and so that a new file is private (0600) while the encoder
// fills it; libvips reopens it by name and keeps that mode.
void createEmpty(const std::filesystem::path& file, const std::string& shownName) {
    std::error_code error = PrivateFiles::createFile(file);
    // What is there already (a device among them) is written in place and keeps its own mode.
    if (error == std::errc::file_exists) {
        const int descriptor = ::open(file.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        error =
            descriptor < 0 ? std::error_code(errno, std::generic_category()) : std::error_code();
        if (descriptor >= 0)
            ::close(descriptor);
    }
    if (error)
        throw UpscaleError::fileFailed(UpscaleError::Case::createFailed, shownName,
                                       error.message());
}

} // namespace

void startVips() {
    static std::once_flag once;
    // A library never ends the process: a failed start is the job's error, and the next job
    // tries again.
    std::call_once(once, [] {
        if (VIPS_INIT("clarivex") != 0) {
            const std::string reason = vipsReason(vips_error_buffer());
            vips_error_clear();
            throw UpscaleError::fileFailed(UpscaleError::Case::imageLibraryStart, {}, reason);
        }
        // The pipeline's own errors say what failed; libvips' warnings would only be noise
        // on the command line's standard output and error.
        g_log_set_handler(
            "VIPS", static_cast<GLogLevelFlags>(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_MESSAGE),
            [](const gchar*, GLogLevelFlags, const gchar*, gpointer) {}, nullptr);
    });
}

FileType fileTypeFor(const std::filesystem::path& output) {
    return output.extension() == ".jpg" ? FileType::jpeg : FileType::png;
}

Size sizeOf(const Bitmap& image) {
    return Size{image.width(), image.height()};
}

Bitmap openSource(const std::filesystem::path& file) {
    startVips();
    Bitmap opened;
    try {
        // Only the first frame of animated files; GIFs and multi-page TIFFs are stills here.
        // A truncated or damaged file is refused rather than enlarged with its grey gaps.
        opened = Bitmap::new_from_file(file.c_str(),
                                       Bitmap::option()->set("fail_on", VIPS_FAIL_ON_ERROR));
    } catch (const vips::VError&) {
        vips_error_clear();
        throw UpscaleError::unsupported("не удалось прочитать картинку");
    }
    if (opened.width() <= 0 || opened.height() <= 0)
        throw UpscaleError::unsupported("не удалось прочитать картинку");
    return opened;
}

Size uprightSize(const Bitmap& opened) {
    const int orientation =
        opened.get_typeof(VIPS_META_ORIENTATION) != 0 ? opened.get_int(VIPS_META_ORIENTATION) : 1;
    // Orientations 5 to 8 turn the picture by a quarter.
    const bool turned = orientation >= 5 && orientation <= 8;
    return turned ? Size{opened.height(), opened.width()} : sizeOf(opened);
}

Bitmap toSrgb(const Bitmap& image) {
    if (!profileFits(image))
        return toSrgb8(image);
    // Sixteen bits stay sixteen through the transform: at 8 bits out, libvips clips a 16-bit
    // alpha instead of scaling it.
    const int depth = image.format() == VIPS_FORMAT_USHORT ? 16 : 8;
    return toSrgb8(image.icc_transform("srgb", Bitmap::option()
                                                   ->set("embedded", true)
                                                   ->set("intent", VIPS_INTENT_RELATIVE)
                                                   ->set("depth", depth)));
}

bool profileIgnored(const Bitmap& image) {
    return hasProfile(image) && !profileFits(image);
}

Bitmap decodeSource(const Bitmap& opened) {
    try {
        return toSrgb(opened.autorot()).copy_memory();
    } catch (const vips::VError& error) {
        throw UpscaleError::fileFailed(UpscaleError::Case::decodeFailed, {}, vipsReason(error));
    }
}

Bitmap readResult(const std::filesystem::path& file) {
    startVips();
    try {
        Bitmap result = Bitmap::new_from_file(
            file.c_str(), Bitmap::option()->set("access", VIPS_ACCESS_SEQUENTIAL));
        return toSrgb8(result);
    } catch (const vips::VError&) {
        vips_error_clear();
        throw UpscaleError::badResult({});
    }
}

Bitmap resize(const Bitmap& image, Size size) {
    if (sizeOf(image) == size)
        return image;
    try {
        const double horizontal = static_cast<double>(size.width) / image.width();
        const double vertical = static_cast<double>(size.height) / image.height();
        Bitmap scaled = image.resize(
            horizontal,
            Bitmap::option()->set("vscale", vertical)->set("kernel", VIPS_KERNEL_LANCZOS3));
        // libvips rounds the scaled extent itself; pin it to the exact size either way.
        if (sizeOf(scaled) != size)
            scaled = scaled.embed(0, 0, static_cast<int>(size.width), static_cast<int>(size.height),
                                  Bitmap::option()->set("extend", VIPS_EXTEND_COPY));
        return scaled;
    } catch (const vips::VError& error) {
        throw UpscaleError::fileFailed(UpscaleError::Case::resizeFailed, {}, vipsReason(error));
    }
}

void write(const Bitmap& image, const std::filesystem::path& file, FileType type,
           const std::string& shownName) {
    const std::string name = shownName.empty() ? file.filename().string() : shownName;
    createEmpty(file, name);
    const FileDescriptor descriptor(::open(file.c_str(), O_WRONLY | O_CLOEXEC));
    if (!descriptor.isOpen())
        throw UpscaleError::fileFailed(UpscaleError::Case::createFailed, name,
                                       std::generic_category().message(errno));
    write(image, descriptor.get(), type, name);
}

void write(const Bitmap& image, int descriptor, FileType type, const std::string& shownName) {
    startVips();
    try {
        const vips::VTarget target = vips::VTarget::new_to_descriptor(descriptor);
        if (type == FileType::jpeg) {
            // JPEG has no transparency: lay see-through parts on white rather than black.
            const Bitmap opaque = image.has_alpha()
                                      ? image.flatten(Bitmap::option()->set(
                                            "background", std::vector<double>{255, 255, 255}))
                                      : image;
            opaque.jpegsave_target(target, Bitmap::option()->set("Q", 95)->set("strip", true));
        } else {
            image.pngsave_target(target, Bitmap::option()->set("strip", true));
        }
    } catch (const vips::VError& error) {
        throw UpscaleError::fileFailed(UpscaleError::Case::writeFailed, shownName,
                                       vipsReason(error));
    }
}

void writeIntermediate(const Bitmap& image, const std::filesystem::path& file) {
    startVips();
    const std::string name = file.filename().string();
    createEmpty(file, name);
    try {
        image.pngsave(file.c_str(), Bitmap::option()
                                        ->set("compression", 1)
                                        ->set("strip", true)
                                        ->set("filter", VIPS_FOREIGN_PNG_FILTER_NONE));
    } catch (const vips::VError& error) {
        throw UpscaleError::fileFailed(UpscaleError::Case::writeFailed, name, vipsReason(error));
    }
}

} // namespace clarivex::ImageOps
