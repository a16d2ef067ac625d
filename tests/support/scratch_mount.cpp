#include "support/scratch_mount.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>

namespace clarivex::test {

namespace {

bool onPath(const std::string& program) {
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

} // namespace

ScratchMount::ScratchMount(Kind kind, const std::string& size)
    : point_(folder_.path() / "mount") {
    std::filesystem::create_directory(point_);
    if (::geteuid() != 0) {
        why_ = "mounting a file system needs root";
        return;
    }
    if (kind == Kind::tmpfs) {
        mounted_ =
            run("mount -t tmpfs -o size=" + size + " clarivex-test '" + point_.string() + "'");
        if (!mounted_)
            why_ = "tmpfs cannot be mounted here";
        return;
    }
    for (const char* program : {"mkfs.exfat", "mount.exfat-fuse", "losetup"})
        if (!onPath(program)) {
            why_ = std::string(program) + " is missing (exfatprogs, exfat-fuse)";
            return;
        }
    const auto image = folder_.path() / "stick.img";
    const auto device = folder_.path() / "device";
    if (!run("truncate -s " + size + " '" + image.string() + "' && mkfs.exfat '" + image.string() +
             "' && losetup -f --show '" + image.string() + "' > '" + device.string() + "'")) {
        why_ = "no loop device for the exFAT image";
        return;
    }
    std::ifstream(device) >> loopDevice_;
    mounted_ = run("mount.exfat-fuse " + loopDevice_ + " '" + point_.string() + "'");
    if (!mounted_)
        why_ = "FUSE cannot mount here";
}

ScratchMount::~ScratchMount() {
    if (mounted_)
        run("umount '" + point_.string() + "' || umount -l '" + point_.string() + "'");
    if (!loopDevice_.empty())
        run("losetup -d " + loopDevice_);
}

void ScratchMount::makeReadOnly() {
    run("mount -o remount,ro '" + point_.string() + "'");
}

bool ScratchMount::run(const std::string& command) {
    return std::system(("(" + command + ") >/dev/null 2>&1").c_str()) == 0;
}

} // namespace clarivex::test
