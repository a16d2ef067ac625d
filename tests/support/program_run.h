#pragma once

#include <sys/types.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace clarivex::test {

struct ProgramRun {
    int exitStatus = -1;
    std::string out;
    std::string err;

    // Standard output split at line feeds, without the last empty piece.
    std::vector<std::string> outLines() const;
};

// Runs a program to its end with this process's environment changed by `environment`
// (a value of nothing removes the variable), and collects what it printed.
ProgramRun runProgram(const std::filesystem::path& executable,
                      const std::vector<std::string>& arguments,
                      const std::map<std::string, std::optional<std::string>>& environment = {});

// Starts a program as `runProgram` does, with its output discarded, and returns at once; the
// caller waits for it.
pid_t startProgram(const std::filesystem::path& executable,
                   const std::vector<std::string>& arguments,
                   const std::map<std::string, std::optional<std::string>>& environment = {});

} // namespace clarivex::test
