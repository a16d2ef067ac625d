#include "core/process/tools.h"

#include "core/vocabulary/upscale_error.h"
#include "support/scoped_environment_variable.h"
#include "support/temporary_folder.h"

#include <gtest/gtest.h>

using namespace clarivex;
using clarivex::test::writeExecutable;
using clarivex::test::writeFile;
namespace fs = std::filesystem;

namespace {

enum class Install {
    none,
    complete,
    withoutModels,
    notExecutable,
    executableIsFolder,
    modelsIsFile
};

void install(const fs::path& executableFolder, const fs::path& modelsParent, Install kind) {
    const auto executable = executableFolder / "realesrgan-ncnn-vulkan";
    if (kind == Install::none)
        return;
    if (kind == Install::notExecutable)
        writeFile(executable, "#!/bin/sh\n", fs::perms(0644));
    else if (kind == Install::executableIsFolder)
        fs::create_directories(executable);
    else
        writeExecutable(executable);
    if (kind == Install::modelsIsFile)
        writeFile(modelsParent / "models");
    else if (kind != Install::withoutModels)
        fs::create_directories(modelsParent / "models");
}

// Three places an engine may be, and an environment that names them; nothing from the real
// machine takes part.
struct Machine {
    test::TemporaryFolder root{"clarivex-tools-test"};
    fs::path bin = root / "app/bin";
    fs::path resources = root / "app/share/clarivex";
    fs::path variable = root / "from-variable";
    fs::path home = root / "home";
    fs::path homeEngine = home / ".local/opt/realesrgan";

    Tools::Environment environment() const { return {variable.string(), std::nullopt, home, {}}; }
};

// Runs `action` with `folder` as the current folder.
template <typename Action> auto inFolder(const fs::path& folder, Action action) {
    const auto previous = fs::current_path();
    fs::current_path(folder);
    struct Back {
        fs::path folder;
        ~Back() { fs::current_path(folder); }
    } back{previous};
    return action();
}

} // namespace

TEST(Tools, TakesTheFirstCompleteEngineInOrder) {
    enum Where { application, variable, home, nowhere };
    const struct {
        const char* name;
        Install application, variable, home;
        Where expected;
    } cases[] = {
        {"application first", Install::complete, Install::complete, Install::complete, application},
        {"variable before home", Install::none, Install::complete, Install::complete, variable},
        {"home alone", Install::none, Install::none, Install::complete, home},
        {"no models in the resources", Install::withoutModels, Install::complete, Install::none,
         variable},
        {"no models beside the engine", Install::none, Install::withoutModels, Install::complete,
         home},
        {"engine not executable", Install::notExecutable, Install::notExecutable, Install::complete,
         home},
        {"engine is a folder", Install::none, Install::executableIsFolder, Install::complete, home},
        {"models may be any kind of entry", Install::none, Install::modelsIsFile, Install::none,
         variable},
        {"nothing usable", Install::withoutModels, Install::notExecutable,
         Install::executableIsFolder, nowhere},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Machine machine;
        install(machine.bin, machine.resources, c.application);
        install(machine.variable, machine.variable, c.variable);
        install(machine.homeEngine, machine.homeEngine, c.home);
        const Bundle bundle{machine.bin, machine.resources};
        if (c.expected == nowhere) {
            try {
                Tools::locate(bundle, machine.environment());
                ADD_FAILURE() << "found an engine";
            } catch (const UpscaleError& error) {
                EXPECT_EQ(error.kind(), UpscaleError::Case::missingEngine);
            }
            continue;
        }
        const auto tools = Tools::locate(bundle, machine.environment());
        const fs::path folder[] = {machine.bin, machine.variable, machine.homeEngine};
        EXPECT_EQ(tools.esrgan, folder[c.expected] / "realesrgan-ncnn-vulkan");
        EXPECT_EQ(tools.models,
                  (c.expected == application ? machine.resources : folder[c.expected]) / "models");
    }
}

