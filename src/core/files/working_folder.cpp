#include "core/files/working_folder.h"

#include "core/files/private_files.h"
#include "core/vocabulary/upscale_error.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string_view>
#include <system_error>

namespace clarivex {

std::string upperCaseUuid() {
    std::random_device device;
    std::array<unsigned char, 16> bytes{};
    for (std::size_t i = 0; i < bytes.size(); i += 4) {
        const unsigned int word = device();
        for (std::size_t j = 0; j < 4; ++j)
            bytes[i + j] = static_cast<unsigned char>(word >> (8 * j));
    }
    // Version 4, variant 1: the remaining 122 bits are random.
    bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40);
    bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80);
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            text += '-';
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02X", bytes[i]);
        text += hex;
    }
    return text;
}

namespace {

constexpr std::string_view prefix = "Clarivex-";
constexpr std::size_t uuidLength = 36;

std::filesystem::path temporaryFolder() {
    std::error_code error;
    std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    if (error) {
        const char* named = std::getenv("TMPDIR");
        throw UpscaleError::operationFailed(UpscaleError::Operation::openTemporaryFolder,
                                            named != nullptr ? named : "/tmp", error);
    }
    return folder;
}

} // namespace

WorkingFolder::WorkingFolder()
    : path_(temporaryFolder() / (std::string(prefix) + upperCaseUuid())) {
    if (const std::error_code error = PrivateFiles::createFolder(path_))
        throw UpscaleError::operationFailed(UpscaleError::Operation::createWorkingFolder, path_,
                                            error);
    try {
        lock_ = FolderLock::claim(path_);
    } catch (...) {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
        throw;
    }
}

WorkingFolder::~WorkingFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void WorkingFolder::removeAbandoned() {
    std::error_code error;
    const std::filesystem::path temporary = std::filesystem::temp_directory_path(error);
    if (error)
        return;
    for (std::filesystem::directory_iterator entries(temporary, error);
         !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        const std::filesystem::path folder = entries->path();
        const std::string name = folder.filename().string();
        // Only folders of our own making, and of this user: never a link, never another's.
        if (name.size() != prefix.size() + uuidLength || !name.starts_with(prefix) ||
            !PrivateFiles::isPrivateFolder(folder))
            continue;
        if (const auto abandoned = FolderLock::takeAbandoned(folder)) {
            std::error_code ignored;
            std::filesystem::remove_all(folder, ignored);
        }
    }
}

} // namespace clarivex
