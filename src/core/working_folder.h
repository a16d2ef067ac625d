#pragma once

#include <filesystem>
#include <string>

namespace clarivex {

// A private folder "Clarivex-<UUID>" in the temporary folder (0700, whatever the umask: the
// user's pictures pass through it), removed with everything in it when the object goes away,
// however the job ends.
class WorkingFolder {
public:
    WorkingFolder();
    ~WorkingFolder();
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// 122 random bits in the 8-4-4-4-12 form with upper-case hexadecimal digits.
std::string upperCaseUuid();

} // namespace clarivex
