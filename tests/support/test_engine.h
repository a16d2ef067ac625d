#pragma once

#include "support/temporary_folder.h"

#include <filesystem>
#include <string>
#include <vector>

namespace clarivex::test {

// A temporary Real-ESRGAN installation around the stand-in engine (tests/fixtures): the
// executable "realesrgan-ncnn-vulkan" and a "models" folder with every model file the system
// uses, as discovery expects it. Point REALESRGAN_DIR at folder() to have it found.
class TestEngine {
public:
    TestEngine();

    const std::filesystem::path& folder() const { return folder_.path(); }
    std::filesystem::path executable() const;
    std::filesystem::path models() const;

    // Where the stand-in writes its arguments, when FAKE_ESRGAN_ARGS_FILE names this file, and
    // the arguments of its last start.
    std::filesystem::path argumentsLog() const { return folder() / "arguments"; }
    std::vector<std::string> lastArguments() const;

    // Takes a model's files away (every scale of it), as an install without it would be.
    void removeModel(const std::string& model) const;

    // Puts a script in the stand-in's place that runs it after appending the number of frames
    // it was given to `log`, one count a line, and after the shell lines `before`. The call for
    // the video chunk whose number CLARIVEX_TEST_HANG_ON_CHUNK holds (0 for the first) never
    // ends: by chunk rather than by call, since two chunks' engines start at about the same time.
    void countCalls(const std::filesystem::path& log, const std::string& before = "") const;
    // Puts a script in the stand-in's place that runs the shell lines `before`, the stand-in,
    // then `after`, and exits as the stand-in did.
    void surround(const std::string& before, const std::string& after) const;

private:
    TemporaryFolder folder_{"clarivex-engine"};
};

} // namespace clarivex::test
