#include "support/temporary_folder.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>

#include <stdlib.h>

namespace clarivex::test {

TemporaryFolder::TemporaryFolder(const std::string& prefix) {
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::system_error(errno, std::system_category(), "mkdtemp " + pattern);
    path_ = pattern;
}

TemporaryFolder::~TemporaryFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void writeFile(const std::filesystem::path& path, const std::string& contents,
               std::filesystem::perms permissions) {
    std::filesystem::create_directories(path.parent_path());
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file << contents;
        if (!file)
            throw std::runtime_error("cannot write " + path.string());
    }
    std::filesystem::permissions(path, permissions);
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::vector<std::string> namesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void writeExecutable(const std::filesystem::path& path, const std::string& script) {
    writeFile(path, script, std::filesystem::perms(0755));
}

} // namespace clarivex::test
