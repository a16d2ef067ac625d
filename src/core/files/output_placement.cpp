#include "core/files/output_placement.h"

#include "core/files/private_files.h"
#include "core/files/working_folder.h"
#include "core/vocabulary/upscale_error.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <system_error>

namespace clarivex {

namespace {

// How a finished file gets its name, fastest first; each file system takes the first it supports.
enum class Way { rename, link, copy };
enum class Outcome { placed, taken, unsupported };

[[noreturn]] void cannotSave(int error, const std::filesystem::path& shown) {
    throw UpscaleError::operationFailed(UpscaleError::Operation::save, shown, error);
}

struct stat statusOf(int descriptor, const std::filesystem::path& shown) {
    struct stat status {};
    if (::fstat(descriptor, &status) != 0)
        cannotSave(errno, shown);
    return status;
}

// The name now holds something that is not our file: someone swapped the finished file's name
// between our look and the move. What we moved is theirs, under a name we have just made; it
// goes again, and nothing is reported as saved.
[[noreturn]] void refuseSwapped(const OpenFolder& destination, const std::string& name,
                                const std::filesystem::path& shown) {
    ::unlinkat(destination.descriptor(), name.c_str(), 0);
    throw UpscaleError::operationFailed(UpscaleError::Operation::saveSwapped, shown,
                                        std::make_error_code(std::errc::operation_not_permitted));
}

class Placement {
public:
    Placement(const FinishedFile& finished, const OpenFolder& destination)
        : finished_(finished)
        , destination_(destination)
        , own_(statusOf(finished.descriptor, finished.folder.path() / finished.name)) {
        if (!S_ISREG(own_.st_mode))
            cannotSave(EINVAL, finished.folder.path() / finished.name);
        const struct stat there = destination.status();
        way_ = there.st_dev == own_.st_dev ? Way::rename : Way::copy;
    }

    Outcome tryName(const std::string& name, const std::filesystem::path& shown) {
        switch (way_) {
        case Way::rename:
            return renamed(name, shown);
        case Way::link:
            return linked(name, shown);
        case Way::copy:
            return copied(name, shown);
        }
        return Outcome::unsupported;
    }

private:
    Outcome renamed(const std::string& name, const std::filesystem::path& shown) {
        if (::renameat2(finished_.folder.descriptor(), finished_.name.c_str(),
                        destination_.descriptor(), name.c_str(), RENAME_NOREPLACE) == 0) {
            if (!destination_.holds(name, own_))
                refuseSwapped(destination_, name, shown);
            return Outcome::placed;
        }
        const int error = errno;
        if (error == EEXIST)
            return Outcome::taken;
        if (error == EXDEV)
            return moveOn(Way::copy);
        if (error == EINVAL || error == ENOSYS || error == ENOTSUP)
            return moveOn(Way::link);
        cannotSave(error, shown);
    }

    // A hard link fails, rather than replaces, when the name is taken.
    Outcome linked(const std::string& name, const std::filesystem::path& shown) {
        if (::linkat(finished_.folder.descriptor(), finished_.name.c_str(),
                     destination_.descriptor(), name.c_str(), 0) == 0) {
            if (!destination_.holds(name, own_))
                refuseSwapped(destination_, name, shown);
            removeFinishedName();
            return Outcome::placed;
        }
        const int error = errno;
        if (error == EEXIST)
            return Outcome::taken;
        if (error == EPERM || error == ENOTSUP || error == ENOSYS || error == EMLINK ||
            error == EXDEV)
            return moveOn(Way::copy);
        cannotSave(error, shown);
    }

    // The last way, for file systems without either: the name is made only if it is free, and
    // filled from the finished file's own descriptor, so a swapped name cannot feed it.
    Outcome copied(const std::string& name, const std::filesystem::path& shown) {
        const FileDescriptor target(::openat(destination_.descriptor(), name.c_str(),
                                             O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                                             0666));
        if (!target.isOpen()) {
            if (errno == EEXIST)
                return Outcome::taken;
            cannotSave(errno, shown);
        }
        const struct stat made = statusOf(target.get(), shown);
        if (const std::error_code error =
                PrivateFiles::copyInto(finished_.descriptor, target.get())) {
            if (destination_.holds(name, made))
                ::unlinkat(destination_.descriptor(), name.c_str(), 0);
            cannotSave(error.value(), shown);
        }
        removeFinishedName();
        return Outcome::placed;
    }

    Outcome moveOn(Way way) {
        way_ = way;
        return Outcome::unsupported;
    }

    void removeFinishedName() {
        if (finished_.folder.holds(finished_.name, own_))
            ::unlinkat(finished_.folder.descriptor(), finished_.name.c_str(), 0);
    }

    const FinishedFile& finished_;
    const OpenFolder& destination_;
    struct stat own_;
    Way way_;
};

} // namespace

std::filesystem::path placeWithoutReplacing(const FinishedFile& finished,
                                            const OpenFolder& destination,
                                            const NameChooser& chooseName) {
    const std::filesystem::path shownFinished = finished.folder.path() / finished.name;
    if (const std::error_code error = PrivateFiles::giveUsualPermissions(finished.descriptor))
        throw UpscaleError::operationFailed(UpscaleError::Operation::save, shownFinished, error);
    Placement placement(finished, destination);
    // Every failed try means the name was taken since it was chosen; the chooser then moves
    // on, so the loop ends unless other processes keep taking names as fast as we choose.
    for (int attempt = 0; attempt < 10'000; ++attempt) {
        const std::filesystem::path candidate = chooseName();
        Outcome outcome = Outcome::unsupported;
        // At most one step down to each slower way for the same name.
        for (int way = 0; way < 3 && outcome == Outcome::unsupported; ++way)
            outcome = placement.tryName(candidate.filename().string(), candidate);
        if (outcome == Outcome::placed)
            return destination.path() / candidate.filename();
    }
    throw UpscaleError::operationFailed(UpscaleError::Operation::save, shownFinished.filename(),
                                        std::make_error_code(std::errc::file_exists));
}

StagedFile::StagedFile(const OpenFolder& folder, const std::string& extension,
                       const std::string& shownName)
    : folder_(folder)
    , name_(".clarivex-" + upperCaseUuid() + ".part" + (extension.empty() ? "" : "." + extension))
    , shownName_(shownName)
    , descriptor_(PrivateFiles::createFileIn(folder.descriptor(), name_)) {
    if (!descriptor_.isOpen())
        throw UpscaleError::operationFailed(UpscaleError::Operation::create, shownName, errno);
}

StagedFile::~StagedFile() {
    struct stat own {};
    if (!placed_ && ::fstat(descriptor_.get(), &own) == 0 && folder_.holds(name_, own))
        ::unlinkat(folder_.descriptor(), name_.c_str(), 0);
}

std::filesystem::path StagedFile::place(const NameChooser& chooseName) {
    if (::fsync(descriptor_.get()) != 0)
        cannotSave(errno, shownName_);
    const std::filesystem::path placed =
        placeWithoutReplacing({folder_, name_, descriptor_.get()}, folder_, chooseName);
    placed_ = true;
    return placed;
}

} // namespace clarivex
