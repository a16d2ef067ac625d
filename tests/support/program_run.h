#pragma once

#include "support/temporary_folder.h"

#include <sys/types.h>

#include <filesystem>
#include <functional>
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

using EnvironmentChanges = std::map<std::string, std::optional<std::string>>;

// A program running in the background, with this process's environment changed by
// `environment` (a value of nothing removes the variable). Killed and reaped if it is still
// running when the object goes.
class StartedProgram {
public:
    StartedProgram(const std::filesystem::path& executable,
                   const std::vector<std::string>& arguments,
                   const EnvironmentChanges& environment = {});
    ~StartedProgram();
    StartedProgram(const StartedProgram&) = delete;
    StartedProgram& operator=(const StartedProgram&) = delete;

    void signal(int number) const;
    // Waits for the end and collects what it printed.
    ProgramRun wait();

private:
    TemporaryFolder capture_{"clarivex-run"};
    pid_t pid_ = -1;
};

// Runs a program to its end (see StartedProgram) and collects what it printed.
ProgramRun runProgram(const std::filesystem::path& executable,
                      const std::vector<std::string>& arguments,
                      const EnvironmentChanges& environment = {});

// Polls until `condition` holds; false after a minute, a limit that only keeps a broken build
// from hanging the suite.
bool eventually(const std::function<bool()>& condition);

} // namespace clarivex::test
