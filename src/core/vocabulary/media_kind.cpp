#include "core/vocabulary/media_kind.h"

#include <algorithm>

namespace clarivex {

// Every name the desktop entry's types go by (shared-mime-info's globs), so that a file the
// desktop offers to open is never dropped; only the Blu-ray index files and 3GPP sound that
// share a type with videos are left out.
const std::set<std::string, std::less<>>& imageExtensions() {
    static const std::set<std::string, std::less<>> extensions{"jpg",  "jpeg", "jpe", "png", "webp",
                                                               "heic", "heif", "hif", "tif", "tiff",
                                                               "bmp",  "dib",  "gif"};
    return extensions;
}

const std::set<std::string, std::less<>>& videoExtensions() {
    static const std::set<std::string, std::less<>> extensions{
        "mp4", "m4v", "f4v",  "lrv", "mov",  "qt",  "moov", "qtvr", "mkv", "webm",
        "avi", "avf", "divx", "mts", "m2ts", "m2t", "ts",   "3gp",  "3gpp"};
    return extensions;
}

std::string lowercased(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

std::string pathExtension(const std::filesystem::path& file) {
    const std::string name = file.filename().string();
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

std::optional<MediaKind> mediaKindOf(const std::filesystem::path& file) {
    const std::string extension = lowercased(pathExtension(file));
    if (imageExtensions().contains(extension))
        return MediaKind::image;
    if (videoExtensions().contains(extension))
        return MediaKind::video;
    return std::nullopt;
}

} // namespace clarivex
