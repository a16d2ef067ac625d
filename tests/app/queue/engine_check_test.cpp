// The window's question to the engine for its devices costs an engine start of seconds: it is
// asked once per engine in a session, whatever comes and goes meanwhile.
#include "app/queue/engine_check.h"
#include "core/vocabulary/upscale_error.h"
#include "support/settle.h"
#include "support/temporary_folder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <optional>

using namespace clarivex;

TEST(EngineCheckTest, AnEngineAskedOnceIsNeverAskedAgain) {
    test::TemporaryFolder folder{"clarivex-engine-check"};
    const auto first = folder.path() / "first" / "realesrgan-ncnn-vulkan";
    const auto second = folder.path() / "second" / "realesrgan-ncnn-vulkan";
    test::writeExecutable(first, "#!/bin/sh\n");
    test::writeExecutable(second, "#!/bin/sh\n");
    std::optional<std::filesystem::path> installed = first;
    std::atomic<int> asked = 0;
    EngineCheck check(
        [&] {
            if (!installed)
                throw UpscaleError::missingEngine();
            return Tools{*installed, installed->parent_path() / "models"};
        },
        [&](const Tools& tools, std::stop_token) {
            ++asked;
            EngineDevices devices;
            devices.learn("[0 " + tools.esrgan.parent_path().filename().string() + "]  queueC=0");
            return devices;
        });
    const auto deviceName = [&] { return check.device() ? check.device()->name : ""; };
    ASSERT_TRUE(test::settle([&] { return !check.isProbing(); }));
    EXPECT_EQ(deviceName(), "first");

    // Gone and back, another in its place and back, found again as each job starts.
    const std::vector<std::optional<std::filesystem::path>> installs{std::nullopt, first,  second,
                                                                     first,        second, first};
    for (const auto& install : installs) {
        installed = install;
        check.refresh();
        ASSERT_TRUE(test::settle([&] { return !check.isProbing(); }));
        EXPECT_EQ(deviceName(), install ? install->parent_path().filename().string() : "");
    }
    EXPECT_EQ(asked, 2);

    // A reinstall is another engine.
    std::filesystem::remove(first);
    test::writeExecutable(first, "#!/bin/sh\n# new\n");
    std::filesystem::last_write_time(first, std::filesystem::file_time_type::clock::now() +
                                                std::chrono::hours(1));
    check.refresh();
    ASSERT_TRUE(test::settle([&] { return !check.isProbing(); }));
    EXPECT_EQ(asked, 3);
}
