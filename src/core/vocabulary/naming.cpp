#include "core/vocabulary/naming.h"

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
    if (extension == "jpg" || extension == "jpeg" || extension == "heic" || extension == "heif")
        return "jpg";
    return "png";
}

} // namespace

std::filesystem::path firstFree(const std::filesystem::path& folder, const std::string& stem,
                                const std::string& extension, const ExistsTest& exists) {
    const std::string dotted = extension.empty() ? std::string() : "." + extension;
    std::filesystem::path candidate = folder / (stem + dotted);
    for (long long n = 2; exists(candidate); ++n)
        candidate = folder / (stem + " " + std::to_string(n) + dotted);
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
    std::string base = stemOf(source) + std::string(suffix(target));
    if (loop)
        base += "-loop";
    return firstFree(source.parent_path(), base, outputExtension(source, kind), exists);
}

bool existsOnDisk(const std::filesystem::path& path) {
    std::error_code error;
    const auto status = std::filesystem::symlink_status(path, error);
    if (status.type() == std::filesystem::file_type::not_found)
        return false;
    // A path we cannot inspect is treated as taken, so nothing is ever written over it.
    return error ? error != std::errc::not_a_directory : true;
}

} // namespace clarivex::Naming
