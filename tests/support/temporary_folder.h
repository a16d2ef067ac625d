#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace clarivex::test {

// A fresh, empty folder in the temporary folder, removed with everything in it when the
// object goes.
class TemporaryFolder {
public:
    explicit TemporaryFolder(const std::string& prefix = "clarivex-test");
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::filesystem::path& relative) const {
        return path_ / relative;
    }

private:
    std::filesystem::path path_;
};

// Writes `contents` to `path`, creating the folders above it, with the given permissions.
void writeFile(const std::filesystem::path& path, const std::string& contents = {},
               std::filesystem::perms permissions = std::filesystem::perms(0644));

// The whole contents of a file, byte for byte; empty when it cannot be read.
std::string readFile(const std::filesystem::path& path);

// The names in `folder`, sorted.
std::vector<std::string> namesIn(const std::filesystem::path& folder);

// A shell script at `path` that anyone may execute.
void writeExecutable(const std::filesystem::path& path,
                     const std::string& script = "#!/bin/sh\nexit 0\n");

} // namespace clarivex::test
