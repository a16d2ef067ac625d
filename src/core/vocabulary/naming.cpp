#include "core/vocabulary/naming.h"

#include "core/vocabulary/upscale_error.h"

namespace clarivex::Naming {

namespace {

std::string stemOf(const std::filesystem::path& file) {
    const std::string name = file.filename().string();
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string outputExtension(const std::filesystem::path& source, MediaKind kind) {
    if (kind == MediaKind::video)
        return "mp4";
    const std::string extension = lowercased(pathExtension(source));
    for (const char* photo : {"jpg", "jpeg", "jpe", "heic", "heif", "hif"})
        if (extension == photo)
            return "jpg";
    return "png";
}

// The longest start of `text` of at most `limit` bytes that ends on a whole UTF-8 character.
std::string cutToBytes(const std::string& text, std::size_t limit) {
    if (text.size() <= limit)
        return text;
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

} // namespace

std::string fittingStem(const std::string& stem, std::size_t restBytes) {
    return cutToBytes(stem, maxNameBytes > restBytes ? maxNameBytes - restBytes : 0);
}

std::filesystem::path firstFree(const std::filesystem::path& folder, const std::string& stem,
                                const std::string& extension, const ExistsTest& exists) {
    const std::string dotted = extension.empty() ? std::string() : "." + extension;
    std::filesystem::path candidate = folder / (fittingStem(stem, dotted.size()) + dotted);
    for (long long n = 2; exists(candidate); ++n) {
        if (n > lastNumber)
            throw UpscaleError::noFreeName(stem + dotted, folder);
        const std::string number = " " + std::to_string(n);
        candidate = folder / (fittingStem(stem, number.size() + dotted.size()) + number + dotted);
    }
    return candidate;
}

std::filesystem::path firstFree(const std::filesystem::path& folder,
                                const std::filesystem::path& fileName, const ExistsTest& exists) {
    const std::string name = fileName.filename().string();
    const auto dot = name.rfind('.');
    if (dot == std::string::npos)
        return firstFree(folder, name, std::string(), exists);
    return firstFree(folder, name.substr(0, dot), name.substr(dot + 1), exists);
}

std::filesystem::path output(const std::filesystem::path& source, Target target, MediaKind kind,
                             bool loop, const ExistsTest& exists) {
    std::string tail(suffix(target));
    if (loop)
        tail += "-loop";
    const std::string extension = outputExtension(source, kind);
    // Shortened once, for every number: numbered names stay siblings of the plain one, and
    // the Pictures copy of the result has room for a number of its own.
    const std::size_t numberRoom = 1 + std::to_string(lastNumber).size();
    const std::string stem =
        fittingStem(stemOf(source), tail.size() + 1 + extension.size() + numberRoom);
    return firstFree(source.parent_path(), stem + tail, extension, exists);
}

bool existsOnDisk(const std::filesystem::path& path) {
    std::error_code error;
    const auto status = std::filesystem::symlink_status(path, error);
    if (status.type() == std::filesystem::file_type::not_found)
        return false;
    // A path we cannot inspect is treated as taken, so nothing is ever written over it; a
    // path that cannot exist is not taken, and writing there fails with its own reason.
    return error ? error != std::errc::not_a_directory && error != std::errc::filename_too_long
                 : true;
}

} // namespace clarivex::Naming
