#pragma once

#include "core/files/file_descriptor.h"

#include <filesystem>
#include <string>
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

// Copies everything in the open file `from`, from its start, into the open file `to` at its
// position, and makes it durable. What was written stays for the caller when it fails.
std::error_code copyInto(int from, int to);

// A new, empty file `name` in the folder `folder` (a descriptor), as createFile makes it, open
// for reading and writing; not open (errno says why) when it cannot be made. On a file system
// that keeps no modes of its own (FAT, many network mounts) it has the mode that one gives.
FileDescriptor createFileIn(int folder, const std::string& name);

// Gives a finished file the mode a new file of the user normally gets (0666 less the umask),
// for results that leave their private staging. Nothing to do where modes cannot be set.
std::error_code giveUsualPermissions(int descriptor);

} // namespace clarivex::PrivateFiles
