#include "core/process/tools.h"

#include "core/vocabulary/upscale_error.h"
#include "support/scoped_environment_variable.h"
#include "support/temporary_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include <unistd.h>

using namespace clarivex;
using clarivex::test::ScopedEnvironmentVariable;
using clarivex::test::TemporaryFolder;
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
    modelsIsFile,
};

void install(const fs::path& executableFolder, const fs::path& modelsParent, Install kind) {
    const auto executable = executableFolder / "realesrgan-ncnn-vulkan";
    const auto models = modelsParent / "models";
    switch (kind) {
    case Install::none:
        return;
    case Install::complete:
    case Install::withoutModels:
    case Install::modelsIsFile:
        writeExecutable(executable);
        break;
    case Install::notExecutable:
        writeFile(executable, "#!/bin/sh\n", fs::perms(0644));
        break;
    case Install::executableIsFolder:
        fs::create_directories(executable);
        break;
    }
    if (kind == Install::modelsIsFile)
        writeFile(models);
    else if (kind != Install::withoutModels)
        fs::create_directories(models);
}

enum class Where { application, variable, home, nowhere };

// Three places an engine may be, and an environment that names them; nothing from the real
// machine takes part.
struct Machine {
    TemporaryFolder root{"clarivex-tools-test"};
    fs::path executableFolder = root / "app/bin";
    fs::path resourceFolder = root / "app/share/clarivex";
    fs::path variableFolder = root / "from-variable";
    fs::path home = root / "home";
    fs::path homeEngine = home / ".local/opt/realesrgan";

    Machine() { fs::create_directories(executableFolder); }

    Bundle bundle() const { return {executableFolder, resourceFolder}; }
    Tools::Environment environment() const {
        return {variableFolder.string(), std::nullopt, home, {}};
    }
    fs::path folderOf(Where where) const {
        switch (where) {
        case Where::application:
            return executableFolder;
        case Where::variable:
            return variableFolder;
        case Where::home:
            return homeEngine;
        case Where::nowhere:
            break;
        }
        return {};
    }
};

std::optional<Tools> locateOrNothing(const Bundle& bundle, const Tools::Environment& environment) {
    try {
        return Tools::locate(bundle, environment);
    } catch (const UpscaleError& error) {
        EXPECT_EQ(error.kind(), UpscaleError::Case::missingEngine);
        return std::nullopt;
    }
}

} // namespace

TEST(Tools, TakesTheFirstCompleteEngineInOrder) {
    const struct {
        const char* name;
        Install application;
        Install variable;
        Install home;
        Where expected;
    } cases[] = {
        {"application before home", Install::complete, Install::none, Install::complete,
         Where::application},
        {"application before variable", Install::complete, Install::complete, Install::complete,
         Where::application},
        {"variable before home", Install::none, Install::complete, Install::complete,
         Where::variable},
        {"home alone", Install::none, Install::none, Install::complete, Where::home},
        {"no models in the resources", Install::withoutModels, Install::complete, Install::none,
         Where::variable},
        {"no models beside the variable's engine", Install::none, Install::withoutModels,
         Install::complete, Where::home},
        {"engine not executable", Install::notExecutable, Install::notExecutable, Install::complete,
         Where::home},
        {"engine is a folder", Install::none, Install::executableIsFolder, Install::complete,
         Where::home},
        {"models may be any kind of entry", Install::none, Install::modelsIsFile, Install::none,
         Where::variable},
        {"nothing usable", Install::withoutModels, Install::notExecutable,
         Install::executableIsFolder, Where::nowhere},
        {"nothing at all", Install::none, Install::none, Install::none, Where::nowhere},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        const Machine machine;
        install(machine.executableFolder, machine.resourceFolder, testCase.application);
        install(machine.variableFolder, machine.variableFolder, testCase.variable);
        install(machine.homeEngine, machine.homeEngine, testCase.home);

        const auto tools = locateOrNothing(machine.bundle(), machine.environment());
        if (testCase.expected == Where::nowhere) {
            EXPECT_FALSE(tools);
            continue;
        }
        ASSERT_TRUE(tools);
        const auto folder = machine.folderOf(testCase.expected);
        EXPECT_EQ(tools->esrgan, folder / "realesrgan-ncnn-vulkan");
        const auto modelsParent =
            testCase.expected == Where::application ? machine.resourceFolder : folder;
        EXPECT_EQ(tools->models, modelsParent / "models");
    }
}

