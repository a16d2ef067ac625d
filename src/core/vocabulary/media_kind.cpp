#include "core/vocabulary/media_kind.h"

#include <algorithm>

namespace clarivex {

const std::set<std::string, std::less<>>& imageExtensions() {
    static const std::set<std::string, std::less<>> extensions{
        "jpg", "jpeg", "png", "webp", "heic", "heif", "tif", "tiff", "bmp", "gif"};
    return extensions;
}

const std::set<std::string, std::less<>>& videoExtensions() {
    static const std::set<std::string, std::less<>> extensions{"mp4", "mov", "m4v",  "mkv", "webm",
                                                               "avi", "mts", "m2ts", "3gp"};
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
