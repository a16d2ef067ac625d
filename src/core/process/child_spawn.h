#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace clarivex {

// Starts `executable` (no search path, no shell) with `arguments`, this process's environment
// and folder, and the given descriptors as its standard input, output and error; -1 stands for
// the null device. The child gets the broken-pipe signal and termination requests at their
// defaults, whatever this process ignores or blocks. Raises std::system_error when the
// program cannot be started; the caller owns the child and must reap it.
pid_t spawnChild(const std::filesystem::path& executable, const std::vector<std::string>& arguments,
                 int input, int output, int error);

} // namespace clarivex
