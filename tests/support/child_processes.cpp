#include "support/child_processes.h"

#include <cerrno>
#include <fstream>
#include <string>

#include <sys/wait.h>

namespace clarivex::test {

bool noChildLeft() {
    errno = 0;
    return ::waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD;
}

bool anyProcessRuns(const std::filesystem::path& executable) {
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream commandLine(entry.path() / "cmdline", std::ios::binary);
        std::string program;
        if (std::getline(commandLine, program, '\0') && program == executable.string())
            return true;
    }
    return false;
}

} // namespace clarivex::test
