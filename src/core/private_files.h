#pragma once

#include <filesystem>
#include <system_error>

namespace clarivex::PrivateFiles {

// Files and folders that only the user may read while work is under way: working folders,
// staged part files beside results and the window's hand-over socket. Modes are set
// explicitly, so the process's umask can neither open them to others nor lock the user out.
// Any thread.

// A new folder with mode 0700. Fails (EEXIST) when anything is at `folder` already.
std::error_code createFolder(const std::filesystem::path& folder);

// `folder` is a real folder (not a link) owned by this user that no one else may enter.
bool isPrivateFolder(const std::filesystem::path& folder);

// `folder` as a private folder: made when missing, otherwise used only when it already is
// one. Fails (EPERM) for a folder that someone else owns or others may enter.
std::error_code ensureFolder(const std::filesystem::path& folder);

// A new, empty file with mode 0600. Fails (EEXIST) when anything is at `file`, a link too.
std::error_code createFile(const std::filesystem::path& file);

// Copies the contents of `from` into a new file `to` made as createFile does; a failed copy
// leaves whatever was written at `to` for the caller to remove.
std::error_code copyFile(const std::filesystem::path& from, const std::filesystem::path& to);

// Gives a finished file the mode a new file of the user normally gets (0666 less the umask),
// for results that leave their private staging.
std::error_code giveUsualPermissions(const std::filesystem::path& file);

} // namespace clarivex::PrivateFiles