// The application's candidate needs both folders of the bundle; an empty variable is no
// folder (not the current one); relative places become absolute, since the engine resolves a
// relative models path against its own folder.
TEST(Tools, IncompleteOrRelativePlaces) {
    const Machine machine;
    install(machine.bin, machine.resources, Install::complete);
    install(machine.homeEngine, machine.homeEngine, Install::complete);
    install(machine.root.path(), machine.root.path(), Install::complete);
    auto environment = machine.environment();
    environment.realesrganDir = "";
    for (const Bundle& bundle :
         {Bundle{machine.bin, std::nullopt}, Bundle{std::nullopt, machine.resources}, Bundle{}}) {
        const auto tools =
            inFolder(machine.root.path(), [&] { return Tools::locate(bundle, environment); });
        EXPECT_EQ(tools.esrgan, machine.homeEngine / "realesrgan-ncnn-vulkan");
    }
    environment.home.reset();
    EXPECT_THROW(Tools::locate({}, environment), UpscaleError);

    install(machine.root / "engine", machine.root / "engine", Install::complete);
    const auto relative = inFolder(machine.root.path(), [] {
        return Tools::locate({}, {"engine", std::nullopt, std::nullopt, {}});
    });
    EXPECT_EQ(relative.esrgan, machine.root / "engine/realesrgan-ncnn-vulkan");
    EXPECT_EQ(relative.models, machine.root / "engine/models");
}

TEST(Tools, FindsFFmpegAndFFprobeOnThePathThenInFixedFolders) {
    const Machine machine;
    install(machine.homeEngine, machine.homeEngine, Install::complete);
    const auto first = machine.root / "first";
    const auto second = machine.root / "second";
    const auto fixedA = machine.root / "fixed-a";
    const auto fixedB = machine.root / "fixed-b";
    const auto empty = machine.root / "empty";
    fs::create_directories(empty);
    writeExecutable(first / "ffprobe");
    writeFile(first / "ffmpeg", "#!/bin/sh\n", fs::perms(0644)); // not executable: skipped
    writeExecutable(second / "ffmpeg");
    writeExecutable(second / "ffprobe");
    writeExecutable(fixedB / "ffmpeg");
    fs::create_directories(fixedA / "ffprobe"); // a folder, not a program
    // Programs in the current folder, which an empty piece of PATH must not mean.
    writeExecutable(machine.root / "ffmpeg");
    writeExecutable(machine.root / "ffprobe");

    const struct {
        const char* name;
        std::optional<std::string> path;
        std::optional<fs::path> ffmpeg;
        std::optional<fs::path> ffprobe;
    } cases[] = {
        {"each name from its own first folder", first.string() + ":" + second.string(),
         second / "ffmpeg", first / "ffprobe"},
        {"path before fixed folders", second.string(), second / "ffmpeg", second / "ffprobe"},
        {"unset path", std::nullopt, fixedB / "ffmpeg", std::nullopt},
        {"leading, trailing and double colons", ":" + empty.string() + "::" + first.string() + ":",
         fixedB / "ffmpeg", first / "ffprobe"},
        {"only colons", ":::", fixedB / "ffmpeg", std::nullopt},
    };
    for (const auto& c : cases) {
        auto environment = machine.environment();
        environment.path = c.path;
        environment.fixedFolders = {fixedA, fixedB};
        const auto tools =
            inFolder(machine.root.path(), [&] { return Tools::locate({}, environment); });
        EXPECT_EQ(tools.ffmpeg, c.ffmpeg) << c.name;
        EXPECT_EQ(tools.ffprobe, c.ffprobe) << c.name;
    }
}

// Without HOME, the user database still knows the home folder.
TEST(Tools, HomeFolderWithoutTheVariable) {
    const test::ScopedEnvironmentVariable home("HOME", std::nullopt);
    const auto environment = Tools::Environment::current();
    ASSERT_TRUE(environment.home);
    EXPECT_FALSE(environment.home->empty());
}
