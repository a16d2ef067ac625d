#include "core/output_placement.h"

#include "core/private_files.h"
#include "core/removal_guard.h"
#include "core/working_folder.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <system_error>

namespace clarivex {

namespace {

enum class Move { placed, taken, unsupported, crossDevice };

Move moveNoReplace(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return Move::placed;
    const int error = errno;
    switch (error) {
    case EEXIST:
        return Move::taken;
    case EXDEV:
        return Move::crossDevice;
    case EINVAL:
    case ENOSYS:
    case ENOTSUP:
        return Move::unsupported;
    default:
        throw std::system_error(error, std::generic_category(),
                                "Не удалось сохранить " + to.string());
    }
}

// For file systems without RENAME_NOREPLACE: a hard link fails, rather than replaces, when
// the name is taken.
Move linkNoReplace(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return Move::placed;
    }
    const int error = errno;
    if (error == EEXIST)
        return Move::taken;
    throw std::system_error(error, std::generic_category(), "Не удалось сохранить " + to.string());
}

Move place(const std::filesystem::path& from, const std::filesystem::path& to) {
    const Move moved = moveNoReplace(from, to);
    return moved == Move::unsupported ? linkNoReplace(from, to) : moved;
}

} // namespace

std::filesystem::path temporarySibling(const std::filesystem::path& folder,
                                       const std::string& extension) {
    return folder /
           (".clarivex-" + upperCaseUuid() + ".part" + (extension.empty() ? "" : "." + extension));
}

std::filesystem::path placeWithoutReplacing(const std::filesystem::path& finished,
                                            const NameChooser& chooseName) {
    std::filesystem::path source = finished;
    // The copy made for a move across volumes goes again unless it was placed.
    RemovalGuard staged;
    // The finished file leaves private staging; a copy is private until it is complete.
    const auto publish = [](const std::filesystem::path& file, const std::string& shownName) {
        if (const std::error_code error = PrivateFiles::giveUsualPermissions(file))
            throw std::system_error(error, "Не удалось сохранить " + shownName);
    };
    publish(finished, finished.filename().string());

    // Every failed try means the name was taken since it was chosen; the chooser then moves
    // on, so the loop ends unless other processes keep taking names as fast as we choose.
    for (int attempt = 0; attempt < 10'000; ++attempt) {
        const std::filesystem::path candidate = chooseName();
        Move moved = place(source, candidate);
        if (moved == Move::crossDevice) {
            std::string extension = candidate.extension().string();
            staged.guard(temporarySibling(candidate.parent_path(),
                                          extension.empty() ? extension : extension.substr(1)));
            if (const std::error_code error = PrivateFiles::copyFile(finished, staged.path()))
                throw std::system_error(error, "Не удалось сохранить " + candidate.string());
            publish(staged.path(), candidate.string());
            source = staged.path();
            moved = place(source, candidate);
        }
        if (moved == Move::placed) {
            if (!staged.path().empty()) {
                staged.commit();
                std::error_code ignored;
                std::filesystem::remove(finished, ignored);
            }
            return candidate;
        }
    }
    throw std::system_error(std::make_error_code(std::errc::file_exists),
                            "Не удалось сохранить " + finished.filename().string());
}

} // namespace clarivex
