#pragma once

#include "support/temporary_folder.h"

#include <filesystem>
#include <string>

namespace clarivex::test {

// A small file system of its own, mounted on a fresh folder for one test and unmounted when
// the object goes: exFAT through FUSE on a loop device (as a memory stick is mounted), or a
// tmpfs of a given size (a disk that fills, or turns read-only). Mounting needs
// root and the tools; where it cannot be done, mounted() is false and why() says why, for the
// test to skip with.
class ScratchMount {
public:
    enum class Kind { exfat, tmpfs };

    ScratchMount(Kind kind, const std::string& size);
    ~ScratchMount();
    ScratchMount(const ScratchMount&) = delete;
    ScratchMount& operator=(const ScratchMount&) = delete;

    bool mounted() const { return mounted_; }
    const std::string& why() const { return why_; }
    const std::filesystem::path& path() const { return point_; }
    // Mounts it again read-only, with what is on it.
    void makeReadOnly();

private:
    bool run(const std::string& command);

    TemporaryFolder folder_{"clarivex-mount"};
    std::filesystem::path point_;
    std::string loopDevice_;
    bool mounted_ = false;
    std::string why_;
};

} // namespace clarivex::test
