#include "core/image/image_ops.h"

#include "core/vocabulary/upscale_error.h"

#include <fcntl.h>
#include <unistd.h>

#include <mutex>

namespace clarivex::ImageOps {

namespace {

void startVips() {
    static std::once_flag once;
    std::call_once(once, [] {
        // A library never ends the process: the job fails, and call_once tries again next time.
        if (VIPS_INIT("clarivex") != 0)
            throw UpscaleError::failed("Не удалось запустить библиотеку изображений libvips");
        // The pipeline's own errors say what failed; libvips' warnings would only be noise
        // on the command line's standard output and error.
        g_log_set_handler(
            "VIPS", static_cast<GLogLevelFlags>(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_MESSAGE),
            [](const gchar*, GLogLevelFlags, const gchar*, gpointer) {}, nullptr);
    });
}

} // namespace

void start() {
    startVips();
}

namespace {

// 8-bit sRGB, three or four bands, whatever the source's depth and colour space.
Bitmap toSrgb8(const Bitmap& image) {
    Bitmap result = image;
    if (result.interpretation() != VIPS_INTERPRETATION_sRGB)
        result = result.colourspace(VIPS_INTERPRETATION_sRGB);
    if (result.format() != VIPS_FORMAT_UCHAR)
        result = result.cast(VIPS_FORMAT_UCHAR);
    return result;
}

// Creates the file ourselves first, so that a folder we cannot write into is told apart from
// an encoder that fails half-way.
void createEmpty(const std::filesystem::path& file, const std::string& shownName) {
    const int descriptor = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (descriptor < 0)
        throw UpscaleError::failed("Не удалось создать " + shownName);
    ::close(descriptor);
}

} // namespace

FileType fileTypeFor(const std::filesystem::path& output) {
    return output.extension() == ".jpg" ? FileType::jpeg : FileType::png;
}

Size sizeOf(const Bitmap& image) {
    return Size{image.width(), image.height()};
}

Bitmap decodeSource(const std::filesystem::path& file) {
    startVips();
    Bitmap header;
    try {
        // Only the first frame of animated files; GIFs and multi-page TIFFs are stills here.
        // A truncated or damaged file is refused rather than enlarged with its grey gaps.
        header = Bitmap::new_from_file(file.c_str(),
                                       Bitmap::option()->set("fail_on", VIPS_FAIL_ON_ERROR));
    } catch (const vips::VError&) {
        throw UpscaleError::unsupported("не удалось прочитать картинку");
    }
    if (header.width() <= 0 || header.height() <= 0)
        throw UpscaleError::unsupported("не удалось прочитать картинку");
    try {
        return toSrgb8(header.autorot()).copy_memory();
    } catch (const vips::VError&) {
        throw UpscaleError::unsupported("не удалось декодировать картинку");
    }
}

Bitmap readResult(const std::filesystem::path& file) {
    startVips();
    try {
        Bitmap result = Bitmap::new_from_file(
            file.c_str(), Bitmap::option()->set("access", VIPS_ACCESS_SEQUENTIAL));
        return toSrgb8(result);
    } catch (const vips::VError&) {
        throw UpscaleError::failed("ESRGAN не создал результат");
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
    } catch (const vips::VError&) {
        throw UpscaleError::failed("Не удалось изменить размер");
    }
}

void write(const Bitmap& image, const std::filesystem::path& file, FileType type,
           const std::string& shownName) {
    startVips();
    const std::string name = shownName.empty() ? file.filename().string() : shownName;
    createEmpty(file, name);
    try {
        if (type == FileType::jpeg) {
            // JPEG has no transparency: lay see-through parts on white rather than black.
            const Bitmap opaque = image.has_alpha()
                                      ? image.flatten(Bitmap::option()->set(
                                            "background", std::vector<double>{255, 255, 255}))
                                      : image;
            opaque.jpegsave(file.c_str(), Bitmap::option()->set("Q", 95)->set("strip", true));
        } else {
            image.pngsave(file.c_str(), Bitmap::option()->set("strip", true));
        }
    } catch (const vips::VError&) {
        throw UpscaleError::failed("Не удалось записать " + name);
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
    } catch (const vips::VError&) {
        throw UpscaleError::failed("Не удалось записать " + name);
    }
}

} // namespace clarivex::ImageOps
