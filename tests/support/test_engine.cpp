#include "support/test_engine.h"

#include <fstream>

namespace clarivex::test {

namespace {

// Every model file the system uses: realesrgan-x4plus, realesrgan-x4plus-anime and
// realesr-animevideov3 at x2, x3 and x4.
std::vector<std::string> modelFileNames() {
    std::vector<std::string> names;
    for (const char* model :
         {"realesrgan-x4plus", "realesrgan-x4plus-anime", "realesr-animevideov3-x2",
          "realesr-animevideov3-x3", "realesr-animevideov3-x4"}) {
        names.push_back(std::string(model) + ".param");
        names.push_back(std::string(model) + ".bin");
    }
    return names;
}

const std::filesystem::path standIn = CLARIVEX_FAKE_REALESRGAN;

} // namespace

TestEngine::TestEngine() {
    std::filesystem::create_symlink(standIn, executable());
    std::filesystem::create_directories(models());
    for (const auto& name : modelFileNames())
        writeFile(models() / name);
}

std::filesystem::path TestEngine::executable() const {
    return folder() / "realesrgan-ncnn-vulkan";
}

std::filesystem::path TestEngine::models() const {
    return folder() / "models";
}

std::vector<std::string> TestEngine::lastArguments() const {
    std::ifstream log(argumentsLog());
    std::vector<std::string> arguments;
    for (std::string line; std::getline(log, line);)
        arguments.push_back(line);
    return arguments;
}

void TestEngine::removeModel(const std::string& model) const {
    for (const auto& name : modelFileNames()) {
        if (name.rfind(model + ".", 0) == 0 || name.rfind(model + "-x", 0) == 0)
            std::filesystem::remove(models() / name);
    }
}

void TestEngine::countCalls(const std::filesystem::path& log, const std::string& before) const {
    std::filesystem::remove(executable());
    // The run that only asks for the devices has nothing to enlarge and is not counted.
    writeExecutable(
        executable(),
        "#!/bin/sh\nframes=$(ls \"$2\" | wc -l)\n[ \"$frames\" = 0 ] || echo "
        "\"$frames\" >> '" +
            log.string() + "'\n" + before +
            "if [ \"$(basename \"$2\")\" = \"chunk-in-$CLARIVEX_TEST_HANG_ON_CHUNK\" ]; then\n"
            "    export FAKE_ESRGAN_HANG=1\nfi\nexec '" +
            standIn.string() + "' \"$@\"\n");
}

void TestEngine::surround(const std::string& before, const std::string& after) const {
    std::filesystem::remove(executable());
    writeExecutable(executable(), "#!/bin/sh\n" + before + "\n'" + standIn.string() +
                                      "' \"$@\"\nstatus=$?\n" + after + "\nexit $status\n");
}

} // namespace clarivex::test