TEST(Tools, ApplicationCandidateNeedsBothBundleFolders) {
    const Machine machine;
    install(machine.executableFolder, machine.resourceFolder, Install::complete);
    install(machine.homeEngine, machine.homeEngine, Install::complete);
    auto environment = machine.environment();
    environment.realesrganDir.reset();

    const struct {
        const char* name;
        Bundle bundle;
    } cases[] = {
        {"no resource folder", {machine.executableFolder, std::nullopt}},
        {"no executable folder", {std::nullopt, machine.resourceFolder}},
        {"nothing known", {}},
    };
    for (const auto& testCase : cases) {
        const auto tools = Tools::locate(testCase.bundle, environment);
        EXPECT_EQ(tools.esrgan, machine.homeEngine / "realesrgan-ncnn-vulkan") << testCase.name;
    }
}

TEST(Tools, EmptyOrMissingPlacesAreSkipped) {
    const Machine machine;
    install(machine.homeEngine, machine.homeEngine, Install::complete);
    auto environment = machine.environment();

    // An empty variable must not mean the current folder.
    const TemporaryFolder current;
    install(current.path(), current.path(), Install::complete);
    const auto previous = fs::current_path();
    fs::current_path(current.path());
    environment.realesrganDir = "";
    const auto tools = Tools::locate(machine.bundle(), environment);
    fs::current_path(previous);
    EXPECT_EQ(tools.esrgan, machine.homeEngine / "realesrgan-ncnn-vulkan");

    environment.home.reset();
    EXPECT_FALSE(locateOrNothing(machine.bundle(), environment));
}

TEST(Tools, RelativeEngineFolderBecomesAbsolute) {
    // The engine resolves a relative models path against its own folder, not ours.
    const TemporaryFolder current;
    install(current / "engine", current / "engine", Install::complete);
    const auto previous = fs::current_path();
    fs::current_path(current.path());
    const auto tools = Tools::locate({}, {"engine", std::nullopt, std::nullopt, {}});
    fs::current_path(previous);
    EXPECT_EQ(tools.esrgan, current / "engine/realesrgan-ncnn-vulkan");
    EXPECT_EQ(tools.models, current / "engine/models");
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
        {"empty path", "", fixedB / "ffmpeg", std::nullopt},
        {"leading, trailing and double colons", ":" + empty.string() + "::" + first.string() + ":",
         fixedB / "ffmpeg", first / "ffprobe"},
        {"only colons", ":::", fixedB / "ffmpeg", std::nullopt},
    };
    for (const auto& testCase : cases) {
        auto environment = machine.environment();
        environment.path = testCase.path;
        environment.fixedFolders = {fixedA, fixedB};
        const auto tools = Tools::locate(machine.bundle(), environment);
        EXPECT_EQ(tools.ffmpeg, testCase.ffmpeg) << testCase.name;
        EXPECT_EQ(tools.ffprobe, testCase.ffprobe) << testCase.name;
    }
}

TEST(Tools, EmptyPathPiecesDoNotMeanTheCurrentFolder) {
    const Machine machine;
    install(machine.homeEngine, machine.homeEngine, Install::complete);
    const TemporaryFolder current;
    writeExecutable(current / "ffmpeg");
    writeExecutable(current / "ffprobe");
    const auto previous = fs::current_path();
    fs::current_path(current.path());
    auto environment = machine.environment();
    environment.path = ":" + (machine.root / "nothing-here").string() + "::";
    const auto tools = Tools::locate(machine.bundle(), environment);
    fs::current_path(previous);
    EXPECT_EQ(tools.ffmpeg, std::nullopt);
    EXPECT_EQ(tools.ffprobe, std::nullopt);
}

TEST(Tools, HomeFallsBackToTheUserDatabase) {
    const ScopedEnvironmentVariable home("HOME", std::nullopt);
    const auto environment = Tools::Environment::current();
    // Every user the tests run as has an entry; what matters is that one is found at all.
    ASSERT_TRUE(environment.home);
    EXPECT_FALSE(environment.home->empty());
}

TEST(Bundle, CurrentKnowsTheExecutableFolder) {
    const auto bundle = Bundle::current();
    ASSERT_TRUE(bundle.executableFolder);
    EXPECT_TRUE(fs::exists(*bundle.executableFolder / "core_tests"));
    // The test executable is not installed, so there are no resources beside it.
    EXPECT_EQ(bundle.resourceFolder, std::nullopt);
}
